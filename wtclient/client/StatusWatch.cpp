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

namespace {

// What a connection's thread holds: the connection only weakly, so that a
// disconnect still releases it on the caller's thread, as before.
struct Watched {
  std::weak_ptr<ComConnection> connection;
  HANDLE stop;
};

}  // namespace

StatusWatch::StatusWatch() { InitializeCriticalSection(&m_cs); }

void StatusWatch::Add(std::shared_ptr<ComConnection> c) {
  HANDLE stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!stop) return;
  auto* watched = new Watched{c, stop};
  {
    Lock lock(m_cs);
    m_connections.push_back({std::move(c), stop});
  }
  if (!StartHeldThread(&StatusWatch::ThreadMain, watched)) {
    Remove(watched->connection.lock().get());
    CloseHandle(stop);
    delete watched;
  }
}

void StatusWatch::Remove(ComConnection* c) {
  std::shared_ptr<ComConnection> last;  // released outside the lock
  {
    Lock lock(m_cs);
    auto it = std::find_if(m_connections.begin(), m_connections.end(),
                           [c](const Entry& e) { return e.connection.get() == c; });
    if (it == m_connections.end()) return;
    last = std::move(it->connection);
    SetEvent(it->stop);
    m_connections.erase(it);
  }
}

DWORD WINAPI StatusWatch::ThreadMain(void* arg) {
  std::unique_ptr<Watched> watched(static_cast<Watched*>(arg));
  {
    // The servers' proxies belong to the multithreaded apartment, which this
    // thread joins.
    const HRESULT init = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    while (WaitForSingleObject(watched->stop, kPeriodMs) == WAIT_TIMEOUT) {
      std::shared_ptr<ComConnection> c = watched->connection.lock();
      if (!c) break;
      c->CheckAlive();
    }
    if (SUCCEEDED(init)) CoUninitialize();
    CloseHandle(watched->stop);
    watched.reset();
  }
  ExitHeldThread();
}

}  // namespace wtclient
