// Process-wide state of WTclient.dll: the notification callback, the open
// connections by handle, the per-thread initialisation count and the
// scenario files already loaded (a file's scripted failure counts are shared
// by all connections that use it).
#pragma once
#include <windows.h>

#include <atomic>
#include <map>
#include <memory>
#include <string>

#include "wtclient/WTclient.h"
#include "plant/Scenario.h"

namespace wtclient {

class AEConnection;

// A loaded scenario; ok is false when the file could not be used, and then
// every connect fails.
struct ScenarioSource {
  bool ok = false;
  wtsim::Scenario scenario;
};

class Registry {
 public:
  static Registry& Get();

  void SetCallback(PFN_ExtendedAECallback cb);
  PFN_ExtendedAECallback Callback() const;

  // Per-thread initialisation count of WTclientCoInit / WTclientCoUninit,
  // and how many of those initialised COM (multithreaded) on the thread: a
  // thread already in a single-threaded apartment counts for the simulator
  // but cannot use COM servers.
  void ThreadInit(bool comInitialised);
  // False when the thread has no initialisation left; otherwise also tells
  // whether the one undone had initialised COM.
  bool ThreadUninit(bool& comInitialised);
  bool ThreadInitialised() const;
  bool ThreadComInitialised() const;

  // The scenario named by WTCLIENT_SIM_SCENARIO now, or the plant.
  std::shared_ptr<ScenarioSource> CurrentScenario();
  // Consumes one scripted failure of the call; also reports its hang time.
  bool TakeFailure(ScenarioSource& src, wtsim::Call call, uint32_t& hangMs);

  HANDLE Add(std::shared_ptr<AEConnection> c);
  std::shared_ptr<AEConnection> Find(HANDLE h);
  std::shared_ptr<AEConnection> Remove(HANDLE h);
  uint32_t NextSerial();

 private:
  Registry();
  mutable CRITICAL_SECTION m_cs;
  std::atomic<PFN_ExtendedAECallback> m_callback{nullptr};
  DWORD m_tls = TLS_OUT_OF_INDEXES;
  DWORD m_comTls = TLS_OUT_OF_INDEXES;
  std::map<std::string, std::shared_ptr<ScenarioSource>> m_scenarios;
  std::map<uintptr_t, std::shared_ptr<AEConnection>> m_connections;
  uintptr_t m_nextHandle = 0x4100;
  uint32_t m_serial = 0;
};

// RAII lock over a CRITICAL_SECTION.
class Lock {
 public:
  explicit Lock(CRITICAL_SECTION& cs) : m_cs(cs) { EnterCriticalSection(&m_cs); }
  ~Lock() { LeaveCriticalSection(&m_cs); }
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;

 private:
  CRITICAL_SECTION& m_cs;
};

}  // namespace wtclient
