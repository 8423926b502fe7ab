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

#include "wtclient/DeliveryStats.h"
#include "wtclient/Registry.h"
#include "wtclient/sim/EventEngine.h"

namespace wtclient {

class Connection : public std::enable_shared_from_this<Connection> {
 public:
  Connection(std::shared_ptr<ScenarioSource> source, uint64_t seed);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  ScenarioSource& Source() { return *m_source; }

  // Categories of the event types in the mask; the arrays stay valid until
  // the next query or the connection's end.
  void QueryCategories(DWORD eventTypes, DWORD* count, DWORD** ids, LPWSTR** names);
  // Adds a subscription; the first one starts the delivery. 0 on failure.
  HANDLE Subscribe(DWORD clientHandle);
  // Queues a refresh for the subscription; false if there is none.
  bool Refresh(DWORD clientHandle);
  // Stops the delivery; returns once no callback can start or is running,
  // except the one that called it (it returns to a thread that then ends).
  void Close();

 private:
  static DWORD WINAPI ThreadMain(void* arg);
  void Run();
  void Deliver(const wtsim::Batch& batch, const std::vector<DWORD>& clients, bool refresh, bool last);

  std::shared_ptr<ScenarioSource> m_source;
  wtsim::EventEngine m_engine;

  CRITICAL_SECTION m_cs;
  CONDITION_VARIABLE m_wake;
  std::atomic<bool> m_stop{false};
  HANDLE m_thread = nullptr;
  DWORD m_threadId = 0;
  ULONGLONG m_startTick = 0;
  std::vector<DWORD> m_clients;
  std::deque<DWORD> m_refreshes;
  uint32_t m_nextSubscription = 0x5100;

  std::vector<DWORD> m_categoryIds;
  std::vector<std::wstring> m_categoryText;
  std::vector<LPWSTR> m_categoryNames;

  DeliveryStats m_stats;  // the delivery thread's, read after it ended
};

}  // namespace wtclient
