#include "OperatorFixture.h"
#include "tests/native/view/ViewPeer.h"

namespace {

using Labels = std::vector<String>;

TEST_F(OperatorTest, MenuOverAColumnWithDefaultProperties) {
  AddRows(3);
  Paint();
  const Tracked t = OpenMenu(100, 150);  // Timestamp column, below the header
  EXPECT_EQ(Texts(t), (Labels{u"Clear All", u"Refresh events", u"-", u"Sort by Timestamp (Ascending)",
                            u"Sort by Timestamp (Descending)", u"-", u"Find...", u"Repeat last find", u"-",
                            u"Connect to AE server", u"Disconnect from AE server", u"-", u"About"}));
  const uint32_t ids[] = {ID_CLEAR_ALL, ID_REFRESH_EVENTS, 0, ID_SORT_ASCENDING, ID_SORT_DESCENDING, 0, ID_FIND,
                          ID_REPEAT_FIND, 0, ID_CONNECT, ID_DISCONNECT, 0, ID_ABOUT};
  ASSERT_EQ(t.items.size(), 13u);
  for (size_t k = 0; k < t.items.size(); ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(t.items[k].id, ids[k]);
    // Appended as plain enabled strings; greying is the update handlers' work.
    EXPECT_EQ(t.items[k].flags, ids[k] ? kMfString : kMfSeparator);
  }
  // Top-left at the request's point, right button allowed, id returned.
  EXPECT_EQ(t.flags, 0x0102u);
  EXPECT_EQ(t.x, 200);
  EXPECT_EQ(t.y, 200);
  EXPECT_EQ(t.owner, m_wnd.m_hwnd);
  EXPECT_EQ(m_ui.MenusAlive(), 0) << "the menu is destroyed after its command";
}

TEST_F(OperatorTest, NoColumnUnderThePointerMeansNoSortItems) {
  AddRows(3);
  Paint();
  // Right edge of Rank, left edge of Timestamp (the one-pixel gap lies
  // between them), and beyond the last column: no sort items, no separator.
  for (int32_t x : {56, 57, 1266, 1300}) {
    SCOPED_TRACE(x);
    const Tracked t = OpenMenu(x, 5);
    EXPECT_EQ(Texts(t), (Labels{u"Clear All", u"Refresh events", u"-", u"Find...", u"Repeat last find", u"-",
                              u"Connect to AE server", u"Disconnect from AE server", u"-", u"About"}));
  }
  EXPECT_EQ(Texts(OpenMenu(55, 5))[3], u"Sort by Rank (Ascending)");
  EXPECT_EQ(Texts(OpenMenu(58, 5))[3], u"Sort by Timestamp (Ascending)");
  EXPECT_EQ(Texts(OpenMenu(1264, 5))[4], u"Sort by Severity (Descending)");
}

TEST_F(OperatorTest, TheColumnIsFoundInListCoordinates) {
  AddRows(3);
  Paint();
  EXPECT_EQ(Texts(OpenMenu(350, 5))[3], u"Sort by Source (Ascending)");
  Inside(m_ctrl.View()).m_nHScrollPos = 300;  // the same screen point now lies over Message
  EXPECT_EQ(Texts(OpenMenu(350, 5))[3], u"Sort by Message (Ascending)");
}

TEST_F(OperatorTest, HideFlagsLeaveTheirItemsOut) {
  AddRows(3);
  Paint();
  m_ctrl.m_bHideClearAllMenuItem = 1;
  m_ctrl.m_bHideConnectionMenuItems = 1;
  m_ctrl.m_bHideResetPropertiesMenuItem = 1;
  EXPECT_EQ(Texts(OpenMenu(100, 5)),
            (Labels{u"Refresh events", u"-", u"Sort by Timestamp (Ascending)", u"Sort by Timestamp (Descending)", u"-",
                   u"Find...", u"Repeat last find", u"-", u"About"}));

  m_ctrl.m_bHideClearAllMenuItem = 0;
  m_ctrl.m_bHideConnectionMenuItems = 0;
  m_ctrl.m_bHideResetPropertiesMenuItem = 0;
  const Labels all = Texts(OpenMenu(10, 5));
  ASSERT_EQ(all.size(), 14u);
  EXPECT_EQ(all[11], u"-");
  EXPECT_EQ(all[12], u"Reset all properties to default");
  EXPECT_EQ(all[13], u"About");
}

TEST_F(OperatorTest, AKeyboardRequestIsUsedAsItComes) {
  AddRows(3);
  Paint();
  m_ui.chooseMenuItem = nullptr;
  Send(kWmContextMenu, m_wnd.m_hwnd, static_cast<intptr_t>(0xFFFFFFFFu));
  ASSERT_EQ(m_ui.m_tracked.size(), 1u);
  const Tracked& t = m_ui.m_tracked[0];
  EXPECT_EQ(t.x, -1);
  EXPECT_EQ(t.y, -1);
  // (-1, -1) on the screen is left of the client area: no column.
  EXPECT_EQ(Find(t, ID_SORT_ASCENDING), nullptr);
}

TEST_F(OperatorTest, EnableStatesFollowTheRowsAndTheLastHit) {
  Paint();
  Tracked t = OpenMenu(100, 5);
  for (uint32_t id : {ID_CLEAR_ALL, ID_SORT_ASCENDING, ID_SORT_DESCENDING, ID_FIND, ID_REPEAT_FIND})
    EXPECT_TRUE(Grayed(t, id)) << id;
  EXPECT_FALSE(Grayed(t, ID_ABOUT));
  // Disconnected: only Connect of the three session commands.
  EXPECT_TRUE(Grayed(t, ID_REFRESH_EVENTS));
  EXPECT_TRUE(Grayed(t, ID_DISCONNECT));
  EXPECT_FALSE(Grayed(t, ID_CONNECT));

  Inside(m_ctrl.View()).m_nFindColumn = 2;  // an earlier hit keeps Repeat enabled on an empty list
  EXPECT_FALSE(Grayed(OpenMenu(100, 5), ID_REPEAT_FIND));

  AddRows(1);
  t = OpenMenu(100, 5);
  EXPECT_FALSE(Grayed(t, ID_CLEAR_ALL));
  EXPECT_FALSE(Grayed(t, ID_FIND));
  EXPECT_TRUE(Grayed(t, ID_SORT_ASCENDING));
  EXPECT_TRUE(Grayed(t, ID_SORT_DESCENDING));

  AddRows(1);
  m_ctrl.m_bHideResetPropertiesMenuItem = 0;
  t = OpenMenu(100, 5);
  EXPECT_FALSE(Grayed(t, ID_SORT_ASCENDING));
  EXPECT_FALSE(Grayed(t, ID_SORT_DESCENDING));
  EXPECT_FALSE(Grayed(t, ID_RESET_PROPERTIES));
}

TEST_F(OperatorTest, AGreyedOrDismissedChoiceDoesNothing) {
  AddRows(1);
  Paint();
  OpenMenu(100, 5, ID_SORT_ASCENDING);  // greyed with one row: USER returns 0
  OpenMenu(100, 5, 0);
  EXPECT_EQ(m_ctrl.Store().GetRowCount(), 1);
  EXPECT_TRUE(m_ui.m_cursors.empty());
  EXPECT_EQ(m_ui.MenusAlive(), 0);
}

TEST_F(OperatorTest, ClearAllEmptiesTheStoreUnderItsLockAndKeepsTheRest) {
  AddRows(5);
  Paint();
  Inside(m_ctrl.View()).m_nFindColumn = 3;
  Inside(m_ctrl.View()).m_nFindRow = 4;
  Inside(m_ctrl.View()).m_nFirstRow = 2;
  const int inval = m_wnd.m_nInvalidations;
  OpenMenu(100, 5, ID_CLEAR_ALL);
  EXPECT_EQ(m_ctrl.Store().GetRowCount(), 0);
  EXPECT_EQ(Inside(m_ctrl.View()).m_nFindColumn, 3);
  EXPECT_EQ(Inside(m_ctrl.View()).m_nFindRow, 4);
  EXPECT_EQ(Inside(m_ctrl.View()).m_nFirstRow, 2);
  EXPECT_EQ(m_wnd.m_nInvalidations, inval) << "the periodic repaint shows it";
  AddRow(u"next");
  EXPECT_EQ(m_ctrl.Store().GetCellText(kFieldRank, 0), u"1");

  // Held elsewhere, the lock makes Clear All wait for it.
  std::atomic<bool> held{false}, released{false};
  std::thread holder([&] {
    std::lock_guard<RecursiveTimedMutex> lock(m_ctrl.StoreLock());
    held = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    released = true;
  });
  while (!held) std::this_thread::yield();
  OpenMenu(100, 5, ID_CLEAR_ALL);
  EXPECT_TRUE(released.load());
  EXPECT_EQ(m_ctrl.Store().GetRowCount(), 0);
  holder.join();
}

// While the sort runs the store is locked and the busy flag set: another
// thread cannot take the lock, and the cursor handler shows the wait cursor.
TEST_F(OperatorTest, SortRunsLockedAndBusyOnTheChosenColumn) {
  for (const char16_t* s : {u"b", u"c", u"a"}) AddRow(s);
  Paint();
  bool lockedDuringSort = false, busyDuringSort = false;
  m_ui.onSetCursor = [&](const HeadlessUi::CursorSet& c) {
    if (!(c == HeadlessUi::System(SystemCursor::Wait))) return;
    busyDuringSort = Inside(m_ctrl.View()).m_bBusy;
    bool got = false;
    std::thread other([&] {
      got = m_ctrl.StoreLock().try_lock();
      if (got) m_ctrl.StoreLock().unlock();
    });
    other.join();
    lockedDuringSort = !got;
  };
  OpenMenu(400, 5, ID_SORT_ASCENDING);  // Source
  EXPECT_TRUE(lockedDuringSort);
  EXPECT_TRUE(busyDuringSort);
  EXPECT_FALSE(Inside(m_ctrl.View()).m_bBusy);
  ASSERT_EQ(m_ui.m_cursors.size(), 2u);
  EXPECT_TRUE(m_ui.m_cursors[1] == HeadlessUi::System(SystemCursor::Arrow));
  EXPECT_EQ(m_ctrl.Store().GetCellText(kFieldSource, 0), u"a");
  EXPECT_EQ(m_ctrl.Store().GetCellText(kFieldSource, 2), u"c");

  m_ui.onSetCursor = nullptr;
  OpenMenu(400, 5, ID_SORT_DESCENDING);
  EXPECT_EQ(m_ctrl.Store().GetCellText(kFieldSource, 0), u"c");
  // Sorting by Rank descending gives the arrival order back.
  OpenMenu(10, 5, ID_SORT_DESCENDING);
  EXPECT_EQ(m_ctrl.Store().GetCellText(kFieldSource, 0), u"a");
  EXPECT_EQ(m_ctrl.Store().GetCellText(kFieldRank, 0), u"3");
}

TEST_F(OperatorTest, ResetRestoresEveryDefaultAndHidesItsOwnItem) {
  Paint();
  m_ctrl.m_bHideResetPropertiesMenuItem = 0;
  m_ctrl.m_strFieldOrder = u"543210";
  m_ctrl.m_nField3Width = 3;
  m_ctrl.m_clrBackColorC = 0x123456;
  m_ctrl.m_bDisableColumnSizing = 1;
  m_ctrl.SetBackColor(0x00FF00);
  m_ctrl.SetModifiedFlag(false);
  m_host.m_changed.clear();
  AddRows(2);
  const int inval = m_wnd.m_nInvalidations;

  OpenMenu(100, 5, ID_RESET_PROPERTIES);
  EXPECT_EQ(m_ctrl.m_bHideResetPropertiesMenuItem, 1);
  EXPECT_EQ(m_ctrl.m_strFieldOrder, u"012345");
  EXPECT_EQ(m_ctrl.m_nField3Width, 48);
  EXPECT_EQ(m_ctrl.m_clrBackColorC, 0xFFFFFFu);
  EXPECT_EQ(m_ctrl.m_bDisableColumnSizing, 0);
  EXPECT_EQ(m_ctrl.GetBackColor(), 0x80000005u);
  EXPECT_GT(m_wnd.m_nInvalidations, inval);
  EXPECT_EQ(m_ctrl.Store().GetRowCount(), 2) << "the rows stay";
  EXPECT_TRUE(m_ctrl.IsModified());
  ASSERT_FALSE(m_host.m_changed.empty());
  EXPECT_EQ(m_host.m_changed.back(), kDispIdUnknown);
  EXPECT_EQ(Find(OpenMenu(100, 5), ID_RESET_PROPERTIES), nullptr);
}

TEST_F(OperatorTest, AboutShowsTheModuleFileVersion) {
  FakeVersion::File file;
  file.strings[u"\\StringFileInfo\\040904b0\\FileVersion"] = u"1.1.2.0";
  m_version.m_files[m_version.m_module] = file;
  Paint();
  OpenMenu(10, 5, ID_ABOUT);
  ASSERT_EQ(m_ui.m_boxes.size(), 1u);
  EXPECT_EQ(m_ui.m_boxes[0].text, u"Version: 1.1.2.0\n");
  EXPECT_EQ(m_ui.m_boxes[0].caption, u"Velmaric Alarms & Events ActiveX   ");
  EXPECT_EQ(m_ui.m_boxes[0].type, 0x40u);
  EXPECT_EQ(m_ui.m_boxes[0].owner, m_wnd.m_hwnd);
  ASSERT_EQ(m_version.m_read.size(), 1u);
  EXPECT_EQ(m_version.m_read[0], m_version.m_module) << "the control's own module, not the host";
}

TEST_F(OperatorTest, AboutFollowsTheFirstTranslationAndSaysWhenNothingCanBeRead) {
  FakeVersion::File german;
  german.translation = 0x04E40407;  // German, code page 1252
  german.strings[u"\\StringFileInfo\\040704e4\\FileVersion"] = u"2.0.0.7";
  m_version.m_files[m_version.m_module] = german;
  m_ctrl.OnAbout();
  EXPECT_EQ(m_ui.m_boxes.back().text, u"Version: 2.0.0.7\n");

  FakeVersion::File noString;
  m_version.m_files[m_version.m_module] = noString;
  m_ctrl.OnAbout();
  EXPECT_EQ(m_ui.m_boxes.back().text, u"Version: unknown\n");

  FakeVersion::File noTranslation;
  noTranslation.hasTranslation = false;
  noTranslation.strings[u"\\StringFileInfo\\040904b0\\FileVersion"] = u"1.1.2.0";
  m_version.m_files[m_version.m_module] = noTranslation;
  m_ctrl.OnAbout();
  EXPECT_EQ(m_ui.m_boxes.back().text, u"Version: unknown\n");

  m_version.m_files.clear();  // no version resource at all
  m_ctrl.OnAbout();
  EXPECT_EQ(m_ui.m_boxes.back().text, u"Version: unknown\n");
  m_version.m_module.clear();
  m_ctrl.OnAbout();
  EXPECT_EQ(m_ui.m_boxes.back().text, u"Version: unknown\n");
  EXPECT_EQ(m_ui.m_boxes.size(), 5u);
}

}  // namespace
