// UA A&C event fields to an OPC AE notification record; the rules are tabled in AlarmMapping.h.
#include "uaclient/AlarmMapping.h"

#include "framework/Utf8.h"
#include "uaclient/AlarmText.h"

namespace ua {

namespace {

struct StandardType {
  uint32_t id;
  const char* name;
  bool condition;  // ConditionType or one of its subtypes
};

// Namespace 0 event and condition types whose numeric ids were checked against the published nodeset.
constexpr StandardType kStandardTypes[] = {
    {2041, "BaseEventType", false},
    {2052, "AuditEventType", false},
    {2058, "AuditSecurityEventType", false},
    {2130, "SystemEventType", false},
    {2782, "ConditionType", true},
    {2790, "AuditConditionEventType", false},
    {2803, "AuditConditionEnableEventType", false},
    {2881, "AcknowledgeableConditionType", true},
    {2915, "AlarmConditionType", true},
    {2955, "LimitAlarmType", true},
    {9341, "ExclusiveLimitAlarmType", true},
    {9482, "ExclusiveLevelAlarmType", true},
    {9623, "ExclusiveRateOfChangeAlarmType", true},
    {9764, "ExclusiveDeviationAlarmType", true},
    {9906, "NonExclusiveLimitAlarmType", true},
    {10060, "NonExclusiveLevelAlarmType", true},
    {10214, "NonExclusiveRateOfChangeAlarmType", true},
    {10368, "NonExclusiveDeviationAlarmType", true},
    {10523, "DiscreteAlarmType", true},
    {10637, "OffNormalAlarmType", true},
    {10751, "TripAlarmType", true},
    {11753, "SystemOffNormalAlarmType", true},
};

// Largest k for which (k << 8) still fits in 32 bits.
constexpr uint32_t kMaxCategoryIndex = 0xFFFFFF;

template <typename T>
std::optional<T> ScalarOf(const std::vector<Variant>& fields, AlarmEventField index) {
  if (index >= fields.size()) return std::nullopt;
  const T* value = fields[index].ScalarIf<T>();
  return value ? std::optional<T>(*value) : std::nullopt;
}

// Booleans live in a std::vector<bool>, whose elements have no address, so ScalarIf cannot serve them.
std::optional<bool> BoolOf(const std::vector<Variant>& fields, AlarmEventField index) {
  if (index >= fields.size() || fields[index].isArray) return std::nullopt;
  auto* items = std::get_if<std::vector<bool>>(&fields[index].values);
  if (!items || items->size() != 1) return std::nullopt;
  return bool{(*items)[0]};
}

// UA's DateTime 0 (and anything before 1601) means "no time".
std::optional<DateTime> TimeOf(const std::vector<Variant>& fields, AlarmEventField index) {
  auto t = ScalarOf<DateTime>(fields, index);
  if (t && t->ticks <= 0) return std::nullopt;
  return t;
}

}  // namespace

const char* StandardEventTypeName(uint32_t numericId) {
  for (const auto& type : kStandardTypes) {
    if (type.id == numericId) return type.name;
  }
  return nullptr;
}

uint32_t EventCookie(const ByteString& eventId) {
  if (!eventId || eventId->empty()) return 0;
  uint32_t hash = 2166136261u;
  for (uint8_t b : *eventId) {
    hash ^= b;
    hash *= 16777619u;
  }
  return hash;
}

AlarmEventFields DecodeAlarmEventFields(const std::vector<Variant>& fields) {
  AlarmEventFields f;
  if (auto id = ScalarOf<ByteString>(fields, kFieldEventId)) f.eventId = *id;
  f.eventType = ScalarOf<NodeId>(fields, kFieldEventType);
  if (auto s = ScalarOf<String>(fields, kFieldSourceName)) f.sourceName = *s;
  f.time = TimeOf(fields, kFieldTime);
  f.message = ScalarOf<LocalizedText>(fields, kFieldMessage);
  f.severity = ScalarOf<uint16_t>(fields, kFieldSeverity);
  if (auto s = ScalarOf<String>(fields, kFieldConditionName)) f.conditionName = *s;
  f.acked = BoolOf(fields, kFieldAckedStateId);
  f.active = BoolOf(fields, kFieldActiveStateId);
  f.activeTransitionTime = TimeOf(fields, kFieldActiveStateTransitionTime);
  f.retain = BoolOf(fields, kFieldRetain);
  return f;
}

uint32_t ClampSeverity(uint32_t uaSeverity) {
  if (uaSeverity < 1) return 1;
  if (uaSeverity > 1000) return 1000;
  return uaSeverity;
}

// --- CategoryTable ---

CategoryTable::CategoryTable(NameResolver resolver) : resolver_(std::move(resolver)) {
  byId_[kCategoryAcknowledgement] = {wtsim::kSimpleEvent, kCategoryAcknowledgement, u"Acknowledgement"};
  byId_[kCategoryReturnToNormal] = {wtsim::kSimpleEvent, kCategoryReturnToNormal, u"Return to normal"};
}

std::string CategoryTable::NameOf(const NodeId& eventType) const {
  if (eventType.namespaceIndex == 0 && eventType.idType == IdType::Numeric) {
    if (const char* name = StandardEventTypeName(eventType.numeric)) return name;
  }
  if (resolver_) {
    std::string name = resolver_(eventType);
    if (!name.empty()) return name;
  }
  return NodeIdToText(eventType);
}

void CategoryTable::AddStandardTypes() {
  for (const auto& type : kStandardTypes)
    CategoryFor(NodeId::Numeric(0, type.id), type.condition ? wtsim::kConditionEvent : wtsim::kSimpleEvent);
}

uint32_t CategoryTable::CategoryFor(const NodeId& eventType, uint32_t aeEventType) {
  if (auto known = Find(eventType)) return *known;  // the name is worked out for new types only
  return Insert(eventType, NameOf(eventType), aeEventType);
}

void CategoryTable::AddType(const NodeId& eventType, const std::string& name, uint32_t aeEventType) {
  Insert(eventType, name.empty() ? NameOf(eventType) : name, aeEventType);
}

uint32_t CategoryTable::Insert(const NodeId& eventType, const std::string& name, uint32_t aeEventType) {
  std::string key = NodeIdToText(eventType);
  auto it = idByType_.find(key);
  if (it != idByType_.end()) return it->second;
  if (nextIndex_ > kMaxCategoryIndex) {
    // Sixteen million distinct types cannot happen with a sane server; share the base type's category,
    // or the first one there is when the base type never came.
    if (auto base = Find(NodeId::Numeric(0, kBaseEventTypeId))) return *base;
    return kCategoryMinimumTypeId;
  }
  const uint32_t id = nextIndex_++ << 8;
  byId_[id] = {aeEventType, id, utf8::ToUtf16(name)};
  idByType_.emplace(std::move(key), id);
  return id;
}

std::optional<uint32_t> CategoryTable::Find(const NodeId& eventType) const {
  auto it = idByType_.find(NodeIdToText(eventType));
  if (it == idByType_.end()) return std::nullopt;
  return it->second;
}

std::vector<wtsim::Category> CategoryTable::Categories() const {
  std::vector<wtsim::Category> out;
  out.reserve(byId_.size());
  for (const auto& entry : byId_) out.push_back(entry.second);
  return out;
}

// --- AlarmMemory ---

ConditionUpdate AlarmMemory::Observe(const ::String& source, const ::String& condition, const State& now,
                                     bool retain) {
  ConditionUpdate u;
  auto key = std::make_pair(source, condition);
  auto it = conditions_.find(key);
  if (it == conditions_.end()) {
    // A new condition: report every state, as an AE server does for its first notification.
    u.firstSight = true;
    u.changeMask = wtsim::kChangeActiveState | wtsim::kChangeAckState | wtsim::kChangeMessage |
                   wtsim::kChangeSeverity;
  } else {
    const State& before = it->second;
    if (before.active != now.active) u.changeMask |= wtsim::kChangeActiveState;
    if (before.acked != now.acked) u.changeMask |= wtsim::kChangeAckState;
    if (before.message != now.message) u.changeMask |= wtsim::kChangeMessage;
    if (before.severity != now.severity) u.changeMask |= wtsim::kChangeSeverity;
    u.acknowledged = !before.acked && now.acked;
  }
  u.returnedToNormal = !now.active && !retain;
  if (!now.active && now.acked && !retain) {
    u.forgotten = true;
    if (it != conditions_.end()) conditions_.erase(it);
  } else if (it == conditions_.end()) {
    conditions_.emplace(std::move(key), now);
  } else {
    it->second = now;
  }
  return u;
}

const AlarmMemory::State* AlarmMemory::Find(const ::String& source, const ::String& condition) const {
  auto it = conditions_.find(std::make_pair(source, condition));
  return it == conditions_.end() ? nullptr : &it->second;
}

// --- AlarmEventMapper ---

AlarmEventMapper::AlarmEventMapper(CategoryTable::NameResolver resolver) : categories_(std::move(resolver)) {}

void AlarmEventMapper::KnowStandardTypes() { categories_.AddStandardTypes(); }

void AlarmEventMapper::KnowType(const NodeId& eventType, const std::string& name, bool condition) {
  categories_.AddType(eventType, name, condition ? wtsim::kConditionEvent : wtsim::kSimpleEvent);
}

wtsim::SimEvent AlarmEventMapper::Map(const std::vector<Variant>& fields, uint64_t receiveTime) {
  const AlarmEventFields f = DecodeAlarmEventFields(fields);
  wtsim::SimEvent e;
  e.time = f.time ? static_cast<uint64_t>(f.time->ticks) : receiveTime;
  e.source = ToAeString(f.sourceName);
  e.message = f.message ? ToAeString(f.message->text) : ::String();
  e.severity = f.severity ? ClampSeverity(*f.severity) : kDefaultAeSeverity;
  e.cookie = EventCookie(f.eventId);
  e.quality = wtsim::kQualityGood;

  const bool isCondition = f.IsCondition();
  e.eventType = isCondition ? wtsim::kConditionEvent : wtsim::kSimpleEvent;
  e.category = categories_.CategoryFor(f.eventType.value_or(NodeId::Numeric(0, kBaseEventTypeId)), e.eventType);
  if (!isCondition) return e;

  e.condition = ToAeString(f.conditionName);
  e.activeTime = f.activeTransitionTime ? static_cast<uint64_t>(f.activeTransitionTime->ticks) : e.time;

  AlarmMemory::State state;
  state.active = f.active.value_or(false);
  // A condition without AckedState has nothing to acknowledge.
  state.acked = f.acked.value_or(true);
  state.severity = e.severity;
  state.message = e.message;
  const bool retain = f.retain.value_or(state.active || !state.acked);

  e.newState = wtsim::kStateEnabled;
  if (state.active) e.newState |= wtsim::kStateActive;
  if (state.acked) e.newState |= wtsim::kStateAcked;
  e.ackRequired = !state.acked;

  const ConditionUpdate u = memory_.Observe(e.source, e.condition, state, retain);
  e.changeMask = u.changeMask;
  // An acknowledgement that also ends the condition is reported as the acknowledgement: that is the
  // transition this event carries, the change to inactive having had its own earlier record.
  if (u.acknowledged) {
    e.category = kCategoryAcknowledgement;
  } else if (u.returnedToNormal) {
    e.category = kCategoryReturnToNormal;
  }
  return e;
}

}  // namespace ua
