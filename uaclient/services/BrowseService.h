// Browse and BrowseNext messages: the client walks the event type tree with them, to name every event type a
// server may send before its first event.
#pragma once

#include <cstdint>
#include <vector>

#include "uaclient/services/ServiceHeaders.h"

namespace ua {

enum class BrowseDirection : int32_t { Forward = 0, Inverse = 1, Both = 2 };

// NodeClass bits, for the mask of the classes wanted.
constexpr uint32_t kNodeClassObjectType = 8;
// ResultMask bits: which fields of each reference the server fills.
constexpr uint32_t kResultBrowseName = 8;
constexpr uint32_t kResultNodeClass = 4;

struct ViewDescription {
  NodeId viewId;  // null: the whole address space
  DateTime timestamp;
  uint32_t viewVersion = 0;

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

struct BrowseDescription {
  NodeId nodeId;
  BrowseDirection browseDirection = BrowseDirection::Forward;
  NodeId referenceTypeId;
  bool includeSubtypes = false;
  uint32_t nodeClassMask = 0;  // 0: every class
  uint32_t resultMask = 0;

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

struct ReferenceDescription {
  NodeId referenceTypeId;
  bool isForward = true;
  ExpandedNodeId nodeId;
  QualifiedName browseName;
  LocalizedText displayName;
  int32_t nodeClass = 0;
  ExpandedNodeId typeDefinition;

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

struct BrowseResult {
  StatusCode statusCode;
  ByteString continuationPoint;  // set when the server has more references for this node
  std::vector<ReferenceDescription> references;

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

struct BrowseRequest {
  static constexpr uint32_t kEncodingId = ids::kBrowseRequest;
  RequestHeader requestHeader;
  ViewDescription view;
  uint32_t requestedMaxReferencesPerNode = 0;  // 0: the server decides
  std::vector<BrowseDescription> nodesToBrowse;

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

struct BrowseResponse {
  static constexpr uint32_t kEncodingId = ids::kBrowseResponse;
  ResponseHeader responseHeader;
  std::vector<BrowseResult> results;  // one per node, same order
  std::vector<DiagnosticInfo> diagnosticInfos;

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

struct BrowseNextRequest {
  static constexpr uint32_t kEncodingId = ids::kBrowseNextRequest;
  RequestHeader requestHeader;
  bool releaseContinuationPoints = false;
  std::vector<ByteString> continuationPoints;

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

struct BrowseNextResponse {
  static constexpr uint32_t kEncodingId = ids::kBrowseNextResponse;
  ResponseHeader responseHeader;
  std::vector<BrowseResult> results;
  std::vector<DiagnosticInfo> diagnosticInfos;

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

// The direct subtypes of each node (HasSubtype, forward, object types only), with their browse names.
BrowseRequest MakeSubtypeBrowse(const RequestHeader& header, const std::vector<NodeId>& parents);

}  // namespace ua
