// A simulated clock for the session tests. Time moves only inside Sleep, and
// only when every participating thread (the test's thread and the worker) is
// asleep: it then jumps to the earliest wake-up. So a 60-s wait costs no real
// minute and the interleaving of the two threads is the same on every run.
// A participant blocked elsewhere (on a lock) would stall time; after a grace
// of real time with no progress the clock moves on anyway.
#pragma once
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>

#include "framework/Clock.h"

class SimClock : public Clock {
 public:
  explicit SimClock(uint32_t startTick = 1000) : m_base(startTick) {}

  uint32_t GetTickCount() override {
    std::lock_guard<std::mutex> l(m_m);
    return static_cast<uint32_t>(m_base + m_now);
  }
  uint64_t Now() {
    std::lock_guard<std::mutex> l(m_m);
    return m_now;
  }

  void Sleep(uint32_t ms) override {
    std::unique_lock<std::mutex> l(m_m);
    const uint64_t target = m_now + ms;
    auto slot = m_wakeups.insert(target);
    Changed();
    while (m_now < target) {
      if (AllAsleep()) {
        m_now = *m_wakeups.upper_bound(m_now);
        Changed();
        continue;
      }
      const uint64_t seen = m_epoch;
      if (!m_cv.wait_for(l, m_grace, [&] { return m_epoch != seen || m_now >= target; })) {
        m_now = *m_wakeups.upper_bound(m_now);  // stalled: let time go on
        Changed();
      }
    }
    m_wakeups.erase(slot);
    Changed();
  }

  void Join() {
    std::lock_guard<std::mutex> l(m_m);
    ++m_participants;
    Changed();
  }
  void Leave() {
    std::lock_guard<std::mutex> l(m_m);
    --m_participants;
    Changed();
  }
  // The calling thread takes part until it exits (for the worker thread).
  void JoinUntilThreadExit() {
    struct Guard {
      SimClock* c;
      ~Guard() { c->Leave(); }
    };
    thread_local std::unique_ptr<Guard> guard;
    Join();
    guard.reset(new Guard{this});
  }
  int Participants() {
    std::lock_guard<std::mutex> l(m_m);
    return m_participants;
  }
  void SetStallGrace(std::chrono::milliseconds grace) {
    std::lock_guard<std::mutex> l(m_m);
    m_grace = grace;
  }

 private:
  // Everyone asleep and nobody due: time may move.
  bool AllAsleep() const {
    const size_t waiting = std::distance(m_wakeups.upper_bound(m_now), m_wakeups.end());
    return static_cast<int>(waiting) >= m_participants;
  }
  void Changed() {
    ++m_epoch;
    m_cv.notify_all();
  }

  std::mutex m_m;
  std::condition_variable m_cv;
  uint32_t m_base;
  uint64_t m_now = 0;
  uint64_t m_epoch = 0;
  int m_participants = 0;
  std::multiset<uint64_t> m_wakeups;
  std::chrono::milliseconds m_grace{1000};
};
