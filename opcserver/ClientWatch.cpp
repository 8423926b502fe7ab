#include "opcserver/ClientWatch.h"

#include <rpc.h>

#include <algorithm>
#include <thread>

#include "opcserver/Log.h"

namespace opcsrv {
namespace {

// The process id of the client whose call this thread is serving, or 0.
// Looked up at run time: older systems lack the query.
DWORD CallerProcessId() {
  using InqPid = RPC_STATUS(RPC_ENTRY*)(RPC_BINDING_HANDLE, unsigned long*);
  static const InqPid inquire = [] {
    HMODULE rpc = GetModuleHandleW(L"rpcrt4.dll");
    return rpc ? reinterpret_cast<InqPid>(reinterpret_cast<void*>(GetProcAddress(rpc, "I_RpcBindingInqLocalClientPID")))
               : nullptr;
  }();
  unsigned long pid = 0;
  if (!inquire || inquire(nullptr, &pid) != RPC_S_OK) return 0;
  return pid;
}

}  // namespace

ClientWatch& ClientWatch::Instance() {
  static ClientWatch* watch = new ClientWatch();  // never destroyed: the watcher thread may outlive main
  return *watch;
}

void ClientWatch::WatchCaller(const std::shared_ptr<ClientSession>& session) {
  const DWORD pid = CallerProcessId();
  if (pid == 0 || pid == GetCurrentProcessId()) return;
  std::lock_guard<std::mutex> lock(m_mutex);
  // Per process: where an activation arrives through the system's own
  // service, a later call of the session names the client itself.
  for (const Entry& e : m_entries)
    if (e.key == session.get() && e.pid == pid && !e.forgotten) return;
  if (!m_wake) m_wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  HANDLE process = m_wake ? OpenProcess(SYNCHRONIZE, FALSE, pid) : nullptr;
  if (!process) return;
  try {
    m_entries.push_back({process, pid, session, session.get(), false});
    if (!m_running) std::thread([this] { Run(); }).detach();
    m_running = true;
  } catch (...) {
    // Left to the failed sink calls, like a remote client.
    if (!m_entries.empty() && m_entries.back().process == process) m_entries.pop_back();
    CloseHandle(process);
    Log("cannot watch client process %lu", static_cast<unsigned long>(pid));
    return;
  }
  SetEvent(m_wake);
  Log("watching client process %lu", static_cast<unsigned long>(pid));
}

void ClientWatch::Forget(const ClientSession* session) {
  std::lock_guard<std::mutex> lock(m_mutex);
  bool any = false;
  for (Entry& e : m_entries)
    if (e.key == session && !e.forgotten) e.forgotten = any = true;
  if (any) SetEvent(m_wake);
}

void ClientWatch::Sweep() {
  auto gone = std::remove_if(m_entries.begin(), m_entries.end(), [](const Entry& e) {
    if (e.forgotten) CloseHandle(e.process);
    return e.forgotten;
  });
  m_entries.erase(gone, m_entries.end());
}

void ClientWatch::Run() {
  for (;;) {
    // The wake event and as many processes as one wait takes; any beyond
    // those are looked at once a second.
    std::vector<HANDLE> handles;
    bool all = true;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      Sweep();
      handles.push_back(m_wake);
      for (const Entry& e : m_entries) {
        if (handles.size() == MAXIMUM_WAIT_OBJECTS) {
          all = false;
          break;
        }
        handles.push_back(e.process);
      }
    }
    WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), FALSE, all ? INFINITE : 1000);
    std::vector<std::shared_ptr<ClientSession>> ended;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      for (Entry& e : m_entries) {
        if (e.forgotten || WaitForSingleObject(e.process, 0) != WAIT_OBJECT_0) continue;
        e.forgotten = true;
        if (std::shared_ptr<ClientSession> s = e.session.lock()) ended.push_back(std::move(s));
      }
    }
    // Outside the lock: disconnecting releases objects, whose sessions then
    // call Forget.
    for (const std::shared_ptr<ClientSession>& s : ended) {
      Log("a client process ended");
      s->DisconnectAll();
    }
  }
}

}  // namespace opcsrv
