// Lock with a time limit by polling try_lock. Equivalent to try_lock_for for
// our short waits, and visible to ThreadSanitizer, whose runtime does not see
// the clock-based timed lock that libstdc++ uses for try_lock_for.
#pragma once
#include <chrono>
#include <thread>

template <class Lockable>
bool TryLockFor(Lockable& m, std::chrono::milliseconds limit) {
  if (m.try_lock()) return true;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  do {
    std::this_thread::sleep_for(std::chrono::microseconds(100));
    if (m.try_lock()) return true;
  } while (std::chrono::steady_clock::now() < deadline);
  return false;
}
