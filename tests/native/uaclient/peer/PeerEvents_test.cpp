// What the client receives from the scripted alarm server: the script's events, a condition refresh and a
// burst, each over a real connection.
#include <set>

#include "PeerFixture.h"

namespace ua_peer_test {
namespace {

constexpr uint32_t kAlarmConditionType = 2915;
constexpr uint32_t kRefreshStartType = 2787;
constexpr uint32_t kRefreshEndType = 2788;
constexpr size_t kScriptEvents = 4;

constexpr uint16_t kEnabled = wtsim::kStateEnabled;
constexpr uint16_t kActive = wtsim::kStateActive;
constexpr uint16_t kAcked = wtsim::kStateAcked;

std::vector<uint8_t> EventIdOf(const std::vector<Variant>& fields) {
  const ByteString* id = fields.size() > kFieldEventId ? fields[kFieldEventId].ScalarIf<ByteString>() : nullptr;
  return id && *id ? **id : std::vector<uint8_t>{};
}

std::optional<bool> RetainOf(const std::vector<Variant>& fields) {
  if (fields.size() <= kFieldRetain) return std::nullopt;
  auto* items = std::get_if<std::vector<bool>>(&fields[kFieldRetain].values);
  if (!items || items->size() != 1 || fields[kFieldRetain].isArray) return std::nullopt;
  return bool{(*items)[0]};
}

using ScriptedSequence = PeerFixture;

TEST_F(ScriptedSequence, EachStepArrivesOnceInOrderAndMapsToItsAeRecord) {
  Connect();
  ASSERT_TRUE(Control("script", "ok script"));
  ASSERT_TRUE(PumpUntil([&] { return raw.size() >= kScriptEvents; }))
      << "only " << raw.size() << " events; " << session->reason() << Describe();
  PumpAFewCycles();
  ASSERT_EQ(raw.size(), kScriptEvents) << Describe();
  ASSERT_EQ(session->state(), SessionState::Running) << session->reason();

  // Every event is distinct, stamped, and of the type the server says.
  std::set<std::vector<uint8_t>> ids;
  for (const auto& fields : raw) {
    const auto id = EventIdOf(fields);
    EXPECT_FALSE(id.empty());
    ids.insert(id);
    ASSERT_EQ(fields.size(), kAlarmEventFieldCount);
    EXPECT_NE(fields[kFieldTime].ScalarIf<DateTime>(), nullptr);
  }
  EXPECT_EQ(ids.size(), raw.size());
  // The server's audit record of the acknowledgement stays inside it: only the conditions' events come.
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(StandardTypeOf(raw[i]), kAlarmConditionType) << "event " << i;
  EXPECT_EQ(StandardTypeOf(raw[3]), 0u) << "the pump's alarm is of the server's own type";

  const uint32_t alarmCategory = mapped[0].category;
  EXPECT_EQ(CategoryName(alarmCategory), "AlarmConditionType");
  EXPECT_EQ(alarmCategory & 0xFF, 0u);

  // 1. The tank level alarm comes in: active, waiting for an acknowledgement.
  const auto& raised = mapped[0];
  EXPECT_EQ(TextOf(raised.source), "Tank1");
  EXPECT_EQ(TextOf(raised.condition), "TankLevel");
  EXPECT_EQ(TextOf(raised.message), "Level high");
  EXPECT_EQ(raised.severity, 700u);
  EXPECT_EQ(raised.eventType, wtsim::kConditionEvent);
  EXPECT_EQ(raised.newState, kEnabled | kActive);
  EXPECT_TRUE(raised.ackRequired);
  EXPECT_EQ(raised.changeMask, wtsim::kChangeActiveState | wtsim::kChangeAckState | wtsim::kChangeMessage |
                                   wtsim::kChangeSeverity);
  EXPECT_NE(raised.activeTime, 0u);
  EXPECT_EQ(RetainOf(raw[0]), true);

  // 2. Acknowledged ("seen"): still active, no longer needs an acknowledgement.
  const auto& acked = mapped[1];
  EXPECT_EQ(TextOf(acked.source), "Tank1");
  EXPECT_EQ(TextOf(acked.condition), "TankLevel");
  EXPECT_EQ(acked.category, kCategoryAcknowledgement);
  EXPECT_EQ(acked.newState, kEnabled | kActive | kAcked);
  EXPECT_FALSE(acked.ackRequired);
  EXPECT_EQ(acked.changeMask, wtsim::kChangeAckState);
  EXPECT_EQ(acked.severity, 700u);
  EXPECT_EQ(raised.activeTime, acked.activeTime);  // the same activation

  // 3. Back to normal, acknowledged and no longer retained.
  const auto& normal = mapped[2];
  EXPECT_EQ(TextOf(normal.source), "Tank1");
  EXPECT_EQ(TextOf(normal.condition), "TankLevel");
  EXPECT_EQ(TextOf(normal.message), "Level normal");
  EXPECT_EQ(normal.category, kCategoryReturnToNormal);
  EXPECT_EQ(normal.newState, kEnabled | kAcked);
  EXPECT_FALSE(normal.ackRequired);
  EXPECT_EQ(normal.changeMask, wtsim::kChangeActiveState | wtsim::kChangeMessage);
  EXPECT_EQ(RetainOf(raw[2]), false);

  // 4. The pump fault, which stays active.
  const auto& pump = mapped[3];
  EXPECT_EQ(TextOf(pump.source), "Pump1");
  EXPECT_EQ(TextOf(pump.condition), "PumpFault");
  EXPECT_EQ(TextOf(pump.message), "Pump fault");
  EXPECT_EQ(pump.severity, 900u);
  EXPECT_NE(pump.category, alarmCategory);
  EXPECT_EQ(pump.category & 0xFF, 0u);
  EXPECT_EQ(pump.newState, kEnabled | kActive);
  EXPECT_TRUE(pump.ackRequired);
  EXPECT_EQ(RetainOf(raw[3]), true);

  // The tank condition is forgotten once normal and acknowledged; the pump is remembered.
  EXPECT_EQ(mapper.Memory().Find(u"Tank1", u"TankLevel"), nullptr);
  ASSERT_NE(mapper.Memory().Find(u"Pump1", u"PumpFault"), nullptr);
  EXPECT_TRUE(mapper.Memory().Find(u"Pump1", u"PumpFault")->active);
}

// Browsing the type tree at connect names the server's own type before its first event.
TEST_F(ScriptedSequence, TheServersOwnAlarmTypeIsNamedByBrowsingBeforeItsEvent) {
  config.browseEventTypes = true;
  Connect();
  const std::vector<EventTypeInfo>& types = session->eventTypes();
  const auto find = [&](const std::string& name) -> const EventTypeInfo* {
    for (const EventTypeInfo& t : types)
      if (t.name == name) return &t;
    return nullptr;
  };
  ASSERT_NE(find("PumpFaultAlarmType"), nullptr) << types.size() << " types browsed";
  EXPECT_TRUE(find("PumpFaultAlarmType")->condition);
  EXPECT_NE(find("PumpFaultAlarmType")->id.namespaceIndex, 0u);
  ASSERT_NE(find("ExclusiveLevelAlarmType"), nullptr);
  EXPECT_TRUE(find("ExclusiveLevelAlarmType")->condition);
  ASSERT_NE(find("SystemEventType"), nullptr);
  EXPECT_FALSE(find("SystemEventType")->condition);
  EXPECT_EQ(find("BaseEventType"), nullptr) << "the root is not its own subtype";
  printf("peer: %zu event types browsed\n", types.size());

  for (const EventTypeInfo& t : types) mapper.KnowType(t.id, t.name, t.condition);
  ASSERT_TRUE(Control("script", "ok script"));
  ASSERT_TRUE(PumpUntil([&] { return raw.size() >= kScriptEvents; })) << session->reason();
  EXPECT_EQ(CategoryName(mapped[3].category), "PumpFaultAlarmType");
  EXPECT_EQ(CategoryName(mapped[0].category), "AlarmConditionType");
}

using ConditionRefresh = PeerFixture;

TEST_F(ConditionRefresh, BracketsTheRetainedConditionsAndBringsBackTheActivePump) {
  Connect();
  ASSERT_TRUE(Control("script", "ok script"));
  ASSERT_TRUE(PumpUntil([&] { return raw.size() >= kScriptEvents; })) << session->reason();
  const size_t before = raw.size();

  ASSERT_TRUE(session->Refresh()) << session->reason();
  auto seen = [&](uint32_t type) {
    for (size_t i = before; i < raw.size(); ++i)
      if (StandardTypeOf(raw[i]) == type) return true;
    return false;
  };
  ASSERT_TRUE(PumpUntil([&] { return seen(kRefreshEndType); })) << session->reason();
  PumpAFewCycles();
  ASSERT_EQ(session->state(), SessionState::Running) << session->reason();
  EXPECT_TRUE(session->refreshStatus().IsGood()) << std::hex << session->refreshStatus().code;

  std::vector<size_t> starts, ends;
  for (size_t i = before; i < raw.size(); ++i) {
    if (StandardTypeOf(raw[i]) == kRefreshStartType) starts.push_back(i);
    if (StandardTypeOf(raw[i]) == kRefreshEndType) ends.push_back(i);
  }
  ASSERT_EQ(starts.size(), 1u);
  ASSERT_EQ(ends.size(), 1u);
  ASSERT_LT(starts[0], ends[0]);
  // The markers are simple events and leave the condition memory alone.
  EXPECT_EQ(mapped[starts[0]].eventType, wtsim::kSimpleEvent);
  EXPECT_EQ(mapped[ends[0]].eventType, wtsim::kSimpleEvent);

  // Inside: only retained conditions; the pump exactly once and unchanged; the tank (not retained) absent.
  int pumps = 0;
  for (size_t i = starts[0] + 1; i < ends[0]; ++i) {
    EXPECT_EQ(mapped[i].eventType, wtsim::kConditionEvent) << "event " << i;
    EXPECT_EQ(RetainOf(raw[i]), true) << "event " << i;
    EXPECT_NE(TextOf(mapped[i].condition), "TankLevel");
    if (TextOf(mapped[i].condition) != "PumpFault") continue;
    ++pumps;
    EXPECT_EQ(TextOf(mapped[i].source), "Pump1");
    EXPECT_EQ(TextOf(mapped[i].message), "Pump fault");
    EXPECT_EQ(mapped[i].severity, 900u);
    EXPECT_EQ(mapped[i].newState, kEnabled | kActive);
    EXPECT_TRUE(mapped[i].ackRequired);
    EXPECT_EQ(mapped[i].changeMask, 0) << "a refreshed condition that did not change";
    EXPECT_EQ(EventIdOf(raw[i]), EventIdOf(raw[kScriptEvents - 1])) << "refresh resends the last event";
  }
  EXPECT_EQ(pumps, 1);
  // Nothing else was raised meanwhile, so nothing follows the end marker.
  EXPECT_EQ(ends[0], raw.size() - 1);
}

using EventBurst = PeerFixture;

TEST_F(EventBurst, FiveHundredEventsArriveOnceEachInOrder) {
  constexpr size_t kBurst = 500;
  Connect();
  ASSERT_TRUE(Control("burst " + std::to_string(kBurst), "ok burst " + std::to_string(kBurst)));
  ASSERT_TRUE(PumpUntil([&] { return raw.size() >= kBurst; })) << "only " << raw.size() << "; " << session->reason();
  PumpAFewCycles();
  ASSERT_EQ(session->state(), SessionState::Running) << session->reason();
  ASSERT_EQ(raw.size(), kBurst);
  std::set<std::vector<uint8_t>> ids;
  for (size_t i = 0; i < kBurst; ++i) {
    EXPECT_EQ(TextOf(mapped[i].message), "Burst " + std::to_string(i + 1)) << "position " << i;
    EXPECT_EQ(TextOf(mapped[i].source), "Mixer1");
    EXPECT_EQ(mapped[i].severity, 300u);
    ids.insert(EventIdOf(raw[i]));
  }
  EXPECT_EQ(ids.size(), kBurst);
}

// The peer's own contract, which the tests above lean on.
using ControlPort = PeerFixture;

TEST_F(ControlPort, RefusesWhatItDoesNotKnowAndKeepsServing) {
  EXPECT_TRUE(Control("reboot", "error unknown command"));
  EXPECT_TRUE(Control("burst", "error usage: burst N (1..100000)"));
  EXPECT_TRUE(Control("burst 0", "error usage: burst N (1..100000)"));
  EXPECT_TRUE(Control("stall soon", "error usage: stall S (0..600)"));
  EXPECT_TRUE(Control("stall 0", "ok stall 0"));
}

}  // namespace
}  // namespace ua_peer_test
