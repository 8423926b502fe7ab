#include <gtest/gtest.h>

#include <set>

#include "plant/EventEngine.h"
#include "plant/Plant.h"

using namespace wtsim;

namespace {

constexpr uint64_t kNow = 133540960890120000ULL;  // wall clock at timeline 0

struct Delivery {
  uint64_t at;
  Batch batch;
};

// Runs the engine's timeline up to untilMs as the DLL's thread would, with
// the wall clock advancing with it; quiet ticks are not deliveries.
std::vector<Delivery> RunUntil(EventEngine& e, uint64_t untilMs) {
  std::vector<Delivery> out;
  for (uint64_t due = e.NextDue(); due != EventEngine::kNever && due <= untilMs; due = e.NextDue()) {
    Batch b = e.TakeDue(kNow + due * kFileTimePerMs);
    if (!b.empty()) out.push_back({due, std::move(b)});
  }
  return out;
}

Scenario Parse(const char* text) {
  const ParseResult r = ParseScenario(text);
  EXPECT_TRUE(r.ok) << r.line << ": " << r.error;
  return r.scenario;
}

size_t CountEvents(const std::vector<Delivery>& d, uint64_t from, uint64_t to) {
  size_t n = 0;
  for (const Delivery& x : d)
    if (x.at >= from && x.at < to) n += x.batch.size();
  return n;
}

}  // namespace

TEST(EventEngine, ScriptBatchesAndDelays) {
  EventEngine e(Parse("event now 1 10 A first\n"
                      "event now+5 1 20 B second\n"
                      "batch\n"
                      "event 2024-03-05T07:08:09.012Z 1 30 C third\n"
                      "wait 1000\n"
                      "wait 500\n"
                      "event now 1 40 D fourth\n"),
                1);
  const std::vector<Delivery> d = RunUntil(e, 100000);
  ASSERT_EQ(d.size(), 3u);
  EXPECT_EQ(d[0].at, 0u);
  ASSERT_EQ(d[0].batch.size(), 2u);
  EXPECT_EQ(d[0].batch[0].source, u"A");
  EXPECT_EQ(d[0].batch[0].time, kNow);
  EXPECT_EQ(d[0].batch[1].time, kNow + 5 * kFileTimePerMs);
  EXPECT_EQ(d[1].at, 0u);
  ASSERT_EQ(d[1].batch.size(), 1u);
  EXPECT_EQ(d[1].batch[0].time, 133540960890120000ULL);
  EXPECT_EQ(d[1].batch[0].severity, 30u);
  EXPECT_EQ(d[2].at, 1500u);
  ASSERT_EQ(d[2].batch.size(), 1u);
  EXPECT_EQ(d[2].batch[0].message, u"fourth");
  EXPECT_EQ(d[2].batch[0].time, kNow + 1500 * kFileTimePerMs);
  EXPECT_EQ(e.NextDue(), EventEngine::kNever);
}

TEST(EventEngine, LoopRepeatsTheScript) {
  EventEngine e(Parse("event now 1 1 S tick\nwait 1000\nloop\n"), 1);
  const std::vector<Delivery> d = RunUntil(e, 4500);
  ASSERT_EQ(d.size(), 5u);
  for (size_t i = 0; i < d.size(); ++i) EXPECT_EQ(d[i].at, i * 1000);
}

TEST(EventEngine, SteadyRateIsKeptAndBatchedByBufferTime) {
  Scenario sc = Parse("rate 4\n");
  EventEngine e(sc, 7);
  const std::vector<Delivery> d = RunUntil(e, 120000);
  const size_t total = CountEvents(d, 0, 120001);
  EXPECT_GT(total, 480u * 8 / 10);
  EXPECT_LT(total, 480u * 12 / 10);
  for (const Delivery& x : d) {
    EXPECT_EQ(x.at % EventEngine::kBufferTimeMs, 0u);
    EXPECT_LE(x.batch.size(), EventEngine::kMaxBatch);
    for (const SimEvent& ev : x.batch) EXPECT_EQ(ev.time, kNow + x.at * kFileTimePerMs);
  }
}

TEST(EventEngine, BurstsOfAHundred) {
  EventEngine e(Parse("burst 10 250\n"), 3);
  const std::vector<Delivery> d = RunUntil(e, 60000);
  // Between 5 and 15 s apart: at least 4 bursts in a minute, each split
  // into batches of at most 100 at one instant.
  ASSERT_GE(d.size(), 12u);
  EXPECT_EQ(d[0].batch.size(), 100u);
  EXPECT_EQ(d[1].batch.size(), 100u);
  EXPECT_EQ(d[2].batch.size(), 50u);
  EXPECT_EQ(d[0].at, d[2].at);
  EXPECT_GE(d[0].at, 5000u);
  EXPECT_LE(d[0].at, 15000u);
  EXPECT_GE(d[3].at - d[0].at, 5000u);
}

TEST(EventEngine, SilenceHoldsBackAllTraffic) {
  EventEngine e(Parse("rate 20\nburst 1 10\nwait 2000\nsilence 5000\nevent now 1 1 S after\n"), 5);
  const std::vector<Delivery> d = RunUntil(e, 10000);
  EXPECT_GT(CountEvents(d, 0, 2000), 10u);
  EXPECT_EQ(CountEvents(d, 2000, 7000), 0u);
  EXPECT_GT(CountEvents(d, 7000, 10001), 10u);
  bool sawAfter = false;
  for (const Delivery& x : d)
    for (const SimEvent& ev : x.batch)
      if (ev.message == u"after") {
        sawAfter = true;
        EXPECT_EQ(x.at, 7000u);
      }
  EXPECT_TRUE(sawAfter);
}

TEST(EventEngine, RefreshSendsTheActiveConditions) {
  EventEngine e(Parse("alarm now-10 0x410 800 Tank.LI1 LEVEL high\n"
                      "alarm now 0x410 700 Tank.LI2 LEVEL high\n"
                      "alarm now 0x412 600 Tank.LI2 LIMIT high\n"
                      "event now 1 5 Tank.LI3 a simple event is no condition\n"
                      "wait 100\n"
                      "normal now 0x410 1 Tank.LI2 LEVEL normal\n"),
                1);
  std::vector<Batch> r = e.Refresh();
  ASSERT_EQ(r.size(), 1u);
  EXPECT_TRUE(r[0].empty());  // nothing active yet: one empty batch

  RunUntil(e, 0);
  r = e.Refresh();
  ASSERT_EQ(r.size(), 1u);
  ASSERT_EQ(r[0].size(), 3u);
  EXPECT_EQ(r[0][0].source, u"Tank.LI1");
  EXPECT_EQ(r[0][0].time, kNow - 10 * kFileTimePerMs);  // the original time
  EXPECT_EQ(r[0][0].eventType, kConditionEvent);
  EXPECT_TRUE(r[0][0].newState & kStateActive);

  EXPECT_EQ(e.Refresh(2).size(), 2u);  // split by the batch limit

  RunUntil(e, 100);
  r = e.Refresh();
  ASSERT_EQ(r[0].size(), 2u);
  EXPECT_EQ(r[0][1].condition, u"LIMIT");
}

TEST(EventEngine, SameSeedSameTraffic) {
  const Scenario sc = Parse("rate 10\nburst 5 20\n");
  EventEngine a(sc, 99), b(sc, 99), c(sc, 100);
  const std::vector<Delivery> da = RunUntil(a, 20000), db = RunUntil(b, 20000), dc = RunUntil(c, 20000);
  ASSERT_EQ(da.size(), db.size());
  bool differs = da.size() != dc.size();
  for (size_t i = 0; i < da.size(); ++i) {
    ASSERT_EQ(da[i].batch.size(), db[i].batch.size());
    for (size_t k = 0; k < da[i].batch.size(); ++k) {
      EXPECT_EQ(da[i].batch[k].message, db[i].batch[k].message);
      if (!differs && (i >= dc.size() || k >= dc[i].batch.size() || da[i].batch[k].message != dc[i].batch[k].message))
        differs = true;
    }
  }
  EXPECT_TRUE(differs);
}
