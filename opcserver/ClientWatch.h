// Watches the processes of the server's clients on this machine: when one
// ends, every object its session held is disconnected at once. Wine has no
// distributed garbage collection, and a client that died while nothing was
// being sent to it (a filter that passes nothing, a plant gone silent, only
// a server object held) would otherwise keep its objects, and the server,
// forever. No call is made into any client for it.
#pragma once
#include <windows.h>

#include <memory>
#include <mutex>
#include <vector>

#include "opcserver/ClientSession.h"

namespace opcsrv {

class ClientWatch {
 public:
  static ClientWatch& Instance();

  // Within a call from a client: watches the calling process for this
  // session (once per process and session). A caller whose process cannot be told (a
  // remote client, a system without the query) is left to the failed sink
  // calls that find a dead client otherwise.
  void WatchCaller(const std::shared_ptr<ClientSession>& session);
  // The session ended: its entry goes (the watcher closes the handle).
  void Forget(const ClientSession* session);

 private:
  struct Entry {
    HANDLE process;
    DWORD pid;
    std::weak_ptr<ClientSession> session;
    const ClientSession* key;
    bool forgotten;
  };

  ClientWatch() = default;
  void Run();
  // With the lock held: closes the handles of forgotten entries.
  void Sweep();

  std::mutex m_mutex;
  std::vector<Entry> m_entries;
  HANDLE m_wake = nullptr;
  bool m_running = false;
};

}  // namespace opcsrv
