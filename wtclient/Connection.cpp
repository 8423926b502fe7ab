#include "wtclient/Connection.h"

#include <algorithm>

#include "wtclient/EventRecords.h"
#include "wtclient/LocalMachine.h"

namespace wtclient {
namespace {

uint64_t NowFileTime() {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  return (uint64_t{ft.dwHighDateTime} << 32) | ft.dwLowDateTime;
}

const char kServerProgId[] = "Velmaric.TamborelOpcDa.1";

}  // namespace

std::shared_ptr<Connection> Connection::Open(LPCSTR machineName, LPCSTR serverProgId) {
  Registry& reg = Registry::Get();
  std::shared_ptr<ScenarioSource> src = reg.CurrentScenario();
  uint32_t hangMs = 0;
  const bool scriptedFailure = reg.TakeFailure(*src, wtsim::Call::Connect, hangMs);
  if (hangMs) Sleep(hangMs);
  // Like a COM client library, nothing works on a thread that did not
  // initialise the library.
  if (!reg.ThreadInitialised() || !src->ok || scriptedFailure || !IsLocalMachine(machineName) || !serverProgId ||
      lstrcmpiA(serverProgId, kServerProgId) != 0)
    return nullptr;
  const uint64_t seed = src->scenario.seed ? src->scenario.seed
                                           : (GetTickCount64() * 0x9E3779B97F4A7C15ULL) ^ reg.NextSerial();
  return std::make_shared<Connection>(src, seed);
}

Connection::Connection(std::shared_ptr<ScenarioSource> source, uint64_t seed)
    : m_source(std::move(source)), m_engine(m_source->scenario, seed) {
  InitializeCriticalSection(&m_cs);
  InitializeConditionVariable(&m_wake);
}

Connection::~Connection() {
  if (m_thread) CloseHandle(m_thread);
  DeleteCriticalSection(&m_cs);
}

// The scripted outcome of a call: it first hangs if asked, then fails or not.
bool Connection::Fails(wtsim::Call call) {
  uint32_t hangMs = 0;
  const bool fail = Registry::Get().TakeFailure(*m_source, call, hangMs);
  if (hangMs) Sleep(hangMs);
  return fail;
}

bool Connection::QueryCategories(DWORD eventTypes, DWORD* count, DWORD** ids, LPWSTR** names) {
  *count = 0;
  *ids = nullptr;
  *names = nullptr;
  if (Fails(wtsim::Call::Query)) return false;
  Lock lock(m_cs);
  m_categories.Assign(m_source->scenario.categories, eventTypes);
  *count = m_categories.Count();
  *ids = m_categories.Ids();
  *names = m_categories.Names();
  return true;
}

HANDLE Connection::Subscribe(DWORD_PTR clientHandle, DWORD* revisedBufferTime, DWORD* revisedMaxSize) {
  if (Fails(wtsim::Call::Subscribe)) return nullptr;
  // Both may point to the same variable; each is written once.
  if (revisedBufferTime) *revisedBufferTime = wtsim::EventEngine::kBufferTimeMs;
  if (revisedMaxSize) *revisedMaxSize = wtsim::EventEngine::kMaxBatch;
  Lock lock(m_cs);
  if (m_stop.load()) return nullptr;
  if (!m_thread) {
    // The thread keeps the connection alive until it ends, so a Disconnect
    // made from inside a callback does not free it under the running thread.
    auto* self = new std::shared_ptr<Connection>(shared_from_this());
    m_startTick = GetTickCount64();
    m_thread = CreateThread(nullptr, 0, &Connection::ThreadMain, self, 0, &m_threadId);
    if (!m_thread) {
      delete self;
      return nullptr;
    }
  }
  m_clients.push_back(clientHandle);
  const uint32_t h = m_nextSubscription;
  m_nextSubscription += 4;
  return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(h));
}

bool Connection::Refresh(DWORD_PTR clientHandle) {
  if (Fails(wtsim::Call::Refresh)) return false;
  Lock lock(m_cs);
  if (m_stop.load() || std::find(m_clients.begin(), m_clients.end(), clientHandle) == m_clients.end()) return false;
  m_refreshes.push_back(clientHandle);
  WakeConditionVariable(&m_wake);
  return true;
}

void Connection::Close() {
  Fails(wtsim::Call::Disconnect);  // only its hang applies
  HANDLE thread = nullptr;
  {
    Lock lock(m_cs);
    m_stop.store(true);
    WakeConditionVariable(&m_wake);
    thread = m_thread;
  }
  // From inside a callback of this connection the thread is our own: it
  // checks the stop flag before any further callback and then ends.
  if (thread && GetCurrentThreadId() != m_threadId) {
    WaitForSingleObject(thread, INFINITE);
    m_stats.Report();
  }
}

DWORD WINAPI Connection::ThreadMain(void* arg) {
  std::unique_ptr<std::shared_ptr<Connection>> self(static_cast<std::shared_ptr<Connection>*>(arg));
  (*self)->Run();
  return 0;
}

void Connection::Run() {
  EnterCriticalSection(&m_cs);
  while (!m_stop.load()) {
    if (!m_refreshes.empty()) {
      const std::vector<DWORD_PTR> client{m_refreshes.front()};
      m_refreshes.pop_front();
      const std::vector<wtsim::Batch> batches = m_engine.Refresh();
      LeaveCriticalSection(&m_cs);
      for (size_t i = 0; i < batches.size(); ++i) Deliver(batches[i], client, true, i + 1 == batches.size());
      EnterCriticalSection(&m_cs);
      continue;
    }
    const uint64_t now = GetTickCount64() - m_startTick;
    const uint64_t due = m_engine.NextDue();
    if (due <= now) {
      const wtsim::Batch batch = m_engine.TakeDue(NowFileTime());
      const std::vector<DWORD_PTR> clients = m_clients;
      LeaveCriticalSection(&m_cs);
      if (!batch.empty()) Deliver(batch, clients, false, false);
      EnterCriticalSection(&m_cs);
      continue;
    }
    const uint64_t wait = due == wtsim::EventEngine::kNever ? INFINITE : std::min<uint64_t>(due - now, 0x7FFFFFFF);
    SleepConditionVariableCS(&m_wake, &m_cs, static_cast<DWORD>(wait));
  }
  LeaveCriticalSection(&m_cs);
}

void Connection::Deliver(const wtsim::Batch& batch, const std::vector<DWORD_PTR>& clients, bool refresh, bool last) {
  // The strings live until the callback returns; the records are ours.
  EventRecords records(batch);
  for (DWORD_PTR client : clients) {
    if (m_stop.load()) return;
    PFN_ExtendedAECallback cb = Registry::Get().Callback();
    if (!cb) return;
    const LONGLONG begin = m_stats.Begin();
    cb(client, refresh ? TRUE : FALSE, last ? TRUE : FALSE, records.Count(),
       records.Count() ? records.Data() : nullptr);
    m_stats.End(begin, records.Count());
  }
}

}  // namespace wtclient
