// Acknowledging conditions: what a client must name, and what the server
// still counts as awaiting acknowledgement after the plant's own batches.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <thread>
#include <tuple>

#include "SinkRecorder.h"
#include "opcserver/core/AckCheck.h"
#include "opcserver/core/PlantHub.h"
#include "plant/Plant.h"

using namespace opcsrv;
using wtsim::kStateAcked;
using wtsim::kStateActive;
using wtsim::kStateEnabled;

namespace {

wtsim::SimEvent Activation(const String& source, const String& condition, uint64_t activeTime, uint32_t cookie) {
  wtsim::SimEvent e;
  e.eventType = wtsim::kConditionEvent;
  e.category = wtsim::plantcat::kLevel;
  e.source = source;
  e.condition = condition;
  e.subcondition = u"HI";
  e.changeMask = wtsim::kChangeActiveState;
  e.newState = kStateEnabled | kStateActive;
  e.ackRequired = true;
  e.time = activeTime;
  e.activeTime = activeTime;
  e.cookie = cookie;
  return e;
}

// Makes one batch the way the plant does, changing its table as it goes.
class BatchMaker {
 public:
  explicit BatchMaker(wtsim::ConditionTable& table) : m_table(table) {}
  BatchMaker& Raise(const String& source, const String& condition, uint64_t activeTime, uint32_t cookie) {
    const wtsim::SimEvent e = Activation(source, condition, activeTime, cookie);
    m_table.Apply(e);
    m_batch.push_back(e);
    return *this;
  }
  // An operator acknowledges at the plant: the plant's own record.
  BatchMaker& Ack(const String& source, const String& condition) {
    const wtsim::SimEvent e = wtsim::Plant::AcknowledgementOf(*m_table.Lookup(source, condition), 1, u"Operator1");
    m_table.Acknowledge(source, condition);
    m_batch.push_back(e);
    return *this;
  }
  // The plant returns a condition to normal: the record names the source only.
  BatchMaker& Clear(const String& source, const String& condition) {
    wtsim::SimEvent cleared = *m_table.Lookup(source, condition);
    cleared.newState = kStateEnabled;
    m_table.Apply(cleared);
    wtsim::SimEvent e;
    e.category = wtsim::plantcat::kReset;
    e.source = source;
    e.message = u"HI alarm returned to normal";
    m_batch.push_back(e);
    return *this;
  }
  // A scripted "normal" line.
  BatchMaker& Normal(const String& source, const String& condition) {
    wtsim::SimEvent e = Activation(source, condition, 0, 0);
    e.newState = kStateEnabled;
    e.ackRequired = false;
    m_table.Apply(e);
    m_batch.push_back(e);
    return *this;
  }
  void TrackInto(ConditionMemory& memory, const std::vector<wtsim::SimEvent>& before) {
    memory.Track(before, m_batch, m_table);
  }

 private:
  wtsim::ConditionTable& m_table;
  wtsim::Batch m_batch;
};

using Awaiting = std::vector<std::tuple<String, String, uint64_t, uint32_t>>;

Awaiting AwaitingOf(const ConditionMemory& memory) {
  Awaiting out;
  for (const wtsim::SimEvent& e : memory.InactiveUnacked())
    out.emplace_back(e.source, e.condition, e.activeTime, e.cookie);
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace

TEST(AckCheck, CookieMustBeTheCurrentActivations) {
  const ConditionCatalog catalog{wtsim::Scenario()};
  wtsim::ConditionTable table;
  ConditionMemory memory;
  const String s = u"Area1.Boiler.LI103", c = u"LEVEL";

  // First activation, returned to normal unacknowledged: it awaits its
  // acknowledgement, by its own cookie.
  BatchMaker first(table);
  first.Raise(s, c, 100, 7).Clear(s, c).TrackInto(memory, {});
  ASSERT_NE(nullptr, memory.Inactive(s, c));
  EXPECT_EQ(AckVerdict::WrongCookie, CheckAck(table, memory, catalog, s, c, 100, 8));
  EXPECT_EQ(AckVerdict::Accepted, CheckAck(table, memory, catalog, s, c, 100, 7));

  // Second activation of the same condition.
  const std::vector<wtsim::SimEvent> before = table.Snapshot();
  BatchMaker second(table);
  second.Raise(s, c, 200, 11).TrackInto(memory, before);
  EXPECT_EQ(AckVerdict::WrongCookie, CheckAck(table, memory, catalog, s, c, 200, 7)) << "stale cookie";
  EXPECT_EQ(AckVerdict::WrongCookie, CheckAck(table, memory, catalog, s, c, 200, 0x5A5A5A5A)) << "wrong cookie";
  EXPECT_EQ(AckVerdict::WrongActiveTime, CheckAck(table, memory, catalog, s, c, 100, 7)) << "earlier activation";
  EXPECT_EQ(AckVerdict::Accepted, CheckAck(table, memory, catalog, s, c, 200, 11));
}

TEST(PlantHub, AcknowledgementWithAWrongCookieChangesNothing) {
  PlantHub hub(wtsim::ParseScenario("category 4 0x410 Level alarm\n"
                                    "alarm now 0x410 800 Area1.Boiler.LI103 LEVEL Drum level high\n"
                                    "wait 60000\n")
                   .scenario,
               1);
  opcsrv_test::SinkRecorder sink;
  const auto d = opcsrv_test::Listen(hub, sink);
  ASSERT_TRUE(d);
  ASSERT_TRUE(sink.WaitCalls(1));
  const std::vector<wtsim::SimEvent> active = hub.Snapshot();
  ASSERT_EQ(1u, active.size());
  const wtsim::SimEvent& a = active[0];

  EXPECT_EQ(std::vector<AckVerdict>{AckVerdict::WrongCookie},
            hub.Acknowledge({{a.source, a.condition, a.activeTime, a.cookie ^ 0x10u}}, u"Tester"));
  PlantHub::ConditionView view;
  ASSERT_TRUE(hub.Condition(a.source, a.condition, &view));
  EXPECT_FALSE(view.record.newState & kStateAcked);
  EXPECT_FALSE(view.everAcked);

  EXPECT_EQ(std::vector<AckVerdict>{AckVerdict::Accepted},
            hub.Acknowledge({{a.source, a.condition, a.activeTime, a.cookie}}, u"Tester"));
  ASSERT_TRUE(sink.WaitCalls(2));
  const wtsim::Batch note = sink.Calls().at(1).records;
  ASSERT_EQ(1u, note.size());
  EXPECT_EQ(a.cookie, note[0].cookie);

  hub.Detach(d.get());
  d->Stop();
  EXPECT_TRUE(d->WaitStopped(5000));
}

TEST(ConditionMemory, BatchRecordsApplyInOrder) {
  const String a = u"Area1.Boiler.LI103", b = u"Area1.Boiler.LI104", m = u"Area1.Boiler.M106";
  struct Case {
    const char* what;
    std::function<void(BatchMaker&)> earlier, batch;
    Awaiting awaiting;
  };
  const auto none = [](BatchMaker&) {};
  const Case cases[] = {
      {"raised, acknowledged and cleared", none,
       [&](BatchMaker& x) { x.Raise(a, u"LEVEL", 100, 7).Ack(a, u"LEVEL").Clear(a, u"LEVEL"); },
       {}},
      {"raised, acknowledged and a scripted normal", none,
       [&](BatchMaker& x) { x.Raise(a, u"LEVEL", 100, 7).Ack(a, u"LEVEL").Normal(a, u"LEVEL"); },
       {}},
      {"raised before, acknowledged and cleared", [&](BatchMaker& x) { x.Raise(a, u"LEVEL", 100, 7); },
       [&](BatchMaker& x) { x.Ack(a, u"LEVEL").Clear(a, u"LEVEL"); },
       {}},
      {"raised and cleared", none,
       [&](BatchMaker& x) { x.Raise(a, u"LEVEL", 100, 7).Clear(a, u"LEVEL"); },
       {{a, u"LEVEL", 100, 7}}},
      {"acknowledged and cleared, then raised and cleared again", none,
       [&](BatchMaker& x) {
         x.Raise(a, u"LEVEL", 100, 7).Ack(a, u"LEVEL").Clear(a, u"LEVEL");
         x.Raise(a, u"LEVEL", 200, 9).Clear(a, u"LEVEL");
       },
       {{a, u"LEVEL", 200, 9}}},
      {"two sources, one acknowledged", none,
       [&](BatchMaker& x) {
         x.Raise(a, u"LEVEL", 100, 7).Raise(b, u"LEVEL", 150, 5).Ack(a, u"LEVEL");
         x.Clear(a, u"LEVEL").Clear(b, u"LEVEL");
       },
       {{b, u"LEVEL", 150, 5}}},
      {"the acknowledgement goes to the source's condition raised last",
       [&](BatchMaker& x) { x.Raise(m, u"TRIP", 100, 7); },
       [&](BatchMaker& x) {
         x.Clear(m, u"TRIP").Raise(m, u"FEEDBACK", 200, 9).Ack(m, u"FEEDBACK").Clear(m, u"FEEDBACK");
       },
       {{m, u"TRIP", 100, 7}}},
  };
  for (const Case& c : cases) {
    wtsim::ConditionTable table;
    ConditionMemory memory;
    BatchMaker earlier(table);
    c.earlier(earlier);
    earlier.TrackInto(memory, {});
    const std::vector<wtsim::SimEvent> before = table.Snapshot();
    BatchMaker batch(table);
    c.batch(batch);
    batch.TrackInto(memory, before);
    EXPECT_EQ(c.awaiting, AwaitingOf(memory)) << c.what;
    // Nothing that was acknowledged and cleared takes an acknowledgement again.
    const ConditionCatalog catalog{wtsim::Scenario()};
    if (c.awaiting.empty() && table.Size() == 0) {
      EXPECT_NE(AckVerdict::Accepted, CheckAck(table, memory, catalog, a, u"LEVEL", 100, 7)) << c.what;
    }
  }
}

// The plant's batches are tracked as if each record came in a batch of its
// own: that is when the state before the batch is exact.
TEST(ConditionMemory, PlantBatchTrackedAsItsRecordsOneByOne) {
  wtsim::Random rng(12345);
  wtsim::ConditionTable table;
  ConditionMemory whole, single;
  uint64_t now = 133540960890120000ULL;
  size_t differing = 0, ackedAndCleared = 0;
  for (int n = 0; n < 500; ++n, now += 5000000) {
    const std::vector<wtsim::SimEvent> before = table.Snapshot();
    wtsim::Batch batch;
    std::vector<String> acked;
    bool seen = false;
    for (int i = 0, count = 1 + n % 40; i < count; ++i) {
      const std::vector<wtsim::SimEvent> one = table.Snapshot();
      wtsim::Batch record{wtsim::Plant::Next(rng, now, table)};
      single.Track(one, record, table);
      const wtsim::SimEvent& r = record[0];
      if (r.category == wtsim::plantcat::kAcknowledgement) acked.push_back(r.source);
      if (r.category == wtsim::plantcat::kReset && std::count(acked.begin(), acked.end(), r.source)) seen = true;
      batch.push_back(r);
    }
    whole.Track(before, batch, table);
    ackedAndCleared += seen;
    if (AwaitingOf(whole) != AwaitingOf(single)) {
      ++differing;
      whole = single;  // count each batch that goes wrong, not its aftermath
    }
  }
  EXPECT_EQ(0u, differing);
  EXPECT_GT(ackedAndCleared, 50u) << "the run must acknowledge and clear in one batch";
}
