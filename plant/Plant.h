// The default simulated plant: a few dozen sources in areas, limit, level,
// deviation and discrete alarms that are raised, acknowledged and return to
// normal, operator tracking events and simple system and process messages.
#pragma once
#include <vector>

#include "plant/ConditionTable.h"
#include "plant/Random.h"
#include "plant/SimEvent.h"

namespace wtsim {

// Category ids of the plant. The low byte 1 marks a reset and 3 an
// acknowledgement, the convention the control filters on.
namespace plantcat {
constexpr uint32_t kReset = 0x0101;
constexpr uint32_t kSystem = 0x0102;
constexpr uint32_t kAcknowledgement = 0x0103;
constexpr uint32_t kProcess = 0x0104;
constexpr uint32_t kOperator = 0x0105;
constexpr uint32_t kSetpoint = 0x0210;
constexpr uint32_t kMode = 0x0211;
constexpr uint32_t kLevel = 0x0410;
constexpr uint32_t kDeviation = 0x0411;
constexpr uint32_t kLimit = 0x0412;
constexpr uint32_t kDiscrete = 0x0413;
}  // namespace plantcat

// A condition a plant source can raise, with its possible subconditions.
struct ConditionDef {
  String source;
  uint32_t category = 0;
  String condition;
  std::vector<String> subconditions;
};

class Plant {
 public:
  static std::vector<Category> Categories();
  static size_t SourceCount();
  static String SourceName(size_t i);
  // Every condition of every source, in source order.
  static std::vector<ConditionDef> ConditionDefs();
  // The notification that condition c was acknowledged, by a client or at
  // the plant alike: a simple event of the acknowledgement category (a
  // simple-event category: the control looks category names up among those),
  // so that filtering by event type or category finds every one. It carries
  // the condition's names, severity, active time and cookie, change mask
  // ack-state and the new, acknowledged state for clients that match it to
  // the condition, and the acknowledger as actor.
  static SimEvent AcknowledgementOf(const SimEvent& c, uint64_t nowFileTime, const String& actor);

  // One notification stamped nowFileTime; condition changes are applied to
  // the table (a source has at most one active condition).
  static SimEvent Next(Random& rng, uint64_t nowFileTime, ConditionTable& conditions);

 private:
  static SimEvent RaiseAlarm(Random& rng, uint64_t now, ConditionTable& conditions);
  static SimEvent Acknowledge(Random& rng, uint64_t now, ConditionTable& conditions);
  static SimEvent ReturnToNormal(Random& rng, uint64_t now, ConditionTable& conditions);
  static SimEvent Message(Random& rng, uint64_t now);
  static SimEvent Tracking(Random& rng, uint64_t now);
};

}  // namespace wtsim
