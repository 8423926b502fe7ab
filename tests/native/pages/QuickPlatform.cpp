// Every control in these tests stops its session worker in milliseconds.
#include "framework/ControlPlatform.h"
#include "framework/headless/QuickClock.h"

namespace {
QuickClock g_clock;
const bool g_installed = [] {
  ControlPlatform p = ControlPlatform::Default();
  p.clock = &g_clock;
  ControlPlatform::SetDefault(p);
  return true;
}();
}  // namespace
