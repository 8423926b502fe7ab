// Locks the compiler checks. Under clang with -Wthread-safety, a member
// marked GUARDED_BY(lock) may only be touched with that lock held, and a
// function marked REQUIRES(lock) only called so; other compilers see plain
// locks. The wrappers add nothing at run time.
#pragma once
#include <chrono>
#include <mutex>
#include <thread>

#if defined(__clang__)
#define VELMARIC_TSA(x) __attribute__((x))
#else
#define VELMARIC_TSA(x)
#endif

#define CAPABILITY(name) VELMARIC_TSA(capability(name))
#define SCOPED_CAPABILITY VELMARIC_TSA(scoped_lockable)
#define GUARDED_BY(lock) VELMARIC_TSA(guarded_by(lock))
#define REQUIRES(...) VELMARIC_TSA(requires_capability(__VA_ARGS__))
#define ACQUIRE(...) VELMARIC_TSA(acquire_capability(__VA_ARGS__))
#define RELEASE(...) VELMARIC_TSA(release_capability(__VA_ARGS__))
#define TRY_ACQUIRE(...) VELMARIC_TSA(try_acquire_capability(__VA_ARGS__))

// std::mutex as a capability.
class CAPABILITY("mutex") Mutex {
 public:
  void lock() ACQUIRE() { m_m.lock(); }
  void unlock() RELEASE() { m_m.unlock(); }
  bool try_lock() TRY_ACQUIRE(true) { return m_m.try_lock(); }

 private:
  std::mutex m_m;
};

// std::recursive_timed_mutex as a capability, with a lock that gives up
// after a time limit.
class CAPABILITY("mutex") RecursiveTimedMutex {
 public:
  void lock() ACQUIRE() { m_m.lock(); }
  void unlock() RELEASE() { m_m.unlock(); }
  bool try_lock() TRY_ACQUIRE(true) { return m_m.try_lock(); }
  // Polls try_lock: equivalent to try_lock_for for our short waits, and
  // visible to ThreadSanitizer, whose runtime does not see the clock-based
  // timed lock that libstdc++ uses for try_lock_for.
  bool TryLockFor(std::chrono::milliseconds limit) TRY_ACQUIRE(true) {
    if (m_m.try_lock()) return true;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    do {
      std::this_thread::sleep_for(std::chrono::microseconds(100));
      if (m_m.try_lock()) return true;
    } while (std::chrono::steady_clock::now() < deadline);
    return false;
  }

 private:
  std::recursive_timed_mutex m_m;
};

// A lock held for a scope; AdoptLock takes over one already held.
template <class M>
class SCOPED_CAPABILITY LockGuard {
 public:
  struct AdoptLock {};
  explicit LockGuard(M& m) ACQUIRE(m) : m_m(m) { m_m.lock(); }
  LockGuard(M& m, AdoptLock) REQUIRES(m) : m_m(m) {}
  ~LockGuard() RELEASE() { m_m.unlock(); }
  LockGuard(const LockGuard&) = delete;
  LockGuard& operator=(const LockGuard&) = delete;

 private:
  M& m_m;
};
