#include "opcserver/ClientSession.h"

#include <algorithm>

#include "opcserver/ClientWatch.h"
#include "opcserver/Log.h"

namespace opcsrv {

ClientSession::~ClientSession() { ClientWatch::Instance().Forget(this); }

void ClientSession::Add(SessionMember* m) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_members.push_back(m);
}

void ClientSession::Remove(SessionMember* m) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_members.erase(std::remove(m_members.begin(), m_members.end(), m), m_members.end());
}

void ClientSession::DisconnectAll() {
  std::vector<SessionMember*> held;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_disconnected) return;
    m_disconnected = true;
    for (SessionMember* m : m_members)
      if (m->TryAddRef()) held.push_back(m);
  }
  Log("client gone: disconnecting %u objects", static_cast<unsigned>(held.size()));
  for (SessionMember* m : held) m->DisconnectClient();
  for (SessionMember* m : held) m->ReleaseRef();
}

}  // namespace opcsrv
