// A sink for Delivery tests: records each call and can be told to fail.
#pragma once
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include "opcserver/core/Delivery.h"
#include "opcserver/core/PlantHub.h"

namespace opcsrv_test {

struct SinkCall {
  uint32_t handle = 0;
  bool refresh = false, last = false;
  wtsim::Batch records;
};

class SinkRecorder {
 public:
  std::shared_ptr<opcsrv::SinkFn> Fn() {
    return std::make_shared<opcsrv::SinkFn>([this](uint32_t h, bool refresh, bool last, const wtsim::Batch& b) {
      std::unique_lock<std::mutex> lock(m_mutex);
      m_calls.push_back({h, refresh, last, b});
      m_changed.notify_all();
      // Held here while gated: lets a test catch a refresh in progress.
      m_changed.wait(lock, [&] { return !m_gate; });
      return !m_fail;
    });
  }
  void FailFromNowOn() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_fail = true;
  }
  void Gate(bool closed) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_gate = closed;
    m_changed.notify_all();
  }
  // Waits until at least n calls were made; false on timeout.
  bool WaitCalls(size_t n, int ms = 5000) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(ms), [&] { return m_calls.size() >= n; });
  }
  std::vector<SinkCall> Calls() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_calls;
  }

 private:
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::vector<SinkCall> m_calls;
  bool m_fail = false, m_gate = false;
};

// A default subscription delivering the hub's plant to `sink`, its clock
// started; null if its delivery thread did not start.
inline std::shared_ptr<opcsrv::Delivery> Listen(opcsrv::PlantHub& hub, SinkRecorder& sink) {
  auto d = std::make_shared<opcsrv::Delivery>(opcsrv::SubscriptionState(), opcsrv::Delivery::Hooks());
  if (!d->Start()) return nullptr;
  d->SetSink(sink.Fn());
  hub.Attach(d);
  hub.StartClock();
  return d;
}

}  // namespace opcsrv_test
