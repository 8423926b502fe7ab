// Rows as an AE server sends them, for the benchmarks: a few hundred sources
// over a handful of areas, repeated messages, a few categories, severities
// 1..1000. The same seed gives the same rows on every run.
#pragma once
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "model/EventList.h"

struct Event {
  String timestamp, source, message, category, severity;
};

inline String Ascii(const std::string& s) { return String(s.begin(), s.end()); }

inline std::vector<Event> MakeEvents(int count) {
  std::mt19937 rng(2024);
  const char* kinds[] = {"Pump", "Valve", "Tank", "Motor", "Boiler"};
  const char* messages[] = {"High level alarm", "Low pressure", "Motor tripped", "Returned to normal",
                            "Acknowledged by operator", "Communication lost"};
  const char* categories[] = {"Level", "Deviation", "Discrete", "System Message", "Acknowledge"};
  std::vector<Event> events;
  for (int n = 0; n < count; ++n) {
    char ts[40];
    std::snprintf(ts, sizeof ts, "2024/05/17 %02d:%02d:%02d.%03d", n / 3600 % 24, n / 60 % 60, n % 60,
                  static_cast<int>(rng() % 1000));
    const std::string source = "Plant1.Area" + std::to_string(rng() % 8) + "." + kinds[rng() % 5] +
                               std::to_string(rng() % 60);
    const std::string message = std::string(messages[rng() % 6]) + " on unit " + std::to_string(rng() % 40);
    events.push_back({Ascii(ts), Ascii(source), Ascii(message), Ascii(categories[rng() % 5]),
                      Ascii(std::to_string(1 + rng() % 1000))});
  }
  return events;
}

inline void Fill(EventList& list, const std::vector<Event>& events, bool atBottom) {
  for (const Event& e : events) list.AddEvent(e.timestamp, e.source, e.message, e.category, e.severity, atBottom);
}
