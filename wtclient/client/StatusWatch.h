// Notices servers that died quietly: every 2 s a thread of the library asks
// each open COM connection's server for its status; a connection whose
// server does not answer is marked dead, so nothing more is delivered for it
// and the control's watchdog sees the silence. The thread runs only while
// connections are open.
#pragma once
#include <windows.h>

#include <memory>
#include <vector>

namespace wtclient {

class ComConnection;

class StatusWatch {
 public:
  static StatusWatch& Get();
  static const DWORD kPeriodMs = 2000;

  void Add(std::shared_ptr<ComConnection> c);
  void Remove(ComConnection* c);

 private:
  StatusWatch();
  static DWORD WINAPI ThreadMain(void* arg);
  void Run();

  CRITICAL_SECTION m_cs;
  HANDLE m_wake;  // auto-reset: a connection was removed
  bool m_running = false;
  std::vector<std::shared_ptr<ComConnection>> m_connections;
};

}  // namespace wtclient
