#include "ViewFixture.h"
#include "tests/native/view/ViewPeer.h"

namespace {

const ColorRef kBtnFace = 0xF0F0F0, kBtnShadow = 0xA0A0A0, kBtnHighlight = 0xFFFFFF,
               kWindowFrame = 0x646464, kBtnText = 0x000000;

TEST_F(ViewTest, HeaderGeometryAndStateFollowTheColumns) {
  Paint(1280, 300);
  EXPECT_EQ(Inside(m_ctrl.View()).m_nRowHeight, 20);  // control font 16 + 4, not the context's own 18
  EXPECT_EQ(Inside(m_ctrl.View()).m_nCharWidth, 7);
  EXPECT_EQ(Inside(m_ctrl.View()).m_rcBounds, (Rect{0, 0, 1280, 300}));
  EXPECT_EQ(Field(1), (Rect{57, 0, 337, 20}));

  std::vector<Op> texts = Memory(OpKind::DrawText);
  ASSERT_EQ(texts.size(), 7u);
  const char16_t* labels[] = {u"Rank", u"Timestamp", u"Source", u"Message", u"Category", u"Severity"};
  for (int f = 0; f < kFieldCount; ++f) {
    SCOPED_TRACE(f);
    EXPECT_EQ(texts[f].text, labels[f]);
    EXPECT_EQ(texts[f].rect, (Rect{Field(f).left + 6, 2, Field(f).right - 6, 20}));
    EXPECT_EQ(texts[f].format, kDtEndEllipsis);
    // Drawn opaque on the button face that the cell fill left behind.
    EXPECT_EQ(texts[f].bkMode, kBkOpaque);
    EXPECT_EQ(texts[f].bkColor, kBtnFace);
    EXPECT_EQ(texts[f].textColor, kBtnText);
    EXPECT_TRUE(texts[f].controlFont);
  }
  // Filler cell from the end of the last column to two pixels past the edge.
  EXPECT_EQ(texts[6].text, u"");
  EXPECT_EQ(texts[6].rect, (Rect{1266 + 6, 2, 1282 - 6, 20}));

  // Rank cell: outer and inner frame, then the face.
  std::vector<Op> frames = Memory(OpKind::Draw3dRect);
  ASSERT_EQ(frames.size(), 14u);
  EXPECT_EQ(frames[0].rect, (Rect{0, 0, 56, 20}));
  EXPECT_EQ(frames[0].color, kBtnHighlight);
  EXPECT_EQ(frames[0].color2, kWindowFrame);
  EXPECT_EQ(frames[1].rect, (Rect{1, 1, 55, 19}));
  EXPECT_EQ(frames[1].color, kBtnFace);
  EXPECT_EQ(frames[1].color2, kBtnShadow);
  std::vector<Op> faces = Memory(OpKind::FillSolidRect);
  ASSERT_EQ(faces.size(), 7u);
  EXPECT_EQ(faces[0].rect, (Rect{2, 2, 54, 18}));

  // Background, then the header band.
  std::vector<Op> fills = Memory(OpKind::FillRect);
  ASSERT_EQ(fills.size(), 2u);
  EXPECT_EQ(fills[0].rect, (Rect{0, 0, 1280, 300}));
  EXPECT_EQ(fills[0].color, 0xFFFFFFu);  // stock BackColor: the window colour
  EXPECT_EQ(fills[1].rect, (Rect{0, 0, 1282, 20}));
  EXPECT_EQ(fills[1].color, kBtnFace);
}

TEST_F(ViewTest, PaintGoesOffscreenAndIsCopiedInOneStep) {
  AddRows(3);
  Paint(640, 200);
  // Nothing is drawn on the target but the copy.
  ASSERT_EQ(m_dc.OpsOf(OpKind::CopyFrom, 0).size(), 1u);
  EXPECT_EQ(m_dc.OpsOf(OpKind::CopyFrom, 0)[0].rect, (Rect{0, 0, 640, 200}));
  EXPECT_EQ(m_dc.Ops().back().kind, OpKind::CopyFrom);
  for (const Op& op : m_dc.Ops()) EXPECT_EQ(op.layer, op.kind == OpKind::CopyFrom ? 0 : 1);
  ASSERT_EQ(Memory(OpKind::SelectBitmap).size(), 1u);
  EXPECT_EQ(Memory(OpKind::SelectBitmap)[0].rect, (Rect{0, 0, 640, 200}));
  EXPECT_EQ(m_dc.MemoryCanvasesAlive(), 0);
}

TEST_F(ViewTest, RowBandsAndCellsLeaveTwoPixelGaps) {
  m_ctrl.m_clrBackColorD = 0x00112233;
  m_ctrl.m_clrTextColorD = 0x00445566;
  AddRows(3);
  Paint(1280, 300);
  std::vector<Op> bands = RowBands();
  ASSERT_EQ(bands.size(), 3u);
  for (int k = 0; k < 3; ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(bands[k].rect, (Rect{0, (k + 1) * 20 + 2, 1280, (k + 2) * 20}));
    EXPECT_EQ(bands[k].color, 0x112233u);
  }
  std::vector<Op> cells = RowTexts();
  ASSERT_EQ(cells.size(), 18u);
  for (int f = 0; f < kFieldCount; ++f) {
    SCOPED_TRACE(f);
    const Op& c = cells[6 + f];  // second row
    EXPECT_EQ(c.rect, (Rect{Field(f).left + 6, 42, Field(f).right - 6, 60}));
    EXPECT_EQ(c.bkMode, kBkTransparent);
    EXPECT_EQ(c.textColor, 0x445566u);
    EXPECT_EQ(c.format, kDtEndEllipsis);
  }
  EXPECT_EQ(cells[6].text, u"2");  // rank of the second row
  EXPECT_EQ(cells[6 + kFieldSource].text, u"Src");
}

TEST_F(ViewTest, RowWithTopAtTheBottomEdgeIsTheLastDrawn) {
  AddRows(10);
  Paint(800, 102);  // row 4 has its top at 5 * 20 + 2 = 102
  ASSERT_EQ(RowBands().size(), 5u);
  EXPECT_EQ(RowBands().back().rect.top, 102);
  Paint(800, 101);
  EXPECT_EQ(RowBands().size(), 4u);
}

TEST_F(ViewTest, BackColourAndClassColoursResolveSystemColours) {
  m_ctrl.SetBackColor(0x80000010);  // COLOR_BTNSHADOW
  m_ctrl.m_clrBackColorD = 0x8000000F;  // COLOR_BTNFACE; rows here are class D
  AddRows(1);
  Paint(800, 100);
  EXPECT_EQ(Memory(OpKind::FillRect)[0].color, kBtnShadow);
  ASSERT_EQ(RowBands().size(), 1u);
  EXPECT_EQ(RowBands()[0].color, kBtnFace);
}

TEST_F(ViewTest, OverlongTextEndsInAnEllipsisInsideItsCell) {
  AddRow(String(100, u'x'), u"short", u"1");
  Paint(1280, 100);
  const Op src = RowTexts()[kFieldSource];
  EXPECT_EQ(src.text, String(100, u'x'));
  ASSERT_GE(src.shown.size(), 3u);
  EXPECT_EQ(src.shown.substr(src.shown.size() - 3), u"...");
  EXPECT_LE(src.extent.right, Field(kFieldSource).right - 6);
  EXPECT_EQ(RowTexts()[kFieldMessage].shown, u"short");
}

TEST_F(ViewTest, AmpersandsAreDoubledSoNoLetterIsUnderlined) {
  AddRow(u"A&B", u"&&", u"1");
  Paint(1280, 100);
  EXPECT_EQ(RowTexts()[kFieldSource].text, u"A&&B");
  EXPECT_EQ(RowTexts()[kFieldSource].shown, u"A&B");
  EXPECT_EQ(RowTexts()[kFieldMessage].text, u"&&&&");
  EXPECT_EQ(RowTexts()[kFieldMessage].shown, u"&&");
}

TEST_F(ViewTest, ReversedOrderDrawsSeverityLeftmost) {
  m_ctrl.m_strFieldOrder = u"543210";
  AddRows(1);
  Paint(1280, 100);
  EXPECT_EQ(Field(kFieldSeverity), (Rect{0, 0, 84, 20}));
  EXPECT_EQ(Field(kFieldRank).left, 1266 - 57);
  std::vector<Op> texts = Memory(OpKind::DrawText);
  // Header cells are drawn at the field rectangles, in field-index order.
  EXPECT_EQ(texts[kFieldSeverity].text, u"Severity");
  EXPECT_EQ(texts[kFieldSeverity].rect.left, 6);
  EXPECT_EQ(RowTexts()[kFieldRank].rect.left, 1266 - 57 + 6);
  EXPECT_EQ(RowTexts()[kFieldSeverity].rect.left, 6);
}

TEST_F(ViewTest, FieldOrderThatIsNoPermutationLaysOutNaturally) {
  const char16_t* bad[] = {u"", u"0", u"000000", u"0123456789", u"01234A", u"5432100", u"/12345"};
  AddRows(2);
  for (const char16_t* order : bad) {
    SCOPED_TRACE(std::string(order, order + std::char_traits<char16_t>::length(order)));
    m_ctrl.m_strFieldOrder = order;
    Inside(m_ctrl.View()).m_nFindRow = 0;
    Inside(m_ctrl.View()).m_nFindColumn = 5;
    Paint(1280, 100);
    EXPECT_EQ(m_ctrl.m_strFieldOrder, order);  // the property keeps what was written
    for (int p = 0; p < kFieldCount; ++p) EXPECT_EQ(m_ctrl.Store().m_nFieldOrder[p], p);
    EXPECT_EQ(Field(kFieldSeverity).right, 1265);
    ASSERT_EQ(Memory(OpKind::InvertRect).size(), 1u);
    EXPECT_EQ(Memory(OpKind::InvertRect)[0].rect.left, Field(kFieldSeverity).left + 6);
  }
}

TEST_F(ViewTest, NegativeWidthColumnDrawsNoHeaderCell) {
  m_ctrl.m_nField3Width = -5;
  AddRows(1);
  Paint(1280, 100);
  // Message has right < left: its header cell is skipped, the others stay.
  EXPECT_EQ(Memory(OpKind::Draw3dRect).size(), 12u);
  std::vector<Op> texts = Memory(OpKind::DrawText);
  for (const Op& t : texts) EXPECT_NE(t.text, u"Message");
  EXPECT_TRUE(RowTexts()[kFieldMessage].extent.IsEmpty());
}

TEST_F(ViewTest, FindHitIsInvertedOnlyWhileItsRowIsDrawn) {
  m_ctrl.m_strFieldOrder = u"543210";
  AddRows(5);
  Inside(m_ctrl.View()).m_nFindRow = 1;
  Inside(m_ctrl.View()).m_nFindColumn = 2;  // display position 2 of 543210: Message
  Paint(1280, 60);  // V = 2: the vertical bar is shown, so the first row is kept
  std::vector<Op> inv = Memory(OpKind::InvertRect);
  ASSERT_EQ(inv.size(), 1u);
  EXPECT_EQ(inv[0].rect, (Rect{Field(kFieldMessage).left + 6, 42, Field(kFieldMessage).right - 6, 60}));
  EXPECT_EQ(inv[0].rect, RowTexts()[6 + kFieldMessage].rect);

  Inside(m_ctrl.View()).m_nFirstRow = 2;  // row 1 scrolled out of view
  Paint(1280, 60);
  ASSERT_EQ(RowBands().size(), 2u);
  EXPECT_TRUE(Memory(OpKind::InvertRect).empty());

  Inside(m_ctrl.View()).m_nFirstRow = 0;
  Inside(m_ctrl.View()).m_nFindColumn = -1;
  Paint(1280, 200);
  EXPECT_TRUE(Memory(OpKind::InvertRect).empty());
  Inside(m_ctrl.View()).m_nFindColumn = 6;  // out of the table: no hit, no read past it
  Paint(1280, 200);
  EXPECT_TRUE(Memory(OpKind::InvertRect).empty());
}

TEST_F(ViewTest, OnlyTheHeaderIsDrawnWithoutRowsToShow) {
  AddRows(20);
  Inside(m_ctrl.View()).m_nFirstRow = 20;  // as after the store halves: not below the row count
  Paint(1280, 100);  // range 0..16 keeps the stale position
  EXPECT_TRUE(RowBands().empty());
  EXPECT_EQ(Memory(OpKind::DrawText).size(), 7u);

  EXPECT_EQ(Inside(m_ctrl.View()).m_nFirstRow, 20);
  m_ctrl.Store().RemoveAll();
  Paint(1280, 200);
  EXPECT_TRUE(RowBands().empty());
  EXPECT_EQ(Memory(OpKind::DrawText).size(), 7u);
  EXPECT_FALSE(m_wnd.m_bars[kSbVert].visible);
  EXPECT_EQ(Inside(m_ctrl.View()).m_nFirstRow, 0);
}

TEST_F(ViewTest, HorizontalOffsetShiftsCellsAndShortensBands) {
  AddRows(1);
  Inside(m_ctrl.View()).m_nHScrollPos = 100;
  Paint(400, 100);
  EXPECT_EQ(Inside(m_ctrl.View()).m_nHScrollPos, 100);  // 1266 > 400: the bar stays, so does the offset
  std::vector<Op> texts = Memory(OpKind::DrawText);
  // The filler would start right of its end (1266 > 502): no filler cell.
  EXPECT_EQ(texts.size(), 6u + 6u);
  EXPECT_EQ(texts[kFieldTimestamp].rect, (Rect{57 + 6 - 100, 2, 337 - 6 - 100, 20}));
  // Rank's cell lies wholly left of the view but is still framed.
  EXPECT_EQ(Memory(OpKind::Draw3dRect)[0].rect, (Rect{-100, 0, -44, 20}));
  EXPECT_EQ(Memory(OpKind::FillRect)[1].rect, (Rect{0, 0, 502, 20}));
  ASSERT_EQ(RowBands().size(), 1u);
  EXPECT_EQ(RowBands()[0].rect, (Rect{0, 22, 300, 40}));
  EXPECT_EQ(RowTexts()[kFieldSource].rect.left, 338 + 6 - 100);
}

TEST_F(ViewTest, NoMemoryContextDrawsStraightOnTheTarget) {
  AddRows(10);
  Inside(m_ctrl.View()).m_nFirstRow = 3;
  m_dc.Settings().failMemoryContext = true;
  Paint(1280, 100);
  EXPECT_TRUE(m_dc.OpsOf(OpKind::CopyFrom).empty());
  EXPECT_EQ(m_dc.OpsOf(OpKind::DrawText, 1).size(), 0u);
  std::vector<Op> texts = m_dc.OpsOf(OpKind::DrawText, 0);
  ASSERT_EQ(texts.size(), 7u + 6u * 4u);  // rows 3..6 fit below the header
  EXPECT_EQ(texts[7].text, u"4");
  // This pass leaves the scroll bars alone.
  EXPECT_FALSE(m_wnd.m_bars[kSbVert].visible);
  EXPECT_FALSE(m_wnd.m_bars[kSbHorz].visible);
  EXPECT_EQ(m_wnd.m_bars[kSbVert].max, 0);
}

TEST_F(ViewTest, NoBitmapDrawsStraightOnTheTargetAfterTheBars) {
  AddRows(10);
  m_dc.Settings().failBitmap = true;
  Paint(1280, 100);
  EXPECT_TRUE(m_dc.OpsOf(OpKind::CopyFrom).empty());
  EXPECT_EQ(m_dc.OpsOf(OpKind::DrawText, 0).size(), 7u + 6u * 4u);
  EXPECT_TRUE(m_wnd.m_bars[kSbVert].visible);
  EXPECT_EQ(m_dc.MemoryCanvasesAlive(), 0);
}

TEST_F(ViewTest, NothingIsDrawnForAnEmptyInvalidRectOrNoRowHeight) {
  AddRows(2);
  m_ctrl.OnDraw(m_dc, {0, 0, 800, 600}, {10, 10, 10, 50});
  EXPECT_TRUE(m_dc.Ops().empty());
  EXPECT_EQ(Inside(m_ctrl.View()).m_nRowHeight, 0);

  m_dc.Settings().textHeight = -4;
  m_ctrl.OnDraw(m_dc, {0, 0, 800, 600}, {0, 0, 800, 600});
  EXPECT_TRUE(m_dc.Ops().empty());
  EXPECT_EQ(Inside(m_ctrl.View()).m_nRowHeight, 0);
  EXPECT_EQ(m_ctrl.View().VisibleRows(), 0);
}

}  // namespace
