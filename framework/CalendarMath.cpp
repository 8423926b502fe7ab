#include "framework/CalendarMath.h"

namespace calendar {
namespace {

constexpr uint64_t kTicksPerMs = 10000;
constexpr int64_t kMsPerDay = 86400000;

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int32_t& y, int32_t& m, int32_t& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  d = static_cast<int32_t>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int32_t>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int32_t>(yoe + era * 400 + (m <= 2));
}

bool IsLeap(int32_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int32_t DaysInMonth(int32_t y, int32_t m) {
  static const int32_t kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

}  // namespace

bool SplitFileTime(uint64_t fileTime, CalendarTime& out) {
  if (fileTime >> 63) return false;  // FileTimeToSystemTime refuses these
  const uint64_t ms = fileTime / kTicksPerMs;
  const int64_t days1601 = static_cast<int64_t>(ms / kMsPerDay);
  const int64_t msOfDay = static_cast<int64_t>(ms % kMsPerDay);
  CivilFromDays(days1601 + DaysFromCivil(1601, 1, 1), out.year, out.month, out.day);
  out.hour = static_cast<int32_t>(msOfDay / 3600000);
  out.minute = static_cast<int32_t>(msOfDay / 60000 % 60);
  out.second = static_cast<int32_t>(msOfDay / 1000 % 60);
  out.millisecond = static_cast<int32_t>(msOfDay % 1000);
  return true;
}

bool ToAutomationDate(const CalendarTime& t, double& date) {
  if (t.year < 100 || t.year > 9999 || t.month < 1 || t.month > 12 || t.day < 1 ||
      t.day > DaysInMonth(t.year, t.month) || t.hour < 0 || t.hour > 23 || t.minute < 0 ||
      t.minute > 59 || t.second < 0 || t.second > 59)
    return false;
  const int64_t days = DaysFromCivil(t.year, t.month, t.day) - DaysFromCivil(1899, 12, 30);
  const double frac = (t.hour * 3600 + t.minute * 60 + t.second) / 86400.0;
  // Before 1899-12-30 a DATE counts whole days down and the time of day up.
  date = days >= 0 ? static_cast<double>(days) + frac : static_cast<double>(days) - frac;
  return true;
}

}  // namespace calendar
