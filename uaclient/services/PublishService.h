// Publish messages and the notification bodies an event subscription receives.
#pragma once

#include <cstdint>
#include <vector>

#include "uaclient/services/ServiceHeaders.h"

namespace ua {

struct SubscriptionAcknowledgement {
  uint32_t subscriptionId = 0;
  uint32_t sequenceNumber = 0;

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

struct PublishRequest {
  static constexpr uint32_t kEncodingId = ids::kPublishRequest;
  RequestHeader requestHeader;
  std::vector<SubscriptionAcknowledgement> subscriptionAcknowledgements;

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

struct NotificationMessage {
  uint32_t sequenceNumber = 0;
  DateTime publishTime;
  std::vector<ExtensionObject> notificationData;  // empty in a keep-alive

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

struct PublishResponse {
  static constexpr uint32_t kEncodingId = ids::kPublishResponse;
  ResponseHeader responseHeader;
  uint32_t subscriptionId = 0;
  std::vector<uint32_t> availableSequenceNumbers;
  bool moreNotifications = false;
  NotificationMessage notificationMessage;
  std::vector<StatusCode> results;  // one per acknowledgement sent
  std::vector<DiagnosticInfo> diagnosticInfos;

  // A keep-alive carries no notifications and does not use up a sequence number.
  bool IsKeepAlive() const { return notificationMessage.notificationData.empty(); }

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

struct EventFieldList {
  uint32_t clientHandle = 0;        // the monitored item's handle
  std::vector<Variant> eventFields;  // one per select clause, same order; Null where the event lacks the field

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

struct EventNotificationList {
  static constexpr uint32_t kEncodingId = ids::kEventNotificationList;
  std::vector<EventFieldList> events;

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

// Tells the client its subscription has gone (e.g. BadTimeout when its lifetime ran out).
struct StatusChangeNotification {
  static constexpr uint32_t kEncodingId = ids::kStatusChangeNotification;
  StatusCode status;
  DiagnosticInfo diagnosticInfo;

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

// The notification bodies of one NotificationMessage, sorted by kind. Bodies of other kinds (data changes,
// which an event subscription never receives) are counted but not decoded.
struct DecodedNotifications {
  std::vector<EventNotificationList> eventLists;
  std::vector<StatusChangeNotification> statusChanges;
  size_t ignored = 0;
};

// Decodes every known body. Fails on the first known body that is malformed.
DecodeError DecodeNotifications(const NotificationMessage& message, DecodedNotifications& out);

}  // namespace ua
