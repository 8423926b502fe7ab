// Calendar arithmetic without the operating system, within the range Windows
// accepts: FILETIME split (below 2^63) and DATE (years 100 to 9999). Backs the
// native platform and the test fakes.
#pragma once
#include "framework/TimePort.h"

namespace calendar {
bool SplitFileTime(uint64_t fileTime, CalendarTime& out);
bool ToAutomationDate(const CalendarTime& t, double& date);
}  // namespace calendar
