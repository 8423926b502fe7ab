#include "wtclient/client/StatusWatch.h"

// opc_ae.h before WTclient.h (through Registry.h): both define the record.
#include "wtclient/client/ComConnection.h"

#include <objbase.h>

#include <algorithm>

#include "wtclient/Registry.h"
#include "wtclient/client/ModuleHold.h"

namespace wtclient {

StatusWatch& StatusWatch::Get() {
  // Never destroyed: its thread may still be ending when the process does.
  static StatusWatch* w = new StatusWatch;
  return *w;
}

StatusWatch::StatusWatch() {
  InitializeCriticalSection(&m_cs);
  m_wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
}

void StatusWatch::Add(std::shared_ptr<ComConnection> c) {
  Lock lock(m_cs);
  m_connections.push_back(std::move(c));
  if (!m_running) m_running = StartHeldThread(&StatusWatch::ThreadMain, this);
}

void StatusWatch::Remove(ComConnection* c) {
  std::shared_ptr<ComConnection> last;  // released outside the lock
  {
    Lock lock(m_cs);
    auto it = std::find_if(m_connections.begin(), m_connections.end(),
                           [c](const std::shared_ptr<ComConnection>& p) { return p.get() == c; });
    if (it == m_connections.end()) return;
    last = std::move(*it);
    m_connections.erase(it);
  }
  SetEvent(m_wake);
}

DWORD WINAPI StatusWatch::ThreadMain(void* arg) {
  static_cast<StatusWatch*>(arg)->Run();
  ExitHeldThread();
}

void StatusWatch::Run() {
  // The servers' proxies belong to the multithreaded apartment, which this
  // thread joins.
  const HRESULT init = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  ULONGLONG due = GetTickCount64() + kPeriodMs;
  for (;;) {
    const ULONGLONG now = GetTickCount64();
    if (now < due) WaitForSingleObject(m_wake, static_cast<DWORD>(due - now));
    std::vector<std::shared_ptr<ComConnection>> check;
    {
      Lock lock(m_cs);
      if (m_connections.empty()) {
        m_running = false;
        break;
      }
      if (GetTickCount64() < due) continue;
      check = m_connections;
    }
    for (const std::shared_ptr<ComConnection>& c : check) c->CheckAlive();
    check.clear();
    due = GetTickCount64() + kPeriodMs;
  }
  if (SUCCEEDED(init)) CoUninitialize();
}

}  // namespace wtclient
