#include "wtclient/client/ComConnection.h"

#include <atomic>

#include "wtclient/Registry.h"
#include "opc/TransportFailure.h"
#include "wtclient/client/EventSink.h"
#include "wtclient/client/ModuleHold.h"
#include "wtclient/client/StatusWatch.h"

namespace wtclient {
namespace {

// The hClientSubscription we give servers: unique in the process, so a sink
// recognises calls meant for it.
std::atomic<OPCHANDLE> g_nextServerHandle{0x5100};

template <typename T>
void SafeRelease(T*& p) {
  if (p) p->Release();
  p = nullptr;
}

}  // namespace

ComConnection::ComConnection(IOPCEventServer* server)
    : m_server(server), m_gate(std::make_shared<DeliveryGate>()) {
  InitializeCriticalSection(&m_cs);
  InitializeCriticalSection(&m_queryCs);
}

ComConnection::~ComConnection() {
  // Close is the normal end; this covers a connection never handed out.
  if (!m_closed) Close();
  DeleteCriticalSection(&m_queryCs);
  DeleteCriticalSection(&m_cs);
}

IOPCEventServer* ComConnection::Server() {
  Lock lock(m_cs);
  if (m_closed || !m_server || m_gate->Dead()) return nullptr;
  m_server->AddRef();
  return m_server;
}

void ComConnection::Check(HRESULT hr) {
  if (FAILED(hr) && opc::IsTransportFailure(hr)) m_gate->MarkDead();
}

bool ComConnection::QueryCategories(DWORD eventTypes, DWORD* count, DWORD** ids, LPWSTR** names) {
  *count = 0;
  *ids = nullptr;
  *names = nullptr;
  IOPCEventServer* server = Server();
  if (!server) return false;
  DWORD n = 0;
  DWORD* serverIds = nullptr;
  LPWSTR* serverNames = nullptr;
  const HRESULT hr = server->QueryEventCategories(eventTypes, &n, &serverIds, &serverNames);
  server->Release();
  Check(hr);
  Lock lock(m_queryCs);
  // A failed call owns nothing it returned: its pointers are not freed.
  if (FAILED(hr) || !m_categories.Adopt(n, serverIds, serverNames)) {
    m_categories.Clear();
    return false;
  }
  *count = m_categories.Count();
  *ids = m_categories.Ids();
  *names = m_categories.Names();
  return true;
}

HANDLE ComConnection::Subscribe(DWORD_PTR clientHandle, DWORD* revisedBufferTime, DWORD* revisedMaxSize) {
  IOPCEventServer* server = Server();
  if (!server) return nullptr;
  Subscription s;
  s.clientHandle = clientHandle;
  s.serverHandle = g_nextServerHandle.fetch_add(4);
  IUnknown* unknown = nullptr;
  DWORD buffer = 0, maxSize = 0;
  // Active, each batch sent as it arises, no size limit.
  HRESULT hr = server->CreateEventSubscription(TRUE, 0, 0, s.serverHandle, IID_IOPCEventSubscriptionMgt,
                                               &unknown, &buffer, &maxSize);
  server->Release();
  Check(hr);
  if (FAILED(hr) || !unknown) return nullptr;
  IConnectionPointContainer* container = nullptr;
  hr = unknown->QueryInterface(IID_IOPCEventSubscriptionMgt, reinterpret_cast<void**>(&s.manager));
  if (SUCCEEDED(hr) && s.manager)
    hr = unknown->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container));
  unknown->Release();
  Check(hr);
  if (SUCCEEDED(hr) && container) {
    hr = container->FindConnectionPoint(IID_IOPCEventSink, &s.point);
    Check(hr);
    container->Release();
  }
  if (SUCCEEDED(hr) && s.point) {
    s.sink = new EventSink(m_gate, s.serverHandle, clientHandle);
    hr = s.point->Advise(s.sink, &s.cookie);
    Check(hr);
  }
  const bool made = SUCCEEDED(hr) && s.manager && s.point && s.sink;
  if (made) {
    Lock lock(m_cs);
    if (!m_closed && !m_gate->Dead()) {
      m_subscriptions.push_back(s);
      // Both may point to the same variable; each is written once.
      if (revisedBufferTime) *revisedBufferTime = buffer;
      if (revisedMaxSize) *revisedMaxSize = maxSize;
      return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(s.serverHandle));
    }
  }
  Release(s, made);
  return nullptr;
}

bool ComConnection::Refresh(DWORD_PTR clientHandle) {
  IOPCEventSubscriptionMgt* manager = nullptr;
  DWORD cookie = 0;
  {
    Lock lock(m_cs);
    if (m_closed || m_gate->Dead()) return false;
    for (const Subscription& s : m_subscriptions) {
      if (s.clientHandle != clientHandle) continue;
      manager = s.manager;
      manager->AddRef();
      cookie = s.cookie;
      break;
    }
  }
  if (!manager) return false;
  const HRESULT hr = manager->Refresh(cookie);
  manager->Release();
  Check(hr);
  return SUCCEEDED(hr);
}

void ComConnection::CheckAlive() {
  IOPCEventServer* server = Server();
  if (!server) return;
  OPCEVENTSERVERSTATUS* status = nullptr;
  const HRESULT hr = server->GetStatus(&status);
  server->Release();
  if (SUCCEEDED(hr) && status) {
    CoTaskMemFree(status->szVendorInfo);
    CoTaskMemFree(status);
  }
  // A server that is gone, or that failed to say how it is several times
  // running, is given up; one failed answer (no memory, a busy moment) is not.
  if (SUCCEEDED(hr))
    m_statusFailures.Succeeded();
  else if (m_statusFailures.Failed(hr))
    m_gate->MarkDead();
}

void ComConnection::Release(Subscription& s, bool unadvise) {
  if (unadvise && s.point) s.point->Unadvise(s.cookie);
  SafeRelease(s.point);
  SafeRelease(s.manager);
  if (s.sink) {
    // Drops whatever references the server still holds on the sink (a dead
    // server never releases them), so no late call reaches it.
    CoDisconnectObject(s.sink, 0);
    s.sink->Release();
    s.sink = nullptr;
  }
}

void ComConnection::TearDown(Leftovers& left) {
  for (Subscription& s : left.subscriptions) {
    // A dead server's calls fail at once; a live one may still be asked.
    Release(s, !left.gate->Dead());
  }
  SafeRelease(left.server);
  left.gate->Report();
}

DWORD WINAPI ComConnection::TearDownThread(void* arg) {
  {
    std::unique_ptr<Leftovers> left(static_cast<Leftovers*>(arg));
    const HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    TearDown(*left);
    left.reset();
    if (SUCCEEDED(hr)) CoUninitialize();
  }
  ExitHeldThread();
}

void ComConnection::Close() {
  Leftovers left;
  {
    Lock lock(m_cs);
    if (m_closed) return;
    m_closed = true;
    left.server = m_server;
    m_server = nullptr;
    left.subscriptions.swap(m_subscriptions);
  }
  left.gate = m_gate;
  StatusWatch::Get().Remove(this);
  const bool fromCallback = m_gate->Close();
  {
    Lock lock(m_queryCs);
    m_categories.Clear();
  }
  if (!fromCallback) {
    TearDown(left);
    return;
  }
  // Inside a callback the server is waiting for our return: asking it to
  // unadvise now could wait on that very call. Another thread does it.
  auto* moved = new Leftovers(std::move(left));
  if (!StartHeldThread(&ComConnection::TearDownThread, moved)) {
    std::unique_ptr<Leftovers> own(moved);
    for (Subscription& s : own->subscriptions) Release(s, false);
    SafeRelease(own->server);
  }
}

}  // namespace wtclient
