#include "opcserver/core/Delivery.h"

#include <chrono>
#include <thread>

#include "opcserver/core/LostNotice.h"

namespace opcsrv {

Delivery::Delivery(const SubscriptionState& state, Hooks hooks) : m_hooks(std::move(hooks)), m_state(state) {
  m_outbox.Configure(state.bufferTimeMs, state.maxSize);
}

Delivery::~Delivery() = default;

uint64_t Delivery::NowMs() const {
  using namespace std::chrono;
  return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

bool Delivery::Start() {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_started) return true;
  try {
    std::thread([self = shared_from_this()] { self->Run(); }).detach();
  } catch (const std::system_error&) {
    return false;
  }
  m_started = true;
  return true;
}

void Delivery::Stop() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_stop = true;
  m_wake.notify_all();
}

bool Delivery::WaitStopped(uint32_t timeoutMs) {
  std::unique_lock<std::mutex> lock(m_mutex);
  if (!m_started) return true;
  return m_stopped.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return m_done; });
}

void Delivery::SetSink(std::shared_ptr<SinkFn> sink) {
  std::shared_ptr<SinkFn> old;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    old = std::move(m_sink);
    m_sink = std::move(sink);
    if (!m_sink) {
      // Nothing queued for a sink that left may reach the next one.
      m_outbox.Clear();
      ForgetGap();
      m_refresh = RefreshRun();
    }
    m_wake.notify_all();
  }
  // old is released here, outside the lock: releasing a COM sink may call out.
}

bool Delivery::HasSink() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_sink != nullptr;
}

SubscriptionState Delivery::State() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_state;
}

void Delivery::SetState(const SubscriptionState& s) {
  std::lock_guard<std::mutex> lock(m_mutex);
  // An inactive subscription keeps nothing for later.
  if (!s.active) {
    m_outbox.Clear();
    ForgetGap();
  }
  m_state = s;
  m_outbox.Configure(s.bufferTimeMs, s.maxSize);
  m_wake.notify_all();
}

EventFilter Delivery::Filter() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_filter;
}

void Delivery::SetFilter(const EventFilter& f) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_filter = f;
}

void Delivery::Post(const wtsim::Batch& batch) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (!m_state.active || !m_sink || m_failed || m_stop) return;
  wtsim::Batch passed;
  for (const wtsim::SimEvent& e : batch)
    if (m_filter.Matches(e)) passed.push_back(e);
  if (passed.empty()) return;
  QueueLostNotice();  // an earlier gap goes before anything newer
  if (m_gapCount > 0 || m_outbox.Pending() + passed.size() > kMaxPending) {
    if (m_gapCount == 0) m_gapTime = passed.front().time;
    m_gapCount += passed.size();
    m_dropped += passed.size();
    return;
  }
  m_outbox.Add(std::move(passed), NowMs());
  m_wake.notify_all();
}

void Delivery::QueueLostNotice() {
  if (m_gapCount == 0 || m_outbox.Pending() >= kMaxPending) return;
  m_outbox.Add({LostNotice(m_gapCount, m_gapTime)}, NowMs());
  ForgetGap();
  m_wake.notify_all();
}

void Delivery::ForgetGap() {
  m_gapCount = 0;
  m_gapTime = 0;
}

Delivery::RefreshError Delivery::StartRefresh(const std::vector<wtsim::SimEvent>& snapshot) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (!m_sink || m_failed) return RefreshError::NoSink;
  if (m_refresh.Running() || m_refreshInFlight) return RefreshError::Busy;
  m_refresh = RefreshRun(RefreshRecords(snapshot, m_filter), m_state.maxSize);
  m_wake.notify_all();
  return RefreshError::None;
}

Delivery::RefreshError Delivery::CancelRefresh() {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (!m_refresh.Running()) return RefreshError::NotRunning;
  m_refresh.Cancel();
  m_wake.notify_all();
  return RefreshError::None;
}

bool Delivery::RefreshBusy() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_refresh.Running() || m_refreshInFlight;
}

uint64_t Delivery::Dropped() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_dropped;
}

bool Delivery::Failed() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_failed;
}

// Makes one sink call with the lock released; false once the sink failed.
bool Delivery::Call(std::unique_lock<std::mutex>& lock, bool refresh, bool last, const wtsim::Batch& b) {
  std::shared_ptr<SinkFn> sink = m_sink;
  if (!sink) return true;  // unadvised meanwhile: nothing to do
  const uint32_t handle = m_state.clientHandle;
  lock.unlock();
  const bool ok = (*sink)(handle, refresh, last, b);
  sink.reset();
  lock.lock();
  if (ok) return true;
  if (!m_failed) {
    m_failed = true;
    m_outbox.Clear();
    ForgetGap();
    m_refresh = RefreshRun();
    lock.unlock();
    if (m_hooks.sinkFailed) m_hooks.sinkFailed();
    lock.lock();
  }
  return false;
}

void Delivery::Run() {
  if (m_hooks.threadStart) m_hooks.threadStart();
  std::shared_ptr<SinkFn> sink;
  {
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_stop) {
      if (m_failed) {
        m_wake.wait(lock);
        continue;
      }
      // What was taken made room: the gap's notice follows what went before it.
      QueueLostNotice();
      bool worked = false;
      // Refresh and live calls take turns, one refresh call at a time.
      if (m_refresh.Running()) {
        RefreshRun::Call c = m_refresh.Next();
        m_refreshInFlight = true;
        Call(lock, true, c.last, c.records);
        m_refreshInFlight = false;
        worked = true;
      }
      const uint64_t now = NowMs();
      const uint64_t due = m_outbox.DueAt();
      if (due <= now) {
        for (const wtsim::Batch& b : m_outbox.Take(now))
          if (!Call(lock, false, false, b) || m_stop) break;
        worked = true;
      }
      if (worked || m_refresh.Running()) continue;
      if (due == Outbox::kNever) m_wake.wait(lock);
      else m_wake.wait_for(lock, std::chrono::milliseconds(due - now));
    }
    sink = std::move(m_sink);
  }
  sink.reset();  // outside the lock: releasing a COM sink calls out
  if (m_hooks.threadEnd) m_hooks.threadEnd();
  std::lock_guard<std::mutex> lock(m_mutex);
  m_done = true;
  m_stopped.notify_all();
}

}  // namespace opcsrv
