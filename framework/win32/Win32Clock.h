// The clock port over GetTickCount and Sleep.
#pragma once
#include <windows.h>

#include "framework/Clock.h"

class Win32Clock : public Clock {
 public:
  uint32_t GetTickCount() override { return ::GetTickCount(); }
  void Sleep(uint32_t ms) override { ::Sleep(ms); }
};
