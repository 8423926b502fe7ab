#include "plant/Scenario.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "plant/Plant.h"
#include "framework/Utf8.h"

namespace wtsim {
namespace {

constexpr uint32_t kMaxDelayMs = 86400000;  // a day
constexpr uint32_t kMaxHangMs = 600000;
// An offset from now may reach ten years either way: further is a typing
// error, not a plan.
constexpr uint64_t kMaxOffsetMs = 10ULL * 365 * kMaxDelayMs;

// "now+MS" or "now-MS", lower case: the sign and the digits.
bool SplitNowOffset(const std::string& w, char& sign, std::string& digits) {
  if (w.compare(0, 3, "now") != 0 || w.size() <= 4 || (w[3] != '+' && w[3] != '-')) return false;
  sign = w[3];
  digits = w.substr(4);
  return true;
}

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

bool IsSpace(char c) { return c == ' ' || c == '\t'; }

// A line split into words, keeping where each word starts so that the rest
// of the line can be taken as free text.
struct Words {
  std::string line;
  std::vector<size_t> starts;
  std::vector<std::string> words;

  explicit Words(const std::string& l) : line(l) {
    size_t i = 0;
    while (i < line.size()) {
      while (i < line.size() && IsSpace(line[i])) ++i;
      if (i >= line.size()) break;
      const size_t s = i;
      while (i < line.size() && !IsSpace(line[i])) ++i;
      starts.push_back(s);
      words.push_back(line.substr(s, i - s));
    }
  }
  size_t size() const { return words.size(); }
  // The text from word k to the end of the line, trailing blanks removed.
  std::string Rest(size_t k) const {
    if (k >= words.size()) return std::string();
    std::string r = line.substr(starts[k]);
    while (!r.empty() && IsSpace(r.back())) r.pop_back();
    return r;
  }
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The whole word must be the number: strtoull alone would skip leading white
// space other than blanks (and then take a sign), and a NUL byte in the word
// would end it early.
bool ParseU64(const std::string& w, uint64_t& out) {
  if (w.empty() || !IsDigit(w[0])) return false;
  const bool hex = w.size() > 2 && w[0] == '0' && (w[1] == 'x' || w[1] == 'X');
  errno = 0;
  char* end = nullptr;
  const unsigned long long v = std::strtoull(w.c_str(), &end, hex ? 16 : 10);
  if (errno != 0 || end != w.c_str() + w.size()) return false;
  out = v;
  return true;
}

bool ParseU32(const std::string& w, uint32_t& out, uint64_t max = 0xFFFFFFFFULL) {
  uint64_t v = 0;
  if (!ParseU64(w, v) || v > max) return false;
  out = static_cast<uint32_t>(v);
  return true;
}

bool ParseCall(const std::string& w, Call& out) {
  static const char* names[kCallCount] = {"connect", "query", "subscribe", "refresh", "disconnect"};
  for (size_t i = 0; i < kCallCount; ++i)
    if (Lower(w) == names[i]) {
      out = static_cast<Call>(i);
      return true;
    }
  return false;
}

int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

bool Digits(const std::string& s, size_t pos, size_t n, unsigned& out) {
  if (pos + n > s.size()) return false;
  out = 0;
  for (size_t i = 0; i < n; ++i) {
    const char c = s[pos + i];
    if (c < '0' || c > '9') return false;
    out = out * 10 + static_cast<unsigned>(c - '0');
  }
  return true;
}

bool ParseIsoUtc(const std::string& s, uint64_t& fileTime) {
  unsigned y, mo, d, h, mi, se, ms = 0;
  if (!Digits(s, 0, 4, y) || s.size() < 19 || s[4] != '-' || !Digits(s, 5, 2, mo) || s[7] != '-' ||
      !Digits(s, 8, 2, d) || s[10] != 'T' || !Digits(s, 11, 2, h) || s[13] != ':' || !Digits(s, 14, 2, mi) ||
      s[16] != ':' || !Digits(s, 17, 2, se))
    return false;
  size_t p = 19;
  if (p < s.size() && s[p] == '.') {
    size_t n = 0;
    while (p + 1 + n < s.size() && s[p + 1 + n] >= '0' && s[p + 1 + n] <= '9') ++n;
    if (n < 1 || n > 3 || !Digits(s, p + 1, n, ms)) return false;
    for (size_t k = n; k < 3; ++k) ms *= 10;
    p += 1 + n;
  }
  if (p < s.size() && s[p] == 'Z') ++p;
  if (p != s.size()) return false;
  static const unsigned mdays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (y < 1601 || mo < 1 || mo > 12 || d < 1 || d > mdays[mo - 1] || h > 23 || mi > 59 || se > 59) return false;
  const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  if (mo == 2 && d == 29 && !leap) return false;
  const int64_t days = DaysFromCivil(y, mo, d) - DaysFromCivil(1601, 1, 1);
  const uint64_t secs = static_cast<uint64_t>(days) * 86400 + h * 3600 + mi * 60 + se;
  fileTime = secs * 10000000ULL + ms * kFileTimePerMs;
  return true;
}

class Parser {
 public:
  ParseResult Run(const std::string& text) {
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
      ++m_line;
      if (m_line == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      const Words w(line);
      if (w.size() == 0 || w.words[0][0] == '#') continue;
      if (!Line(w)) return Fail();
    }
    if (!Finish()) return Fail();
    m_result.ok = true;
    m_result.line = 0;
    return m_result;
  }

 private:
  ParseResult Fail() {
    m_result.ok = false;
    m_result.line = m_errorLine ? m_errorLine : m_line;
    return m_result;
  }
  bool Error(const std::string& msg) {
    m_result.error = msg;
    return false;
  }
  bool Arity(const Words& w, size_t min, size_t max, const char* usage) {
    if (w.size() < min || w.size() > max) return Error(std::string("expected: ") + usage);
    return true;
  }

  bool Line(const Words& w) {
    Scenario& sc = m_result.scenario;
    const std::string key = Lower(w.words[0]);
    const bool scriptKey = key == "event" || key == "alarm" || key == "normal" || key == "batch" ||
                           key == "wait" || key == "silence" || key == "loop";
    if (scriptKey && sc.loop) return Error("nothing may follow 'loop' in the script");

    if (key == "category") {
      if (w.size() < 4) return Error("expected: category TYPE ID NAME");
      Category c;
      if (!ParseU32(w.words[1], c.eventType) ||
          (c.eventType != kSimpleEvent && c.eventType != kTrackingEvent && c.eventType != kConditionEvent))
        return Error("event type must be 1 (simple), 2 (tracking) or 4 (condition), not '" + w.words[1] + "'");
      if (!ParseU32(w.words[2], c.id)) return Error("bad category id '" + w.words[2] + "'");
      for (const Category& o : sc.categories)
        if (o.id == c.id) return Error("category " + w.words[2] + " is declared twice");
      c.name = utf8::ToUtf16(w.Rest(3));
      sc.categories.push_back(c);
      return true;
    }
    if (key == "rate") {
      if (!Arity(w, 2, 2, "rate EVENTS_PER_SECOND")) return false;
      const std::string& word = w.words[1];
      char* end = nullptr;
      // As with integers: the whole word, and no white space strtod would skip.
      const double r = std::strtod(word.c_str(), &end);
      if (std::isspace(static_cast<unsigned char>(word[0])) || end != word.c_str() + word.size() ||
          !(r >= 0 && r <= 10000))
        return Error("rate must be a number from 0 to 10000");
      sc.rate = r;
      return true;
    }
    if (key == "burst") {
      if (!Arity(w, 3, 3, "burst MEAN_SECONDS_BETWEEN SIZE")) return false;
      if (!ParseU32(w.words[1], sc.burstEverySec, 86400)) return Error("burst interval must be 0 to 86400 s");
      if (!ParseU32(w.words[2], sc.burstSize, 10000) || sc.burstSize == 0)
        return Error("burst size must be 1 to 10000");
      return true;
    }
    if (key == "seed") {
      if (!Arity(w, 2, 2, "seed NUMBER")) return false;
      if (!ParseU64(w.words[1], sc.seed)) return Error("bad seed '" + w.words[1] + "'");
      return true;
    }
    if (key == "fail") {
      if (!Arity(w, 2, 3, "fail connect|query|subscribe|refresh [COUNT]")) return false;
      Call c;
      if (!ParseCall(w.words[1], c) || c == Call::Disconnect)
        return Error("fail takes connect, query, subscribe or refresh, not '" + w.words[1] + "'");
      int32_t count = -1;
      if (w.size() == 3) {
        uint32_t n = 0;
        if (!ParseU32(w.words[2], n, 1000000) || n == 0) return Error("fail count must be 1 to 1000000");
        count = static_cast<int32_t>(n);
      }
      sc.Mode(c).failCount = count;
      return true;
    }
    if (key == "hang") {
      if (!Arity(w, 3, 3, "hang connect|query|subscribe|refresh|disconnect MS")) return false;
      Call c;
      if (!ParseCall(w.words[1], c)) return Error("unknown call '" + w.words[1] + "'");
      if (!ParseU32(w.words[2], sc.Mode(c).hangMs, kMaxHangMs)) return Error("hang time must be 0 to 600000 ms");
      return true;
    }
    if (key == "event" || key == "alarm" || key == "normal") return EventLine(w, key);
    if (key == "batch") {
      if (!Arity(w, 1, 1, "batch")) return false;
      Push(ScriptStep::Flush, 0);
      return true;
    }
    if (key == "wait" || key == "silence") {
      if (!Arity(w, 2, 2, key == "wait" ? "wait MS" : "silence MS")) return false;
      uint32_t ms = 0;
      if (!ParseU32(w.words[1], ms, kMaxDelayMs)) return Error("time must be 0 to 86400000 ms");
      Push(key == "wait" ? ScriptStep::Wait : ScriptStep::Silence, ms);
      m_scriptDelay += ms;
      return true;
    }
    if (key == "loop") {
      if (!Arity(w, 1, 1, "loop")) return false;
      sc.loop = true;
      m_loopLine = m_line;
      return true;
    }
    return Error("unknown keyword '" + w.words[0] + "'");
  }

  bool EventLine(const Words& w, const std::string& key) {
    const bool condition = key != "event";
    const size_t textAt = condition ? 6 : 5;
    if (w.size() < textAt)
      return Error(condition ? "expected: " + key + " TIME CATEGORY SEVERITY SOURCE CONDITION MESSAGE"
                             : std::string("expected: event TIME CATEGORY SEVERITY SOURCE MESSAGE"));
    ScriptStep s;
    s.line = m_line;
    s.kind = key == "event" ? ScriptStep::Event : key == "alarm" ? ScriptStep::Alarm : ScriptStep::Normal;
    if (!ParseTimeSpec(w.words[1], s.time)) {
      char sign;
      std::string digits;
      if (SplitNowOffset(Lower(w.words[1]), sign, digits))
        return Error("bad time '" + w.words[1] + "' (now+MS or now-MS, MS at most " + std::to_string(kMaxOffsetMs) +
                     ")");
      return Error("bad time '" + w.words[1] + "'");
    }
    SimEvent& e = s.event;
    if (!ParseU32(w.words[2], e.category)) return Error("bad category id '" + w.words[2] + "'");
    if (!ParseU32(w.words[3], e.severity)) return Error("bad severity '" + w.words[3] + "'");
    e.source = utf8::ToUtf16(w.words[4]);
    e.message = utf8::ToUtf16(w.Rest(textAt));
    if (condition) {
      e.eventType = kConditionEvent;
      e.condition = utf8::ToUtf16(w.words[5]);
      e.subcondition = e.condition;
      if (s.kind == ScriptStep::Alarm) {
        e.changeMask = kChangeActiveState | kChangeSeverity | kChangeMessage;
        e.newState = kStateEnabled | kStateActive;
        e.ackRequired = true;
      } else {
        e.changeMask = kChangeActiveState;
        e.newState = kStateEnabled;
      }
    }
    m_result.scenario.script.push_back(s);
    return true;
  }

  void Push(ScriptStep::Kind kind, uint32_t ms) {
    ScriptStep s;
    s.kind = kind;
    s.ms = ms;
    s.line = m_line;
    m_result.scenario.script.push_back(s);
  }

  bool Finish() {
    Scenario& sc = m_result.scenario;
    if (sc.loop && m_scriptDelay == 0) {
      m_errorLine = m_loopLine;
      return Error("a looping script needs a wait or silence of at least 1 ms");
    }
    if (sc.categories.empty()) sc.categories = Plant::Categories();
    for (ScriptStep& s : sc.script)
      if (s.kind == ScriptStep::Event) s.event.eventType = sc.EventTypeOf(s.event.category);
    return true;
  }

  ParseResult m_result;
  int m_line = 0;
  int m_errorLine = 0;
  int m_loopLine = 0;
  uint64_t m_scriptDelay = 0;
};

}  // namespace

uint64_t TimeSpec::Resolve(uint64_t now) const {
  if (!relative) return fileTime;
  const int64_t delta = offsetMs * static_cast<int64_t>(kFileTimePerMs);
  if (delta < 0 && static_cast<uint64_t>(-delta) > now) return 0;
  return now + static_cast<uint64_t>(delta);
}

bool ParseTimeSpec(const std::string& word, TimeSpec& out) {
  const std::string w = Lower(word);
  out = TimeSpec();
  if (w == "now") return true;
  char sign;
  std::string digits;
  if (SplitNowOffset(w, sign, digits)) {
    // Held whole: the range is well beyond 32 bits of milliseconds.
    uint64_t ms = 0;
    if (!ParseU64(digits, ms) || ms > kMaxOffsetMs) return false;
    out.offsetMs = sign == '+' ? static_cast<int64_t>(ms) : -static_cast<int64_t>(ms);
    return true;
  }
  out.relative = false;
  if (w.compare(0, 3, "ft:") == 0) return ParseU64(w.substr(3), out.fileTime);
  return ParseIsoUtc(word, out.fileTime);
}

bool Scenario::TakeFailure(Call c) {
  CallMode& m = Mode(c);
  if (m.failCount < 0) return true;
  if (m.failCount == 0) return false;
  --m.failCount;
  return true;
}

uint32_t Scenario::EventTypeOf(uint32_t category) const {
  for (const Category& c : categories)
    if (c.id == category) return c.eventType;
  return kSimpleEvent;
}

Scenario Scenario::Plant() {
  Scenario sc;
  sc.categories = wtsim::Plant::Categories();
  sc.rate = 3;
  sc.burstEverySec = 45;
  sc.burstSize = 100;
  return sc;
}

ParseResult ParseScenario(const std::string& text) { return Parser().Run(text); }

ParseResult LoadScenarioFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    ParseResult r;
    r.error = "cannot open the scenario file";
    return r;
  }
  std::ostringstream text;
  text << in.rdbuf();
  return ParseScenario(text.str());
}

}  // namespace wtsim
