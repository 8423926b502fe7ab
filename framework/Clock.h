// Millisecond tick count (wraps at 2^32) and sleep. win32: GetTickCount and
// Sleep. Tests: a controllable clock whose sleeps advance simulated time.
#pragma once
#include <cstdint>

class Clock {
 public:
  virtual ~Clock() = default;
  virtual uint32_t GetTickCount() = 0;
  virtual void Sleep(uint32_t ms) = 0;
};
