// Floods: the drain hands the queue over in one step, works a bounded share
// per tick, and shows the scroll bar once per tick in the state the rows
// added one by one would have left it. Beyond the queue's bound the oldest
// waiting records are dropped, counted, and shown by one marker row.
#include <functional>

#include "IntakeFixture.h"
#include "tests/native/view/ViewPeer.h"

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
  size_t Pending() { return Inside(Session()).m_arrQueue.size() + Inside(Session()).m_arrTaken.size(); }

  CountingWindow counting;
};

TEST_F(FloodTest, TheQueueLockIsFreeWhileRecordsAreConverted) {
  bool lockFree = false;
  int inner = 0;
  host.m_onEvent = [&](const RecordingHost::Event&) {
    // From another thread, as the library's thread would try it.
    std::thread probe([&] {
      lockFree = Inside(Session()).m_mtxQueue.try_lock();
      if (lockFree) Inside(Session()).m_mtxQueue.unlock();
    });
    probe.join();
    // A batch delivered meanwhile waits in the queue for a later tick.
    if (inner++ == 0) QueueNumbered(3, 2);
  };
  QueueNumbered(0, 3);
  ctrl->OnTimer(1);
  EXPECT_TRUE(lockFree);
  EXPECT_EQ(host.m_events.size(), 3u);
  EXPECT_EQ(Inside(Session()).m_arrQueue.size(), 2u);
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
    Inside(ctrl->View()).m_nFirstRow = 0;
    counting.SetScrollRange(kSbVert, 0, 0, true);
    counting.SetScrollPos(kSbVert, 0, true);
    ctrl->m_bAddNewEventsToBottom = s.bottom;
    for (int i = 0; i < EventList::kCapacity - 3; ++i) ctrl->AddEventRow(u"t", u"s", u"m", u"c", u"1");
    if (s.firstRow >= 0) {
      Inside(ctrl->View()).m_nFirstRow = s.firstRow;
      counting.SetScrollPos(kSbVert, s.firstRow, true);
    }
    counting.m_nRangeCalls = counting.m_nPosCalls = 0;
  };
  auto view = [&] {
    return View{Rows(), Inside(ctrl->View()).m_nFirstRow, counting.m_bars[kSbVert].max, counting.m_bars[kSbVert].pos};
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
  std::lock_guard<RecursiveTimedMutex> l(Inside(Session()).m_mtxQueue);
  EXPECT_EQ(Inside(Session()).m_nDiscarded, 5u - announced);
}

TEST_F(FloodTest, DestroyingTheControlCountsTakenRecordsAsDiscarded) {
  host.m_onEvent = [&](const RecordingHost::Event&) { clock.Sleep(60); };
  QueueNumbered(0, 5);
  ctrl->OnTimer(1);
  const size_t announced = host.m_events.size();
  ASSERT_LT(announced, 5u);
  std::shared_ptr<OpcAESession> session = ctrl->GetIntake().Session();
  ctrl->AttachWindow(nullptr);
  ctrl.reset();
  std::lock_guard<RecursiveTimedMutex> l(Inside(*session).m_mtxQueue);
  EXPECT_EQ(Inside(*session).m_nDiscarded, 5u - announced);
  EXPECT_TRUE(Inside(*session).m_arrTaken.empty());
}

std::vector<String> operator+(std::vector<String> a, const std::vector<String>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// The queue's bound. Rows are added at the bottom: the list reads in arrival order.
class OverflowTest : public FloodTest {
 protected:
  OverflowTest() { ctrl->m_bAddNewEventsToBottom = 1; }

  std::vector<String> Messages() {
    std::vector<String> m;
    for (int32_t r = 0; r < Rows(); ++r) m.push_back(Cell(kFieldMessage, r));
    return m;
  }
  std::vector<String> Announced() {
    std::vector<String> m;
    for (const RecordingHost::Event& e : host.m_events) m.push_back(e.args[2].s);
    return m;
  }
  static std::vector<String> Range(int from, int to) {
    std::vector<String> m;
    for (int i = from; i < to; ++i) m.push_back(u"n" + ToText(i));
    return m;
  }
  // The count a marker row's message gives; 0 for any other row.
  static uint64_t MarkerCount(const String& m) {
    const String tail = u" dropped: the list could not keep up *";
    if (m.rfind(u"* ", 0) != 0 || m.size() < tail.size() || m.compare(m.size() - tail.size(), tail.size(), tail))
      return 0;
    uint64_t n = 0;
    for (size_t i = 2; i < m.size() && m[i] >= u'0' && m[i] <= u'9'; ++i) n = n * 10 + (m[i] - u'0');
    return n;
  }
  uint64_t Dropped() {
    std::lock_guard<RecursiveTimedMutex> l(Inside(Session()).m_mtxQueue);
    return Inside(Session()).m_nDropped;
  }

  // A sustained overload for `ms` of simulated time: the library delivers
  // 250 notifications every 50 ms (5000 a second), on time even while a
  // handler runs, as its own thread would; each NewEvent costs 1 ms, and
  // every `stallEvery`th (if set) 700 ms, as a message box would.
  void Overload(uint64_t ms, int stallEvery, const std::function<void()>& afterTick) {
    ctrl->OnCreate();
    uint64_t nextBatchAt = clock.Now();
    auto deliverDue = [&] {
      for (; nextBatchAt <= clock.Now(); nextBatchAt += 50, m_nDelivered += 250) QueueNumbered(m_nDelivered, 250);
    };
    host.m_onEvent = [&](const RecordingHost::Event&) {
      clock.Sleep(stallEvery > 0 && host.m_events.size() % stallEvery == 0 ? 700 : 1);
      deliverDue();
    };
    for (const uint64_t end = clock.Now() + ms; clock.Now() < end; clock.Sleep(counting.m_timers.at(1))) {
      deliverDue();
      ctrl->OnTimer(1);
      afterTick();
    }
    host.m_onEvent = nullptr;
  }
  int m_nDelivered = 0;
  static constexpr size_t kNoByteBound = size_t{1} << 30;
};

TEST_F(OverflowTest, TheNewestStayAndOneMarkerCountsTheDroppedInTheirPlace) {
  Inside(Session()).m_bounds = {10, kNoByteBound};
  QueueNumbered(0, 5);
  QueueNumbered(5, 20);  // alone more than the bound
  EXPECT_EQ(Inside(Session()).m_arrQueue.size(), 10u);
  ctrl->OnTimer(1);
  EXPECT_EQ(Announced(), Range(15, 25));
  // The watchdog row's columns; no NewEvent for it.
  EXPECT_EQ(Cell(kFieldTimestamp, 0), u"*");
  EXPECT_EQ(Cell(kFieldSource, 0), u"* Velmaric AE *");
  EXPECT_EQ(Cell(kFieldCategory, 0), u"*");
  EXPECT_EQ(Cell(kFieldSeverity, 0), u"*");

  // Each marker counts the drops since the last one.
  QueueNumbered(25, 11);
  ctrl->OnTimer(1);
  QueueNumbered(36, 10);  // exactly the bound: nothing dropped
  ctrl->OnTimer(1);
  EXPECT_EQ(Messages(), std::vector<String>{u"* 15 notifications dropped: the list could not keep up *"} +
                            Range(15, 25) + std::vector<String>{u"* 1 notification dropped: the list could not keep up *"} +
                            Range(26, 46));
  EXPECT_EQ(Dropped(), 16u);
}

TEST_F(OverflowTest, TheByteBoundDropsTheOldestAndKeepsALargerRecordAlone) {
  Inside(Session()).m_bounds = {1000, 20000};
  std::vector<String> texts;
  for (int i = 0; i < 30; ++i) {
    texts.push_back(u"n" + ToText(i) + String(1000, u'x'));
    Queue(5, 500, texts.back().c_str());
  }
  const size_t kept = Inside(Session()).m_arrQueue.size();  // about 2 KB each: five to ten fit
  EXPECT_GE(kept, 5u);
  EXPECT_LE(kept, 10u);
  EXPECT_LE(Inside(Session()).m_nQueuedBytes, 20000u);
  EXPECT_EQ(kept + Dropped(), 30u);
  EXPECT_EQ(Inside(Session()).m_arrQueue.front()->message, texts[30 - kept]);

  const String huge(15000, u'h');  // alone over the bound
  Queue(5, 500, huge.c_str());
  ctrl->OnTimer(1);
  EXPECT_EQ(Messages(), (std::vector<String>{u"* 30 notifications dropped: the list could not keep up *", huge}));
}

TEST_F(OverflowTest, DropsTakeTheOldestWhetherWaitingOrHandedOver) {
  Inside(Session()).m_bounds = {10, kNoByteBound};
  host.m_onEvent = [&](const RecordingHost::Event&) { clock.Sleep(30); };  // four a tick
  QueueNumbered(0, 10);
  ctrl->OnTimer(1);       // n4..n9 are left handed over
  QueueNumbered(10, 8);   // with them, four too many: n4..n7 go at the next take
  ctrl->OnTimer(1);
  ctrl->OnTimer(1);       // n14..n17 are left handed over
  QueueNumbered(18, 15);  // the queue drops n18..n22; n14..n17, older, must not outlive them
  while (Pending() > 0) ctrl->OnTimer(1);
  EXPECT_EQ(Announced(), Range(0, 4) + Range(8, 14) + Range(23, 33));
  EXPECT_EQ(Messages(), Range(0, 4) + std::vector<String>{u"* 4 notifications dropped: the list could not keep up *"} +
                            Range(8, 14) + std::vector<String>{u"* 9 notifications dropped: the list could not keep up *"} +
                            Range(23, 33));
}

TEST_F(OverflowTest, SustainedOverloadKeepsTheQueueFlatAtTheBound) {
  // 5000 a second against 1 ms per NewEvent: unbounded, the queue would grow
  // by about 4000 records a second. The real bounds.
  const OpcAESession::QueueBounds bounds = OpcAESession::kQueueBounds;
  size_t largest = 0, largestBytes = 0;
  Overload(60000, 0, [&] {
    largest = std::max(largest, Pending());
    largestBytes = std::max(largestBytes, Inside(Session()).m_nQueuedBytes + Inside(Session()).m_nTakenBytes);
  });
  // After a take the queue and the hand-over hold at most the bound; what
  // arrives while a share is worked (half a second's worth at most) comes on top.
  EXPECT_GT(Dropped(), 0u);
  EXPECT_LE(largest, bounds.records + 2500);
  EXPECT_LE(largestBytes, bounds.bytes);
  EXPECT_EQ(host.m_events.size() + Dropped() + Pending(), static_cast<size_t>(m_nDelivered));
}

TEST_F(OverflowTest, EveryRecordIsAnnouncedInOrderOrCountedByTheMarkerInItsPlace) {
  // Handlers that now and then block for 700 ms: records are dropped both
  // from the hand-over at a take and from the queue itself.
  Inside(Session()).m_bounds = {500, kNoByteBound};
  size_t largest = 0;
  Overload(10000, 1500, [&] { largest = std::max(largest, Pending()); });
  while (Pending() > 0) ctrl->OnTimer(1);
  ASSERT_LT(Rows(), EventList::kCapacity);  // nothing trimmed from the list
  EXPECT_LE(largest, 500u + 2500u);

  std::vector<String> shown;
  uint64_t next = 0, markers = 0, counted = 0;
  for (const String& m : Messages()) {
    const uint64_t dropped = MarkerCount(m);
    markers += dropped > 0;
    counted += dropped;
    next += dropped;
    if (dropped > 0) continue;
    ASSERT_EQ(m, u"n" + ToText(static_cast<int>(next++))) << "after " << shown.size() << " records";
    shown.push_back(m);
  }
  EXPECT_GT(markers, 1u);
  EXPECT_EQ(next, static_cast<uint64_t>(m_nDelivered));
  EXPECT_EQ(counted, Dropped());
  EXPECT_EQ(Announced(), shown);
}

}  // namespace
