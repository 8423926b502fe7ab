// Floods: the drain hands the queue over in one step, works a bounded share
// per tick, and shows the scroll bar once per tick in the state the rows
// added one by one would have left it.
#include "IntakeFixture.h"

namespace {

// Counts what costs on a visible window: setting the scroll bar.
class CountingWindow : public HeadlessWindow {
 public:
  void SetScrollRange(int bar, int32_t min, int32_t max, bool redraw) override {
    ++m_nRangeCalls;
    HeadlessWindow::SetScrollRange(bar, min, max, redraw);
  }
  void SetScrollPos(int bar, int32_t pos, bool redraw) override {
    ++m_nPosCalls;
    HeadlessWindow::SetScrollPos(bar, pos, redraw);
  }
  int m_nRangeCalls = 0;
  int m_nPosCalls = 0;
};

class FloodTest : public IntakeTest {
 protected:
  FloodTest() {
    // Time moves only when the test sleeps: a slow machine must not let the
    // worker's stall grace eat a tick's budget while the list is filled.
    clock.SetStallGrace(std::chrono::minutes(10));
    clock.Sleep(1);  // the worker's wait begun before this now takes the new grace
    counting.m_bIsWindow = true;
    counting.m_rcClient = window.m_rcClient;
    ctrl->AttachWindow(&counting);
  }
  ~FloodTest() override {
    if (ctrl) ctrl->AttachWindow(nullptr);
  }

  void QueueNumbered(int from, int count) {
    std::vector<String> texts;
    for (int i = from; i < from + count; ++i) texts.push_back(u"n" + ToText(i));
    std::vector<AEEventRecord> recs;
    for (const String& t : texts) recs.push_back({kSampleTime, u"src", t.c_str(), 5, 500});
    Queue(recs);
  }
  static String ToText(int i) {
    const std::string s = std::to_string(i);
    return String(s.begin(), s.end());
  }
  // NewEvent messages announced so far must be n0, n1, ... in order.
  void ExpectAnnouncedInOrder(size_t count) {
    ASSERT_EQ(host.m_events.size(), count);
    for (size_t i = 0; i < count; ++i)
      ASSERT_EQ(host.m_events[i].args[2].s, u"n" + ToText(static_cast<int>(i))) << i;
  }
  static std::vector<FakeRecord> Numbered(int count) {
    std::vector<FakeRecord> b;
    for (int i = 0; i < count; ++i) b.push_back({kSampleTime, u"src", u"n" + ToText(i), 5, 1});
    return b;
  }
  size_t Pending() { return Session().m_arrQueue.size() + Session().m_arrTaken.size(); }

  CountingWindow counting;
};

TEST_F(FloodTest, TheQueueLockIsFreeWhileRecordsAreConverted) {
  bool lockFree = false;
  int inner = 0;
  host.m_onEvent = [&](const RecordingHost::Event&) {
    // From another thread, as the library's thread would try it.
    std::thread probe([&] {
      lockFree = Session().try_lock();
      if (lockFree) Session().unlock();
    });
    probe.join();
    // A batch delivered meanwhile waits in the queue for a later tick.
    if (inner++ == 0) QueueNumbered(3, 2);
  };
  QueueNumbered(0, 3);
  ctrl->OnTimer(1);
  EXPECT_TRUE(lockFree);
  EXPECT_EQ(host.m_events.size(), 3u);
  EXPECT_EQ(Session().m_arrQueue.size(), 2u);
  ctrl->OnTimer(1);
  ExpectAnnouncedInOrder(5);
}

TEST_F(FloodTest, OneTickWorksABoundedShareAndTheRestFollowsSoonInOrder) {
  // Each announcement costs 30 ms of (simulated) time: a 100-ms share is
  // four records.
  host.m_onEvent = [&](const RecordingHost::Event&) { clock.Sleep(30); };
  ctrl->OnCreate();
  QueueNumbered(0, 10);
  ctrl->OnTimer(1);
  ExpectAnnouncedInOrder(4);
  EXPECT_EQ(Pending(), 6u);
  EXPECT_EQ(counting.m_timers.at(1), 10u);  // back soon, not in 500 ms
  // Records delivered meanwhile queue up behind those left over, and are
  // taken once those are done.
  QueueNumbered(10, 2);
  ctrl->OnTimer(1);
  ctrl->OnTimer(1);
  ExpectAnnouncedInOrder(10);
  EXPECT_EQ(Pending(), 2u);
  ctrl->OnTimer(1);
  ExpectAnnouncedInOrder(12);
  EXPECT_EQ(Pending(), 0u);
  EXPECT_EQ(counting.m_timers.at(1), 500u);
  EXPECT_EQ(Rows(), 12);
}

TEST_F(FloodTest, LeftOverRecordsKeepTheWatchdogQuiet) {
  ctrl->m_nWatchdogTimeout = 1;
  host.m_onEvent = [&](const RecordingHost::Event&) { clock.Sleep(60); };
  QueueNumbered(0, 40);
  for (int tick = 0; tick < 30 && Pending() > 0; ++tick) {
    clock.Sleep(10);
    ctrl->OnTimer(1);
  }
  ExpectAnnouncedInOrder(40);
  for (int32_t r = 0; r < Rows(); ++r) EXPECT_NE(Cell(kFieldSource, r), u"* Velmaric AE *");
}

TEST_F(FloodTest, ScrollBarIsSetOncePerTickToThePerRowState) {
  // For each mode and starting view, the same eight rows are added by one
  // tick and then, from the same start, one at a time; over a trim, both
  // must end in the same view.
  struct Start {
    Bool32 bottom;
    int32_t firstRow;  // -1: where filling the list left it
  };
  struct View {
    int32_t rows, firstRow, max, pos;
  };
  auto prepare = [&](const Start& s) {
    ctrl->Store().RemoveAll();
    ctrl->m_nFirstRow = 0;
    counting.SetScrollRange(kSbVert, 0, 0, true);
    counting.SetScrollPos(kSbVert, 0, true);
    ctrl->m_bAddNewEventsToBottom = s.bottom;
    for (int i = 0; i < EventList::kCapacity - 3; ++i) ctrl->AddEventRow(u"t", u"s", u"m", u"c", u"1");
    if (s.firstRow >= 0) {
      ctrl->m_nFirstRow = s.firstRow;
      counting.SetScrollPos(kSbVert, s.firstRow, true);
    }
    counting.m_nRangeCalls = counting.m_nPosCalls = 0;
  };
  auto view = [&] {
    return View{Rows(), ctrl->m_nFirstRow, counting.m_bars[kSbVert].max, counting.m_bars[kSbVert].pos};
  };
  for (const Start s : {Start{1, -1}, Start{1, 3}, Start{0, 0}, Start{0, 5}}) {
    SCOPED_TRACE(testing::Message() << "bottom " << s.bottom << " first " << s.firstRow);
    prepare(s);
    QueueNumbered(0, 8);
    ctrl->OnTimer(1);
    EXPECT_EQ(counting.m_nRangeCalls, 1);
    EXPECT_LE(counting.m_nPosCalls, 1);
    const View batched = view();

    prepare(s);
    for (int i = 0; i < 8; ++i) ctrl->AddEventRow(u"t", u"s", u"m", u"c", u"1");
    EXPECT_EQ(counting.m_nRangeCalls, 8);
    const View perRow = view();
    EXPECT_EQ(batched.rows, perRow.rows);
    EXPECT_EQ(batched.firstRow, perRow.firstRow);
    EXPECT_EQ(batched.max, perRow.max);
    EXPECT_EQ(batched.pos, perRow.pos);
    host.m_events.clear();
  }
}

TEST_F(FloodTest, DisconnectDropsWhatWasTakenButNotYetAnnounced) {
  ASSERT_TRUE(ctrl->ConnectOpc());
  host.m_onEvent = [&](const RecordingHost::Event&) { clock.Sleep(60); };
  ASSERT_TRUE(server.Deliver(Numbered(5)));
  ctrl->OnTimer(1);
  const size_t announced = host.m_events.size();
  ASSERT_LT(announced, 5u);
  ctrl->DisconnectOpc();
  ctrl->OnTimer(1);
  EXPECT_EQ(host.m_events.size(), announced);  // nothing of the closed connection after it
  std::lock_guard<OpcAESession> l(Session());
  EXPECT_EQ(Session().m_nDiscarded, 5u - announced);
}

TEST_F(FloodTest, DestroyingTheControlCountsTakenRecordsAsDiscarded) {
  host.m_onEvent = [&](const RecordingHost::Event&) { clock.Sleep(60); };
  QueueNumbered(0, 5);
  ctrl->OnTimer(1);
  const size_t announced = host.m_events.size();
  ASSERT_LT(announced, 5u);
  std::shared_ptr<OpcAESession> session = ctrl->m_pSession;
  ctrl->AttachWindow(nullptr);
  ctrl.reset();
  std::lock_guard<OpcAESession> l(*session);
  EXPECT_EQ(session->m_nDiscarded, 5u - announced);
  EXPECT_TRUE(session->m_arrTaken.empty());
}

}  // namespace
