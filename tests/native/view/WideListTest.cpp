// Lists so wide that the layout reaches the ends of the 32-bit range (a huge
// font with extreme widths): painting, scrolling and the context menu keep
// their coordinates at those ends instead of overflowing past them.
#include "OperatorFixture.h"
#include "ViewFixture.h"
#include "tests/native/view/ViewPeer.h"

namespace {

constexpr int32_t kHugeCharWidth = 32767;

class WideListTest : public ViewTest {
 protected:
  void SetUp() override { m_dc.Settings().charWidth = kHugeCharWidth; }
  void Widths(std::array<int16_t, kFieldCount> w) {
    const std::array<int16_t*, kFieldCount> props = m_ctrl.FieldWidthProperties();
    for (int f = 0; f < kFieldCount; ++f) *props[f] = w[f];
  }
};

TEST_F(WideListTest, HeaderCellsAtTheRightEndAreFramedOnceAndNeverWrap) {
  Widths({32767, 32767, 32767, 32767, 32767, 32767});
  Paint(1280, 300);
  // Source ends at the range's end; the columns after it are empty there.
  EXPECT_EQ(Field(kFieldSource).right, INT32_MAX);
  for (int f : {kFieldMessage, kFieldCategory, kFieldSeverity})
    EXPECT_EQ(Field(f), (Rect{INT32_MAX, 0, INT32_MAX, 20})) << f;

  // Two frames for each of the first three cells, one for each empty cell:
  // shrinking an empty cell ends it. No filler: it would start past its end.
  const std::vector<Op> frames = Memory(OpKind::Draw3dRect);
  ASSERT_EQ(frames.size(), 9u);
  for (size_t k = 6; k < 9; ++k) EXPECT_EQ(frames[k].rect, (Rect{INT32_MAX, 0, INT32_MAX, 20})) << k;
  for (OpKind kind : {OpKind::Draw3dRect, OpKind::FillSolidRect, OpKind::DrawText})
    for (const Op& op : Memory(kind)) EXPECT_GE(op.rect.left, 0) << "a coordinate wrapped around";
}

TEST_F(WideListTest, RowCellsStayAtTheEndsOfTheRange) {
  AddRows(1);
  Widths({32767, 32767, 32767, 32767, 32767, 32767});
  Paint(1280, 300);
  std::vector<Op> cells = RowTexts();
  ASSERT_EQ(cells.size(), 6u);
  EXPECT_EQ(cells[kFieldMessage].rect, (Rect{INT32_MAX, 22, INT32_MAX - 6, 40}));

  // Negative widths take the columns to the left end.
  Widths({-32768, -32768, -32768, 8, 8, 8});
  Paint(1280, 300);
  EXPECT_EQ(Field(kFieldSource).right, INT32_MIN);
  cells = RowTexts();
  ASSERT_EQ(cells.size(), 6u);
  EXPECT_EQ(cells[kFieldSource].rect.right, INT32_MIN);
  EXPECT_EQ(cells[kFieldSource].rect.left, Field(kFieldSource).left + 6);
}

TEST_F(WideListTest, TheHorizontalRangeOfBoundsEndingLeftOfZeroStopsAtTheEnd) {
  Widths({32767, 32767, 32767, 32767, 32767, 32767});
  const Rect bounds{-100, 0, -96, 200};
  m_ctrl.OnDraw(m_dc, bounds, bounds);
  EXPECT_TRUE(m_wnd.m_bars[kSbHorz].visible);
  EXPECT_EQ(m_wnd.m_bars[kSbHorz].min, 0);
  EXPECT_EQ(m_wnd.m_bars[kSbHorz].max, INT32_MAX);
}

TEST_F(WideListTest, StepsNearTheEndOfTheRangeStopAtIt) {
  Widths({32767, 32767, 32767, 32767, 32767, 32767});
  Paint(1280, 300);
  const int32_t max = INT32_MAX - 1280;
  ASSERT_EQ(m_wnd.m_bars[kSbHorz].max, max);
  Inside(m_ctrl.View()).m_nHScrollPos = max - 3;
  m_ctrl.OnHScroll(1, 0);  // SB_LINERIGHT: one character, 32767 pixels
  EXPECT_EQ(Inside(m_ctrl.View()).m_nHScrollPos, max);
  Inside(m_ctrl.View()).m_nHScrollPos = max - 3;
  m_ctrl.OnHScroll(3, 0);  // SB_PAGERIGHT
  EXPECT_EQ(Inside(m_ctrl.View()).m_nHScrollPos, max);
}

// Scrolled near the end of a list that was wider before its widths changed
// (the offset outlives a shrinking range), the pointer's list x lies past
// the 32-bit range: no column is under it, so the menu has no sort items.
TEST_F(OperatorTest, APointPastTheRangeIsOverNoColumn) {
  AddRows(3);
  RecordingCanvas dc;
  dc.Settings().charWidth = kHugeCharWidth;
  const std::array<int16_t, kFieldCount> widths = {-32768, -32768, -2, 32767, 32767, 32767};
  const std::array<int16_t*, kFieldCount> props = m_ctrl.FieldWidthProperties();
  for (int f = 0; f < kFieldCount; ++f) *props[f] = widths[f];
  const Rect bounds{0, 0, 400, 200};
  m_ctrl.OnDraw(dc, bounds, bounds);
  // Message spans list x from near the left end to about -2^30.
  ASSERT_LT(m_ctrl.Store().m_rcField[kFieldMessage].left, -2147483549);
  Inside(m_ctrl.View()).m_nHScrollPos = INT32_MAX - 100;
  const Tracked t = OpenMenu(200, 5);
  EXPECT_EQ(Find(t, ID_SORT_ASCENDING), nullptr);
  EXPECT_EQ(Find(t, ID_SORT_DESCENDING), nullptr);
}

}  // namespace
