// One refresh of a subscription: the condition records that pass its filter,
// sent in calls of at most max size with the refresh flag, the last call
// flagged last-refresh. With nothing to send there is one empty last call;
// a cancelled run ends with one empty last call too.
#pragma once
#include <cstdint>
#include <vector>

#include "opcserver/core/EventFilter.h"
#include "plant/SimEvent.h"

namespace opcsrv {

// The conditions of a snapshot that a subscription with this filter gets.
std::vector<wtsim::SimEvent> RefreshRecords(const std::vector<wtsim::SimEvent>& snapshot, const EventFilter& f);

class RefreshRun {
 public:
  struct Call {
    wtsim::Batch records;
    bool last = false;
  };

  RefreshRun() = default;  // no refresh running
  RefreshRun(std::vector<wtsim::SimEvent> records, uint32_t maxSize);

  // True while calls are left to make.
  bool Running() const { return m_running; }
  // The next call; only while Running().
  Call Next();
  // Drops the records not yet sent: the next call is the empty last one.
  void Cancel();

 private:
  std::vector<wtsim::SimEvent> m_records;
  size_t m_sent = 0;
  size_t m_maxSize = 0;
  bool m_running = false;
};

}  // namespace opcsrv
