#pragma once
#include "framework/TimePort.h"

class Win32Time : public TimePort {
 public:
  bool UtcToLocal(uint64_t utc, uint64_t& local) override;
  bool Split(uint64_t fileTime, CalendarTime& out) override;
  int32_t BaseBiasMinutes() override;
  bool ToAutomationDate(const CalendarTime& t, double& date) override;
};
