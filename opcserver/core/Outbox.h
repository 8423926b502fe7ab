// The live notifications waiting to go to one subscription's sink, and when
// and in which calls they go: buffer time 0 sends each batch as it arose;
// a buffer time collects and sends no more often than once per buffer time,
// except that a full max size goes at once; max size (0: no limit) splits
// what goes into calls of at most that many records. Times are ms on any
// monotonic clock.
#pragma once
#include <cstdint>
#include <deque>
#include <vector>

#include "plant/SimEvent.h"

namespace opcsrv {

class Outbox {
 public:
  static constexpr uint64_t kNever = ~0ULL;

  void Configure(uint32_t bufferTimeMs, uint32_t maxSize);
  void Add(wtsim::Batch records, uint64_t nowMs);
  // When the next call is due (at or before now: at once), or kNever.
  uint64_t DueAt() const;
  // The calls to make now, in order; empty when nothing is due.
  std::vector<wtsim::Batch> Take(uint64_t nowMs);
  void Clear();
  size_t Pending() const { return m_pending; }

 private:
  void Split(wtsim::Batch& from, size_t count, std::vector<wtsim::Batch>& out);

  uint32_t m_bufferMs = 0;
  uint32_t m_maxSize = 0;
  std::deque<wtsim::Batch> m_batches;
  size_t m_pending = 0;
  uint64_t m_firstArrival = 0;
  uint64_t m_lastArrival = 0;
  bool m_sent = false;
  uint64_t m_lastSent = 0;
};

}  // namespace opcsrv
