// CreateSubscription and DeleteSubscriptions messages.
#pragma once

#include <cstdint>
#include <vector>

#include "uaclient/services/ServiceHeaders.h"

namespace ua {

struct CreateSubscriptionRequest {
  static constexpr uint32_t kEncodingId = ids::kCreateSubscriptionRequest;
  RequestHeader requestHeader;
  double requestedPublishingInterval = 0;  // milliseconds
  uint32_t requestedLifetimeCount = 0;
  uint32_t requestedMaxKeepAliveCount = 0;
  uint32_t maxNotificationsPerPublish = 0;  // 0 = no limit
  bool publishingEnabled = true;
  uint8_t priority = 0;

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

struct CreateSubscriptionResponse {
  static constexpr uint32_t kEncodingId = ids::kCreateSubscriptionResponse;
  ResponseHeader responseHeader;
  uint32_t subscriptionId = 0;
  double revisedPublishingInterval = 0;
  uint32_t revisedLifetimeCount = 0;
  uint32_t revisedMaxKeepAliveCount = 0;

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

struct DeleteSubscriptionsRequest {
  static constexpr uint32_t kEncodingId = ids::kDeleteSubscriptionsRequest;
  RequestHeader requestHeader;
  std::vector<uint32_t> subscriptionIds;

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

struct DeleteSubscriptionsResponse {
  static constexpr uint32_t kEncodingId = ids::kDeleteSubscriptionsResponse;
  ResponseHeader responseHeader;
  std::vector<StatusCode> results;  // one per requested id, same order
  std::vector<DiagnosticInfo> diagnosticInfos;

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

}  // namespace ua
