// CreateMonitoredItems, and the one event item the alarm list places on the Server object.
#pragma once

#include <cstdint>
#include <vector>

#include "uaclient/services/EventFilter.h"

namespace ua {

enum class TimestampsToReturn : int32_t { Source = 0, Server = 1, Both = 2, Neither = 3 };
enum class MonitoringMode : int32_t { Disabled = 0, Sampling = 1, Reporting = 2 };

struct ReadValueId {
  NodeId nodeId;
  uint32_t attributeId = ids::kAttributeValue;
  String indexRange;
  QualifiedName dataEncoding;

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

struct MonitoringParameters {
  uint32_t clientHandle = 0;  // echoed in every notification for this item
  double samplingInterval = 0;
  ExtensionObject filter;
  uint32_t queueSize = 0;
  bool discardOldest = true;

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

struct MonitoredItemCreateRequest {
  ReadValueId itemToMonitor;
  MonitoringMode monitoringMode = MonitoringMode::Reporting;
  MonitoringParameters requestedParameters;

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

struct MonitoredItemCreateResult {
  StatusCode statusCode;
  uint32_t monitoredItemId = 0;
  double revisedSamplingInterval = 0;
  uint32_t revisedQueueSize = 0;
  ExtensionObject filterResult;  // an EventFilterResult for event items when a clause was refused

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

struct CreateMonitoredItemsRequest {
  static constexpr uint32_t kEncodingId = ids::kCreateMonitoredItemsRequest;
  RequestHeader requestHeader;
  uint32_t subscriptionId = 0;
  TimestampsToReturn timestampsToReturn = TimestampsToReturn::Both;
  std::vector<MonitoredItemCreateRequest> itemsToCreate;

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

struct CreateMonitoredItemsResponse {
  static constexpr uint32_t kEncodingId = ids::kCreateMonitoredItemsResponse;
  ResponseHeader responseHeader;
  std::vector<MonitoredItemCreateResult> results;  // one per item, same order
  std::vector<DiagnosticInfo> diagnosticInfos;

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

// An item on the Server object's EventNotifier, reporting every event with MakeAlarmEventFilter's fields.
// queueSize 0 lets the server pick its own event queue length.
MonitoredItemCreateRequest MakeAlarmEventItem(uint32_t clientHandle, uint32_t queueSize);

}  // namespace ua
