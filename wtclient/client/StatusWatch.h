// Notices servers that died quietly: every 2 s each open COM connection's
// server is asked for its status; a connection whose server does not answer
// is marked dead, so nothing more is delivered for it and the control's
// watchdog sees the silence. Each connection has a thread of its own for
// this, so a server that hangs in the call holds up no other connection's
// check.
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

  struct Entry {
    std::shared_ptr<ComConnection> connection;
    HANDLE stop;  // manual-reset; closed by the connection's thread
  };
  CRITICAL_SECTION m_cs;
  std::vector<Entry> m_connections;
};

}  // namespace wtclient
