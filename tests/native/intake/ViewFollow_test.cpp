// The view follows new rows: six visible rows in every test here.
#include "IntakeFixture.h"
#include "tests/native/view/ViewPeer.h"

namespace {

void AddRows(CVelmaricAECtrl& c, int n) {
  for (int i = 0; i < n; ++i) c.AddEventRow(u"t", u"s", u"m", u"c", u"1");
}

HeadlessWindow::Bar& VBar(HeadlessWindow& w) { return w.m_bars[kSbVert]; }

TEST_F(IntakeTest, BottomModeOnTheLastPageKeepsTheNewestRowVisible) {
  ctrl->m_bAddNewEventsToBottom = 1;
  AddRows(*ctrl, 10);
  EXPECT_EQ(Inside(ctrl->View()).m_nFirstRow, 4);
  EXPECT_EQ(VBar(window).max, 4);
  for (int i = 0; i < 3; ++i) Queue(5);
  ctrl->OnTimer(1);
  EXPECT_EQ(Rows(), 13);
  EXPECT_EQ(Inside(ctrl->View()).m_nFirstRow, 7);  // rows 7..12 drawn: the newest is the last
  EXPECT_EQ(VBar(window).max, 7);
  EXPECT_EQ(VBar(window).pos, 7);
}

TEST_F(IntakeTest, BottomModeScrolledUpStaysPut) {
  ctrl->m_bAddNewEventsToBottom = 1;
  AddRows(*ctrl, 10);
  Inside(ctrl->View()).m_nFirstRow = 2;
  window.SetScrollPos(kSbVert, 2, true);
  AddRows(*ctrl, 3);
  EXPECT_EQ(Inside(ctrl->View()).m_nFirstRow, 2);
  EXPECT_EQ(VBar(window).max, 7);
}

TEST_F(IntakeTest, TopModeAtTheTopStaysAndScrolledViewAdvances) {
  AddRows(*ctrl, 12);
  EXPECT_EQ(Inside(ctrl->View()).m_nFirstRow, 0);
  EXPECT_EQ(VBar(window).max, 6);
  Inside(ctrl->View()).m_nFirstRow = 5;
  AddRows(*ctrl, 1);
  EXPECT_EQ(Inside(ctrl->View()).m_nFirstRow, 6);
  EXPECT_EQ(VBar(window).pos, 6);
  // Beyond the range (after a trim, say): the next add clamps it.
  Inside(ctrl->View()).m_nFirstRow = 40;
  AddRows(*ctrl, 1);
  EXPECT_EQ(Inside(ctrl->View()).m_nFirstRow, 8);
}

TEST_F(IntakeTest, BottomModeBeforeTheFirstPaintStillFollowsAfterIt) {
  Inside(ctrl->View()).m_nRowHeight = 0;  // nothing measured yet: no visible rows
  Inside(ctrl->View()).m_rcBounds = Rect{};
  ctrl->m_bAddNewEventsToBottom = 1;
  AddRows(*ctrl, 10);
  EXPECT_EQ(VBar(window).max, 10);
  // The first paint lays out six rows and resets the range, not the position.
  Inside(ctrl->View()).m_rcBounds = window.m_rcClient;
  Inside(ctrl->View()).m_nRowHeight = 20;
  window.SetScrollRange(kSbVert, 0, 4, true);
  AddRows(*ctrl, 1);
  EXPECT_EQ(Inside(ctrl->View()).m_nFirstRow, 5);  // back on the last page, not stuck past it
}

}  // namespace
