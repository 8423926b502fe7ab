#include "intake/TimestampText.h"

#include <cstdio>
#include <cstdlib>

namespace {

String Widen(const char* s) { return String(s, s + std::char_traits<char>::length(s)); }

bool Calendar(TimePort* time, uint64_t utc, bool local, CalendarTime& t) {
  if (!time) return false;
  uint64_t ft = utc;
  if (local && !time->UtcToLocal(utc, ft)) return false;
  return time->Split(ft, t);
}

}  // namespace

String TimestampText(TimePort* time, uint64_t utc, bool localize) {
  char suffix[24] = "(UTC)";
  if (localize && time) {
    const int32_t minutes = -time->BaseBiasMinutes();
    std::snprintf(suffix, sizeof suffix, "(%.2d:%.2d)", static_cast<int>(minutes / 60),
                  static_cast<int>(std::abs(minutes % 60)));
  }
  CalendarTime t;
  char text[64];
  if (Calendar(time, utc, localize, t))
    std::snprintf(text, sizeof text, "%.4d/%.2d/%.2d %.2d:%.2d:%.2d.%.3d  %s", t.year, t.month, t.day,
                  t.hour, t.minute, t.second, t.millisecond, suffix);
  else
    std::snprintf(text, sizeof text, "----/--/-- --:--:--.---  %s", suffix);
  return Widen(text);
}

double NewEventDate(TimePort* time, uint64_t utc) {
  CalendarTime t;
  double date = 0.0;
  if (!Calendar(time, utc, true, t)) return 0.0;
  t.millisecond = 0;
  return time->ToAutomationDate(t, date) ? date : 0.0;
}

String SeverityText(uint32_t severity) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", static_cast<int>(static_cast<int32_t>(severity)));
  return Widen(text);
}
