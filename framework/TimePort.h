// Time conversions the intake needs from the platform. win32:
// FileTimeToLocalFileTime, FileTimeToSystemTime, GetTimeZoneInformation and
// SystemTimeToVariantTime. Every call may fail (a time out of range).
#pragma once
#include <cstdint>

struct CalendarTime {
  int32_t year = 0, month = 0, day = 0;
  int32_t hour = 0, minute = 0, second = 0, millisecond = 0;
};

class TimePort {
 public:
  virtual ~TimePort() = default;
  // UTC FILETIME to local FILETIME with the offset in force now (daylight
  // saving time included if it is in force now, whatever the date).
  virtual bool UtcToLocal(uint64_t utc, uint64_t& local) = 0;
  virtual bool Split(uint64_t fileTime, CalendarTime& out) = 0;
  // The zone's base bias in minutes: UTC = local time + bias, no daylight part.
  virtual int32_t BaseBiasMinutes() = 0;
  // Calendar fields to an OLE Automation DATE; milliseconds are ignored.
  virtual bool ToAutomationDate(const CalendarTime& t, double& date) = 0;
};
