// NodeId construction and comparison.
#include "uaclient/NodeId.h"

#include <utility>

namespace ua {

NodeId NodeId::Numeric(uint16_t ns, uint32_t id) {
  NodeId n;
  n.namespaceIndex = ns;
  n.numeric = id;
  return n;
}

NodeId NodeId::Text(uint16_t ns, std::string id) {
  NodeId n;
  n.namespaceIndex = ns;
  n.idType = IdType::String;
  n.text = std::move(id);
  return n;
}

NodeId NodeId::FromGuid(uint16_t ns, const Guid& id) {
  NodeId n;
  n.namespaceIndex = ns;
  n.idType = IdType::Guid;
  n.guid = id;
  return n;
}

NodeId NodeId::Opaque(uint16_t ns, std::vector<uint8_t> id) {
  NodeId n;
  n.namespaceIndex = ns;
  n.idType = IdType::Opaque;
  n.opaque = std::move(id);
  return n;
}

bool NodeId::operator==(const NodeId& other) const {
  if (namespaceIndex != other.namespaceIndex || idType != other.idType) return false;
  switch (idType) {
    case IdType::Numeric: return numeric == other.numeric;
    case IdType::String: return text == other.text;
    case IdType::Guid: return guid == other.guid;
    case IdType::Opaque: return opaque == other.opaque;
  }
  return false;
}

}  // namespace ua
