// The objects one client made (its server object and the subscriptions it
// created), so that when a call to the client fails they can all be
// disconnected: without DCOM garbage collection their references would
// otherwise never drop and the server would never exit.
#pragma once
#include <windows.h>

#include <mutex>
#include <vector>

namespace opcsrv {

class SessionMember {
 public:
  virtual ~SessionMember() = default;
  // AddRef unless the object is already being destroyed.
  virtual bool TryAddRef() = 0;
  virtual ULONG ReleaseRef() = 0;
  // CoDisconnectObject on every identity the client may hold.
  virtual void DisconnectClient() = 0;
};

class ClientSession {
 public:
  ClientSession() = default;
  ~ClientSession();
  ClientSession(const ClientSession&) = delete;
  ClientSession& operator=(const ClientSession&) = delete;
  void Add(SessionMember* m);
  void Remove(SessionMember* m);
  // Once: disconnects every member; safe from a member's own thread.
  void DisconnectAll();

 private:
  std::mutex m_mutex;
  std::vector<SessionMember*> m_members;
  bool m_disconnected = false;
};

}  // namespace opcsrv
