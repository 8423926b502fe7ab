// UA A&C event fields to OPC AE records: field mapping, defaults, categories and condition memory.
#include <gtest/gtest.h>

#include <set>

#include "uaclient/AlarmMapping.h"

using namespace ua;

namespace {

constexpr int64_t kTime = 133000000000000000LL;  // a FILETIME in 2022
constexpr int64_t kActiveSince = kTime - 5000000;

Variant Str(const char* s) { return Variant::Scalar(ua::String(s)); }
Variant Flag(bool b) { return Variant::Scalar(b); }

// A complete ExclusiveLimitAlarm event: active, unacknowledged, retained.
std::vector<Variant> LimitAlarm() {
  std::vector<Variant> f(kAlarmEventFieldCount);
  f[kFieldEventId] = Variant::Scalar(ByteString(std::vector<uint8_t>{0xDE, 0xAD, 0xBE, 0xEF}));
  f[kFieldEventType] = Variant::Scalar(NodeId::Numeric(0, 9341));
  f[kFieldSourceName] = Str("Tank1.Level");
  f[kFieldTime] = Variant::Scalar(DateTime{kTime});
  f[kFieldMessage] = Variant::Scalar(LocalizedText{ua::String("en"), ua::String("Level high")});
  f[kFieldSeverity] = Variant::Scalar(uint16_t{700});
  f[kFieldConditionName] = Str("HighLevel");
  f[kFieldAckedStateId] = Flag(false);
  f[kFieldActiveStateId] = Flag(true);
  f[kFieldActiveStateTransitionTime] = Variant::Scalar(DateTime{kActiveSince});
  f[kFieldRetain] = Flag(true);
  return f;
}

// A plain BaseEventType-style event without any condition field.
std::vector<Variant> SimpleEvent() {
  std::vector<Variant> f(kAlarmEventFieldCount);
  f[kFieldEventId] = Variant::Scalar(ByteString(std::vector<uint8_t>{1}));
  f[kFieldEventType] = Variant::Scalar(NodeId::Numeric(0, 2130));
  f[kFieldSourceName] = Str("Server");
  f[kFieldTime] = Variant::Scalar(DateTime{kTime});
  f[kFieldMessage] = Variant::Scalar(LocalizedText{std::nullopt, ua::String("started")});
  f[kFieldSeverity] = Variant::Scalar(uint16_t{100});
  return f;
}

TEST(AlarmMapping, FullExclusiveLimitAlarm) {
  AlarmEventMapper mapper;
  wtsim::SimEvent e = mapper.Map(LimitAlarm(), 42);
  EXPECT_EQ(e.time, uint64_t(kTime));
  EXPECT_EQ(e.source, u"Tank1.Level");
  EXPECT_EQ(e.message, u"Level high");
  EXPECT_EQ(e.severity, 700u);
  EXPECT_EQ(e.eventType, wtsim::kConditionEvent);
  EXPECT_EQ(e.condition, u"HighLevel");
  EXPECT_EQ(e.subcondition, u"");
  EXPECT_EQ(e.activeTime, uint64_t(kActiveSince));
  EXPECT_EQ(e.newState, wtsim::kStateEnabled | wtsim::kStateActive);
  EXPECT_TRUE(e.ackRequired);
  EXPECT_EQ(e.quality, wtsim::kQualityGood);
  EXPECT_EQ(e.actor, u"");
  EXPECT_EQ(e.changeMask, wtsim::kChangeActiveState | wtsim::kChangeAckState | wtsim::kChangeMessage |
                              wtsim::kChangeSeverity);
  // FNV-1a of DE AD BE EF, computed by hand from the published algorithm constants.
  uint32_t h = 2166136261u;
  for (uint8_t b : {0xDE, 0xAD, 0xBE, 0xEF}) h = (h ^ b) * 16777619u;
  EXPECT_EQ(e.cookie, h);
  EXPECT_NE(e.cookie, 0u);
  EXPECT_EQ(e.category, 0x0100u);
  auto cats = mapper.Categories().Categories();
  ASSERT_EQ(cats.size(), 3u);
  EXPECT_EQ(cats[0].id, 0x0100u);
  EXPECT_EQ(cats[0].name, u"ExclusiveLimitAlarmType");
  EXPECT_EQ(cats[0].eventType, wtsim::kConditionEvent);
}

TEST(AlarmMapping, SimpleEventLeavesConditionFieldsEmpty) {
  AlarmEventMapper mapper;
  wtsim::SimEvent e = mapper.Map(SimpleEvent());
  EXPECT_EQ(e.eventType, wtsim::kSimpleEvent);
  EXPECT_EQ(e.source, u"Server");
  EXPECT_EQ(e.message, u"started");
  EXPECT_EQ(e.severity, 100u);
  EXPECT_EQ(e.changeMask, 0);
  EXPECT_EQ(e.newState, 0);
  EXPECT_EQ(e.activeTime, 0u);
  EXPECT_FALSE(e.ackRequired);
  EXPECT_EQ(e.condition, u"");
  EXPECT_EQ(mapper.Memory().Size(), 0u);
  EXPECT_EQ(mapper.Categories().Categories()[0].name, u"SystemEventType");
  EXPECT_EQ(mapper.Categories().Categories()[0].eventType, wtsim::kSimpleEvent);
}

TEST(AlarmMapping, CookieIsStablePerEventIdAndZeroWithoutOne) {
  EXPECT_EQ(EventCookie(std::vector<uint8_t>{1, 2, 3}), EventCookie(std::vector<uint8_t>{1, 2, 3}));
  EXPECT_NE(EventCookie(std::vector<uint8_t>{1, 2, 3}), EventCookie(std::vector<uint8_t>{3, 2, 1}));
  EXPECT_EQ(EventCookie(std::nullopt), 0u);
  EXPECT_EQ(EventCookie(std::vector<uint8_t>{}), 0u);
  EXPECT_EQ(EventCookie(std::vector<uint8_t>{'a'}), 0xE40C292Cu);  // published FNV-1a 32 test vector
}

// Each field, Null and then of a wrong type, falls back to its documented default on its own.
TEST(AlarmMapping, MissingOrWrongTypedFieldsTakeDefaults) {
  const Variant wrong = Variant::Scalar(int32_t{7});
  for (const Variant& bad : {Variant{}, wrong, Variant::Array(std::vector<ua::String>{ua::String("x")})}) {
    auto with = [&](AlarmEventField field) {
      auto f = LimitAlarm();
      f[field] = bad;
      return AlarmEventMapper().Map(f, 42);
    };
    EXPECT_EQ(with(kFieldEventId).cookie, 0u);
    EXPECT_EQ(with(kFieldEventType).category, 0x0100u);
    EXPECT_EQ(with(kFieldSourceName).source, u"");
    wtsim::SimEvent noTime = with(kFieldTime);
    EXPECT_EQ(noTime.time, 42u);
    EXPECT_EQ(noTime.activeTime, uint64_t(kActiveSince));
    EXPECT_EQ(with(kFieldMessage).message, u"");
    EXPECT_EQ(with(kFieldSeverity).severity, kDefaultAeSeverity);
    wtsim::SimEvent noName = with(kFieldConditionName);
    EXPECT_EQ(noName.condition, u"");
    EXPECT_EQ(noName.eventType, wtsim::kConditionEvent);
    wtsim::SimEvent noAck = with(kFieldAckedStateId);
    EXPECT_EQ(noAck.newState, wtsim::kStateEnabled | wtsim::kStateActive | wtsim::kStateAcked);
    EXPECT_FALSE(noAck.ackRequired);
    wtsim::SimEvent noActive = with(kFieldActiveStateId);
    EXPECT_EQ(noActive.newState, wtsim::kStateEnabled);
    // Inactive but unacked: still retained by default, so not a return to normal.
    EXPECT_EQ(noActive.category, 0x0100u);
    wtsim::SimEvent noTransition = with(kFieldActiveStateTransitionTime);
    EXPECT_EQ(noTransition.activeTime, uint64_t(kTime));
    wtsim::SimEvent noRetain = with(kFieldRetain);
    EXPECT_EQ(noRetain.category, 0x0100u);
  }
  // A missing EventType becomes BaseEventType's category.
  auto f = LimitAlarm();
  f[kFieldEventType] = Variant{};
  AlarmEventMapper mapper;
  mapper.Map(f);
  EXPECT_EQ(mapper.Categories().Categories()[0].name, u"BaseEventType");
}

TEST(AlarmMapping, ShortListDefaultsTheTailAndZeroTimeIsMissing) {
  auto f = LimitAlarm();
  f.resize(kFieldConditionName);  // no condition fields at all
  wtsim::SimEvent e = AlarmEventMapper().Map(f);
  EXPECT_EQ(e.eventType, wtsim::kSimpleEvent);
  EXPECT_EQ(e.source, u"Tank1.Level");

  wtsim::SimEvent empty = AlarmEventMapper().Map({}, 9);
  EXPECT_EQ(empty.time, 9u);
  EXPECT_EQ(empty.eventType, wtsim::kSimpleEvent);
  EXPECT_EQ(empty.severity, kDefaultAeSeverity);

  auto g = LimitAlarm();
  g[kFieldTime] = Variant::Scalar(DateTime{0});
  g[kFieldActiveStateTransitionTime] = Variant::Scalar(DateTime{-5});
  wtsim::SimEvent z = AlarmEventMapper().Map(g, 77);
  EXPECT_EQ(z.time, 77u);
  EXPECT_EQ(z.activeTime, 77u);
}

TEST(AlarmMapping, SeverityClamping) {
  EXPECT_EQ(ClampSeverity(0), 1u);
  EXPECT_EQ(ClampSeverity(1), 1u);
  EXPECT_EQ(ClampSeverity(1000), 1000u);
  EXPECT_EQ(ClampSeverity(1001), 1000u);
  for (uint16_t uaSeverity : {uint16_t{0}, uint16_t{500}, uint16_t{65535}}) {
    auto f = LimitAlarm();
    f[kFieldSeverity] = Variant::Scalar(uaSeverity);
    uint32_t expected = uaSeverity == 0 ? 1 : uaSeverity > 1000 ? 1000 : uaSeverity;
    EXPECT_EQ(AlarmEventMapper().Map(f).severity, expected) << uaSeverity;
  }
}

TEST(AlarmCategories, IdsStablePerTypeWithSafeLowByte) {
  CategoryTable table;
  std::set<uint32_t> ids;
  for (uint32_t i = 0; i < 600; ++i) {
    uint32_t id = table.CategoryFor(NodeId::Numeric(2, 5000 + i), wtsim::kConditionEvent);
    EXPECT_EQ(id, (i + 1) << 8);
    EXPECT_NE(id & 0xFF, 1u);
    EXPECT_NE(id & 0xFF, 3u);
    ids.insert(id);
  }
  EXPECT_EQ(ids.size(), 600u);
  // Asking again, in another order or for an equal NodeId built afresh, gives the same id.
  EXPECT_EQ(table.CategoryFor(NodeId::Numeric(2, 5599), wtsim::kSimpleEvent), 600u << 8);
  EXPECT_EQ(table.CategoryFor(NodeId::Numeric(2, 5000), wtsim::kConditionEvent), 1u << 8);
  EXPECT_EQ(table.Find(NodeId::Numeric(2, 5007)), std::optional<uint32_t>(8u << 8));
  EXPECT_EQ(table.Find(NodeId::Numeric(3, 5007)), std::nullopt);
  // Same identifier in another namespace or of another id type is another type.
  EXPECT_NE(table.CategoryFor(NodeId::Text(2, "i=5000"), wtsim::kSimpleEvent), 1u << 8);
  EXPECT_EQ(table.Categories().size(), 601u + 2u);
}

TEST(AlarmCategories, FixedCategoriesAndIdOrder) {
  CategoryTable table;
  table.CategoryFor(NodeId::Numeric(0, 2915), wtsim::kConditionEvent);
  table.CategoryFor(NodeId::Numeric(0, 2041), wtsim::kSimpleEvent);
  auto cats = table.Categories();
  ASSERT_EQ(cats.size(), 4u);
  EXPECT_EQ(cats[0].id, 0x0100u);
  EXPECT_EQ(cats[0].name, u"AlarmConditionType");
  EXPECT_EQ(cats[1].id, kCategoryReturnToNormal);
  EXPECT_EQ(cats[1].name, u"Return to normal");
  EXPECT_EQ(cats[1].eventType, wtsim::kSimpleEvent);
  EXPECT_EQ(cats[2].id, kCategoryAcknowledgement);
  EXPECT_EQ(cats[2].name, u"Acknowledgement");
  EXPECT_EQ(cats[2].eventType, wtsim::kSimpleEvent);
  EXPECT_EQ(cats[3].id, 0x0200u);
  EXPECT_EQ(cats[3].name, u"BaseEventType");
  EXPECT_EQ(kCategoryReturnToNormal & 0xFF, 1u);
  EXPECT_EQ(kCategoryAcknowledgement & 0xFF, 3u);
}

TEST(AlarmCategories, NamesFromBuiltInTableResolverAndFallback) {
  EXPECT_STREQ(StandardEventTypeName(9341), "ExclusiveLimitAlarmType");
  EXPECT_STREQ(StandardEventTypeName(2782), "ConditionType");
  EXPECT_STREQ(StandardEventTypeName(10751), "TripAlarmType");
  EXPECT_STREQ(StandardEventTypeName(11753), "SystemOffNormalAlarmType");
  EXPECT_EQ(StandardEventTypeName(1), nullptr);

  std::vector<NodeId> asked;
  CategoryTable table([&](const NodeId& id) -> std::string {
    asked.push_back(id);
    if (id == NodeId::Numeric(2, 5001)) return "PumpTrip\xF0\x9F\x94\xA5";
    return "";
  });
  auto nameOf = [&](const NodeId& id) {
    uint32_t cat = table.CategoryFor(id, wtsim::kConditionEvent);
    for (const auto& c : table.Categories())
      if (c.id == cat) return c.name;
    return ::String(u"<none>");
  };
  EXPECT_EQ(nameOf(NodeId::Numeric(0, 10637)), u"OffNormalAlarmType");
  EXPECT_TRUE(asked.empty()) << "standard types must not reach the resolver";
  EXPECT_EQ(nameOf(NodeId::Numeric(2, 5001)), u"PumpTrip\U0001F525");
  EXPECT_EQ(nameOf(NodeId::Numeric(2, 5002)), u"ns=2;i=5002");
  EXPECT_EQ(nameOf(NodeId::Text(2, "MyType")), u"ns=2;s=MyType");
  EXPECT_EQ(nameOf(NodeId::Numeric(0, 2131)), u"i=2131");  // ns=0 but not in the table
  EXPECT_EQ(asked.size(), 4u);
  nameOf(NodeId::Numeric(2, 5001));
  EXPECT_EQ(asked.size(), 4u) << "a known type is not resolved again";

  CategoryTable noResolver;
  uint32_t cat = noResolver.CategoryFor(NodeId::Numeric(4, 1), wtsim::kSimpleEvent);
  EXPECT_EQ(noResolver.Categories()[0].id, cat);
  EXPECT_EQ(noResolver.Categories()[0].name, u"ns=4;i=1");
}

// One condition's life: active -> acked -> inactive and not retained, then a fresh activation.
TEST(AlarmConditionLife, AckThenReturnToNormal) {
  AlarmEventMapper mapper;
  auto f = LimitAlarm();

  wtsim::SimEvent raised = mapper.Map(f);
  EXPECT_EQ(raised.category, 0x0100u);
  EXPECT_EQ(raised.newState, wtsim::kStateEnabled | wtsim::kStateActive);
  EXPECT_EQ(raised.changeMask, wtsim::kChangeActiveState | wtsim::kChangeAckState | wtsim::kChangeMessage |
                                   wtsim::kChangeSeverity);
  EXPECT_EQ(mapper.Memory().Size(), 1u);

  f[kFieldAckedStateId] = Flag(true);
  wtsim::SimEvent acked = mapper.Map(f);
  EXPECT_EQ(acked.category, kCategoryAcknowledgement);
  EXPECT_EQ(acked.eventType, wtsim::kConditionEvent);
  EXPECT_EQ(acked.changeMask, wtsim::kChangeAckState);
  EXPECT_EQ(acked.newState, wtsim::kStateEnabled | wtsim::kStateActive | wtsim::kStateAcked);
  EXPECT_FALSE(acked.ackRequired);

  // Nothing changed: an ordinary record with an empty change mask, not a second acknowledgement.
  wtsim::SimEvent again = mapper.Map(f);
  EXPECT_EQ(again.category, 0x0100u);
  EXPECT_EQ(again.changeMask, 0);

  f[kFieldActiveStateId] = Flag(false);
  f[kFieldRetain] = Flag(false);
  f[kFieldMessage] = Variant::Scalar(LocalizedText{ua::String("en"), ua::String("Level normal")});
  wtsim::SimEvent normal = mapper.Map(f);
  EXPECT_EQ(normal.category, kCategoryReturnToNormal);
  EXPECT_EQ(normal.eventType, wtsim::kConditionEvent);
  EXPECT_EQ(normal.changeMask, wtsim::kChangeActiveState | wtsim::kChangeMessage);
  EXPECT_EQ(normal.newState, wtsim::kStateEnabled | wtsim::kStateAcked);
  EXPECT_EQ(mapper.Memory().Size(), 0u);

  // Forgotten: the next activation is a first sight again.
  f = LimitAlarm();
  wtsim::SimEvent reraised = mapper.Map(f);
  EXPECT_EQ(reraised.category, 0x0100u);
  EXPECT_EQ(reraised.changeMask, raised.changeMask);
}

// The other order: inactive while unacked stays retained; the acknowledgement then ends it.
TEST(AlarmConditionLife, InactiveFirstThenAck) {
  AlarmEventMapper mapper;
  auto f = LimitAlarm();
  mapper.Map(f);

  f[kFieldActiveStateId] = Flag(false);
  wtsim::SimEvent inactive = mapper.Map(f);
  EXPECT_EQ(inactive.category, 0x0100u);
  EXPECT_EQ(inactive.changeMask, wtsim::kChangeActiveState);
  EXPECT_TRUE(inactive.ackRequired);
  EXPECT_EQ(mapper.Memory().Size(), 1u);

  f[kFieldAckedStateId] = Flag(true);
  f[kFieldRetain] = Flag(false);
  wtsim::SimEvent acked = mapper.Map(f);
  EXPECT_EQ(acked.category, kCategoryAcknowledgement);
  EXPECT_EQ(acked.changeMask, wtsim::kChangeAckState);
  EXPECT_EQ(mapper.Memory().Size(), 0u);
}

TEST(AlarmMemoryTest, KeyedBySourceAndConditionAndForgetsOnlyWhenDone) {
  AlarmMemory memory;
  AlarmMemory::State active{true, false, 500, u"m"};
  EXPECT_TRUE(memory.Observe(u"A", u"Hi", active, true).firstSight);
  EXPECT_TRUE(memory.Observe(u"B", u"Hi", active, true).firstSight);
  EXPECT_TRUE(memory.Observe(u"A", u"Lo", active, true).firstSight);
  EXPECT_EQ(memory.Size(), 3u);
  EXPECT_FALSE(memory.Observe(u"A", u"Hi", active, true).firstSight);

  // Inactive and not retained but unacked: a return to normal, yet still remembered.
  AlarmMemory::State unackedNormal{false, false, 500, u"m"};
  ConditionUpdate u = memory.Observe(u"A", u"Hi", unackedNormal, false);
  EXPECT_TRUE(u.returnedToNormal);
  EXPECT_FALSE(u.forgotten);
  ASSERT_NE(memory.Find(u"A", u"Hi"), nullptr);
  EXPECT_FALSE(memory.Find(u"A", u"Hi")->active);

  // Acked and inactive but retained: still remembered.
  AlarmMemory::State done{false, true, 500, u"m"};
  u = memory.Observe(u"B", u"Hi", done, true);
  EXPECT_FALSE(u.forgotten);
  EXPECT_FALSE(u.returnedToNormal);
  EXPECT_EQ(memory.Size(), 3u);

  u = memory.Observe(u"B", u"Hi", done, false);
  EXPECT_TRUE(u.forgotten);
  EXPECT_EQ(memory.Find(u"B", u"Hi"), nullptr);
  EXPECT_NE(memory.Find(u"A", u"Hi"), nullptr);
  EXPECT_NE(memory.Find(u"A", u"Lo"), nullptr);
  EXPECT_EQ(memory.Size(), 2u);

  // A never-seen condition that is already finished is reported once and not kept.
  u = memory.Observe(u"C", u"X", done, false);
  EXPECT_TRUE(u.firstSight);
  EXPECT_TRUE(u.forgotten);
  EXPECT_EQ(memory.Size(), 2u);

  // Severity changes alone set only the severity bit.
  AlarmMemory::State louder{true, false, 900, u"m"};
  EXPECT_EQ(memory.Observe(u"A", u"Lo", louder, true).changeMask, wtsim::kChangeSeverity);
}

}  // namespace
