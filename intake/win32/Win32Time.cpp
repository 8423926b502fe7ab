#include "intake/win32/Win32Time.h"

#include <windows.h>
#include <oleauto.h>

namespace {

FILETIME ToFileTime(uint64_t v) {
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(v);
  ft.dwHighDateTime = static_cast<DWORD>(v >> 32);
  return ft;
}

}  // namespace

bool Win32Time::UtcToLocal(uint64_t utc, uint64_t& local) {
  const FILETIME in = ToFileTime(utc);
  FILETIME out;
  if (!FileTimeToLocalFileTime(&in, &out)) return false;
  local = (static_cast<uint64_t>(out.dwHighDateTime) << 32) | out.dwLowDateTime;
  return true;
}

bool Win32Time::Split(uint64_t fileTime, CalendarTime& out) {
  const FILETIME ft = ToFileTime(fileTime);
  SYSTEMTIME st;
  if (!FileTimeToSystemTime(&ft, &st)) return false;
  out.year = st.wYear;
  out.month = st.wMonth;
  out.day = st.wDay;
  out.hour = st.wHour;
  out.minute = st.wMinute;
  out.second = st.wSecond;
  out.millisecond = st.wMilliseconds;
  return true;
}

int32_t Win32Time::BaseBiasMinutes() {
  TIME_ZONE_INFORMATION tzi;
  if (GetTimeZoneInformation(&tzi) == TIME_ZONE_ID_INVALID) return 0;
  return tzi.Bias;
}

bool Win32Time::ToAutomationDate(const CalendarTime& t, double& date) {
  SYSTEMTIME st = {};
  st.wYear = static_cast<WORD>(t.year);
  st.wMonth = static_cast<WORD>(t.month);
  st.wDay = static_cast<WORD>(t.day);
  st.wHour = static_cast<WORD>(t.hour);
  st.wMinute = static_cast<WORD>(t.minute);
  st.wSecond = static_cast<WORD>(t.second);
  st.wMilliseconds = 0;
  return SystemTimeToVariantTime(&st, &date) != 0;
}
