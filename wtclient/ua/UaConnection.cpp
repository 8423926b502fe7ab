#include "wtclient/ua/UaConnection.h"

#include <algorithm>
#include <cmath>

#include "wtclient/EventRecords.h"
#include "wtclient/Registry.h"

namespace wtclient {
namespace {

ua::SessionConfig ConfigFor(const std::string& endpointUrl) {
  ua::SessionConfig config;
  config.endpointUrl = endpointUrl;
  // Alarms should reach the screen quickly; the server batches what comes within one interval.
  config.publishingIntervalMs = 100;
  config.keepAliveCount = 50;  // a keep-alive every 5 s when the plant is quiet
  config.lifetimeCount = 300;  // three keep-alive periods at least
  config.eventQueueSize = 10000;
  // A disconnect must return promptly even from a server that has stopped answering.
  config.closeTimeoutMs = 1000;
  // The control asks for the category names once, at connect: learn the server's own types by then.
  config.browseEventTypes = true;
  return config;
}

uint64_t Milliseconds() { return GetTickCount64(); }

uint64_t NowFileTime() {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

}  // namespace

std::shared_ptr<UaConnection> UaConnection::Open(const std::string& endpointUrl) {
  auto c = std::make_shared<UaConnection>(endpointUrl);
  if (!c->Start()) return nullptr;
  return c;
}

UaConnection::UaConnection(const std::string& endpointUrl)
    : m_session(m_socket, ConfigFor(endpointUrl), &Milliseconds,
                [this](const std::vector<std::vector<ua::Variant>>& events) { OnEvents(events); }),
      m_gate(std::make_shared<DeliveryGate>()) {
  InitializeCriticalSection(&m_cs);
  // Names for the standard types now: the control asks for the categories once, before any event.
  m_feed.Mapper().KnowStandardTypes();
}

UaConnection::~UaConnection() {
  if (m_thread) CloseHandle(m_thread);
  DeleteCriticalSection(&m_cs);
}

bool UaConnection::Start() {
  if (!m_session.Connect()) {
    const std::string why = "WTclient: OPC UA connection to " + std::string(ua::ToString(m_session.failure())) +
                            ": " + m_session.reason() + "\n";
    OutputDebugStringA(why.c_str());
    return false;
  }
  {
    Lock lock(m_cs);
    for (const ua::EventTypeInfo& type : m_session.eventTypes())
      m_feed.Mapper().KnowType(type.id, type.name, type.condition);
  }
  // The thread keeps the connection alive until it ends, so a Disconnect made from inside a callback does
  // not free it under the running thread.
  auto* self = new std::shared_ptr<UaConnection>(shared_from_this());
  m_thread = CreateThread(nullptr, 0, &UaConnection::ThreadMain, self, 0, &m_threadId);
  if (!m_thread) {
    delete self;
    m_session.Close();
    return false;
  }
  return true;
}

bool UaConnection::QueryCategories(DWORD /*eventTypes*/, DWORD* count, DWORD** ids, LPWSTR** names) {
  *count = 0;
  *ids = nullptr;
  *names = nullptr;
  if (m_gate->Dead()) return false;
  Lock lock(m_cs);
  if (m_stop.load()) return false;
  m_categories.Assign(m_feed.Mapper().Categories().Categories(),
                      wtsim::kSimpleEvent | wtsim::kTrackingEvent | wtsim::kConditionEvent);
  *count = m_categories.Count();
  *ids = m_categories.Ids();
  *names = m_categories.Names();
  return true;
}

HANDLE UaConnection::Subscribe(DWORD_PTR clientHandle, DWORD* revisedBufferTime, DWORD* revisedMaxSize) {
  if (m_gate->Dead()) return nullptr;
  const double interval = m_session.publishingIntervalMs();
  // Both may point to the same variable; each is written once.
  if (revisedBufferTime) *revisedBufferTime = static_cast<DWORD>(std::lround(std::max(0.0, interval)));
  if (revisedMaxSize) *revisedMaxSize = 0;  // UA sets no number of events per notification
  Lock lock(m_cs);
  if (m_stop.load()) return nullptr;
  m_clients.push_back(clientHandle);
  const uint32_t h = m_nextSubscription;
  m_nextSubscription += 4;
  return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(h));
}

bool UaConnection::Refresh(DWORD_PTR clientHandle) {
  if (m_gate->Dead()) return false;
  Lock lock(m_cs);
  if (m_stop.load() || std::find(m_clients.begin(), m_clients.end(), clientHandle) == m_clients.end()) return false;
  m_refreshes.push_back(clientHandle);
  return true;
}

void UaConnection::Close() {
  HANDLE thread = nullptr;
  {
    Lock lock(m_cs);
    m_stop.store(true);
    thread = m_thread;
  }
  m_gate->Close();
  // From inside a callback of this connection the thread is our own: it checks the stop flag once the
  // callback returns, closes the session and ends.
  if (thread && GetCurrentThreadId() != m_threadId) {
    WaitForSingleObject(thread, INFINITE);
    m_gate->Report();
  }
}

DWORD WINAPI UaConnection::ThreadMain(void* arg) {
  std::unique_ptr<std::shared_ptr<UaConnection>> self(static_cast<std::shared_ptr<UaConnection>*>(arg));
  (*self)->Run();
  return 0;
}

void UaConnection::Run() {
  while (!m_stop.load()) {
    StartRefreshIfDue();
    if (!m_session.PumpPublish()) {
      if (m_stop.load()) break;
      m_gate->MarkDead();
      const std::string why = "WTclient: OPC UA connection lost: " + std::string(ua::ToString(m_session.failure())) +
                              ": " + m_session.reason() + "\n";
      OutputDebugStringA(why.c_str());
      break;
    }
    if (m_session.refreshesAnswered() != m_refreshReplies) {
      m_refreshReplies = m_session.refreshesAnswered();
      if (m_session.refreshStatus().IsBad()) {
        // Refused: no bracket will come, so the clients waiting for it get nothing, as from a server
        // with no active condition.
        Lock lock(m_cs);
        m_feed.AbandonRefresh();
        m_refreshing.clear();
      }
    }
  }
  m_session.Close();
}

void UaConnection::StartRefreshIfDue() {
  Lock lock(m_cs);
  if (!m_refreshing.empty() || m_feed.InRefresh() || m_refreshes.empty()) return;
  // One ConditionRefresh serves every client that asked meanwhile.
  for (DWORD_PTR client : m_refreshes) {
    if (std::find(m_refreshing.begin(), m_refreshing.end(), client) == m_refreshing.end())
      m_refreshing.push_back(client);
  }
  m_refreshes.clear();
  if (!m_session.Refresh()) m_refreshing.clear();
}

std::vector<DWORD_PTR> UaConnection::Clients() {
  Lock lock(m_cs);
  return m_clients;
}

void UaConnection::OnEvents(const std::vector<std::vector<ua::Variant>>& events) {
  ua::FeedOutput out;
  std::vector<DWORD_PTR> refreshing;
  {
    Lock lock(m_cs);
    out = m_feed.Take(events, NowFileTime());
    if (out.refreshEnded) refreshing.swap(m_refreshing);
  }
  if (!out.live.empty()) Deliver(out.live, Clients(), false);
  if (out.refreshEnded && !out.refresh.empty()) Deliver(out.refresh, refreshing, true);
}

void UaConnection::Deliver(const wtsim::Batch& batch, const std::vector<DWORD_PTR>& clients, bool refresh) {
  // The strings live until the callback returns; the records are ours.
  EventRecords records(batch);
  for (DWORD_PTR client : clients) {
    if (m_stop.load()) return;
    PFN_ExtendedAECallback cb = Registry::Get().Callback();
    if (!cb) return;
    if (!m_gate->Enter()) {
      m_gate->Dropped(records.Count());
      return;
    }
    const LONGLONG begin = m_gate->Begin();
    // A refresh comes whole in one call, so that call is also its last.
    cb(client, refresh ? TRUE : FALSE, refresh ? TRUE : FALSE, records.Count(), records.Data());
    m_gate->Leave(begin, records.Count());
  }
}

}  // namespace wtclient
