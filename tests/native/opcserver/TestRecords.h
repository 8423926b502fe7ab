// Records for the server's tests, built field by field.
#pragma once
#include "plant/SimEvent.h"

namespace opcsrv_test {

inline wtsim::SimEvent Record(uint32_t type, uint32_t category, uint32_t severity, const String& source,
                              const String& message = u"m") {
  wtsim::SimEvent e;
  e.eventType = type;
  e.category = category;
  e.severity = severity;
  e.source = source;
  e.message = message;
  return e;
}

// n simple records whose messages number them from first.
inline wtsim::Batch Numbered(size_t first, size_t n) {
  wtsim::Batch b;
  for (size_t i = first; i < first + n; ++i) {
    const std::string s = std::to_string(i);
    b.push_back(Record(wtsim::kSimpleEvent, 0x104, 100, u"S", String(s.begin(), s.end())));
  }
  return b;
}

inline String MessageOf(const wtsim::SimEvent& e) { return e.message; }

}  // namespace opcsrv_test
