#include "opcserver/core/RefreshRun.h"

#include <gtest/gtest.h>

#include "TestRecords.h"

using namespace opcsrv;
using opcsrv_test::Numbered;
using opcsrv_test::Record;

namespace {

std::vector<RefreshRun::Call> Drain(RefreshRun& r) {
  std::vector<RefreshRun::Call> calls;
  while (r.Running() && calls.size() < 1000) calls.push_back(r.Next());
  return calls;
}

}  // namespace

TEST(RefreshRun, BatchesOfMaxSizeWithTheLastFlagged) {
  RefreshRun r(Numbered(0, 7), 3);
  const std::vector<RefreshRun::Call> calls = Drain(r);
  ASSERT_EQ(3u, calls.size());
  EXPECT_EQ(3u, calls[0].records.size());
  EXPECT_FALSE(calls[0].last);
  EXPECT_FALSE(calls[1].last);
  EXPECT_EQ(1u, calls[2].records.size());
  EXPECT_TRUE(calls[2].last);
  EXPECT_EQ(u"6", calls[2].records[0].message);
}

TEST(RefreshRun, NoLimitIsOneCall) {
  RefreshRun r(Numbered(0, 250), 0);
  const std::vector<RefreshRun::Call> calls = Drain(r);
  ASSERT_EQ(1u, calls.size());
  EXPECT_EQ(250u, calls[0].records.size());
  EXPECT_TRUE(calls[0].last);
}

TEST(RefreshRun, NothingToSendIsOneEmptyLastCall) {
  for (uint32_t maxSize : {0u, 5u}) {
    RefreshRun r({}, maxSize);
    const std::vector<RefreshRun::Call> calls = Drain(r);
    ASSERT_EQ(1u, calls.size());
    EXPECT_TRUE(calls[0].records.empty());
    EXPECT_TRUE(calls[0].last);
  }
  EXPECT_FALSE(RefreshRun().Running());
}

TEST(RefreshRun, CancelEndsWithAnEmptyLastCall) {
  RefreshRun r(Numbered(0, 10), 4);
  RefreshRun::Call first = r.Next();
  EXPECT_FALSE(first.last);
  r.Cancel();
  ASSERT_TRUE(r.Running());
  RefreshRun::Call end = r.Next();
  EXPECT_TRUE(end.records.empty());
  EXPECT_TRUE(end.last);
  EXPECT_FALSE(r.Running());
  r.Cancel();  // after the end: nothing more
  EXPECT_FALSE(r.Running());
}

TEST(RefreshRun, RecordsAreThoseThatPassTheFilter) {
  EventFilter f;
  f.lowSeverity = 500;
  const std::vector<wtsim::SimEvent> snapshot = {Record(wtsim::kConditionEvent, 0x410, 800, u"a"),
                                                 Record(wtsim::kConditionEvent, 0x410, 200, u"b"),
                                                 Record(wtsim::kConditionEvent, 0x412, 900, u"c")};
  const std::vector<wtsim::SimEvent> out = RefreshRecords(snapshot, f);
  ASSERT_EQ(2u, out.size());
  EXPECT_EQ(u"a", out[0].source);
  EXPECT_EQ(u"c", out[1].source);
}
