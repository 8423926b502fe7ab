// OpcAESession: the control's one connection to the AE server. Its worker
// thread makes every library call, polling the state word and the refresh
// request every 200 ms. The window thread only writes requests (connect,
// disconnect, refresh, stop), polls the state for their outcome and takes the
// queue; the library's threads only append to it. The queue and its lock are
// the session's own: nothing outside reaches them but through these methods.
#pragma once
#include <atomic>
#include <chrono>
#include <deque>
#include <memory>
#include <thread>
#include <vector>

#include "framework/AELibrary.h"
#include "framework/Clock.h"
#include "framework/ThreadSafety.h"
#include "intake/OpcAEMessage.h"

enum SessionState : int32_t {
  Idle = 0,
  ConnectRequested = 1,
  Connected = 2,
  DisconnectRequested = 3,
  StopRequested = 4,
  Stopped = 5,
};

class OpcAESession {
 public:
  static constexpr const char* kServerProgId = "Velmaric.TamborelOpcDa.1";
  static constexpr uint32_t kWorkerPassMs = 200;
  static constexpr uint32_t kPollMs = 500;
  static constexpr int kPollCount = 120;

  OpcAESession(Clock& clock, AELibraryLoader* loader);
  ~OpcAESession();
  OpcAESession(const OpcAESession&) = delete;
  OpcAESession& operator=(const OpcAESession&) = delete;

  // Starts the worker. It keeps its own reference, so a worker that outlives
  // the stop wait never touches a freed session.
  static void Start(const std::shared_ptr<OpcAESession>& session);
  // The stop handshake (window thread): true if the worker reported Stopped
  // within the wait. A stop request once written is never overwritten.
  bool Stop();
  // Workers of every session in the process that have not ended yet: while
  // any runs, the module holding their code must not be unloaded.
  static int LiveWorkers() { return s_nLiveWorkers.load(); }

  // Window-thread requests; false when the session is already stopping.
  bool RequestConnect();
  bool RequestDisconnect();

  void GetCategoryName(const OpcAEMessage& record, String& name) const;
  uintptr_t ClientHandle() { return reinterpret_cast<uintptr_t>(this); }

  // The state word as the worker last left it or a request last wrote it.
  int32_t State() const { return m_nState.load(); }
  // Asks the worker to refresh the subscription at its next pass.
  void RequestRefresh() { m_bRefresh.store(true); }

  using Queue = std::deque<std::unique_ptr<OpcAEMessage>>;

  // How much may wait: the queue holds at most this much, and so, after
  // each take, do the queue and the hand-over together. The library's thread
  // returns at once, so the server never slows down for us; without a bound a
  // NewEvent handler slower than the server grows the queue until the
  // container runs out of memory. On overflow the oldest waiting records go.
  struct QueueBounds {
    size_t records;
    size_t bytes;  // as estimated by QueuedBytes
  };
  // A record with its texts costs from about 150 bytes to a few hundred, so
  // 100000 records or 32 MiB, whichever comes first. Between takes the
  // hand-over can still hold as much again: 64 MiB at worst, about 3% of the
  // 2 GiB a 32-bit container has, most of which it needs for itself. 100000
  // records are 20 s of a 5000-a-second flood and five of our drain's 20000
  // a second, so a flood the drain keeps up with loses nothing.
  static constexpr QueueBounds kQueueBounds{100000, size_t{32} << 20};
  const QueueBounds& Bounds() const { return m_bounds; }
  // Only before the first delivery: the library's threads read it unlocked.
  void SetBounds(const QueueBounds& bounds) { m_bounds = bounds; }

  // The library's side (any thread). Appends a batch of copied records at
  // the end of the queue, under the queue lock, and drops the oldest while
  // the queue is over its bound. `skipped` records older than the batch's
  // were never copied for the bound, `failed` ones of it could not be
  // allocated: both are counted as dropped. Leaves in `batch` what was
  // dropped, for the caller to free after unlocking.
  void Append(Queue& batch, uint64_t skipped = 0, uint64_t failed = 0);

  // The window thread's side. The whole queue is swapped out in constant
  // time under the queue lock, so the library's thread never waits while
  // records are converted; the drain then works through the hand-over
  // without the lock, a bounded share per tick. False when the lock did not
  // come within `wait` (the next tick tries again).
  bool TryTakeQueue(std::chrono::milliseconds wait);
  bool HasTaken() const { return !m_arrTaken.empty(); }
  // Removes the first taken record.
  std::unique_ptr<OpcAEMessage> NextTaken();
  // Records dropped for the bound that no marker row has shown yet; the
  // count starts again from 0.
  uint64_t TakeDropCount();
  // Counts the taken records as discarded and frees them.
  void DropTaken();

  // For the delivery figures: the longest a library thread waited for the
  // queue lock (µs), and the records never announced (lost to a disconnect,
  // a stop or the bound).
  struct Figures {
    uint32_t longestQueueWaitUs;
    uint64_t lost;
  };
  Figures IntakeFigures() const;

 private:
  friend struct OpcAESessionTestPeer;

  // Taken records left over from a connection closed since are dropped like
  // the queue CloseConnection emptied. Then the oldest taken records are
  // dropped while the two together are over the bound. All of them are
  // returned for the caller to free after unlocking.
  Queue TakeQueue() REQUIRES(m_mtxQueue);

  mutable RecursiveTimedMutex m_mtxQueue;
  Queue m_arrQueue GUARDED_BY(m_mtxQueue);
  QueueBounds m_bounds = kQueueBounds;  // set before the first delivery
  // Bytes of m_arrQueue's records.
  size_t m_nQueuedBytes GUARDED_BY(m_mtxQueue) = 0;
  // Records dropped for the bound in all.
  uint64_t m_nDropped GUARDED_BY(m_mtxQueue) = 0;
  // Dropped since the drain last took the count.
  uint64_t m_nDropsToShow GUARDED_BY(m_mtxQueue) = 0;
  // The library's thread dropped records newer than those in the hand-over:
  // those go too at the next take, so what is dropped stays one run.
  bool m_bQueueOverran GUARDED_BY(m_mtxQueue) = false;

  std::thread m_hThread;
  uintptr_t m_hConnection = 0;  // worker thread only
  std::atomic<int32_t> m_nState{Idle};
  // Written by the worker under m_mtxQueue and m_mtxCategories; the drain
  // reads it under m_mtxCategories alone, since it converts without the
  // queue lock.
  mutable Mutex m_mtxCategories;
  std::vector<uint32_t> m_arrCategoryId GUARDED_BY(m_mtxCategories);
  std::vector<String> m_arrCategoryName GUARDED_BY(m_mtxCategories);
  std::atomic<bool> m_bRefresh{false};
  // Records thrown away undelivered (closed connection, stopped control).
  uint64_t m_nDiscarded GUARDED_BY(m_mtxQueue) = 0;
  // The longest a library thread waited for the queue lock in Append, in µs.
  std::atomic<uint32_t> m_nLongestQueueWaitUs{0};

  Queue m_arrTaken;  // window thread only
  size_t m_nTakenBytes = 0;  // of m_arrTaken's records, window thread only
  // Records dropped for the bound that no marker row has shown yet, window
  // thread only: TakeQueue moves m_nDropsToShow here.
  uint64_t m_nDropsTaken = 0;

  static void SessionThread(std::shared_ptr<OpcAESession> session);
  void Run(AELibrary* library);
  void ConnectStep(AELibrary* library);
  void LoadEventCategories(AELibrary& library);
  void CloseConnection(AELibrary* library);
  // Worker-side outcome: written only over the state it answers.
  void Report(int32_t from, int32_t to);
  // Drops the oldest record of `from` (whose bytes it keeps) for the bound
  // and counts it; the record goes into `later`, to be freed after unlocking.
  void DropOldest(Queue& from, size_t& bytes, Queue& later) noexcept REQUIRES(m_mtxQueue);

  static std::atomic<int> s_nLiveWorkers;

  Clock& m_clock;
  AELibraryLoader* m_pLoader;
  uint32_t m_nClosings GUARDED_BY(m_mtxQueue) = 0;  // connections closed so far
  uint32_t m_nTakenAt GUARDED_BY(m_mtxQueue) = 0;   // m_nClosings when m_arrTaken was last filled
};

// The library's notification callback: queues a copy of each record.
void AEEventCallback(uintptr_t clientHandle, Bool32 refresh, Bool32 lastRefresh, uint32_t count,
                     const AEEventRecord* records) noexcept;
// Copies records into `out`, in order, without any lock; returns how many
// could not be allocated.
uint32_t CopyRecords(OpcAESession::Queue& out, uint32_t count, const AEEventRecord* records) noexcept;
// The memory a queued record holds, its texts and the queue's pointer
// included, reckoned the same on every thread.
size_t QueuedBytes(const OpcAEMessage& record) noexcept;
