// The session's insides for its tests and benchmarks: the queue and its lock,
// the counters and the state word, as the worker and the library's threads
// see them. Production code reaches the session only through its methods.
#pragma once
#include "intake/OpcAESession.h"

struct OpcAESessionTestPeer {
  explicit OpcAESessionTestPeer(OpcAESession& s)
      : m_mtxQueue(s.m_mtxQueue),
        m_arrQueue(s.m_arrQueue),
        m_arrTaken(s.m_arrTaken),
        m_bounds(s.m_bounds),
        m_nQueuedBytes(s.m_nQueuedBytes),
        m_nTakenBytes(s.m_nTakenBytes),
        m_nDropped(s.m_nDropped),
        m_nDiscarded(s.m_nDiscarded),
        m_nState(s.m_nState),
        m_bRefresh(s.m_bRefresh),
        m_hConnection(s.m_hConnection),
        m_arrCategoryId(s.m_arrCategoryId),
        m_arrCategoryName(s.m_arrCategoryName) {}
  RecursiveTimedMutex& m_mtxQueue;
  OpcAESession::Queue& m_arrQueue;
  OpcAESession::Queue& m_arrTaken;
  OpcAESession::QueueBounds& m_bounds;
  size_t& m_nQueuedBytes;
  size_t& m_nTakenBytes;
  uint64_t& m_nDropped;
  uint64_t& m_nDiscarded;
  std::atomic<int32_t>& m_nState;
  std::atomic<bool>& m_bRefresh;
  uintptr_t& m_hConnection;
  std::vector<uint32_t>& m_arrCategoryId;
  std::vector<String>& m_arrCategoryName;
};

inline OpcAESessionTestPeer Inside(OpcAESession& s) { return OpcAESessionTestPeer(s); }
