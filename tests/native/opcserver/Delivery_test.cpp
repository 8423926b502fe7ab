#include "opcserver/core/Delivery.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "SinkRecorder.h"
#include "opcserver/core/LostNotice.h"
#include "TestRecords.h"

using namespace opcsrv;
using opcsrv_test::Numbered;
using opcsrv_test::Record;
using opcsrv_test::SinkRecorder;

namespace {

struct Fixture {
  explicit Fixture(SubscriptionState s = SubscriptionState(), std::function<void()> failed = nullptr) {
    Delivery::Hooks hooks;
    hooks.sinkFailed = std::move(failed);
    d = std::make_shared<Delivery>(s, hooks);
    EXPECT_TRUE(d->Start());
  }
  ~Fixture() {
    d->Stop();
    EXPECT_TRUE(d->WaitStopped(5000));
  }
  std::shared_ptr<Delivery> d;
};

SubscriptionState State(bool active, uint32_t buffer, uint32_t maxSize, uint32_t handle) {
  SubscriptionState s;
  s.active = active;
  s.bufferTimeMs = buffer;
  s.maxSize = maxSize;
  s.clientHandle = handle;
  return s;
}

}  // namespace

TEST(Delivery, LiveBatchesReachTheSinkFilteredAndSplit) {
  SinkRecorder sink;
  Fixture f(State(true, 0, 2, 0x42));
  f.d->Post(Numbered(0, 3));  // no sink yet: dropped
  f.d->SetSink(sink.Fn());
  EventFilter filter;
  filter.lowSeverity = 500;
  f.d->SetFilter(filter);
  f.d->Post({Record(wtsim::kSimpleEvent, 1, 100, u"low"), Record(wtsim::kSimpleEvent, 1, 600, u"a"),
             Record(wtsim::kSimpleEvent, 1, 700, u"b"), Record(wtsim::kSimpleEvent, 1, 800, u"c")});
  ASSERT_TRUE(sink.WaitCalls(2));
  const std::vector<opcsrv_test::SinkCall> calls = sink.Calls();
  ASSERT_EQ(2u, calls.size());
  EXPECT_EQ(0x42u, calls[0].handle);
  EXPECT_FALSE(calls[0].refresh);
  ASSERT_EQ(2u, calls[0].records.size());
  EXPECT_EQ(u"a", calls[0].records[0].source);
  ASSERT_EQ(1u, calls[1].records.size());
  EXPECT_EQ(u"c", calls[1].records[0].source);
}

TEST(Delivery, InactiveSubscriptionDropsLiveButStillRefreshes) {
  SinkRecorder sink;
  Fixture f(State(false, 0, 0, 7));
  f.d->SetSink(sink.Fn());
  f.d->Post(Numbered(0, 5));
  ASSERT_EQ(Delivery::RefreshError::None, f.d->StartRefresh({Record(wtsim::kConditionEvent, 0x410, 500, u"c")}));
  ASSERT_TRUE(sink.WaitCalls(1));
  // Reactivated: only what arrives from now on goes out.
  f.d->SetState(State(true, 0, 0, 8));
  f.d->Post(Numbered(10, 1));
  ASSERT_TRUE(sink.WaitCalls(2));
  const std::vector<opcsrv_test::SinkCall> calls = sink.Calls();
  ASSERT_EQ(2u, calls.size());
  EXPECT_TRUE(calls[0].refresh);
  EXPECT_TRUE(calls[0].last);
  EXPECT_EQ(u"c", calls[0].records.at(0).source);
  EXPECT_FALSE(calls[1].refresh);
  EXPECT_EQ(8u, calls[1].handle);
  EXPECT_EQ(u"10", calls[1].records.at(0).message);
}

TEST(Delivery, RefreshIsBusyUntilItsLastCallAndCanBeCancelled) {
  SinkRecorder sink;
  Fixture f(State(true, 0, 1, 1));
  EXPECT_EQ(Delivery::RefreshError::NoSink, f.d->StartRefresh({}));
  f.d->SetSink(sink.Fn());
  EXPECT_EQ(Delivery::RefreshError::NotRunning, f.d->CancelRefresh());
  sink.Gate(true);  // the first refresh call stays in the sink
  std::vector<wtsim::SimEvent> conditions;
  for (int i = 0; i < 5; ++i) conditions.push_back(Record(wtsim::kConditionEvent, 0x410, 500, u"c"));
  ASSERT_EQ(Delivery::RefreshError::None, f.d->StartRefresh(conditions));
  ASSERT_TRUE(sink.WaitCalls(1));
  EXPECT_TRUE(f.d->RefreshBusy());
  EXPECT_EQ(Delivery::RefreshError::Busy, f.d->StartRefresh(conditions));
  EXPECT_EQ(Delivery::RefreshError::None, f.d->CancelRefresh());
  sink.Gate(false);
  ASSERT_TRUE(sink.WaitCalls(2));
  for (int i = 0; i < 100 && f.d->RefreshBusy(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_FALSE(f.d->RefreshBusy());
  const std::vector<opcsrv_test::SinkCall> calls = sink.Calls();
  ASSERT_EQ(2u, calls.size());
  EXPECT_EQ(1u, calls[0].records.size());
  EXPECT_FALSE(calls[0].last);
  EXPECT_TRUE(calls[1].refresh);
  EXPECT_TRUE(calls[1].last);
  EXPECT_TRUE(calls[1].records.empty());
}

TEST(Delivery, AFailedSinkCallStopsDeliveryAndReportsOnce) {
  SinkRecorder sink;
  std::atomic<int> failures{0};
  Fixture f(State(true, 0, 0, 1), [&] { ++failures; });
  f.d->SetSink(sink.Fn());
  sink.FailFromNowOn();
  f.d->Post(Numbered(0, 1));
  f.d->Post(Numbered(1, 1));
  ASSERT_TRUE(sink.WaitCalls(1));
  for (int i = 0; i < 100 && !f.d->Failed(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_TRUE(f.d->Failed());
  f.d->Post(Numbered(2, 1));
  EXPECT_EQ(Delivery::RefreshError::NoSink, f.d->StartRefresh({}));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(1u, sink.Calls().size());
  EXPECT_EQ(1, failures.load());
}

TEST(Delivery, BufferTimeHoldsLaterRecordsTogether) {
  SinkRecorder sink;
  Fixture f(State(true, 300, 0, 1));
  f.d->SetSink(sink.Fn());
  f.d->Post(Numbered(0, 1));
  ASSERT_TRUE(sink.WaitCalls(1));
  f.d->Post(Numbered(1, 1));
  f.d->Post(Numbered(2, 1));
  ASSERT_TRUE(sink.WaitCalls(2));
  const std::vector<opcsrv_test::SinkCall> calls = sink.Calls();
  ASSERT_EQ(2u, calls.size());
  EXPECT_EQ(2u, calls[1].records.size());
}

TEST(Delivery, UnadviseDropsWhatWaitedForTheOldSink) {
  SinkRecorder first, second;
  Fixture f(State(true, 60000, 0, 1));
  f.d->SetSink(first.Fn());
  f.d->Post(Numbered(0, 1));
  ASSERT_TRUE(first.WaitCalls(1));
  f.d->Post(Numbered(1, 1));  // held for the buffer time
  f.d->SetSink(nullptr);
  EXPECT_FALSE(f.d->HasSink());
  f.d->SetState(State(true, 0, 0, 1));
  f.d->SetSink(second.Fn());
  f.d->Post(Numbered(2, 1));
  ASSERT_TRUE(second.WaitCalls(1));
  EXPECT_EQ(u"2", second.Calls().at(0).records.at(0).message);
  EXPECT_EQ(1u, first.Calls().size());
}

TEST(Delivery, ASlowClientsLossIsToldAtThePlaceOfTheGapAndEveryRecordIsAccountedFor) {
  SinkRecorder sink;
  Fixture f(State(true, 0, 0, 1));
  f.d->SetSink(sink.Fn());
  sink.Gate(true);  // the client stops taking calls
  f.d->Post(Numbered(0, 1));
  ASSERT_TRUE(sink.WaitCalls(1));
  // Numbered from 1 on, each post its own numbers, so order shows.
  const size_t batch = 1000;
  const size_t posts = Delivery::kMaxPending / batch + 5;
  for (size_t i = 0; i < posts; ++i) {
    wtsim::Batch b = Numbered(1 + i * batch, batch);
    if (i == Delivery::kMaxPending / batch) b.front().time = 777;  // the first one lost
    f.d->Post(b);
  }
  EXPECT_EQ(5000u, f.d->Dropped()) << "the backlog has a bound";
  f.d->Post(Numbered(1 + posts * batch, 3));  // still no room: lost too
  sink.Gate(false);
  // Room again: what comes now follows the notice of the gap.
  ASSERT_TRUE(sink.WaitCalls(1 + Delivery::kMaxPending / batch + 1, 20000));
  f.d->Post(Numbered(900000, 2));

  std::vector<String> messages;
  ASSERT_TRUE(sink.WaitCalls(1 + Delivery::kMaxPending / batch + 2, 20000));
  for (const opcsrv_test::SinkCall& c : sink.Calls())
    for (const wtsim::SimEvent& e : c.records) messages.push_back(e.message);
  const size_t delivered = Delivery::kMaxPending + 1;  // the first one and a full backlog
  ASSERT_EQ(delivered + 1 + 2, messages.size());
  for (size_t i = 0; i < delivered; ++i) {
    const std::string n = std::to_string(i);
    ASSERT_EQ(String(n.begin(), n.end()), messages[i]) << "in order, once";
  }
  EXPECT_EQ(u"* 5003 notifications lost: the connection could not keep up *", messages[delivered]);
  EXPECT_EQ(u"900000", messages[delivered + 1]);

  const wtsim::SimEvent notice = sink.Calls()[1 + Delivery::kMaxPending / batch].records.at(0);
  EXPECT_EQ(kLostCategory, notice.category);
  EXPECT_EQ(wtsim::kSimpleEvent, notice.eventType);
  EXPECT_EQ(1000u, notice.severity);
  EXPECT_EQ(777u, notice.time) << "stamped with the first lost record's time";
  EXPECT_EQ(5003u, f.d->Dropped());
}

TEST(Delivery, ALossNoticeAlsoComesWhenNothingNewFollowsAndNotToTheNextSink) {
  SinkRecorder slow, next;
  Fixture f(State(true, 0, 0, 1));
  f.d->SetSink(slow.Fn());
  slow.Gate(true);
  f.d->Post(Numbered(0, 1));
  ASSERT_TRUE(slow.WaitCalls(1));
  f.d->Post(Numbered(1, Delivery::kMaxPending));
  f.d->Post(Numbered(0, 1));  // lost
  slow.Gate(false);
  ASSERT_TRUE(slow.WaitCalls(3));
  EXPECT_EQ(u"* 1 notification lost: the connection could not keep up *", slow.Calls()[2].records.at(0).message);

  // A gap open when the sink leaves is not told to the next one.
  slow.Gate(true);
  f.d->Post(Numbered(0, 1));
  ASSERT_TRUE(slow.WaitCalls(4));
  f.d->Post(Numbered(1, Delivery::kMaxPending));
  f.d->Post(Numbered(0, 7));  // lost
  f.d->SetSink(nullptr);
  f.d->SetSink(next.Fn());
  slow.Gate(false);
  f.d->Post(Numbered(42, 1));
  ASSERT_TRUE(next.WaitCalls(1));
  ASSERT_EQ(1u, next.Calls()[0].records.size());
  EXPECT_EQ(u"42", next.Calls()[0].records[0].message);
}

