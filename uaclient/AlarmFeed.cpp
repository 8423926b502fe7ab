#include "uaclient/AlarmFeed.h"

#include <utility>

#include "uaclient/services/EventFilter.h"

namespace ua {
namespace {

// The standard type of the event, 0 when it is not a namespace-0 numeric id.
uint32_t StandardTypeOf(const std::vector<Variant>& fields) {
  if (kFieldEventType >= fields.size()) return 0;
  const NodeId* type = fields[kFieldEventType].ScalarIf<NodeId>();
  if (!type || type->namespaceIndex != 0 || type->idType != IdType::Numeric) return 0;
  return type->numeric;
}

}  // namespace

AlarmFeed::AlarmFeed(CategoryTable::NameResolver resolver) : mapper_(std::move(resolver)) {}

FeedOutput AlarmFeed::Take(const std::vector<std::vector<Variant>>& events, uint64_t receiveTime) {
  FeedOutput out;
  for (const std::vector<Variant>& fields : events) {
    switch (StandardTypeOf(fields)) {
      case kRefreshStartEventTypeId:
        // A second start without an end means the first refresh was cut short: begin again.
        collected_.clear();
        inRefresh_ = true;
        break;
      case kRefreshEndEventTypeId:
        if (!inRefresh_) break;  // an end we never saw start carries nothing
        inRefresh_ = false;
        out.refreshEnded = true;
        out.refresh = std::move(collected_);
        collected_.clear();
        break;
      default:
        (inRefresh_ ? collected_ : out.live).push_back(mapper_.Map(fields, receiveTime));
        break;
    }
  }
  return out;
}

void AlarmFeed::AbandonRefresh() {
  inRefresh_ = false;
  collected_.clear();
}

}  // namespace ua
