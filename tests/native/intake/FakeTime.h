// A time zone for the tests: base bias and, if in force now, daylight bias.
#pragma once
#include "framework/CalendarMath.h"

class FakeTime : public TimePort {
 public:
  int32_t m_nBias = 0;          // minutes, UTC = local + bias
  int32_t m_nDaylightBias = 0;  // added while daylight saving time is in force now
  bool m_bDaylightNow = false;

  bool UtcToLocal(uint64_t utc, uint64_t& local) override {
    const int64_t bias = m_nBias + (m_bDaylightNow ? m_nDaylightBias : 0);
    local = utc - static_cast<uint64_t>(bias * 60 * 10000000LL);
    return utc >> 63 == 0;
  }
  bool Split(uint64_t ft, CalendarTime& out) override { return calendar::SplitFileTime(ft, out); }
  int32_t BaseBiasMinutes() override { return m_nBias; }
  bool ToAutomationDate(const CalendarTime& t, double& d) override {
    return calendar::ToAutomationDate(t, d);
  }
};
