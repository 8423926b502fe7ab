// A clock for native tests whose sleeps are short: the session worker's
// passes and the stop wait of every control's destruction cost milliseconds,
// while the tick count moves on by the full time asked for.
#pragma once
#include <atomic>
#include <chrono>
#include <thread>

#include "framework/Clock.h"

class QuickClock : public Clock {
 public:
  uint32_t GetTickCount() override { return m_tick.load(); }
  void Sleep(uint32_t ms) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    m_tick += ms;
  }

 private:
  std::atomic<uint32_t> m_tick{1000};
};
