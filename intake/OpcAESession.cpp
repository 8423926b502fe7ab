#include "intake/OpcAESession.h"

#include <algorithm>
#include <chrono>


OpcAESession::OpcAESession(Clock& clock, AELibraryLoader* loader)
    : m_clock(clock), m_pLoader(loader) {}

OpcAESession::~OpcAESession() {
  if (m_hThread.joinable()) m_hThread.detach();
}

std::atomic<int> OpcAESession::s_nLiveWorkers{0};

void OpcAESession::Start(const std::shared_ptr<OpcAESession>& session) {
  // The state is Idle from construction: the worker does not write it at its
  // start, so a request made before the thread runs is not lost.
  ++s_nLiveWorkers;
  try {
    session->m_hThread = std::thread(&OpcAESession::SessionThread, session);
  } catch (...) {
    --s_nLiveWorkers;
    throw;
  }
}

void OpcAESession::SessionThread(std::shared_ptr<OpcAESession> session) {
  {
    // Loaded on this thread, released after Stopped is reported.
    std::unique_ptr<AELibrary> library = session->m_pLoader ? session->m_pLoader->Load() : nullptr;
    session->Run(library.get());
  }
  session.reset();
  --s_nLiveWorkers;
}

void OpcAESession::Run(AELibrary* library) {
  if (library) {
    library->WTclientCoInit();
    library->EnableExtendedAECallback(&AEEventCallback);
  }
  for (;;) {
    if (m_nState.load() == ConnectRequested) {
      // A disconnect overwritten by a connect request: close first, then
      // connect anew.
      if (m_hConnection != 0) CloseConnection(library);
      ConnectStep(library);
    }
    if (m_bRefresh.exchange(false) && library && m_hConnection != 0)
      library->Refresh_AE_Subscription(m_hConnection, ClientHandle());
    if (m_nState.load() == DisconnectRequested) CloseConnection(library);
    m_clock.Sleep(kWorkerPassMs);
    if (m_nState.load() == StopRequested) break;
  }
  CloseConnection(library);
  if (library) library->WTclientCoUninit();
  m_nState.store(Stopped);  // the worker's last access to the session
}

void OpcAESession::Report(int32_t from, int32_t to) {
  m_nState.compare_exchange_strong(from, to);
}

void OpcAESession::ConnectStep(AELibrary* library) {
  m_hConnection = library ? library->ConnectOPC_AE("", kServerProgId) : AELibrary::kConnectFailed;
  if (m_hConnection == AELibrary::kConnectFailed) {
    m_hConnection = 0;
    Report(ConnectRequested, Idle);
    return;
  }
  m_bRefresh.store(false);
  LoadEventCategories(*library);
  uint32_t scratch = 0;
  const uintptr_t subscription =
      library->Create_AE_Subscription(m_hConnection, ClientHandle(), &scratch, &scratch);
  // Anything written meanwhile (disconnect, stop) stands; the rest of the
  // pass or the loop's end closes the connection then.
  Report(ConnectRequested, subscription != 0 ? Connected : DisconnectRequested);
}

void OpcAESession::LoadEventCategories(AELibrary& library) {
  uint32_t count = 0;
  const uint32_t* ids = nullptr;
  const char16_t* const* names = nullptr;
  library.QueryEventCategories(m_hConnection, 1, &count, &ids, &names);
  if (!ids || !names) count = 0;
  LockGuard<RecursiveTimedMutex> lock(m_mtxQueue);
  LockGuard<Mutex> table(m_mtxCategories);
  m_arrCategoryId.assign(ids, ids + count);
  m_arrCategoryName.clear();
  m_arrCategoryName.reserve(count);
  for (uint32_t i = 0; i < count; ++i) m_arrCategoryName.emplace_back(names[i] ? names[i] : u"");
}

void OpcAESession::CloseConnection(AELibrary* library) {
  if (m_hConnection != 0 && library) library->DisconnectOPC_AE(m_hConnection);
  m_hConnection = 0;
  LockGuard<RecursiveTimedMutex> lock(m_mtxQueue);
  m_nDiscarded += m_arrQueue.size();
  m_arrQueue.clear();
  ++m_nClosings;
  // Only the disconnect is answered: a stop or a newer connect stays.
  Report(DisconnectRequested, Idle);
}

void OpcAESession::Append(Queue& batch, uint64_t skipped, uint64_t failed) {
  size_t bytes = 0;
  for (const std::unique_ptr<OpcAEMessage>& m : batch) bytes += QueuedBytes(*m);
  const auto asked = std::chrono::steady_clock::now();
  LockGuard<RecursiveTimedMutex> lock(m_mtxQueue);
  const auto waited = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - asked);
  const uint32_t us = static_cast<uint32_t>(std::min<int64_t>(waited.count(), UINT32_MAX));
  uint32_t longest = m_nLongestQueueWaitUs.load(std::memory_order_relaxed);
  while (us > longest && !m_nLongestQueueWaitUs.compare_exchange_weak(longest, us, std::memory_order_relaxed)) {
  }
  if (m_arrQueue.empty()) {
    m_nQueuedBytes = 0;  // emptied by a disconnect or a take
    m_arrQueue.swap(batch);
  } else {
    for (std::unique_ptr<OpcAEMessage>& m : batch) m_arrQueue.push_back(std::move(m));
    batch.clear();
  }
  m_nQueuedBytes += bytes;
  // A record that could not be copied is no reason to let older ones go; its
  // marker may stand a few rows early.
  m_nDropped += skipped + failed;
  m_nDropsToShow += skipped + failed;
  if (skipped > 0) m_bQueueOverran = true;
  // The newest record stays even if it alone is over the byte bound.
  while (m_arrQueue.size() > 1 && (m_arrQueue.size() > m_bounds.records || m_nQueuedBytes > m_bounds.bytes)) {
    DropOldest(m_arrQueue, m_nQueuedBytes, batch);
    m_bQueueOverran = true;
  }
}

OpcAESession::Queue OpcAESession::TakeQueue() {
  Queue stale;
  if (m_nClosings != m_nTakenAt) {
    m_nDiscarded += m_arrTaken.size();
    stale.swap(m_arrTaken);
    m_nTakenAt = m_nClosings;
  }
  if (m_arrTaken.empty()) m_nTakenBytes = 0;
  if (m_arrQueue.empty()) m_nQueuedBytes = 0;
  // Oldest first: what the library's thread dropped was newer than all of
  // the hand-over; otherwise the hand-over's oldest make room.
  while (!m_arrTaken.empty() &&
         (m_bQueueOverran || m_arrTaken.size() + m_arrQueue.size() > m_bounds.records ||
          m_nTakenBytes + m_nQueuedBytes > m_bounds.bytes))
    DropOldest(m_arrTaken, m_nTakenBytes, stale);
  m_bQueueOverran = false;
  m_nDropsTaken += m_nDropsToShow;
  m_nDropsToShow = 0;
  // Only into an empty hand-over: a swap, whatever the queue's length. What
  // is left from the last tick is older and goes first.
  if (m_arrTaken.empty()) {
    m_arrTaken.swap(m_arrQueue);
    m_nTakenBytes = m_nQueuedBytes;
    m_nQueuedBytes = 0;
  }
  return stale;
}

void OpcAESession::DropOldest(Queue& from, size_t& bytes, Queue& later) noexcept {
  std::unique_ptr<OpcAEMessage> oldest = std::move(from.front());
  from.pop_front();
  bytes -= QueuedBytes(*oldest);
  ++m_nDropped;
  ++m_nDropsToShow;
  // Freed after the queue lock is let go; at once if even that cannot be
  // allocated.
  try {
    later.push_back(std::move(oldest));
  } catch (...) {
  }
}

bool OpcAESession::TryTakeQueue(std::chrono::milliseconds wait) {
  if (!m_mtxQueue.TryLockFor(wait)) return false;
  Queue stale;  // freed on return, after the unlock, not under the lock
  LockGuard<RecursiveTimedMutex> lock(m_mtxQueue, LockGuard<RecursiveTimedMutex>::AdoptLock{});
  stale = TakeQueue();
  return true;
}

uint64_t OpcAESession::TakeDropCount() {
  const uint64_t n = m_nDropsTaken;
  m_nDropsTaken = 0;
  return n;
}

OpcAESession::Figures OpcAESession::IntakeFigures() const {
  LockGuard<RecursiveTimedMutex> lock(m_mtxQueue);
  return {m_nLongestQueueWaitUs.load(), m_nDiscarded + m_nDropped};
}

std::unique_ptr<OpcAEMessage> OpcAESession::NextTaken() {
  std::unique_ptr<OpcAEMessage> record = std::move(m_arrTaken.front());
  m_arrTaken.pop_front();
  m_nTakenBytes -= QueuedBytes(*record);
  return record;
}

void OpcAESession::DropTaken() {
  LockGuard<RecursiveTimedMutex> lock(m_mtxQueue);
  m_nDiscarded += m_arrTaken.size();
  m_arrTaken.clear();
  m_nTakenBytes = 0;
}

bool OpcAESession::Stop() {
  int32_t s = m_nState.load();
  while (s != Stopped && s != StopRequested && !m_nState.compare_exchange_weak(s, StopRequested)) {
  }
  bool stopped = m_nState.load() == Stopped;
  for (int i = 0; i < kPollCount && !stopped; ++i) {
    m_clock.Sleep(kPollMs);
    stopped = m_nState.load() == Stopped;
  }
  // Reported Stopped: only the thread's return is left, so wait for it.
  // Otherwise let it go; it holds its own reference to the session, and the
  // module its code lives in stays loaded for good.
  if (m_hThread.joinable()) {
    if (stopped) {
      m_hThread.join();
    } else {
      if (m_pLoader) m_pLoader->KeepLoaded();
      m_hThread.detach();
    }
  }
  return stopped;
}

bool OpcAESession::RequestConnect() {
  int32_t s = m_nState.load();
  do {
    if (s == StopRequested || s == Stopped) return false;
    if (s == Connected) return true;
  } while (!m_nState.compare_exchange_weak(s, ConnectRequested));
  return true;
}

bool OpcAESession::RequestDisconnect() {
  int32_t s = m_nState.load();
  do {
    if (s == StopRequested || s == Stopped) return false;
    if (s == Idle) return true;
  } while (!m_nState.compare_exchange_weak(s, DisconnectRequested));
  return true;
}

void OpcAESession::GetCategoryName(const OpcAEMessage& record, String& name) const {
  name.clear();
  LockGuard<Mutex> table(m_mtxCategories);
  for (size_t i = 0; i < m_arrCategoryId.size() && i < m_arrCategoryName.size(); ++i) {
    if (m_arrCategoryId[i] == record.category) {
      name = m_arrCategoryName[i];
      return;
    }
  }
}
