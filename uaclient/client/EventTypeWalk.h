// Walks a server's event type tree down from BaseEventType (HasSubtype references, one level per Browse),
// so that every type a server may send has its browse name before the first event, its own types included.
// Bounded in types and depth; a server that refuses or limits browsing leaves a partial list, never an error.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "uaclient/NodeId.h"
#include "uaclient/services/BrowseService.h"

namespace ua {

struct EventTypeInfo {
  NodeId id;
  std::string name;  // the browse name's text
  bool condition = false;  // ConditionType or one of its subtypes
};

struct EventTypeWalkLimits {
  size_t maxTypes = 5000;
  size_t maxDepth = 16;
  size_t nodesPerRequest = 100;
};

// The requests the walk makes: false when the server refused or the connection failed (the walk then ends).
using BrowseCall = std::function<bool(const std::vector<NodeId>& parents, std::vector<BrowseResult>& results)>;
using BrowseNextCall =
    std::function<bool(const std::vector<ByteString>& points, bool release, std::vector<BrowseResult>& results)>;

// Every subtype found below BaseEventType (which is not itself in the list), parents before children.
std::vector<EventTypeInfo> WalkEventTypes(const BrowseCall& browse, const BrowseNextCall& browseNext,
                                          const EventTypeWalkLimits& limits = {});

}  // namespace ua
