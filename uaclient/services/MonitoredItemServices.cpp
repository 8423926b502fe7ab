// Field-order encoding of the CreateMonitoredItems messages.
#include "uaclient/services/MonitoredItemServices.h"

#include "uaclient/services/ServiceCodec.h"

namespace ua {

namespace {

// NodeId (2) + attribute (4) + range (4) + encoding name (6); mode (4); parameters 4 + 8 + 3 + 4 + 1.
constexpr size_t kMinItemCreateRequestSize = 40;
// Status (4) + id (4) + interval (8) + queue (4) + filter result (3).
constexpr size_t kMinItemCreateResultSize = 23;

}  // namespace

void ReadValueId::Encode(Encoder& e) const {
  e.WriteNodeId(nodeId);
  e.WriteUInt32(attributeId);
  e.WriteString(indexRange);
  e.WriteQualifiedName(dataEncoding);
}

bool ReadValueId::Decode(Decoder& d) {
  return d.ReadNodeId(nodeId) && d.ReadUInt32(attributeId) && d.ReadString(indexRange) &&
         d.ReadQualifiedName(dataEncoding);
}

void MonitoringParameters::Encode(Encoder& e) const {
  e.WriteUInt32(clientHandle);
  e.WriteDouble(samplingInterval);
  e.WriteExtensionObject(filter);
  e.WriteUInt32(queueSize);
  e.WriteBoolean(discardOldest);
}

bool MonitoringParameters::Decode(Decoder& d) {
  return d.ReadUInt32(clientHandle) && d.ReadDouble(samplingInterval) && d.ReadExtensionObject(filter) &&
         d.ReadUInt32(queueSize) && d.ReadBoolean(discardOldest);
}

void MonitoredItemCreateRequest::Encode(Encoder& e) const {
  itemToMonitor.Encode(e);
  WriteEnum(e, monitoringMode);
  requestedParameters.Encode(e);
}

bool MonitoredItemCreateRequest::Decode(Decoder& d) {
  return itemToMonitor.Decode(d) && ReadEnum(d, monitoringMode) && requestedParameters.Decode(d);
}

void MonitoredItemCreateResult::Encode(Encoder& e) const {
  e.WriteStatusCode(statusCode);
  e.WriteUInt32(monitoredItemId);
  e.WriteDouble(revisedSamplingInterval);
  e.WriteUInt32(revisedQueueSize);
  e.WriteExtensionObject(filterResult);
}

bool MonitoredItemCreateResult::Decode(Decoder& d) {
  return d.ReadStatusCode(statusCode) && d.ReadUInt32(monitoredItemId) && d.ReadDouble(revisedSamplingInterval) &&
         d.ReadUInt32(revisedQueueSize) && d.ReadExtensionObject(filterResult);
}

void CreateMonitoredItemsRequest::Encode(Encoder& e) const {
  requestHeader.Encode(e);
  e.WriteUInt32(subscriptionId);
  WriteEnum(e, timestampsToReturn);
  WriteStructArray(e, itemsToCreate);
}

bool CreateMonitoredItemsRequest::Decode(Decoder& d) {
  return requestHeader.Decode(d) && d.ReadUInt32(subscriptionId) && ReadEnum(d, timestampsToReturn) &&
         ReadStructArray(d, itemsToCreate, kMinItemCreateRequestSize);
}

void CreateMonitoredItemsResponse::Encode(Encoder& e) const {
  responseHeader.Encode(e);
  WriteStructArray(e, results);
  WriteDiagnosticInfoArray(e, diagnosticInfos);
}

bool CreateMonitoredItemsResponse::Decode(Decoder& d) {
  return responseHeader.Decode(d) && ReadStructArray(d, results, kMinItemCreateResultSize) &&
         ReadDiagnosticInfoArray(d, diagnosticInfos);
}

MonitoredItemCreateRequest MakeAlarmEventItem(uint32_t clientHandle, uint32_t queueSize) {
  MonitoredItemCreateRequest item;
  item.itemToMonitor.nodeId = NodeId::Numeric(0, ids::kServerObject);
  item.itemToMonitor.attributeId = ids::kAttributeEventNotifier;
  item.monitoringMode = MonitoringMode::Reporting;
  item.requestedParameters.clientHandle = clientHandle;
  item.requestedParameters.samplingInterval = 0;  // events are not sampled
  item.requestedParameters.queueSize = queueSize;
  item.requestedParameters.discardOldest = true;
  // Eleven short clauses never reach the string length limit, so packing cannot fail.
  PackExtensionObject(MakeAlarmEventFilter(), EventFilter::kEncodingId, item.requestedParameters.filter);
  return item;
}

}  // namespace ua
