#include "wtclient/server/core/Delivery.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "SinkRecorder.h"
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

TEST(Delivery, ASlowClientCannotMakeTheBacklogGrowWithoutBound) {
  SinkRecorder sink;
  Fixture f(State(true, 0, 0, 1));
  f.d->SetSink(sink.Fn());
  sink.Gate(true);  // the client stops taking calls
  f.d->Post(Numbered(0, 1));
  ASSERT_TRUE(sink.WaitCalls(1));
  const wtsim::Batch big = Numbered(0, 1000);
  const size_t posts = Delivery::kMaxPending / big.size() + 5;
  for (size_t i = 0; i < posts; ++i) f.d->Post(big);
  EXPECT_EQ(5000u, f.d->Dropped());
  sink.Gate(false);
}
