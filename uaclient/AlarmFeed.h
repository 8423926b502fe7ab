// Splits one subscription's stream of UA alarm events into live AE records and the records of a
// ConditionRefresh. The server brackets a refresh with a RefreshStartEvent and a RefreshEndEvent; it
// may interleave live events, which UA cannot tell apart, so everything inside the bracket is taken as
// the refresh. The bracket events themselves are not records.
//
// Not thread-safe: one feed per subscription, used from the thread that handles its notifications.
#pragma once

#include <cstdint>
#include <vector>

#include "plant/SimEvent.h"
#include "uaclient/AlarmMapping.h"
#include "uaclient/Variant.h"

namespace ua {

constexpr uint32_t kRefreshStartEventTypeId = 2787;
constexpr uint32_t kRefreshEndEventTypeId = 2788;

struct FeedOutput {
  wtsim::Batch live;
  // Set once a RefreshEndEvent arrived: the whole refresh, possibly empty.
  bool refreshEnded = false;
  wtsim::Batch refresh;
};

class AlarmFeed {
 public:
  explicit AlarmFeed(CategoryTable::NameResolver resolver = {});

  // Maps one notification message's events; receiveTime stands in for a missing Time.
  FeedOutput Take(const std::vector<std::vector<Variant>>& events, uint64_t receiveTime);
  // A refresh was refused or cannot complete: what it collected is dropped and the bracket closed.
  void AbandonRefresh();

  bool InRefresh() const { return inRefresh_; }
  AlarmEventMapper& Mapper() { return mapper_; }
  const AlarmEventMapper& Mapper() const { return mapper_; }

 private:
  AlarmEventMapper mapper_;
  bool inRefresh_ = false;
  wtsim::Batch collected_;
};

}  // namespace ua
