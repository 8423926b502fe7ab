// Turns one OPC UA Alarms & Conditions event (the fields selected by MakeAlarmEventFilter) into one classic
// OPC AE notification record, following the UA-to-AE mapping of UA A&C.
//
// | AE record field | Taken from (field missing or of the wrong type -> default)                              |
// |-----------------|------------------------------------------------------------------------------------------|
// | time            | Time (DateTime ticks are a FILETIME as-is) -> the caller's receive time               |
// | source          | SourceName -> ""                                                                        |
// | message         | Message.text -> ""                                                                      |
// | severity        | Severity (UInt16), clamped to AE's 1..1000 -> 500                                      |
// | eventType       | condition (4) if ConditionName, AckedState/Id or ActiveState/Id is present, else simple (1) |
// | condition       | ConditionName -> ""                                                                     |
// | subcondition    | always ""                                                                               |
// | newState        | conditions: Enabled, + Active if ActiveState/Id, + Acked if AckedState/Id (missing Acked -> acked, since nothing can be acknowledged) |
// | ackRequired     | condition event and not acked                                                           |
// | activeTime      | conditions: ActiveState/TransitionTime -> Time (-> receive time); simple events: 0     |
// | quality         | always good (0x00C0)                                                                    |
// | cookie          | FNV-1a 32 of the EventId bytes -> 0                                                     |
// | actor           | always ""                                                                               |
// | changeMask      | AlarmMemory per (source, condition): first sight = Active, Ack, Message, Severity; later = the bits whose value changed |
// | category        | 0x0103 on an Acked false->true of a known condition; else 0x0101 when inactive and Retain false; else the event type's category |
//
// Retain missing is taken as "active or unacked" (what a server keeps retained). EventType missing is taken
// as BaseEventType. Simple events do not touch AlarmMemory; their changeMask and newState stay 0.
// Event type categories are (k << 8) for the k-th distinct type seen (k from 1), so their low byte is 0:
// the control reads low byte 3 as an acknowledgement and 1 as a reset notification.
//
// Not thread-safe: one mapper per subscription, used from the thread that handles its notifications.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "framework/Types.h"
#include "plant/SimEvent.h"
#include "uaclient/NodeId.h"
#include "uaclient/Variant.h"
#include "uaclient/services/EventFilter.h"

namespace ua {

constexpr uint32_t kCategoryReturnToNormal = 0x0101;
constexpr uint32_t kCategoryAcknowledgement = 0x0103;
constexpr uint32_t kDefaultAeSeverity = 500;
constexpr uint32_t kBaseEventTypeId = 2041;
// The first event type's category (index 1 shifted past the low byte).
constexpr uint32_t kCategoryMinimumTypeId = 0x0100;

// BrowseName of a standard (namespace 0) event or condition type, or nullptr for an id not in the table.
const char* StandardEventTypeName(uint32_t numericId);

// Stable 32-bit handle for an EventId (FNV-1a), so an acknowledgement can later find the event. 0 for a
// null or empty EventId.
uint32_t EventCookie(const ByteString& eventId);

// The selected fields, decoded; std::nullopt where the server sent Null or a value of the wrong type.
struct AlarmEventFields {
  ByteString eventId;
  std::optional<NodeId> eventType;
  String sourceName;
  std::optional<DateTime> time;
  std::optional<LocalizedText> message;
  std::optional<uint16_t> severity;
  String conditionName;
  std::optional<bool> acked;
  std::optional<bool> active;
  std::optional<DateTime> activeTransitionTime;
  std::optional<bool> retain;

  bool IsCondition() const { return conditionName.has_value() || acked.has_value() || active.has_value(); }
};

// Reads fields in AlarmEventField order; a short list leaves the tail missing, extra entries are ignored.
AlarmEventFields DecodeAlarmEventFields(const std::vector<Variant>& fields);

// UA Severity (1..1000) to AE severity: 0 -> 1, above 1000 -> 1000.
uint32_t ClampSeverity(uint32_t uaSeverity);

// Assigns every event type NodeId an AE category id and name; also holds the two fixed categories.
class CategoryTable {
 public:
  // Supplies the BrowseName of a type that is not in the built-in table; may return "" if unknown.
  using NameResolver = std::function<std::string(const NodeId&)>;

  explicit CategoryTable(NameResolver resolver = {});

  // Gives every standard event and condition type its category now, in the table's order, so that a client
  // asking for the categories before the first event learns the names of those a server will send.
  void AddStandardTypes();
  // Gives a type the server named (by browsing) its category now, unless it has one; an empty name falls
  // back as for an unknown type.
  void AddType(const NodeId& eventType, const std::string& name, uint32_t aeEventType);

  // The category of an event type, created on first sight with the given AE event type.
  uint32_t CategoryFor(const NodeId& eventType, uint32_t aeEventType);
  std::optional<uint32_t> Find(const NodeId& eventType) const;
  // Every category in id order, as QueryEventCategories reports them.
  std::vector<wtsim::Category> Categories() const;

 private:
  std::string NameOf(const NodeId& eventType) const;
  uint32_t Insert(const NodeId& eventType, const std::string& name, uint32_t aeEventType);

  NameResolver resolver_;
  std::map<std::string, uint32_t> idByType_;  // keyed by the NodeId text form, which is unique per NodeId
  std::map<uint32_t, wtsim::Category> byId_;
  uint32_t nextIndex_ = 1;
};

// What AlarmMemory concluded from one condition event.
struct ConditionUpdate {
  uint16_t changeMask = 0;
  bool firstSight = false;
  bool acknowledged = false;      // AckedState went false -> true on a condition seen before
  bool returnedToNormal = false;  // inactive and not retained
  bool forgotten = false;         // inactive, acked and not retained: no longer remembered
};

// Last known state of each condition, keyed by (source, condition name).
class AlarmMemory {
 public:
  struct State {
    bool active = false;
    bool acked = false;
    uint32_t severity = 0;
    ::String message;
  };

  ConditionUpdate Observe(const ::String& source, const ::String& condition, const State& now, bool retain);
  const State* Find(const ::String& source, const ::String& condition) const;
  size_t Size() const { return conditions_.size(); }

 private:
  std::map<std::pair<::String, ::String>, State> conditions_;
};

// Maps events of one subscription; keeps the category table and condition memory between events.
class AlarmEventMapper {
 public:
  explicit AlarmEventMapper(CategoryTable::NameResolver resolver = {});
  // See CategoryTable::AddStandardTypes; call before the first Map.
  void KnowStandardTypes();
  // See CategoryTable::AddType.
  void KnowType(const NodeId& eventType, const std::string& name, bool condition);

  // receiveTime (FILETIME count) stands in for a missing Time.
  wtsim::SimEvent Map(const std::vector<Variant>& fields, uint64_t receiveTime = 0);

  const CategoryTable& Categories() const { return categories_; }
  const AlarmMemory& Memory() const { return memory_; }

 private:
  CategoryTable categories_;
  AlarmMemory memory_;
};

}  // namespace ua
