// Window messages through a message map: typed crackers, default processing
// on request (also for a message nested inside a handler), and the command
// updates that a pop-up menu's opening routes to the map by command id.
#include <gtest/gtest.h>

#include "framework/OleControl.h"
#include "framework/headless/HeadlessUi.h"
#include "framework/headless/HeadlessWindow.h"

namespace {

enum : uint32_t { kIdOne = 40001, kIdTwo = 40002, kIdUnmapped = 40003 };

class MapControl : public COleControl {
 public:
  const DispTable& GetDispatchTable() const override {
    static const DispTable none{nullptr, 0};
    return none;
  }
  const MessageMap& GetMessageMap() const override;

  bool OnSetCursor(uintptr_t window, int hitTest, int mouseMsg) {
    seen = {window, hitTest, mouseMsg};
    if (nested) {
      nested = false;
      intptr_t r = 0;
      OnWndMsg(kWmSetCursor, 9, 0x00020003, r);  // a message handled inside this one
    }
    return setsCursor ? true : Default() != 0;
  }
  void OnContextMenu(uintptr_t window, Point p) {
    menuWindow = window;
    menuPoint = p;
  }
  void OnLButtonDown(uint32_t flags, Point p) {
    clickFlags = flags;
    clickPoint = p;
    COleControl::OnLButtonDown(flags, p);
  }
  void OnUpdateOne(CCmdUI* ui) {
    updated.push_back(ui->m_nID);
    ui->Enable(false);
  }
  void OnUpdateTwo(CCmdUI* ui) {
    updated.push_back(ui->m_nID);
    ui->Enable(true);
  }

  struct Seen {
    uintptr_t window;
    int hitTest, mouseMsg;
  } seen{};
  bool setsCursor = false, nested = false;
  uintptr_t menuWindow = 0;
  Point menuPoint;
  uint32_t clickFlags = 0;
  Point clickPoint;
  std::vector<uint32_t> updated;
};

const MessageEntry kEntries[] = {
    MsgSetCursor<&MapControl::OnSetCursor>(),
    MsgContextMenu<&MapControl::OnContextMenu>(),
    MsgLButtonDown<&MapControl::OnLButtonDown>(),
    MsgInitMenu<&MapControl::OnInitMenu>(),
    MsgInitMenuPopup<&MapControl::OnInitMenuPopup>(),
    MsgUpdateCommandUI<kIdOne, &MapControl::OnUpdateOne>(),
    MsgUpdateCommandUI<kIdTwo, &MapControl::OnUpdateTwo>(),
};
const MessageMap kMap{kEntries, sizeof kEntries / sizeof kEntries[0]};
const MessageMap& MapControl::GetMessageMap() const { return kMap; }

class MessageMapTest : public ::testing::Test {
 protected:
  MessageMapTest() {
    m_wnd.m_bIsWindow = true;
    m_ctrl.AttachWindow(&m_wnd);
    m_ctrl.SetUiPort(&m_ui);
    m_ui.send = [this](uint32_t msg, uintptr_t w, intptr_t l) {
      intptr_t r = 0;
      if (!m_ctrl.OnWndMsg(msg, w, l, r)) r = m_wnd.DefaultProc(msg, w, l);
      return r;
    };
  }
  ~MessageMapTest() override { m_ctrl.AttachWindow(nullptr); }

  MapControl m_ctrl;
  HeadlessWindow m_wnd;
  HeadlessUi m_ui;
};

TEST_F(MessageMapTest, CrackersUnpackAsWin32PacksAndUnmappedMessagesAreNotHandled) {
  intptr_t r = 55;
  EXPECT_FALSE(m_ctrl.OnWndMsg(kWmPaint, 0, 0, r));
  EXPECT_EQ(r, 55);

  m_ctrl.setsCursor = true;
  ASSERT_TRUE(m_ctrl.OnWndMsg(kWmSetCursor, 0x1234, MakePointLParam(Point{1, 0x0200}), r));
  EXPECT_EQ(r, 1);
  EXPECT_EQ(m_ctrl.seen.window, 0x1234u);
  EXPECT_EQ(m_ctrl.seen.hitTest, 1);
  EXPECT_EQ(m_ctrl.seen.mouseMsg, 0x0200);
  // A negative hit-test code (HTERROR) keeps its sign.
  m_ctrl.OnWndMsg(kWmSetCursor, 0, MakePointLParam(Point{-2, 0x0201}), r);
  EXPECT_EQ(m_ctrl.seen.hitTest, -2);
  EXPECT_TRUE(m_wnd.m_defaultCalls.empty());

  // Points are signed 16-bit halves: a keyboard request is (-1, -1).
  ASSERT_TRUE(m_ctrl.OnWndMsg(kWmContextMenu, 0x77, static_cast<intptr_t>(0xFFFFFFFFu), r));
  EXPECT_EQ(m_ctrl.menuWindow, 0x77u);
  EXPECT_EQ(m_ctrl.menuPoint.x, -1);
  EXPECT_EQ(m_ctrl.menuPoint.y, -1);
  m_ctrl.OnWndMsg(kWmContextMenu, 0, MakePointLParam(Point{-300, 1200}), r);
  EXPECT_EQ(m_ctrl.menuPoint.x, -300);
  EXPECT_EQ(m_ctrl.menuPoint.y, 1200);
}

TEST_F(MessageMapTest, DefaultProcessesTheMessageBeingHandledEvenAfterANestedOne) {
  m_wnd.m_defaultResult = 1;
  m_ctrl.nested = true;
  intptr_t r = 0;
  ASSERT_TRUE(m_ctrl.OnWndMsg(kWmSetCursor, 0x42, 0x02000001, r));
  EXPECT_EQ(r, 1);
  ASSERT_EQ(m_wnd.m_defaultCalls.size(), 2u);
  EXPECT_EQ(m_wnd.m_defaultCalls[0].wParam, 9u);  // the nested one, first
  EXPECT_EQ(m_wnd.m_defaultCalls[0].lParam, 0x00020003);
  EXPECT_EQ(m_wnd.m_defaultCalls[1].msg, kWmSetCursor);
  EXPECT_EQ(m_wnd.m_defaultCalls[1].wParam, 0x42u);
  EXPECT_EQ(m_wnd.m_defaultCalls[1].lParam, 0x02000001);

  // The standard left-button handling passes the same flags and point on.
  m_wnd.m_defaultCalls.clear();
  ASSERT_TRUE(m_ctrl.OnWndMsg(kWmLButtonDown, 5, MakePointLParam(Point{-3, 40}), r));
  EXPECT_EQ(m_ctrl.clickPoint.x, -3);
  ASSERT_EQ(m_wnd.m_defaultCalls.size(), 1u);
  EXPECT_EQ(m_wnd.m_defaultCalls[0].msg, kWmLButtonDown);
  EXPECT_EQ(m_wnd.m_defaultCalls[0].wParam, 5u);
  EXPECT_EQ(m_wnd.m_defaultCalls[0].lParam, MakePointLParam(Point{-3, 40}));
}

TEST_F(MessageMapTest, OpeningAPopupRoutesAnUpdateForEveryCommandItemById) {
  CMenu menu(m_ui);
  ASSERT_TRUE(menu.CreatePopupMenu());
  menu.AppendMenu(kMfString, kIdTwo, u"two");
  menu.AppendMenu(kMfSeparator);
  menu.AppendMenu(kMfString, kIdOne, u"one");
  menu.AppendMenu(kMfString, kIdUnmapped, u"other");
  menu.AppendMenu(kMfString | kMfGrayed, kIdTwo, u"two again");
  m_ui.chooseMenuItem = [](const HeadlessUi::Tracked&) { return kIdOne; };
  // kIdOne's handler greys it, so it cannot be chosen.
  EXPECT_EQ(menu.TrackPopupMenu(kTpmReturnCmd, 0, 0, m_wnd.m_hwnd), 0u);

  EXPECT_EQ(m_ctrl.updated, (std::vector<uint32_t>{kIdTwo, kIdOne, kIdTwo}));
  const HeadlessUi::Tracked& t = m_ui.m_tracked.at(0);
  EXPECT_FALSE(t.items[0].grayed);
  EXPECT_TRUE(t.items[2].grayed);
  EXPECT_FALSE(t.items[3].grayed) << "an item without a handler is left as it is";
  EXPECT_FALSE(t.items[4].grayed);
  // WM_INITMENU and WM_INITMENUPOPUP both also go to default processing.
  ASSERT_EQ(m_wnd.m_defaultCalls.size(), 2u);
  EXPECT_EQ(m_wnd.m_defaultCalls[0].msg, kWmInitMenu);
  EXPECT_EQ(m_wnd.m_defaultCalls[1].msg, kWmInitMenuPopup);
  EXPECT_EQ(m_wnd.m_defaultCalls[1].wParam, menu.GetSafeHmenu());

  // The window menu is not ours to update.
  m_ctrl.updated.clear();
  intptr_t r = 0;
  m_ctrl.OnWndMsg(kWmInitMenuPopup, menu.GetSafeHmenu(), 0x00010000, r);
  EXPECT_TRUE(m_ctrl.updated.empty());
  EXPECT_TRUE(menu.DestroyMenu());
  EXPECT_EQ(m_ui.MenusAlive(), 0);
}

}  // namespace
