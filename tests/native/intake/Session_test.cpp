// Connecting, disconnecting, refreshing and stopping through the worker.
#include <chrono>

#include "IntakeFixture.h"

namespace {

std::vector<FakeRecord> Batch(int n, uint32_t category = 5) {
  std::vector<FakeRecord> b;
  for (int i = 0; i < n; ++i) b.push_back({kSampleTime, u"src", u"m" + String(1, u'0' + i), category, 1});
  return b;
}

TEST_F(IntakeTest, ConnectToAWorkingServer) {
  server.m_categoryIds = {5, 6};
  server.m_categoryNames = {u"five", u"six"};
  EXPECT_TRUE(ctrl->ConnectOpc());
  EXPECT_EQ(clock.Now(), 500u);  // the first poll finds it connected
  EXPECT_EQ(State(), Connected);
  EXPECT_EQ(server.Calls(), (std::vector<std::string>{"WTclientCoInit", "EnableExtendedAECallback",
                                                      "ConnectOPC_AE", "QueryEventCategories",
                                                      "Create_AE_Subscription"}));
  EXPECT_TRUE(server.AllCallsOffThread(std::this_thread::get_id()));

  const uint64_t before = clock.Now();
  EXPECT_TRUE(ctrl->ConnectOpc());  // already connected: at once, no call
  EXPECT_EQ(clock.Now(), before);
  EXPECT_EQ(server.Calls().size(), 5u);

  ASSERT_TRUE(server.Deliver(Batch(2)));
  ctrl->OnTimer(1);
  ASSERT_EQ(Rows(), 2);
  EXPECT_EQ(Cell(kFieldCategory, 0), u"five");
}

TEST_F(IntakeTest, ConnectToAnUnavailableServerFailsAfterTheFullWaitAndRetries) {
  server.m_bAvailable = false;
  EXPECT_FALSE(ctrl->ConnectOpc());
  EXPECT_EQ(clock.Now(), 60000u);
  EXPECT_EQ(State(), Idle);
  EXPECT_EQ(server.CountCalls("ConnectOPC_AE"), 1u);
  server.m_bAvailable = true;
  EXPECT_TRUE(ctrl->ConnectOpc());
  EXPECT_EQ(server.CountCalls("ConnectOPC_AE"), 2u);
}

TEST_F(IntakeTest, SubscriptionFailureClosesTheConnection) {
  server.m_bSubscriptionFails = true;
  EXPECT_FALSE(ctrl->ConnectOpc());
  EXPECT_EQ(State(), Idle);
  EXPECT_EQ(server.CountCalls("DisconnectOPC_AE"), 1u);
  EXPECT_EQ(Inside(Session()).m_hConnection, 0u);
}

TEST_F(IntakeTest, DisconnectDiscardsQueuedRecords) {
  ctrl->DisconnectOpc();  // idle: at once
  EXPECT_EQ(clock.Now(), 0u);
  ASSERT_TRUE(ctrl->ConnectOpc());
  ASSERT_TRUE(server.Deliver(Batch(3)));
  const uint64_t before = clock.Now();
  ctrl->DisconnectOpc();
  EXPECT_EQ(clock.Now() - before, 500u);
  EXPECT_EQ(State(), Idle);
  EXPECT_FALSE(server.Deliver(Batch(1)));  // nothing arrives after the disconnect
  ctrl->OnTimer(1);
  EXPECT_EQ(Rows(), 0);
  EXPECT_TRUE(host.m_events.empty());
  std::lock_guard<RecursiveTimedMutex> l(Inside(Session()).m_mtxQueue);
  EXPECT_EQ(Inside(Session()).m_nDiscarded, 3u);
}

TEST_F(IntakeTest, RefreshIsAskedWithinOnePassAndListedAgain) {
  server.m_current = Batch(2);
  ASSERT_TRUE(ctrl->ConnectOpc());
  ASSERT_TRUE(server.Deliver(server.m_current));
  ctrl->OnTimer(1);
  Inside(Session()).m_bRefresh = true;
  clock.Sleep(200);
  EXPECT_EQ(server.CountCalls("Refresh_AE_Subscription"), 1u);
  EXPECT_FALSE(Inside(Session()).m_bRefresh.load());
  ctrl->OnTimer(1);
  EXPECT_EQ(Rows(), 4);
  EXPECT_EQ(host.m_events.size(), 4u);
}

TEST_F(IntakeTest, ReconnectReplacesTheCategoryTable) {
  server.m_categoryIds = {1, 2};
  server.m_categoryNames = {u"one", u"two"};
  ASSERT_TRUE(ctrl->ConnectOpc());
  ctrl->DisconnectOpc();
  EXPECT_EQ(Inside(Session()).m_arrCategoryId.size(), 2u);  // kept after a disconnect
  server.m_categoryIds = {2};
  server.m_categoryNames = {u"TWO"};
  ASSERT_TRUE(ctrl->ConnectOpc());
  EXPECT_EQ(Inside(Session()).m_arrCategoryId, std::vector<uint32_t>{2});
  ASSERT_TRUE(server.Deliver(Batch(1, 1)));
  ASSERT_TRUE(server.Deliver(Batch(1, 2)));
  ctrl->OnTimer(1);
  EXPECT_EQ(Cell(kFieldCategory, 1), u"");
  EXPECT_EQ(Cell(kFieldCategory, 0), u"TWO");
}

TEST_F(IntakeTest, DestructionWhileConnectedClosesAndReturnsAtTheFirstPoll) {
  ASSERT_TRUE(ctrl->ConnectOpc());
  ASSERT_TRUE(server.Deliver(Batch(2)));
  std::weak_ptr<OpcAESession> session = ctrl->GetIntake().Session();
  const uint64_t before = clock.Now();
  ctrl.reset();
  EXPECT_EQ(clock.Now() - before, 500u);
  EXPECT_TRUE(session.expired());
  const auto calls = server.Calls();
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls[calls.size() - 2], "DisconnectOPC_AE");
  EXPECT_EQ(calls.back(), "WTclientCoUninit");
}

// A library call that never returns (a hung server): the control's
// destruction lets the worker go after its wait, and from then on the module
// must stay loaded until the worker has really ended.
TEST_F(IntakeTest, AWorkerStuckInTheLibraryKeepsTheModuleLoadedUntilItEnds) {
  std::mutex m;
  std::condition_variable cv;
  bool release = false;
  server.m_onConnect = [&] {
    clock.Leave();  // blocked outside simulated time, which goes on without it
    std::unique_lock<std::mutex> l(m);
    cv.wait(l, [&] { return release; });
  };
  const int before = OpcAESession::LiveWorkers();
  EXPECT_GE(before, 1) << "the control's own worker";
  EXPECT_FALSE(ctrl->ConnectOpc());
  ctrl.reset();
  EXPECT_EQ(server.m_nKeepLoaded.load(), 1) << "the worker was let go without keeping the module";
  EXPECT_EQ(OpcAESession::LiveWorkers(), before) << "the stuck worker no longer counts";
  {
    std::lock_guard<std::mutex> l(m);
    release = true;
  }
  cv.notify_all();
  for (int i = 0; i < 5000 && OpcAESession::LiveWorkers() == before; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_EQ(OpcAESession::LiveWorkers(), before - 1) << "the worker's end was not counted";
}

TEST_F(IntakeTest, DisconnectFromANewEventHandlerIsNotHeldUpByTheDrain) {
  ASSERT_TRUE(ctrl->ConnectOpc());
  ASSERT_TRUE(server.Deliver(Batch(2)));
  int32_t stateAtReturn = -1;
  uint64_t waited = 0;
  host.m_onEvent = [&](const RecordingHost::Event&) {
    if (stateAtReturn != -1) return;
    const uint64_t t = clock.Now();
    ctrl->DisconnectOpc();
    waited = clock.Now() - t;
    stateAtReturn = State();
  };
  ctrl->OnTimer(1);
  // The drain holds no lock the worker needs: one poll, not the full wait.
  EXPECT_EQ(waited, 500u);
  EXPECT_EQ(stateAtReturn, Idle);
  // The wait used up the tick's share; what was left of the batch belonged
  // to the closed connection and is dropped like its queue, never announced.
  EXPECT_EQ(host.m_events.size(), 1u);
  EXPECT_FALSE(server.Deliver(Batch(1)));
  ctrl->OnTimer(1);
  EXPECT_EQ(host.m_events.size(), 1u);
  std::lock_guard<RecursiveTimedMutex> l(Inside(Session()).m_mtxQueue);
  EXPECT_EQ(Inside(Session()).m_nDiscarded, 1u);
}

TEST_F(IntakeTest, WithoutALibraryConnectFailsAndTheRestWorks) {
  ctrl.reset();
  server.m_bLoadable = false;
  const size_t calls = server.Calls().size();
  MakeControl();
  EXPECT_FALSE(ctrl->ConnectOpc());
  EXPECT_EQ(State(), Idle);
  EXPECT_EQ(server.Calls().size(), calls);  // no library call at all
  Queue(5);
  ctrl->OnTimer(1);
  EXPECT_EQ(Rows(), 1);
}

TEST_F(IntakeTest, RequestsDuringTheConnectStepAreNotOverwritten) {
  // A disconnect written while the subscription is being created wins.
  server.m_onSubscribe = [&] { Inside(Session()).m_nState = DisconnectRequested; };
  EXPECT_FALSE(ctrl->ConnectOpc());
  EXPECT_EQ(State(), Idle);
  EXPECT_EQ(server.CountCalls("DisconnectOPC_AE"), 1u);
  EXPECT_FALSE(server.Subscribed());

  // So does a stop: the worker ends instead of reporting Connected.
  server.m_onSubscribe = [&] { Inside(Session()).m_nState = StopRequested; };
  Inside(Session()).m_nState = ConnectRequested;
  for (int i = 0; i < 10 && State() != Stopped; ++i) clock.Sleep(200);
  EXPECT_EQ(State(), Stopped);
  EXPECT_EQ(server.Calls().back(), "WTclientCoUninit");
}

TEST_F(IntakeTest, StopRequestedBeforeTheWorkerRunsIsNotLost) {
  ctrl.reset();
  clock.SetStallGrace(std::chrono::milliseconds(2));
  std::atomic<OpcAESession*> starting{nullptr};
  // The worker gets going only once the stop has been asked for.
  server.m_onLoad = [&] {
    while (!starting.load() || Inside(*starting.load()).m_nState.load() != StopRequested)
      std::this_thread::yield();
  };
  auto c = std::make_unique<CVelmaricAECtrl>(platform);
  server.WaitLoaded();
  std::weak_ptr<OpcAESession> session = c->GetIntake().Session();
  starting = c->GetIntake().Session().get();
  const uint64_t before = clock.Now();
  c.reset();
  EXPECT_LT(clock.Now() - before, 60000u);  // Stopped was reported, the wait did not run out
  EXPECT_TRUE(session.expired());
  server.m_onLoad = nullptr;
}

TEST_F(IntakeTest, AWorkerHungInTheLibraryOutlivesTheControlSafely) {
  clock.SetStallGrace(std::chrono::milliseconds(1));
  std::mutex m;
  std::condition_variable cv;
  bool release = false;
  server.m_onConnect = [&] {
    std::unique_lock<std::mutex> l(m);
    cv.wait(l, [&] { return release; });
  };
  Inside(Session()).m_nState = ConnectRequested;
  while (server.CountCalls("ConnectOPC_AE") == 0) clock.Sleep(200);
  std::weak_ptr<OpcAESession> session = ctrl->GetIntake().Session();
  const uint64_t before = clock.Now();
  ctrl.reset();  // the stop wait runs out; destruction still returns
  EXPECT_EQ(clock.Now() - before, 60000u);
  EXPECT_FALSE(session.expired());
  {
    std::lock_guard<std::mutex> l(m);
    release = true;
  }
  cv.notify_all();
  for (int i = 0; i < 50 && !session.expired(); ++i) clock.Sleep(200);
  EXPECT_TRUE(session.expired());
  EXPECT_EQ(server.Calls().back(), "WTclientCoUninit");
  while (clock.Participants() > 1) std::this_thread::yield();  // the worker has left the clock
}

}  // namespace
