// Field-order encoding of the Browse and BrowseNext messages.
#include "uaclient/services/BrowseService.h"

#include "uaclient/services/ServiceCodec.h"

namespace ua {

namespace {

constexpr size_t kMinReferenceSize = 2 + 1 + 2 + 6 + 1 + 4 + 2;  // smallest NodeIds, empty name and text
constexpr size_t kMinBrowseResultSize = 4 + 4 + 4;                // status, null point, empty references
constexpr size_t kMinBrowseDescriptionSize = 2 + 4 + 2 + 1 + 4 + 4;

void WriteByteStringArray(Encoder& e, const std::vector<ByteString>& items) {
  e.WriteArray(items, [&e](const ByteString& v) { e.WriteByteString(v); });
}

bool ReadByteStringArray(Decoder& d, std::vector<ByteString>& items) {
  return d.ReadArray(items, 4, [&d](ByteString& v) { return d.ReadByteString(v); });
}

}  // namespace

void ViewDescription::Encode(Encoder& e) const {
  e.WriteNodeId(viewId);
  e.WriteDateTime(timestamp);
  e.WriteUInt32(viewVersion);
}

bool ViewDescription::Decode(Decoder& d) {
  return d.ReadNodeId(viewId) && d.ReadDateTime(timestamp) && d.ReadUInt32(viewVersion);
}

void BrowseDescription::Encode(Encoder& e) const {
  e.WriteNodeId(nodeId);
  WriteEnum(e, browseDirection);
  e.WriteNodeId(referenceTypeId);
  e.WriteBoolean(includeSubtypes);
  e.WriteUInt32(nodeClassMask);
  e.WriteUInt32(resultMask);
}

bool BrowseDescription::Decode(Decoder& d) {
  return d.ReadNodeId(nodeId) && ReadEnum(d, browseDirection) && d.ReadNodeId(referenceTypeId) &&
         d.ReadBoolean(includeSubtypes) && d.ReadUInt32(nodeClassMask) && d.ReadUInt32(resultMask);
}

void ReferenceDescription::Encode(Encoder& e) const {
  e.WriteNodeId(referenceTypeId);
  e.WriteBoolean(isForward);
  e.WriteExpandedNodeId(nodeId);
  e.WriteQualifiedName(browseName);
  e.WriteLocalizedText(displayName);
  e.WriteInt32(nodeClass);
  e.WriteExpandedNodeId(typeDefinition);
}

bool ReferenceDescription::Decode(Decoder& d) {
  return d.ReadNodeId(referenceTypeId) && d.ReadBoolean(isForward) && d.ReadExpandedNodeId(nodeId) &&
         d.ReadQualifiedName(browseName) && d.ReadLocalizedText(displayName) && d.ReadInt32(nodeClass) &&
         d.ReadExpandedNodeId(typeDefinition);
}

void BrowseResult::Encode(Encoder& e) const {
  e.WriteStatusCode(statusCode);
  e.WriteByteString(continuationPoint);
  WriteStructArray(e, references);
}

bool BrowseResult::Decode(Decoder& d) {
  return d.ReadStatusCode(statusCode) && d.ReadByteString(continuationPoint) &&
         ReadStructArray(d, references, kMinReferenceSize);
}

void BrowseRequest::Encode(Encoder& e) const {
  requestHeader.Encode(e);
  view.Encode(e);
  e.WriteUInt32(requestedMaxReferencesPerNode);
  WriteStructArray(e, nodesToBrowse);
}

bool BrowseRequest::Decode(Decoder& d) {
  return requestHeader.Decode(d) && view.Decode(d) && d.ReadUInt32(requestedMaxReferencesPerNode) &&
         ReadStructArray(d, nodesToBrowse, kMinBrowseDescriptionSize);
}

void BrowseResponse::Encode(Encoder& e) const {
  responseHeader.Encode(e);
  WriteStructArray(e, results);
  WriteDiagnosticInfoArray(e, diagnosticInfos);
}

bool BrowseResponse::Decode(Decoder& d) {
  return responseHeader.Decode(d) && ReadStructArray(d, results, kMinBrowseResultSize) &&
         ReadDiagnosticInfoArray(d, diagnosticInfos);
}

void BrowseNextRequest::Encode(Encoder& e) const {
  requestHeader.Encode(e);
  e.WriteBoolean(releaseContinuationPoints);
  WriteByteStringArray(e, continuationPoints);
}

bool BrowseNextRequest::Decode(Decoder& d) {
  return requestHeader.Decode(d) && d.ReadBoolean(releaseContinuationPoints) &&
         ReadByteStringArray(d, continuationPoints);
}

void BrowseNextResponse::Encode(Encoder& e) const {
  responseHeader.Encode(e);
  WriteStructArray(e, results);
  WriteDiagnosticInfoArray(e, diagnosticInfos);
}

bool BrowseNextResponse::Decode(Decoder& d) {
  return responseHeader.Decode(d) && ReadStructArray(d, results, kMinBrowseResultSize) &&
         ReadDiagnosticInfoArray(d, diagnosticInfos);
}

BrowseRequest MakeSubtypeBrowse(const RequestHeader& header, const std::vector<NodeId>& parents) {
  BrowseRequest request;
  request.requestHeader = header;
  for (const NodeId& parent : parents) {
    BrowseDescription description;
    description.nodeId = parent;
    description.browseDirection = BrowseDirection::Forward;
    description.referenceTypeId = NodeId::Numeric(0, ids::kHasSubtype);
    description.includeSubtypes = false;
    description.nodeClassMask = kNodeClassObjectType;
    description.resultMask = kResultBrowseName | kResultNodeClass;
    request.nodesToBrowse.push_back(std::move(description));
  }
  return request;
}

}  // namespace ua
