// A stand-in for the AE client library and the server behind it: connects or
// refuses, reports categories, creates subscriptions, and delivers batches to
// the registered callback until the connection is closed. Logs every call.
#pragma once
#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <thread>
#include <vector>

#include "SimClock.h"
#include "framework/AELibrary.h"

struct FakeRecord {
  uint64_t time = 0;
  String source, message;
  uint32_t category = 0, severity = 0;
};

class FakeAEServer : public AELibraryLoader {
 public:
  explicit FakeAEServer(SimClock* clock) : m_pClock(clock) {}

  // --- configuration (set before the calls they affect)
  bool m_bLoadable = true;
  bool m_bAvailable = true;
  bool m_bSubscriptionFails = false;
  std::vector<uint32_t> m_categoryIds;
  std::vector<String> m_categoryNames;
  std::vector<FakeRecord> m_current;  // what a refresh sends again
  std::function<void()> m_onSubscribe;  // runs on the worker inside Create_AE_Subscription
  std::function<void()> m_onConnect;    // runs on the worker inside ConnectOPC_AE
  std::function<void()> m_onLoad;       // runs on the worker before the library is handed over

  // Delivers one batch on the calling thread, as a library thread would.
  // False if no subscription is open.
  bool Deliver(const std::vector<FakeRecord>& batch);
  std::vector<std::string> Calls();
  size_t CountCalls(const std::string& name);
  bool AllCallsOffThread(std::thread::id testThread);
  void WaitLoaded();
  bool Subscribed();

  std::unique_ptr<AELibrary> Load() override;
  void KeepLoaded() override { ++m_nKeepLoaded; }
  std::atomic<int> m_nKeepLoaded{0};  // workers let go while inside the library

 private:
  class Library;
  friend class Library;
  void Log(const char* name);

  SimClock* m_pClock;
  std::mutex m_m;
  std::condition_variable m_cv;
  bool m_bLoaded = false;
  std::vector<std::string> m_calls;
  std::vector<std::thread::id> m_callThreads;
  // Deliveries share it; closing a connection takes it alone, so none is
  // delivered after DisconnectOPC_AE returns.
  std::shared_mutex m_delivery;
  AEEventCallbackFn m_callback = nullptr;
  std::map<uintptr_t, uintptr_t> m_subscriptions;  // connection -> client handle
  uintptr_t m_nextConnection = 0x100;
  std::vector<char16_t const*> m_namePtrs;
};
