#include "OperatorFixture.h"
#include "tests/native/view/ViewPeer.h"

namespace {

class FindTest : public OperatorTest {
 protected:
  // Find... from the menu, typing `text` and pressing OK (or Cancel).
  void FindText(const String& text, int button = kIdOk) {
    m_ui.dialogScript = [text, button](HeadlessUi::Dialog& d) {
      d.Type(IDC_FIND_TEXT, text);
      d.Press(button);
    };
    OpenMenu(10, 5, ID_FIND);
  }
  void Repeat() { OpenMenu(10, 5, ID_REPEAT_FIND); }
  std::pair<int32_t, int32_t> Hit() { return {Inside(m_ctrl.View()).m_nFindColumn, Inside(m_ctrl.View()).m_nFindRow}; }
  size_t Misses() const { return m_ui.m_boxes.size(); }
};

TEST_F(FindTest, OnAnEmptyListFindShowsNoDialog) {
  Paint();
  m_ctrl.View().OnFind();
  EXPECT_TRUE(m_ui.m_dialogs.empty());
  EXPECT_EQ(Misses(), 0u);
}

TEST_F(FindTest, CellsAreVisitedInDisplayOrderRowByRowWithoutWrapping) {
  AddRow(u"pump P1", u"pump tripped");
  AddRow(u"valve", u"Pump restarted");  // other case: no match
  AddRow(u"x", u"second pump");
  Paint();
  FindText(u"pump");
  ASSERT_EQ(m_ui.m_dialogs.size(), 1u);
  EXPECT_EQ(m_ui.m_dialogs[0].templateId, 205u);
  EXPECT_EQ(m_ui.m_dialogs[0].owner, 0u) << "made without a parent";
  EXPECT_EQ(Hit(), std::make_pair(2, 0));  // Source comes before Message
  Repeat();
  EXPECT_EQ(Hit(), std::make_pair(3, 0));  // then Message of the same row
  Repeat();
  EXPECT_EQ(Hit(), std::make_pair(3, 2));
  EXPECT_EQ(Misses(), 0u);

  // At the end: a miss, and another; the hit stays.
  Repeat();
  Repeat();
  ASSERT_EQ(Misses(), 2u);
  EXPECT_EQ(m_ui.m_boxes[0].text, u"The specified text was not found.    ");
  EXPECT_EQ(m_ui.m_boxes[0].caption, u"Alarms & Events view");
  EXPECT_EQ(m_ui.m_boxes[0].type, 0x40u);
  EXPECT_EQ(m_ui.m_boxes[0].owner, m_wnd.m_hwnd);
  EXPECT_EQ(Hit(), std::make_pair(3, 2));

  // Find starts over from the first cell; the dialog shows the last text.
  m_ui.dialogScript = [](HeadlessUi::Dialog& d) {
    EXPECT_EQ(d.GetItemText(IDC_FIND_TEXT), u"pump");
    d.Press(kIdOk);
  };
  OpenMenu(10, 5, ID_FIND);
  EXPECT_EQ(Hit(), std::make_pair(2, 0));
}

TEST_F(FindTest, AnotherFieldOrderVisitsCellsInTheirShownOrder) {
  AddRow(u"pump P1", u"pump tripped");
  m_ctrl.m_strFieldOrder = u"301245";  // Message first, then Rank, Timestamp, Source
  Paint();
  FindText(u"pump");
  EXPECT_EQ(Hit(), std::make_pair(0, 0));
  Repeat();
  EXPECT_EQ(Hit(), std::make_pair(3, 0));  // Source, at display position 3
}

TEST_F(FindTest, RankAndTimestampTextsTakePart) {
  AddRows(12);
  Paint();
  FindText(u"12");
  EXPECT_EQ(Hit(), std::make_pair(0, 11));
}

TEST_F(FindTest, EmptyTextSearchesNothingAndClearsTheHit) {
  AddRow(u"pump");
  Paint();
  FindText(u"pump");
  ASSERT_EQ(Hit(), std::make_pair(2, 0));
  FindText(u"");
  EXPECT_EQ(Hit(), std::make_pair(-1, 0));
  EXPECT_EQ(Misses(), 0u);
  EXPECT_TRUE(Grayed(OpenMenu(10, 5), ID_REPEAT_FIND));
}

TEST_F(FindTest, CancelKeepsTheTextAndTheHit) {
  AddRow(u"pump");
  AddRow(u"pump");
  Paint();
  FindText(u"pump");
  Repeat();
  ASSERT_EQ(Hit(), std::make_pair(2, 1));
  FindText(u"valve", kIdCancel);
  EXPECT_EQ(Hit(), std::make_pair(2, 1));
  m_ui.dialogScript = [](HeadlessUi::Dialog& d) { EXPECT_EQ(d.GetItemText(IDC_FIND_TEXT), u"pump"); };
  OpenMenu(10, 5, ID_FIND);  // closed without a button: Cancel
  EXPECT_EQ(Hit(), std::make_pair(2, 1));
}

TEST_F(FindTest, TheFieldTakesAtMost255Characters) {
  AddRow(String(300, u'x'));
  Paint();
  int32_t limit = 0;
  m_ui.dialogScript = [&](HeadlessUi::Dialog& d) {
    limit = d.m_limit[IDC_FIND_TEXT];
    d.Type(IDC_FIND_TEXT, String(300, u'x'));
    d.Press(kIdOk);
  };
  OpenMenu(10, 5, ID_FIND);
  EXPECT_EQ(limit, 255);
  EXPECT_EQ(Hit(), std::make_pair(2, 0));

  // Text put into the field past its limit is refused on OK, and Cancel
  // then leaves the last accepted text.
  HeadlessUi::Dialog* seen = nullptr;
  std::vector<String> alerts;
  m_ui.dialogScript = [&](HeadlessUi::Dialog& d) {
    seen = &d;
    d.SetItemText(IDC_FIND_TEXT, String(256, u'y'));
    d.Press(kIdOk);
    alerts = d.m_alerts;
    EXPECT_FALSE(d.m_bEnded);
    EXPECT_EQ(d.m_focus, IDC_FIND_TEXT);
    d.Press(kIdCancel);
  };
  OpenMenu(10, 5, ID_FIND);
  ASSERT_NE(seen, nullptr);
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_EQ(alerts[0], u"Please enter no more than 255 characters.");
  m_ui.dialogScript = [](HeadlessUi::Dialog& d) { EXPECT_EQ(d.GetItemText(IDC_FIND_TEXT), String(255, u'x')); };
  OpenMenu(10, 5, ID_FIND);
}

class FindScrollTest : public FindTest {
 protected:
  void SetUp() override {
    for (int i = 0; i < 100; ++i) AddRow(i == 3 ? u"hit3" : i == 50 ? u"hit50" : u"row");
    Paint(400, 420);  // (420 - 20) / 20 = 20 visible rows; vertical range 0..80
    ASSERT_EQ(m_ctrl.View().VisibleRows(), 20);
  }
};

TEST_F(FindScrollTest, AHitBecomesTheBottomRowOrTheViewGoesToTheTop) {
  m_ctrl.OnVScroll(5, 40);  // thumb track to 40
  FindText(u"hit3");
  EXPECT_EQ(Hit(), std::make_pair(2, 3));
  EXPECT_EQ(Inside(m_ctrl.View()).m_nFirstRow, 0);
  EXPECT_EQ(m_wnd.m_bars[kSbVert].pos, 0);
  FindText(u"hit50");
  EXPECT_EQ(Inside(m_ctrl.View()).m_nFirstRow, 31);  // rows 31..50 shown, the hit at the bottom
  EXPECT_EQ(m_wnd.m_bars[kSbVert].pos, 31);
  FindText(u"hit50");  // already in view: moved all the same
  EXPECT_EQ(Inside(m_ctrl.View()).m_nFirstRow, 31);
}

TEST_F(FindScrollTest, AColumnOffToTheRightIsScrolledToButNotPastTheRange) {
  FindText(u"hit3");
  EXPECT_EQ(Inside(m_ctrl.View()).m_nHScrollPos, 338) << "Source [338,618] ends outside the 400-px view";
  EXPECT_EQ(m_wnd.m_bars[kSbHorz].pos, 338);
  Inside(m_ctrl.View()).m_nHScrollPos = 0;
  m_ctrl.m_strFieldOrder = u"012534";  // Severity before Message and Category
  Paint(400, 420);
  FindText(u"Cat");  // Category now lies last, from 1041: past the range 0..866
  EXPECT_EQ(Inside(m_ctrl.View()).m_nFindColumn, 5);
  EXPECT_EQ(Inside(m_ctrl.View()).m_nHScrollPos, 866);
  EXPECT_EQ(m_wnd.m_bars[kSbHorz].pos, 866);
}

TEST_F(FindTest, WhenAllRowsFitTheVerticalPositionIsLeftAlone) {
  AddRow(u"a");
  AddRow(u"hit");
  Paint(1300, 200);
  Inside(m_ctrl.View()).m_nFirstRow = 1;  // stale, as a caller might leave it
  FindText(u"hit");
  EXPECT_EQ(Hit(), std::make_pair(2, 1));
  EXPECT_EQ(Inside(m_ctrl.View()).m_nFirstRow, 1);
  EXPECT_EQ(Inside(m_ctrl.View()).m_nHScrollPos, 0);
}

// The miss box runs its own message loop: the lock stays held by this thread,
// and the drain and painting that run inside take it again.
TEST_F(FindTest, TheStoreStaysLockedWhileTheMissIsShown) {
  AddRow(u"a");
  Paint();
  bool lockedForOthers = false, paintedInside = false;
  m_ui.onMessageBox = [&](const HeadlessUi::Box&) {
    std::thread other([&] {
      const bool got = m_ctrl.StoreLock().try_lock();
      if (got) m_ctrl.StoreLock().unlock();
      lockedForOthers = !got;
    });
    other.join();
    Send(kWmTimer, 1);  // the drain: both locks with their time limits
    Paint();
    paintedInside = true;
  };
  FindText(u"zzz");
  EXPECT_TRUE(lockedForOthers);
  EXPECT_TRUE(paintedInside);
  EXPECT_TRUE(m_ctrl.StoreLock().try_lock()) << "released after the box";
  m_ctrl.StoreLock().unlock();
  // Find shows the wait cursor for the search, then the arrow.
  ASSERT_EQ(m_ui.m_cursors.size(), 2u);
  EXPECT_TRUE(m_ui.m_cursors[0] == HeadlessUi::System(SystemCursor::Wait));
  EXPECT_TRUE(m_ui.m_cursors[1] == HeadlessUi::System(SystemCursor::Arrow));
}

TEST_F(FindTest, RepeatAfterClearAllReportsTheMiss) {
  AddRow(u"pump");
  Paint();
  FindText(u"pump");
  OpenMenu(10, 5, ID_CLEAR_ALL);
  EXPECT_FALSE(Grayed(OpenMenu(10, 5), ID_REPEAT_FIND));
  Repeat();
  EXPECT_EQ(Misses(), 1u);
  EXPECT_TRUE(m_ui.m_cursors.empty() || !(m_ui.m_cursors.back() == HeadlessUi::System(SystemCursor::Wait)));
}

}  // namespace
