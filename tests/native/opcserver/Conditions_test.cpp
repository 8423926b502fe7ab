#include <gtest/gtest.h>

#include <thread>

#include "SinkRecorder.h"
#include "opcserver/core/AckCheck.h"
#include "opcserver/core/ConditionCatalog.h"
#include "opcserver/core/PlantHub.h"
#include "plant/Plant.h"

using namespace opcsrv;

namespace {

wtsim::Scenario Parse(const char* text) {
  wtsim::ParseResult r = wtsim::ParseScenario(text);
  EXPECT_TRUE(r.ok) << r.error;
  return r.scenario;
}

const char kTwoAlarms[] =
    "category 1 0x103 Acknowledgement\n"
    "category 1 0x104 Process message\n"
    "category 4 0x410 Level alarm\n"
    "alarm now 0x410 800 Area1.Boiler.LI103 LEVEL Drum level high\n"
    "alarm now 0x410 600 Area1.Boiler.LI104 LEVEL Drum level low\n"
    "event now 0x104 300 Area1.Boiler.M106 Feed pump tripped\n"
    "wait 60000\n"
    "normal now 0x410 10 Area1.Boiler.LI104 LEVEL back to normal\n";

std::vector<wtsim::SimEvent> WaitActive(PlantHub& hub, size_t n) {
  for (int i = 0; i < 500; ++i) {
    std::vector<wtsim::SimEvent> s = hub.Snapshot();
    if (s.size() >= n) return s;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return hub.Snapshot();
}

}  // namespace

TEST(ConditionCatalog, PlantConditionsWhenThePlantGenerates) {
  const ConditionCatalog c(wtsim::Scenario::Plant());
  std::vector<String> names = c.ConditionNames(wtsim::plantcat::kDiscrete);
  EXPECT_EQ((std::vector<String>{u"TRIP", u"FEEDBACK", u"POSITION"}), names);
  EXPECT_TRUE(c.ConditionNames(wtsim::plantcat::kSystem).empty());
  EXPECT_TRUE(c.HasCategory(wtsim::plantcat::kSystem));
  EXPECT_FALSE(c.HasCategory(0x999));
  std::vector<String> subs;
  ASSERT_TRUE(c.SubConditionNames(u"LIMIT", subs));
  EXPECT_EQ((std::vector<String>{u"HI", u"HIHI", u"LO", u"LOLO"}), subs);
  EXPECT_FALSE(c.SubConditionNames(u"NOSUCH", subs));
  ASSERT_TRUE(c.SourceConditions(u"Area1.Boiler.M106", subs));
  EXPECT_EQ((std::vector<String>{u"TRIP", u"FEEDBACK"}), subs);
  EXPECT_FALSE(c.SourceConditions(u"Nowhere.X", subs));
}

TEST(ConditionCatalog, ScriptOnlyScenarioKnowsItsOwnLines) {
  const ConditionCatalog c(Parse(kTwoAlarms));
  EXPECT_EQ((std::vector<String>{u"LEVEL"}), c.ConditionNames(0x410));
  std::vector<String> out;
  // The plant's sources are not in a scenario without generated traffic.
  EXPECT_FALSE(c.SourceConditions(u"Area1.Boiler.TI101", out));
  // A source of a plain event is known, without conditions.
  ASSERT_TRUE(c.SourceConditions(u"Area1.Boiler.M106", out));
  EXPECT_TRUE(out.empty());
  ASSERT_TRUE(c.SubConditionNames(u"LEVEL", out));
  EXPECT_EQ((std::vector<String>{u"LEVEL"}), out);
}

TEST(AckCheck, Verdicts) {
  const ConditionCatalog catalog(Parse(kTwoAlarms));
  const ConditionMemory memory;
  wtsim::ConditionTable table;
  wtsim::SimEvent c;
  c.source = u"Area1.Boiler.LI103";
  c.condition = u"LEVEL";
  c.newState = wtsim::kStateEnabled | wtsim::kStateActive;
  c.activeTime = 1234;
  table.Apply(c);
  EXPECT_EQ(AckVerdict::Accepted, CheckAck(table, memory, catalog, c.source, c.condition, 1234, 0));
  EXPECT_EQ(AckVerdict::WrongActiveTime, CheckAck(table, memory, catalog, c.source, c.condition, 1235, 0));
  EXPECT_EQ(AckVerdict::UnknownCondition, CheckAck(table, memory, catalog, u"Nowhere", c.condition, 1234, 0));
  EXPECT_EQ(AckVerdict::UnknownCondition, CheckAck(table, memory, catalog, c.source, u"TRIP", 1234, 0));
  // Known but not active: nothing to acknowledge.
  EXPECT_EQ(AckVerdict::AlreadyAcked,
            CheckAck(table, memory, catalog, u"Area1.Boiler.LI104", u"LEVEL", 1234, 0));
  table.Acknowledge(c.source, c.condition);
  EXPECT_EQ(AckVerdict::AlreadyAcked, CheckAck(table, memory, catalog, c.source, c.condition, 1234, 0));
}

TEST(PlantHub, AcknowledgementUpdatesTheTableAndIsBroadcast) {
  PlantHub hub(Parse(kTwoAlarms), 1);
  opcsrv_test::SinkRecorder sink;
  const auto d = opcsrv_test::Listen(hub, sink);
  ASSERT_TRUE(d);
  const std::vector<wtsim::SimEvent> active = WaitActive(hub, 2);
  ASSERT_EQ(2u, active.size());
  ASSERT_TRUE(sink.WaitCalls(1));  // the script's first batch

  const wtsim::SimEvent& hi = active[0];
  const std::vector<AckVerdict> v = hub.Acknowledge(
      {{hi.source, hi.condition, hi.activeTime}, {hi.source, hi.condition, hi.activeTime}, {u"X", u"Y", 0}},
      u"Tester");
  EXPECT_EQ((std::vector<AckVerdict>{AckVerdict::Accepted, AckVerdict::AlreadyAcked, AckVerdict::UnknownCondition}),
            v);
  ASSERT_TRUE(sink.WaitCalls(2));
  const wtsim::Batch notes = sink.Calls().at(1).records;
  ASSERT_EQ(1u, notes.size());
  const wtsim::SimEvent& n = notes[0];
  EXPECT_EQ(wtsim::plantcat::kAcknowledgement, n.category);
  EXPECT_EQ(wtsim::kSimpleEvent, n.eventType);
  EXPECT_EQ(wtsim::kChangeAckState, n.changeMask);
  EXPECT_EQ(wtsim::kStateEnabled | wtsim::kStateActive | wtsim::kStateAcked, n.newState);
  EXPECT_EQ(hi.source, n.source);
  EXPECT_EQ(hi.condition, n.condition);
  EXPECT_EQ(hi.activeTime, n.activeTime);
  EXPECT_EQ(u"Tester", n.actor);

  PlantHub::ConditionView view;
  ASSERT_TRUE(hub.Condition(hi.source, hi.condition, &view));
  EXPECT_TRUE(view.active);
  EXPECT_TRUE(view.record.newState & wtsim::kStateAcked);
  EXPECT_TRUE(view.everAcked);
  EXPECT_EQ(u"Tester", view.lastAck.actor);
  EXPECT_FALSE(hub.Condition(u"X", u"Y", &view));

  hub.Detach(d.get());
  EXPECT_EQ(0u, hub.Attached());
  d->Stop();
  EXPECT_TRUE(d->WaitStopped(5000));
}

TEST(PlantHub, ScriptedCallsFailAsCounted) {
  PlantHub hub(Parse("fail connect 2\nfail refresh\n"), 1);
  EXPECT_TRUE(hub.Scripted(wtsim::Call::Connect));
  EXPECT_TRUE(hub.Scripted(wtsim::Call::Connect));
  EXPECT_FALSE(hub.Scripted(wtsim::Call::Connect));
  EXPECT_FALSE(hub.Scripted(wtsim::Call::Query));
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(hub.Scripted(wtsim::Call::Refresh));
}

namespace {

wtsim::SimEvent Condition(const String& source, uint16_t state, uint64_t activeTime, uint32_t cookie) {
  wtsim::SimEvent e;
  e.eventType = wtsim::kConditionEvent;
  e.source = source;
  e.condition = u"LEVEL";
  e.changeMask = wtsim::kChangeActiveState;
  e.newState = state;
  e.activeTime = activeTime;
  e.cookie = cookie;
  return e;
}

}  // namespace

TEST(ConditionMemory, UnacknowledgedReturnsToNormalAwaitAcknowledgement) {
  using wtsim::kStateAcked;
  using wtsim::kStateActive;
  using wtsim::kStateEnabled;
  ConditionMemory m;
  wtsim::ConditionTable table;
  const wtsim::SimEvent a = Condition(u"A.x", kStateEnabled | kStateActive, 100, 7);
  const wtsim::SimEvent b = Condition(u"B.x", kStateEnabled | kStateActive | kStateAcked, 200, 8);
  const wtsim::SimEvent c = Condition(u"C.x", kStateEnabled | kStateActive, 300, 9);
  for (const wtsim::SimEvent& e : {a, b, c}) table.Apply(e);
  const std::vector<wtsim::SimEvent> before = table.Snapshot();

  // A and B return to normal by their records, C silently (the plant's way).
  wtsim::Batch batch = {Condition(u"A.x", kStateEnabled, 0, 0), Condition(u"B.x", kStateEnabled, 0, 0)};
  for (const wtsim::SimEvent& e : batch) table.Apply(e);
  wtsim::SimEvent cleared = c;
  cleared.newState = kStateEnabled;
  table.Apply(cleared);
  m.Track(before, batch, table);

  EXPECT_EQ(100u, batch[0].activeTime) << "a return to normal carries its activation's time";
  EXPECT_EQ(7u, batch[0].cookie);
  EXPECT_EQ(200u, batch[1].activeTime);
  ASSERT_NE(nullptr, m.Inactive(u"A.x", u"LEVEL"));
  EXPECT_EQ(kStateEnabled, m.Inactive(u"A.x", u"LEVEL")->newState);
  EXPECT_TRUE(m.Inactive(u"A.x", u"LEVEL")->ackRequired);
  EXPECT_EQ(nullptr, m.Inactive(u"B.x", u"LEVEL")) << "acknowledged before it cleared";
  ASSERT_NE(nullptr, m.Inactive(u"C.x", u"LEVEL"));
  EXPECT_EQ(300u, m.Inactive(u"C.x", u"LEVEL")->activeTime);
  EXPECT_EQ(2u, m.InactiveUnacked().size());

  // A new activation supersedes the one that awaited acknowledgement.
  wtsim::Batch again = {Condition(u"A.x", kStateEnabled | kStateActive, 500, 11)};
  const std::vector<wtsim::SimEvent> beforeAgain = table.Snapshot();
  table.Apply(again[0]);
  m.Track(beforeAgain, again, table);
  EXPECT_EQ(nullptr, m.Inactive(u"A.x", u"LEVEL"));
  const ConditionCatalog none{wtsim::Scenario()};
  EXPECT_EQ(AckVerdict::WrongActiveTime, CheckAck(table, m, none, u"C.x", u"LEVEL", 301, 9));
  EXPECT_EQ(AckVerdict::Accepted, CheckAck(table, m, none, u"C.x", u"LEVEL", 300, 9));
  m.Forget(u"C.x", u"LEVEL");
  EXPECT_TRUE(m.InactiveUnacked().empty());
}
