#include "opcserver/core/EventFilter.h"

#include <algorithm>

#include "opcserver/core/Wildcard.h"

namespace opcsrv {

bool SourceInArea(const String& source, const String& areaPattern) {
  for (size_t dot = source.find(u'.'); dot != String::npos; dot = source.find(u'.', dot + 1))
    if (WildcardMatch(areaPattern, source.substr(0, dot))) return true;
  return false;
}

bool EventFilter::Matches(const wtsim::SimEvent& e) const {
  if ((e.eventType & eventTypes) == 0) return false;
  if (e.severity < lowSeverity || e.severity > highSeverity) return false;
  if (!categories.empty() && std::find(categories.begin(), categories.end(), e.category) == categories.end())
    return false;
  if (!areas.empty() &&
      std::none_of(areas.begin(), areas.end(), [&](const String& a) { return SourceInArea(e.source, a); }))
    return false;
  if (!sources.empty() &&
      std::none_of(sources.begin(), sources.end(), [&](const String& s) { return WildcardMatch(s, e.source); }))
    return false;
  return true;
}

FilterError Validate(const EventFilter& f, const std::vector<wtsim::Category>& known) {
  if ((f.eventTypes & kAllEventTypes) == 0) return FilterError::NoEventType;
  if (f.lowSeverity < kMinSeverity || f.highSeverity > kMaxSeverity || f.lowSeverity > f.highSeverity)
    return FilterError::BadSeverity;
  for (uint32_t id : f.categories)
    if (std::none_of(known.begin(), known.end(), [&](const wtsim::Category& c) { return c.id == id; }))
      return FilterError::UnknownCategory;
  return FilterError::None;
}

}  // namespace opcsrv
