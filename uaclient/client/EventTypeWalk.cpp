#include "uaclient/client/EventTypeWalk.h"

#include <set>
#include <utility>

#include "uaclient/AlarmText.h"
#include "uaclient/services/EncodingIds.h"

namespace ua {
namespace {

struct Node {
  NodeId id;
  bool condition;
};

class Walk {
 public:
  Walk(const BrowseNextCall& browseNext, const EventTypeWalkLimits& limits)
      : browseNext_(browseNext), limits_(limits) {
    seen_.insert(NodeIdToText(NodeId::Numeric(0, ids::kBaseEventType)));
  }

  bool Full() const { return types_.size() >= limits_.maxTypes; }

  // Takes one parent's references, following its continuation points while there is room.
  void Take(const Node& parent, BrowseResult result, std::vector<Node>& next) {
    for (;;) {
      if (result.statusCode.IsBad()) return;
      for (const ReferenceDescription& ref : result.references) Add(parent, ref, next);
      if (!result.continuationPoint || result.continuationPoint->empty()) return;
      std::vector<BrowseResult> more;
      const std::vector<ByteString> point{result.continuationPoint};
      // A server holds a continuation point until it is used or released: never leave one behind.
      if (Full()) {
        browseNext_(point, true, more);
        return;
      }
      if (!browseNext_(point, false, more) || more.size() != 1) return;
      result = std::move(more[0]);
    }
  }

  std::vector<EventTypeInfo> types_;

 private:
  void Add(const Node& parent, const ReferenceDescription& ref, std::vector<Node>& next) {
    // Only local nodes: a type on another server is not one our server's events can have.
    if (Full() || ref.nodeId.serverIndex != 0 || !ref.nodeId.namespaceUri.empty()) return;
    if (!seen_.insert(NodeIdToText(ref.nodeId.nodeId)).second) return;
    const bool isConditionType = ref.nodeId.nodeId == NodeId::Numeric(0, ids::kConditionType);
    Node child{ref.nodeId.nodeId, parent.condition || isConditionType};
    types_.push_back({child.id, ref.browseName.name.value_or(std::string()), child.condition});
    next.push_back(std::move(child));
  }

  const BrowseNextCall& browseNext_;
  const EventTypeWalkLimits& limits_;
  std::set<std::string> seen_;  // a type reached twice (a server's loop) is walked once
};

}  // namespace

std::vector<EventTypeInfo> WalkEventTypes(const BrowseCall& browse, const BrowseNextCall& browseNext,
                                          const EventTypeWalkLimits& limits) {
  Walk walk(browseNext, limits);
  std::vector<Node> level{{NodeId::Numeric(0, ids::kBaseEventType), false}};
  for (size_t depth = 0; depth < limits.maxDepth && !level.empty() && !walk.Full(); ++depth) {
    std::vector<Node> next;
    for (size_t start = 0; start < level.size() && !walk.Full(); start += limits.nodesPerRequest) {
      const size_t end = std::min(level.size(), start + limits.nodesPerRequest);
      std::vector<NodeId> parents;
      for (size_t i = start; i < end; ++i) parents.push_back(level[i].id);
      std::vector<BrowseResult> results;
      if (!browse(parents, results) || results.size() != parents.size()) return std::move(walk.types_);
      for (size_t i = 0; i < results.size(); ++i) walk.Take(level[start + i], std::move(results[i]), next);
    }
    level = std::move(next);
  }
  return std::move(walk.types_);
}

}  // namespace ua
