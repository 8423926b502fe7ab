// One connection to the simulated AE server: its category arrays, its
// subscriptions and the delivery thread that runs the connection's event
// engine and calls the notification callback.
#pragma once
#include <windows.h>

#include <atomic>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "wtclient/AEConnection.h"
#include "wtclient/DeliveryStats.h"
#include "wtclient/Registry.h"
#include "wtclient/client/CategoryList.h"
#include "plant/EventEngine.h"

namespace wtclient {

class Connection : public AEConnection, public std::enable_shared_from_this<Connection> {
 public:
  // A connection to the simulator for the current scenario, or null when the
  // thread did not initialise the library, the scenario is unusable, the
  // scenario scripts a failure, or the server asked for is not ours.
  static std::shared_ptr<Connection> Open(LPCSTR machineName, LPCSTR serverProgId);

  Connection(std::shared_ptr<ScenarioSource> source, uint64_t seed);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  ScenarioSource& Source() { return *m_source; }

  // Each call first plays the scenario's scripted hang and failure.
  bool QueryCategories(DWORD eventTypes, DWORD* count, DWORD** ids, LPWSTR** names) override;
  // The first subscription starts the delivery.
  HANDLE Subscribe(DWORD_PTR clientHandle, DWORD* revisedBufferTime, DWORD* revisedMaxSize) override;
  // Queues a refresh for the subscription; false if there is none.
  bool Refresh(DWORD_PTR clientHandle) override;
  // Stops the delivery; a callback that called it returns to a thread that
  // then ends.
  void Close() override;

 private:
  bool Fails(wtsim::Call call);
  static DWORD WINAPI ThreadMain(void* arg);
  void Run();
  void Deliver(const wtsim::Batch& batch, const std::vector<DWORD_PTR>& clients, bool refresh, bool last);

  std::shared_ptr<ScenarioSource> m_source;
  wtsim::EventEngine m_engine;

  CRITICAL_SECTION m_cs;
  CONDITION_VARIABLE m_wake;
  std::atomic<bool> m_stop{false};
  HANDLE m_thread = nullptr;
  DWORD m_threadId = 0;
  ULONGLONG m_startTick = 0;
  std::vector<DWORD_PTR> m_clients;
  std::deque<DWORD_PTR> m_refreshes;
  uint32_t m_nextSubscription = 0x5100;

  CategoryList m_categories;

  DeliveryStats m_stats;  // the delivery thread's, read after it ended
};

}  // namespace wtclient
