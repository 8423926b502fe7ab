// The context menu's session commands: their grey states follow the session
// state, and Connect, Refresh and Disconnect reach the worker.
#include "IntakeFixture.h"
#include "resources/resource.h"

namespace {

class MenuSessionTest : public IntakeTest {
 protected:
  // Right-click in the empty list; `choose` is carried out. Returns the grey
  // states of Refresh, Connect and Disconnect as the menu showed them.
  std::vector<bool> Menu(uint32_t choose = 0) {
    ui.chooseMenuItem = [choose](const HeadlessUi::Tracked&) { return choose; };
    ctrl->OnWndMsg(kWmContextMenu, window.m_hwnd, MakePointLParam(Point{10, 10}), result);
    std::vector<bool> grey;
    for (uint32_t id : {ID_REFRESH_EVENTS, ID_CONNECT, ID_DISCONNECT})
      for (const HeadlessUi::Item& i : ui.m_tracked.back().items)
        if (!i.IsSeparator() && i.id == id) grey.push_back(i.grayed);
    return grey;
  }
  intptr_t result = 0;
};

TEST_F(MenuSessionTest, SessionCommandsFollowTheStateAndReachTheWorker) {
  EXPECT_EQ(Menu(ID_CONNECT), (std::vector<bool>{true, false, true}));
  EXPECT_EQ(State(), Connected) << "Connect waited for the worker";
  EXPECT_EQ(clock.Now(), 500u);

  EXPECT_EQ(Menu(ID_REFRESH_EVENTS), (std::vector<bool>{false, true, false}));
  EXPECT_TRUE(Inside(Session()).m_bRefresh.load()) << "the request is written, not waited for";
  clock.Sleep(200);
  EXPECT_EQ(server.CountCalls("Refresh_AE_Subscription"), 1u);

  EXPECT_EQ(Menu(ID_DISCONNECT), (std::vector<bool>{false, true, false}));
  EXPECT_EQ(State(), Idle);
  EXPECT_EQ(server.CountCalls("DisconnectOPC_AE"), 1u);
}

TEST_F(MenuSessionTest, WhileARequestIsPendingAllThreeAreGreyed) {
  // Simulated time stands still while this thread runs: the worker does not
  // answer before the menus below are read.
  Inside(Session()).m_nState.store(ConnectRequested);
  EXPECT_EQ(Menu(), (std::vector<bool>{true, true, true}));
  Inside(Session()).m_nState.store(DisconnectRequested);
  EXPECT_EQ(Menu(), (std::vector<bool>{true, true, true}));
  Inside(Session()).m_nState.store(Idle);
}

}  // namespace
