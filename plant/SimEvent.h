// The simulated AE server's notification record and category, without any
// Windows types: times are FILETIME values held as one 64-bit count.
#pragma once
#include <cstdint>
#include <vector>

#include "framework/FileTime.h"
#include "framework/Types.h"

namespace wtsim {

// OPC AE event types.
constexpr uint32_t kSimpleEvent = 1;
constexpr uint32_t kTrackingEvent = 2;
constexpr uint32_t kConditionEvent = 4;

// OPC AE change-mask bits and condition states.
constexpr uint16_t kChangeActiveState = 0x0001;
constexpr uint16_t kChangeAckState = 0x0002;
constexpr uint16_t kChangeSeverity = 0x0010;
constexpr uint16_t kChangeMessage = 0x0040;
constexpr uint16_t kStateEnabled = 0x0001;
constexpr uint16_t kStateActive = 0x0002;
constexpr uint16_t kStateAcked = 0x0004;

constexpr uint16_t kQualityGood = 0x00C0;

// 100-ns intervals per millisecond, and from 1601-01-01 to 1970-01-01.
constexpr uint64_t kFileTimePerMs = filetime::kTicksPerMs;
constexpr uint64_t kFileTimeUnixEpoch = filetime::kUnixEpoch;

struct Category {
  uint32_t eventType = kSimpleEvent;
  uint32_t id = 0;
  String name;
};

struct SimEvent {
  uint16_t changeMask = 0;
  uint16_t newState = 0;
  String source;
  uint64_t time = 0;
  String message;
  uint32_t eventType = kSimpleEvent;
  uint32_t category = 0;
  uint32_t severity = 0;
  String condition;
  String subcondition;
  uint16_t quality = kQualityGood;
  bool ackRequired = false;
  uint64_t activeTime = 0;
  uint32_t cookie = 0;
  String actor;
};

using Batch = std::vector<SimEvent>;

}  // namespace wtsim
