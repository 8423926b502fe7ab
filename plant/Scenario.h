// A scripted run of the simulated AE server, parsed from a line-based text
// file (format in plant/SCENARIO.md). Without a file the server runs the
// plant scenario: plant categories, steady traffic and occasional bursts.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "plant/SimEvent.h"

namespace wtsim {

// The library calls whose outcome a scenario can script.
enum class Call { Connect, Query, Subscribe, Refresh, Disconnect };
constexpr size_t kCallCount = 5;

struct CallMode {
  // -1: every call fails; n > 0: the next n calls fail; 0: none fails.
  int32_t failCount = 0;
  // Each call first blocks this long, then proceeds (or fails).
  uint32_t hangMs = 0;
};

// When a scripted event is stamped: now (plus an offset) or a fixed FILETIME.
struct TimeSpec {
  bool relative = true;
  int64_t offsetMs = 0;   // relative: added to the delivery time
  uint64_t fileTime = 0;  // absolute
  uint64_t Resolve(uint64_t nowFileTime) const;
};

struct ScriptStep {
  enum Kind { Event, Alarm, Normal, Flush, Wait, Silence };
  Kind kind = Flush;
  uint32_t ms = 0;  // Wait, Silence
  TimeSpec time;    // Event, Alarm, Normal
  SimEvent event;   // Event, Alarm, Normal (time filled at delivery)
  int line = 0;
};

struct Scenario {
  std::vector<Category> categories;
  double rate = 0;             // generated events per second
  uint32_t burstEverySec = 0;  // mean seconds between bursts; 0: none
  uint32_t burstSize = 0;
  uint64_t seed = 0;           // 0: a different stream per run
  std::array<CallMode, kCallCount> calls{};
  std::vector<ScriptStep> script;
  bool loop = false;

  CallMode& Mode(Call c) { return calls[static_cast<size_t>(c)]; }
  const CallMode& Mode(Call c) const { return calls[static_cast<size_t>(c)]; }
  // Consumes one scripted failure of the call; true if this call fails.
  bool TakeFailure(Call c);
  // Event type of a category id per the table; simple if unknown.
  uint32_t EventTypeOf(uint32_t category) const;

  static Scenario Plant();
};

struct ParseResult {
  bool ok = false;
  int line = 0;  // of the error, 1-based; 0 for a file that cannot be read
  std::string error;
  Scenario scenario;
};

ParseResult ParseScenario(const std::string& text);
ParseResult LoadScenarioFile(const std::string& path);

// Parses "now", "now+MS", "now-MS", "YYYY-MM-DDTHH:MM:SS[.mmm][Z]" (UTC) or
// "ft:N" (a raw FILETIME, decimal or 0x hex).
bool ParseTimeSpec(const std::string& word, TimeSpec& out);

}  // namespace wtsim
