#include "plant/Plant.h"

#include <cstdio>
#include <string>

#include "framework/Utf8.h"

namespace wtsim {
namespace {

enum class Kind { Temperature, Pressure, Level, Flow, Controller, Motor, Valve };

struct Source {
  const char* name;
  Kind kind;
  double lo, hi;  // alarm limits
  const char* unit;
};

const Source kSources[] = {
    {"Area1.Boiler.TI101", Kind::Temperature, 320, 410, "degC"},
    {"Area1.Boiler.PI102", Kind::Pressure, 38, 46, "bar"},
    {"Area1.Boiler.LI103", Kind::Level, 20, 80, "%"},
    {"Area1.Boiler.FI104", Kind::Flow, 40, 120, "t/h"},
    {"Area1.Boiler.TIC105", Kind::Controller, -5, 5, "degC"},
    {"Area1.Boiler.M106", Kind::Motor, 0, 0, ""},
    {"Area1.Feedwater.LI111", Kind::Level, 25, 85, "%"},
    {"Area1.Feedwater.FI112", Kind::Flow, 35, 125, "t/h"},
    {"Area1.Feedwater.PI113", Kind::Pressure, 50, 62, "bar"},
    {"Area1.Feedwater.XV114", Kind::Valve, 0, 0, ""},
    {"Area1.Feedwater.M115", Kind::Motor, 0, 0, ""},
    {"Area2.Turbine.TI201", Kind::Temperature, 480, 545, "degC"},
    {"Area2.Turbine.PI202", Kind::Pressure, 30, 42, "bar"},
    {"Area2.Turbine.TI203", Kind::Temperature, 40, 95, "degC"},
    {"Area2.Turbine.XV204", Kind::Valve, 0, 0, ""},
    {"Area2.Turbine.FIC205", Kind::Controller, -8, 8, "t/h"},
    {"Area2.Turbine.M206", Kind::Motor, 0, 0, ""},
    {"Area2.Generator.TI211", Kind::Temperature, 30, 110, "degC"},
    {"Area2.Generator.TI212", Kind::Temperature, 30, 105, "degC"},
    {"Area2.Generator.M213", Kind::Motor, 0, 0, ""},
    {"Area3.Cooling.TI301", Kind::Temperature, 15, 38, "degC"},
    {"Area3.Cooling.FI302", Kind::Flow, 800, 1500, "m3/h"},
    {"Area3.Cooling.LI303", Kind::Level, 30, 90, "%"},
    {"Area3.Cooling.M304", Kind::Motor, 0, 0, ""},
    {"Area3.Cooling.M305", Kind::Motor, 0, 0, ""},
    {"Area3.Cooling.XV306", Kind::Valve, 0, 0, ""},
    {"Area3.Compressor.PI311", Kind::Pressure, 6, 9, "bar"},
    {"Area3.Compressor.TI312", Kind::Temperature, 20, 85, "degC"},
    {"Area3.Compressor.PIC313", Kind::Controller, -0.5, 0.5, "bar"},
    {"Area3.Compressor.M314", Kind::Motor, 0, 0, ""},
    {"Area4.TankFarm.LI401", Kind::Level, 10, 92, "%"},
    {"Area4.TankFarm.LI402", Kind::Level, 10, 92, "%"},
    {"Area4.TankFarm.LI403", Kind::Level, 10, 92, "%"},
    {"Area4.TankFarm.XV404", Kind::Valve, 0, 0, ""},
    {"Area4.TankFarm.XV405", Kind::Valve, 0, 0, ""},
    {"Area4.TankFarm.FI406", Kind::Flow, 20, 300, "m3/h"},
};
constexpr size_t kSourceCount = sizeof(kSources) / sizeof(kSources[0]);

const char* const kOperators[] = {"Operator1", "Operator2", "Shift.Lead", "Maintenance"};

String U(const std::string& s) { return utf8::ToUtf16(s); }

std::string Format(const char* fmt, double a, double b, const char* unit) {
  char buf[160];
  std::snprintf(buf, sizeof buf, fmt, a, unit, b, unit);  // value unit, limit unit
  return buf;
}

// The short tag (after the last dot) for messages.
std::string Tag(const Source& s) {
  std::string n = s.name;
  return n.substr(n.rfind('.') + 1);
}

SimEvent Base(uint64_t now, uint32_t type, uint32_t category, uint32_t severity, const std::string& source,
              const std::string& message) {
  SimEvent e;
  e.time = now;
  e.eventType = type;
  e.category = category;
  e.severity = severity;
  e.source = U(source);
  e.message = U(message);
  return e;
}

}  // namespace

std::vector<Category> Plant::Categories() {
  using namespace plantcat;
  return {
      {kSimpleEvent, kReset, u"Reset"},
      {kSimpleEvent, kSystem, u"System message"},
      {kSimpleEvent, kAcknowledgement, u"Acknowledgement"},
      {kSimpleEvent, kProcess, u"Process message"},
      {kSimpleEvent, kOperator, u"Operator message"},
      {kTrackingEvent, kSetpoint, u"Setpoint change"},
      {kTrackingEvent, kMode, u"Mode change"},
      {kConditionEvent, kLevel, u"Level alarm"},
      {kConditionEvent, kDeviation, u"Deviation alarm"},
      {kConditionEvent, kLimit, u"Limit alarm"},
      {kConditionEvent, kDiscrete, u"Discrete alarm"},
  };
}

size_t Plant::SourceCount() { return kSourceCount; }
String Plant::SourceName(size_t i) { return U(kSources[i].name); }

std::vector<ConditionDef> Plant::ConditionDefs() {
  const std::vector<String> limits = {u"HI", u"HIHI", u"LO", u"LOLO"};
  std::vector<ConditionDef> out;
  for (const Source& s : kSources) {
    const String name = U(s.name);
    switch (s.kind) {
      case Kind::Temperature:
      case Kind::Pressure:
      case Kind::Flow:
        out.push_back({name, plantcat::kLimit, u"LIMIT", limits});
        break;
      case Kind::Level:
        out.push_back({name, plantcat::kLevel, u"LEVEL", limits});
        break;
      case Kind::Controller:
        out.push_back({name, plantcat::kDeviation, u"DEVIATION", {u"DVHI", u"DVLO"}});
        break;
      case Kind::Motor:
        out.push_back({name, plantcat::kDiscrete, u"TRIP", {u"TRIP"}});
        out.push_back({name, plantcat::kDiscrete, u"FEEDBACK", {u"FEEDBACK"}});
        break;
      case Kind::Valve:
        out.push_back({name, plantcat::kDiscrete, u"POSITION", {u"NOT_OPEN", u"NOT_CLOSED"}});
        break;
    }
  }
  return out;
}

SimEvent Plant::AcknowledgementOf(const SimEvent& c, uint64_t now, const String& actor) {
  SimEvent e;
  e.time = now;
  e.eventType = kSimpleEvent;
  e.category = plantcat::kAcknowledgement;
  e.severity = c.severity;
  e.source = c.source;
  e.message = c.subcondition + U(" alarm acknowledged by ") + actor;
  e.condition = c.condition;
  e.subcondition = c.subcondition;
  e.changeMask = kChangeAckState;
  e.newState = static_cast<uint16_t>(c.newState | kStateAcked);
  e.activeTime = c.activeTime;
  e.cookie = c.cookie;
  e.actor = actor;
  return e;
}

SimEvent Plant::Next(Random& rng, uint64_t now, ConditionTable& conditions) {
  // Keep a handful of alarms standing: acknowledge and clear more often as
  // the table fills.
  const uint32_t active = static_cast<uint32_t>(conditions.Size());
  const uint32_t roll = rng.Below(100);
  if (active > 0 && roll < 10 + active * 2) return rng.Below(2) ? Acknowledge(rng, now, conditions)
                                                                : ReturnToNormal(rng, now, conditions);
  if (roll < 60) return RaiseAlarm(rng, now, conditions);
  if (roll < 85) return Message(rng, now);
  return Tracking(rng, now);
}

SimEvent Plant::RaiseAlarm(Random& rng, uint64_t now, ConditionTable& conditions) {
  // A free source, starting from a random one.
  const size_t start = rng.Below(kSourceCount);
  const Source* src = nullptr;
  for (size_t k = 0; k < kSourceCount && !src; ++k) {
    const Source& s = kSources[(start + k) % kSourceCount];
    if (!conditions.HasSource(U(s.name))) src = &s;
  }
  if (!src) return Message(rng, now);

  std::string condition, sub, text;
  uint32_t category = plantcat::kLimit, severity = 500;
  const bool high = rng.Below(2) == 0;
  const bool extreme = rng.Below(4) == 0;
  const double span = src->hi - src->lo;
  const double margin = span * (0.01 + rng.Real() * (extreme ? 0.3 : 0.08));
  const double value = high ? src->hi + margin : src->lo - margin;
  switch (src->kind) {
    case Kind::Temperature:
    case Kind::Pressure:
    case Kind::Flow: {
      static const char* names[] = {"Temperature", "Pressure", "Level", "Flow"};
      condition = "LIMIT";
      sub = high ? (extreme ? "HIHI" : "HI") : (extreme ? "LOLO" : "LO");
      text = std::string(names[static_cast<int>(src->kind)]) + (high ? " high" : " low") +
             (extreme ? " alarm" : " warning") +
             Format(": %.1f %s (limit %.1f %s)", value, high ? src->hi : src->lo, src->unit);
      break;
    }
    case Kind::Level:
      category = plantcat::kLevel;
      condition = "LEVEL";
      sub = high ? (extreme ? "HIHI" : "HI") : (extreme ? "LOLO" : "LO");
      text = std::string(high ? "Level high" : "Level low") + Format(": %.1f %s (limit %.1f %s)", value,
                                                                     high ? src->hi : src->lo, src->unit);
      break;
    case Kind::Controller:
      category = plantcat::kDeviation;
      condition = "DEVIATION";
      sub = high ? "DVHI" : "DVLO";
      text = Format("Control deviation %+.1f %s (band %.1f %s)", high ? src->hi + margin : src->lo - margin,
                    src->hi, src->unit);
      break;
    case Kind::Motor:
      category = plantcat::kDiscrete;
      condition = high ? "TRIP" : "FEEDBACK";
      sub = condition;
      text = Tag(*src) + (high ? " motor tripped (overcurrent)" : " motor running feedback lost");
      break;
    case Kind::Valve:
      category = plantcat::kDiscrete;
      condition = "POSITION";
      sub = high ? "NOT_OPEN" : "NOT_CLOSED";
      text = Tag(*src) + (high ? " failed to open" : " failed to close");
      break;
  }
  if (src->kind == Kind::Motor || src->kind == Kind::Valve) severity = rng.Between(600, 1000);
  else severity = extreme ? rng.Between(700, 1000) : rng.Between(300, 699);

  SimEvent e = Base(now, kConditionEvent, category, severity, src->name, text);
  e.condition = U(condition);
  e.subcondition = U(sub);
  e.changeMask = kChangeActiveState | kChangeSeverity | kChangeMessage;
  e.newState = kStateEnabled | kStateActive;
  e.ackRequired = true;
  e.activeTime = now;
  e.cookie = static_cast<uint32_t>(rng.Next()) | 1;
  conditions.Apply(e);
  return e;
}

SimEvent Plant::Acknowledge(Random& rng, uint64_t now, ConditionTable& conditions) {
  // The first unacknowledged condition from a random start.
  const size_t n = conditions.Size();
  const size_t start = rng.Below(static_cast<uint32_t>(n));
  for (size_t k = 0; k < n; ++k) {
    const SimEvent& c = conditions.At((start + k) % n);
    if (c.newState & kStateAcked) continue;
    // The same record a client's acknowledgement makes: one form for both.
    const SimEvent e = AcknowledgementOf(c, now, U(kOperators[rng.Below(4)]));
    conditions.Acknowledge(c.source, c.condition);
    return e;
  }
  return ReturnToNormal(rng, now, conditions);
}

SimEvent Plant::ReturnToNormal(Random& rng, uint64_t now, ConditionTable& conditions) {
  const SimEvent c = conditions.At(rng.Below(static_cast<uint32_t>(conditions.Size())));
  SimEvent e;
  e.time = now;
  e.eventType = kSimpleEvent;
  e.category = plantcat::kReset;
  e.severity = rng.Between(1, 100);
  e.source = c.source;
  e.message = c.subcondition + U(" alarm returned to normal");
  SimEvent cleared = c;
  cleared.newState = kStateEnabled;
  conditions.Apply(cleared);
  return e;
}

SimEvent Plant::Message(Random& rng, uint64_t now) {
  const Source& s = kSources[rng.Below(kSourceCount)];
  const std::string tag = Tag(s);
  char buf[160];
  switch (rng.Below(6)) {
    case 0:
      std::snprintf(buf, sizeof buf, "Controller CPU load %u %%", rng.Between(35, 95));
      return Base(now, kSimpleEvent, plantcat::kSystem, rng.Between(1, 200), "System.Controller1", buf);
    case 1:
      return Base(now, kSimpleEvent, plantcat::kSystem, rng.Between(100, 400), "System.Network",
                  rng.Below(2) ? "Redundant link switched over" : "Historian buffer flushed");
    case 2:
      std::snprintf(buf, sizeof buf, "Batch %u %s", rng.Between(4000, 4999),
                    rng.Below(2) ? "started" : "completed");
      return Base(now, kSimpleEvent, plantcat::kProcess, rng.Between(50, 300), "Area4.TankFarm.Batch", buf);
    case 3:
      return Base(now, kSimpleEvent, plantcat::kProcess, rng.Between(50, 300), s.name,
                  tag + (s.kind == Kind::Valve ? (rng.Below(2) ? " opened" : " closed")
                                               : (rng.Below(2) ? " in service" : " out of service")));
    case 4:
      return Base(now, kSimpleEvent, plantcat::kOperator, rng.Between(1, 150), "System.Console",
                  std::string("Shift log entry by ") + kOperators[rng.Below(4)]);
    default:
      std::snprintf(buf, sizeof buf, "%s maintenance due in %u h", tag.c_str(), rng.Between(1, 500));
      return Base(now, kSimpleEvent, plantcat::kProcess, rng.Between(1, 250), s.name, buf);
  }
}

SimEvent Plant::Tracking(Random& rng, uint64_t now) {
  static const char* controllers[] = {"Area1.Boiler.TIC105", "Area2.Turbine.FIC205", "Area3.Compressor.PIC313"};
  const std::string source = controllers[rng.Below(3)];
  const std::string actor = kOperators[rng.Below(4)];
  SimEvent e;
  if (rng.Below(2)) {
    char buf[120];
    const double from = 10 + rng.Below(900) / 10.0;
    std::snprintf(buf, sizeof buf, "Setpoint changed from %.1f to %.1f by %s", from, from + 1.5, actor.c_str());
    e = Base(now, kTrackingEvent, plantcat::kSetpoint, rng.Between(100, 400), source, buf);
  } else {
    const bool toAuto = rng.Below(2) == 0;
    e = Base(now, kTrackingEvent, plantcat::kMode, rng.Between(100, 400), source,
             std::string("Mode changed from ") + (toAuto ? "MAN to AUTO" : "AUTO to MAN") + " by " + actor);
  }
  e.actor = U(actor);
  return e;
}

}  // namespace wtsim
