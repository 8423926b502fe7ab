// OpcAESession: the control's one connection to the AE server. The object is
// itself the queue lock; its worker thread makes every library call, polling
// the state word and the refresh request every 200 ms. The window thread only
// writes requests into m_nState / m_bRefresh and polls for their outcome.
#pragma once
#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "framework/Clock.h"
#include "framework/AELibrary.h"
#include "intake/OpcAEMessage.h"

enum SessionState : int32_t {
  Idle = 0,
  ConnectRequested = 1,
  Connected = 2,
  DisconnectRequested = 3,
  StopRequested = 4,
  Stopped = 5,
};

class OpcAESession : public std::recursive_timed_mutex {
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

  using Queue = std::deque<std::unique_ptr<OpcAEMessage>>;
  Queue m_arrQueue;  // guarded by *this
  std::thread m_hThread;
  uintptr_t m_hConnection = 0;  // worker thread only
  std::atomic<int32_t> m_nState{Idle};
  // Written by the worker under *this and m_mtxCategories; the drain reads it
  // under m_mtxCategories alone, since it converts without the queue lock.
  std::vector<uint32_t> m_arrCategoryId;
  std::vector<String> m_arrCategoryName;
  mutable std::mutex m_mtxCategories;
  std::atomic<bool> m_bRefresh{false};
  // Records thrown away undelivered (closed connection, stopped control), under *this.
  uint64_t m_nDiscarded = 0;

  // The window thread's side of the queue. TakeQueue (holding *this) swaps the
  // whole queue out in constant time, so the library's thread never waits
  // while records are converted; the drain then works through m_arrTaken
  // without the queue lock, a bounded share per tick.
  // Appends a batch of copied records at the end of the queue, under the
  // queue lock; leaves `batch` empty.
  void Append(Queue& batch);
  // The longest a library thread waited for the queue lock in Append, in µs.
  std::atomic<uint32_t> m_nLongestQueueWaitUs{0};

  // Taken records left over from a connection closed since are dropped like
  // the queue CloseConnection emptied; they are returned for the caller to
  // free after unlocking.
  Queue TakeQueue();
  // Counts the taken records as discarded and frees them (window thread).
  void DropTaken();
  Queue m_arrTaken;  // window thread only


 private:
  static void SessionThread(std::shared_ptr<OpcAESession> session);
  void Run(AELibrary* library);
  void ConnectStep(AELibrary* library);
  void LoadEventCategories(AELibrary& library);
  void CloseConnection(AELibrary* library);
  // Worker-side outcome: written only over the state it answers.
  void Report(int32_t from, int32_t to);

  static std::atomic<int> s_nLiveWorkers;

  Clock& m_clock;
  AELibraryLoader* m_pLoader;
  uint32_t m_nClosings = 0;  // connections closed so far, under *this
  uint32_t m_nTakenAt = 0;   // m_nClosings when m_arrTaken was last filled, under *this
};

// The library's notification callback: queues a copy of each record.
void AEEventCallback(uintptr_t clientHandle, Bool32 refresh, Bool32 lastRefresh, uint32_t count,
                     const AEEventRecord* records) noexcept;
// Copies records into `out`, in order, without any lock.
void CopyRecords(OpcAESession::Queue& out, uint32_t count, const AEEventRecord* records) noexcept;
