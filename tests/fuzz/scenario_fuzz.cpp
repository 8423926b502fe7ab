// The simulated server's scenario parser on any text (the input is the
// file). A refused file names a line of the file and says why. An accepted
// file has every number, time and setting within the format's rules, and
// its scenario written back out as a scenario file parses to the same
// scenario again.
#include <cstring>
#include <string>

#include "tests/fuzz/FuzzInput.h"
#include "plant/Scenario.h"

using namespace fuzz;
using namespace wtsim;

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The file's lines as the format defines them.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < text.size()) {
    size_t nl = text.find('\n', at);
    if (nl == std::string::npos) nl = text.size();
    lines.push_back(text.substr(at, nl - at));
    at = nl + 1;
  }
  if (!lines.empty() && lines[0].compare(0, 3, "\xEF\xBB\xBF") == 0) lines[0].erase(0, 3);
  for (std::string& l : lines)
    if (!l.empty() && l.back() == '\r') l.pop_back();
  return lines;
}

std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i >= line.size()) break;
    const size_t s = i;
    while (i < line.size() && !IsBlank(line[i])) ++i;
    words.push_back(line.substr(s, i - s));
  }
  return words;
}

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

// "Numbers are decimal, or hex with a 0x prefix."
bool IsNumber(const std::string& w) {
  size_t from = 0;
  bool hex = false;
  if (w.size() > 2 && w[0] == '0' && (w[1] == 'x' || w[1] == 'X')) from = 2, hex = true;
  if (from >= w.size()) return false;
  for (size_t k = from; k < w.size(); ++k) {
    const char c = w[k];
    const bool digit = c >= '0' && c <= '9';
    const bool hexDigit = (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    if (!digit && !(hex && hexDigit)) return false;
  }
  return true;
}

bool IsTimeWord(const std::string& word) {
  const std::string w = Lower(word);
  if (w == "now") return true;
  if (w.compare(0, 4, "now+") == 0 || w.compare(0, 4, "now-") == 0) return IsNumber(w.substr(4));
  if (w.compare(0, 3, "ft:") == 0) return IsNumber(w.substr(3));
  return !w.empty() && w[0] >= '0' && w[0] <= '9';  // a calendar time: its digits are checked exactly
}

// Every numeric word of an accepted file is a number in the format's sense.
void CheckWords(const std::string& text) {
  for (const std::string& line : Lines(text)) {
    const std::vector<std::string> w = Words(line);
    if (w.empty() || w[0][0] == '#') continue;
    const std::string key = Lower(w[0]);
    auto number = [&w](size_t k) {
      if (k < w.size() && !IsNumber(w[k])) {
        std::fprintf(stderr, "accepted '%s' as a number\n", w[k].c_str());
        FUZZ_CHECK(!"a numeric word of an accepted line is a decimal or 0x number");
      }
    };
    if (key == "category") number(1), number(2);
    if (key == "burst") number(1), number(2);
    if (key == "seed") number(1);
    if (key == "fail") number(2);
    if (key == "hang") number(2);
    if (key == "wait" || key == "silence") number(1);
    if (key == "event" || key == "alarm" || key == "normal") {
      FUZZ_CHECK(IsTimeWord(w[1]));
      number(2), number(3);
    }
    if (key == "rate") {
      // Decimals, but no white space of any kind in the way.
      FUZZ_CHECK(w[1].find_first_of("\v\f\r") == std::string::npos);
    }
  }
}

void AppendUtf8(std::string& out, const String& s) {
  for (size_t i = 0; i < s.size(); ++i) {
    uint32_t cp = s[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    }
    // The parser never makes a lone surrogate.
    FUZZ_CHECK(!(cp >= 0xD800 && cp <= 0xDFFF));
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
}

std::string Time(const TimeSpec& t) {
  if (!t.relative) return "ft:" + std::to_string(t.fileTime);
  if (t.offsetMs == 0) return "now";
  return t.offsetMs > 0 ? "now+" + std::to_string(t.offsetMs) : "now-" + std::to_string(-t.offsetMs);
}

// The scenario as a file. Lines end in CR LF, so that a CR that ends a word
// or a text survives the one CR the parser takes off.
std::string Render(const Scenario& sc) {
  static const char* const kCalls[kCallCount] = {"connect", "query", "subscribe", "refresh", "disconnect"};
  std::string out;
  auto end = [&out] { out += "\r\n"; };
  for (const Category& c : sc.categories) {
    out += "category " + std::to_string(c.eventType) + " " + std::to_string(c.id) + " ";
    AppendUtf8(out, c.name);
    end();
  }
  char rate[64];
  std::snprintf(rate, sizeof rate, "rate %.17g", sc.rate);
  out += rate;
  end();
  if (sc.burstSize != 0) out += "burst " + std::to_string(sc.burstEverySec) + " " + std::to_string(sc.burstSize), end();
  if (sc.seed != 0) out += "seed " + std::to_string(sc.seed), end();
  for (size_t k = 0; k < kCallCount; ++k) {
    const CallMode& m = sc.calls[k];
    if (m.failCount != 0) {
      out += std::string("fail ") + kCalls[k];
      if (m.failCount > 0) out += " " + std::to_string(m.failCount);
      end();
    }
    if (m.hangMs != 0) out += std::string("hang ") + kCalls[k] + " " + std::to_string(m.hangMs), end();
  }
  for (const ScriptStep& s : sc.script) {
    switch (s.kind) {
      case ScriptStep::Event:
      case ScriptStep::Alarm:
      case ScriptStep::Normal: {
        const SimEvent& e = s.event;
        out += s.kind == ScriptStep::Event ? "event " : s.kind == ScriptStep::Alarm ? "alarm " : "normal ";
        out += Time(s.time) + " " + std::to_string(e.category) + " " + std::to_string(e.severity) + " ";
        AppendUtf8(out, e.source);
        if (s.kind != ScriptStep::Event) out += " ", AppendUtf8(out, e.condition);
        if (!e.message.empty()) out += " ", AppendUtf8(out, e.message);
        break;
      }
      case ScriptStep::Flush: out += "batch"; break;
      case ScriptStep::Wait: out += "wait " + std::to_string(s.ms); break;
      case ScriptStep::Silence: out += "silence " + std::to_string(s.ms); break;
    }
    end();
  }
  if (sc.loop) out += "loop", end();
  return out;
}

bool SameEvent(const SimEvent& a, const SimEvent& b) {
  return a.changeMask == b.changeMask && a.newState == b.newState && a.source == b.source && a.time == b.time &&
         a.message == b.message && a.eventType == b.eventType && a.category == b.category &&
         a.severity == b.severity && a.condition == b.condition && a.subcondition == b.subcondition &&
         a.quality == b.quality && a.ackRequired == b.ackRequired && a.activeTime == b.activeTime &&
         a.cookie == b.cookie && a.actor == b.actor;
}

bool SameScenario(const Scenario& a, const Scenario& b) {
  if (a.categories.size() != b.categories.size() || a.script.size() != b.script.size()) return false;
  for (size_t k = 0; k < a.categories.size(); ++k) {
    const Category &x = a.categories[k], &y = b.categories[k];
    if (x.eventType != y.eventType || x.id != y.id || x.name != y.name) return false;
  }
  for (size_t k = 0; k < kCallCount; ++k)
    if (a.calls[k].failCount != b.calls[k].failCount || a.calls[k].hangMs != b.calls[k].hangMs) return false;
  for (size_t k = 0; k < a.script.size(); ++k) {
    const ScriptStep &x = a.script[k], &y = b.script[k];
    if (x.kind != y.kind || x.ms != y.ms || x.time.relative != y.time.relative ||
        x.time.offsetMs != y.time.offsetMs || x.time.fileTime != y.time.fileTime || !SameEvent(x.event, y.event))
      return false;
  }
  return a.rate == b.rate && a.burstEverySec == b.burstEverySec && a.burstSize == b.burstSize &&
         a.seed == b.seed && a.loop == b.loop;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const ParseResult r = ParseScenario(text);
  const size_t lines = Lines(text).size();
  if (!r.ok) {
    FUZZ_CHECK(!r.error.empty());
    FUZZ_CHECK(r.line >= 1 && static_cast<size_t>(r.line) <= std::max<size_t>(lines, 1));
    return 0;
  }
  FUZZ_CHECK(r.line == 0);
  const Scenario& sc = r.scenario;

  // Settings within their ranges.
  FUZZ_CHECK(sc.rate >= 0 && sc.rate <= 10000);
  FUZZ_CHECK(sc.burstEverySec <= 86400 && sc.burstSize <= 10000);
  FUZZ_CHECK(sc.burstSize != 0 || sc.burstEverySec == 0);  // set together, size at least 1
  FUZZ_CHECK(!sc.categories.empty());
  for (size_t k = 0; k < sc.categories.size(); ++k) {
    const uint32_t t = sc.categories[k].eventType;
    FUZZ_CHECK(t == kSimpleEvent || t == kTrackingEvent || t == kConditionEvent);
    for (size_t j = 0; j < k; ++j) FUZZ_CHECK(sc.categories[j].id != sc.categories[k].id);
  }
  for (size_t k = 0; k < kCallCount; ++k) {
    FUZZ_CHECK(sc.calls[k].failCount >= -1 && sc.calls[k].failCount <= 1000000);
    FUZZ_CHECK(sc.calls[k].hangMs <= 600000);
  }
  FUZZ_CHECK(sc.calls[static_cast<size_t>(Call::Disconnect)].failCount == 0);

  // The script: steps in file order, times that resolve anywhere without
  // wrapping, delays within a day, event types from the categories.
  uint64_t delay = 0;
  int lastLine = 0;
  for (const ScriptStep& s : sc.script) {
    FUZZ_CHECK(s.line > lastLine && static_cast<size_t>(s.line) <= lines);
    lastLine = s.line;
    if (s.kind == ScriptStep::Wait || s.kind == ScriptStep::Silence) {
      FUZZ_CHECK(s.ms <= 86400000u);
      delay += s.ms;
    }
    if (s.kind == ScriptStep::Event) FUZZ_CHECK(s.event.eventType == sc.EventTypeOf(s.event.category));
    if (s.kind == ScriptStep::Alarm || s.kind == ScriptStep::Normal) {
      FUZZ_CHECK(s.event.eventType == kConditionEvent && !s.event.condition.empty());
      FUZZ_CHECK(s.event.subcondition == s.event.condition);
    }
    if (s.kind <= ScriptStep::Normal) {
      FUZZ_CHECK(!s.event.source.empty());
      // Relative times move from the delivery time and stop at the epoch.
      for (uint64_t now : {uint64_t{0}, uint64_t{1}, uint64_t{133540960890120000ULL}}) {
        const uint64_t at = s.time.Resolve(now);
        if (!s.time.relative) {
          FUZZ_CHECK(at == s.time.fileTime);
        } else {
          const int64_t want = static_cast<int64_t>(now) + s.time.offsetMs * 10000;
          FUZZ_CHECK(at == static_cast<uint64_t>(want < 0 ? 0 : want));
        }
      }
    }
  }
  if (sc.loop) FUZZ_CHECK(delay >= 1);

  CheckWords(text);

  // Written back out, it reads as the same scenario.
  const std::string again = Render(sc);
  const ParseResult r2 = ParseScenario(again);
  if (!r2.ok) std::fprintf(stderr, "rendered scenario refused, line %d: %s\n", r2.line, r2.error.c_str());
  FUZZ_CHECK(r2.ok);
  FUZZ_CHECK(SameScenario(sc, r2.scenario));
  return 0;
}
