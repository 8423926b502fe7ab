// The filter of one event subscription: event types, categories, severity
// range, areas and sources. Applied to live notifications and to refresh.
#pragma once
#include <cstdint>
#include <vector>

#include "plant/SimEvent.h"

namespace opcsrv {

constexpr uint32_t kAllEventTypes = wtsim::kSimpleEvent | wtsim::kTrackingEvent | wtsim::kConditionEvent;
constexpr uint32_t kMinSeverity = 1;
constexpr uint32_t kMaxSeverity = 1000;

struct EventFilter {
  uint32_t eventTypes = kAllEventTypes;
  std::vector<uint32_t> categories;  // empty: every category
  uint32_t lowSeverity = kMinSeverity;
  uint32_t highSeverity = kMaxSeverity;
  std::vector<String> areas;    // patterns; empty: every area
  std::vector<String> sources;  // patterns; empty: every source

  bool Matches(const wtsim::SimEvent& e) const;
};

enum class FilterError { None, NoEventType, UnknownCategory, BadSeverity };

// Checks a filter a client asks for against the server's categories.
FilterError Validate(const EventFilter& f, const std::vector<wtsim::Category>& known);

// A source lies in every area its dotted name starts with: the source
// "Area1.Boiler.TI101" is in "Area1" and in "Area1.Boiler".
bool SourceInArea(const String& source, const String& areaPattern);

}  // namespace opcsrv
