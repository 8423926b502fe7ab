#include "ViewFixture.h"
#include "tests/native/view/ViewPeer.h"

namespace {

enum : int { kLineUp = 0, kLineDown, kPageUp, kPageDown, kThumbPosition, kThumbTrack, kTop, kBottom, kEndScroll };

TEST_F(ViewTest, VerticalBarShowsOnlyWhileRowsExceedTheView) {
  Paint(1280, 150);
  EXPECT_EQ(m_ctrl.View().VisibleRows(), 6);  // (150 - 20) / 20
  AddRows(6);
  Inside(m_ctrl.View()).m_nFirstRow = 2;
  Paint(1280, 150);
  EXPECT_FALSE(m_wnd.m_bars[kSbVert].visible);
  EXPECT_EQ(Inside(m_ctrl.View()).m_nFirstRow, 0);
  AddRows(1);
  Paint(1280, 150);
  EXPECT_TRUE(m_wnd.m_bars[kSbVert].visible);
  EXPECT_EQ(m_wnd.m_bars[kSbVert].min, 0);
  EXPECT_EQ(m_wnd.m_bars[kSbVert].max, 1);
}

TEST_F(ViewTest, AtTheLastPositionTheLastRowIsTheSixthDrawn) {
  AddRows(10);
  Paint(1280, 150);
  EXPECT_EQ(m_wnd.m_bars[kSbVert].max, 4);
  m_ctrl.OnVScroll(kThumbTrack, 4);
  EXPECT_EQ(Inside(m_ctrl.View()).m_nFirstRow, 4);
  EXPECT_EQ(m_wnd.m_bars[kSbVert].pos, 4);
  Paint(1280, 150);
  std::vector<Op> cells = RowTexts();
  ASSERT_EQ(cells.size(), 6u * 6u);
  EXPECT_EQ(cells[0].text, u"5");
  EXPECT_EQ(cells[5 * 6].text, u"10");
}

TEST_F(ViewTest, VerticalCodesMoveAndClampTheFirstRow) {
  AddRows(10);
  Paint(1280, 150);  // range 0..4, V = 6
  int inval = m_wnd.m_nInvalidations;
  m_ctrl.OnVScroll(kLineUp, 0);
  EXPECT_EQ(Inside(m_ctrl.View()).m_nFirstRow, 0);
  EXPECT_EQ(m_wnd.m_nInvalidations, ++inval);
  m_ctrl.OnVScroll(kLineDown, 0);
  EXPECT_EQ(Inside(m_ctrl.View()).m_nFirstRow, 1);
  m_ctrl.OnVScroll(kPageDown, 0);
  EXPECT_EQ(Inside(m_ctrl.View()).m_nFirstRow, 4);
  m_ctrl.OnVScroll(kLineDown, 0);
  EXPECT_EQ(Inside(m_ctrl.View()).m_nFirstRow, 4);
  m_ctrl.OnVScroll(kPageUp, 0);
  EXPECT_EQ(Inside(m_ctrl.View()).m_nFirstRow, 0);
  m_ctrl.OnVScroll(kThumbTrack, 65535);
  EXPECT_EQ(Inside(m_ctrl.View()).m_nFirstRow, 4);
  EXPECT_EQ(m_wnd.m_bars[kSbVert].pos, 4);
  inval = m_wnd.m_nInvalidations;

  // Releasing the thumb, top and bottom: nothing at all.
  Inside(m_ctrl.View()).m_nFirstRow = 2;
  for (int code : {int(kThumbPosition), int(kTop), int(kBottom), 9}) m_ctrl.OnVScroll(code, 0);
  EXPECT_EQ(Inside(m_ctrl.View()).m_nFirstRow, 2);
  EXPECT_EQ(m_wnd.m_nInvalidations, inval);

  // The end of a scroll brings a stale position back into the range.
  Inside(m_ctrl.View()).m_nFirstRow = 99;
  m_ctrl.OnVScroll(kEndScroll, 0);
  EXPECT_EQ(Inside(m_ctrl.View()).m_nFirstRow, 4);
  EXPECT_EQ(m_wnd.m_nInvalidations, inval + 1);
}

TEST_F(ViewTest, BeforeTheFirstPaintScrollingHasNothingToMove) {
  AddRows(10);
  EXPECT_EQ(m_ctrl.View().VisibleRows(), 0);
  m_ctrl.OnVScroll(kPageUp, 0);  // no row height yet: no page, no repaint
  EXPECT_EQ(m_wnd.m_nInvalidations, 0);
  m_ctrl.OnVScroll(kLineDown, 0);
  EXPECT_EQ(Inside(m_ctrl.View()).m_nFirstRow, 0);  // empty range
  m_ctrl.OnHScroll(kPageDown, 0);
  EXPECT_EQ(Inside(m_ctrl.View()).m_nHScrollPos, 0);
}

TEST_F(ViewTest, AViewLowerThanTheHeaderShowsNoRows) {
  AddRows(3);
  Paint(1280, 10);
  EXPECT_EQ(m_ctrl.View().VisibleRows(), 0);
  EXPECT_EQ(m_wnd.m_bars[kSbVert].max, 3);
  // No height at all: still no rows, not minus one of them.
  m_ctrl.OnDraw(m_dc, {0, 0, 1280, 0}, {0, 0, 10, 10});
  EXPECT_EQ(m_ctrl.View().VisibleRows(), 0);
  EXPECT_EQ(m_wnd.m_bars[kSbVert].max, 3);
}

TEST_F(ViewTest, HorizontalBarAndCodes) {
  AddRows(1);
  Paint(400, 150);  // 1266 wide: range 0..866
  EXPECT_TRUE(m_wnd.m_bars[kSbHorz].visible);
  EXPECT_EQ(m_wnd.m_bars[kSbHorz].max, 866);

  Inside(m_ctrl.View()).m_nHScrollPos = 30;
  m_ctrl.OnHScroll(kPageUp, 0);  // page left: one view width
  EXPECT_EQ(Inside(m_ctrl.View()).m_nHScrollPos, 0);
  m_ctrl.OnHScroll(kPageDown, 0);
  EXPECT_EQ(Inside(m_ctrl.View()).m_nHScrollPos, 400);
  m_ctrl.OnHScroll(kPageDown, 0);
  EXPECT_EQ(Inside(m_ctrl.View()).m_nHScrollPos, 800);
  m_ctrl.OnHScroll(kPageDown, 0);  // never past the maximum
  EXPECT_EQ(Inside(m_ctrl.View()).m_nHScrollPos, 866);
  m_ctrl.OnHScroll(kLineDown, 0);
  EXPECT_EQ(Inside(m_ctrl.View()).m_nHScrollPos, 866);
  m_ctrl.OnHScroll(kLineUp, 0);
  EXPECT_EQ(Inside(m_ctrl.View()).m_nHScrollPos, 859);
  Inside(m_ctrl.View()).m_nHScrollPos = 3;
  m_ctrl.OnHScroll(kLineUp, 0);
  EXPECT_EQ(Inside(m_ctrl.View()).m_nHScrollPos, 0);
  m_ctrl.OnHScroll(kThumbTrack, 500);
  EXPECT_EQ(Inside(m_ctrl.View()).m_nHScrollPos, 500);
  EXPECT_EQ(m_wnd.m_bars[kSbHorz].pos, 500);

  const int inval = m_wnd.m_nInvalidations;
  for (int code : {kThumbPosition, kTop, kBottom, kEndScroll}) m_ctrl.OnHScroll(code, 7);
  EXPECT_EQ(Inside(m_ctrl.View()).m_nHScrollPos, 500);
  EXPECT_EQ(m_wnd.m_nInvalidations, inval);
}

TEST_F(ViewTest, ListThatFitsHidesTheHorizontalBarAndResetsTheOffset) {
  Paint(400, 150);
  m_ctrl.OnHScroll(kThumbTrack, 50);
  ASSERT_EQ(Inside(m_ctrl.View()).m_nHScrollPos, 50);
  Paint(1266, 150);  // exactly as wide as the list
  EXPECT_FALSE(m_wnd.m_bars[kSbHorz].visible);
  EXPECT_EQ(Inside(m_ctrl.View()).m_nHScrollPos, 0);
  EXPECT_EQ(m_wnd.m_bars[kSbHorz].pos, 0);
}

}  // namespace
