// The delivery of one subscription: its state (active, buffer time, max
// size, client handle, filter), its outbox of live notifications and its
// refresh, worked off by a thread of its own so that a slow or dead client
// never holds up the plant's clock or the other subscriptions. The sink is
// a function: the COM layer wraps the client's IOPCEventSink in it.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "opcserver/core/EventFilter.h"
#include "opcserver/core/Outbox.h"
#include "opcserver/core/RefreshRun.h"

namespace opcsrv {

// One sink call; false when the call failed (the client is gone).
using SinkFn = std::function<bool(uint32_t clientHandle, bool refresh, bool lastRefresh, const wtsim::Batch&)>;

struct SubscriptionState {
  bool active = true;
  uint32_t bufferTimeMs = 0;
  uint32_t maxSize = 0;
  uint32_t clientHandle = 0;
};

class Delivery : public std::enable_shared_from_this<Delivery> {
 public:
  // Run on the delivery thread first and last (COM apartment set-up).
  struct Hooks {
    std::function<void()> threadStart, threadEnd;
    // Called once, on the delivery thread with no lock held, after a sink
    // call failed; nothing more is delivered after it.
    std::function<void()> sinkFailed;
  };

  enum class RefreshError { None, Busy, NotRunning, NoSink };

  Delivery(const SubscriptionState& state, Hooks hooks);
  ~Delivery();
  Delivery(const Delivery&) = delete;
  Delivery& operator=(const Delivery&) = delete;

  // Starts the thread; it keeps the delivery alive until Stop().
  bool Start();
  // Ends the thread soon; never waits for it (a sink call may hang).
  void Stop();
  // For tests and shutdown: waits until the thread has left.
  bool WaitStopped(uint32_t timeoutMs);

  void SetSink(std::shared_ptr<SinkFn> sink);
  bool HasSink() const;

  SubscriptionState State() const;
  void SetState(const SubscriptionState& s);
  EventFilter Filter() const;
  void SetFilter(const EventFilter& f);

  // A batch of the plant: what passes the filter goes out, if the
  // subscription is active and advised; never blocks on the client.
  void Post(const wtsim::Batch& batch);
  // Starts a refresh with these candidate records (filtered here).
  RefreshError StartRefresh(const std::vector<wtsim::SimEvent>& snapshot);
  RefreshError CancelRefresh();
  bool RefreshBusy() const;
  bool Failed() const;
  // Live records dropped because a slow client let too many pile up.
  uint64_t Dropped() const;

  // What may wait for one client before newer batches are dropped. A run of
  // dropped batches is never silent: once there is room again, one loss
  // notice saying how many stands in their place.
  static constexpr size_t kMaxPending = 200000;

 private:
  void Run();
  uint64_t NowMs() const;
  bool Call(std::unique_lock<std::mutex>& lock, bool refresh, bool last, const wtsim::Batch& b);
  // With the lock held: queues the loss notice of the current gap if it fits.
  void QueueLostNotice();
  void ForgetGap();

  mutable std::mutex m_mutex;
  std::condition_variable m_wake;
  std::condition_variable m_stopped;
  Hooks m_hooks;
  SubscriptionState m_state;
  EventFilter m_filter;
  std::shared_ptr<SinkFn> m_sink;
  Outbox m_outbox;
  RefreshRun m_refresh;
  bool m_refreshInFlight = false;
  uint64_t m_dropped = 0;
  uint64_t m_gapCount = 0;  // dropped since the last loss notice was queued
  uint64_t m_gapTime = 0;   // the time of the first of them
  bool m_started = false, m_stop = false, m_done = false, m_failed = false;
};

}  // namespace opcsrv
