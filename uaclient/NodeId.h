// NodeId and ExpandedNodeId values.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "uaclient/Types.h"

namespace ua {

enum class IdType : uint8_t { Numeric, String, Guid, Opaque };

// Only the member selected by idType is meaningful; the others stay empty.
struct NodeId {
  uint16_t namespaceIndex = 0;
  IdType idType = IdType::Numeric;
  uint32_t numeric = 0;
  std::string text;
  Guid guid;
  std::vector<uint8_t> opaque;

  static NodeId Numeric(uint16_t ns, uint32_t id);
  static NodeId Text(uint16_t ns, std::string id);
  static NodeId FromGuid(uint16_t ns, const Guid& id);
  static NodeId Opaque(uint16_t ns, std::vector<uint8_t> id);

  // ns=0;i=0 is the null NodeId.
  bool IsNull() const { return namespaceIndex == 0 && idType == IdType::Numeric && numeric == 0; }

  bool operator==(const NodeId& other) const;
  bool operator!=(const NodeId& other) const { return !(*this == other); }
};

// A NodeId that may name its namespace by URI and live on another server. An empty namespaceUri and a zero
// serverIndex are simply not sent.
struct ExpandedNodeId {
  NodeId nodeId;
  std::string namespaceUri;
  uint32_t serverIndex = 0;

  bool operator==(const ExpandedNodeId& other) const {
    return nodeId == other.nodeId && namespaceUri == other.namespaceUri && serverIndex == other.serverIndex;
  }
  bool operator!=(const ExpandedNodeId& other) const { return !(*this == other); }
};

}  // namespace ua
