// Field-order encoding of the Publish messages and notification bodies.
#include "uaclient/services/PublishService.h"

#include "uaclient/services/ServiceCodec.h"

namespace ua {

namespace {

constexpr size_t kMinAcknowledgementSize = 8;
constexpr size_t kMinEventFieldListSize = 8;  // handle + empty field array

}  // namespace

void SubscriptionAcknowledgement::Encode(Encoder& e) const {
  e.WriteUInt32(subscriptionId);
  e.WriteUInt32(sequenceNumber);
}

bool SubscriptionAcknowledgement::Decode(Decoder& d) {
  return d.ReadUInt32(subscriptionId) && d.ReadUInt32(sequenceNumber);
}

void PublishRequest::Encode(Encoder& e) const {
  requestHeader.Encode(e);
  WriteStructArray(e, subscriptionAcknowledgements);
}

bool PublishRequest::Decode(Decoder& d) {
  return requestHeader.Decode(d) && ReadStructArray(d, subscriptionAcknowledgements, kMinAcknowledgementSize);
}

void NotificationMessage::Encode(Encoder& e) const {
  e.WriteUInt32(sequenceNumber);
  e.WriteDateTime(publishTime);
  WriteExtensionObjectArray(e, notificationData);
}

bool NotificationMessage::Decode(Decoder& d) {
  return d.ReadUInt32(sequenceNumber) && d.ReadDateTime(publishTime) && ReadExtensionObjectArray(d, notificationData);
}

void PublishResponse::Encode(Encoder& e) const {
  responseHeader.Encode(e);
  e.WriteUInt32(subscriptionId);
  WriteUInt32Array(e, availableSequenceNumbers);
  e.WriteBoolean(moreNotifications);
  notificationMessage.Encode(e);
  WriteStatusCodeArray(e, results);
  WriteDiagnosticInfoArray(e, diagnosticInfos);
}

bool PublishResponse::Decode(Decoder& d) {
  return responseHeader.Decode(d) && d.ReadUInt32(subscriptionId) && ReadUInt32Array(d, availableSequenceNumbers) &&
         d.ReadBoolean(moreNotifications) && notificationMessage.Decode(d) && ReadStatusCodeArray(d, results) &&
         ReadDiagnosticInfoArray(d, diagnosticInfos);
}

void EventFieldList::Encode(Encoder& e) const {
  e.WriteUInt32(clientHandle);
  WriteVariantArray(e, eventFields);
}

bool EventFieldList::Decode(Decoder& d) { return d.ReadUInt32(clientHandle) && ReadVariantArray(d, eventFields); }

void EventNotificationList::Encode(Encoder& e) const { WriteStructArray(e, events); }

bool EventNotificationList::Decode(Decoder& d) { return ReadStructArray(d, events, kMinEventFieldListSize); }

void StatusChangeNotification::Encode(Encoder& e) const {
  e.WriteStatusCode(status);
  e.WriteDiagnosticInfo(diagnosticInfo);
}

bool StatusChangeNotification::Decode(Decoder& d) {
  return d.ReadStatusCode(status) && d.ReadDiagnosticInfo(diagnosticInfo);
}

DecodeError DecodeNotifications(const NotificationMessage& message, DecodedNotifications& out) {
  out = DecodedNotifications();
  try {
    for (const ExtensionObject& body : message.notificationData) {
      DecodeError error = DecodeError::None;
      if (HasTypeId(body, ids::kEventNotificationList)) {
        out.eventLists.emplace_back();
        error = UnpackExtensionObject(body, out.eventLists.back());
      } else if (HasTypeId(body, ids::kStatusChangeNotification)) {
        out.statusChanges.emplace_back();
        error = UnpackExtensionObject(body, out.statusChanges.back());
      } else {
        ++out.ignored;
      }
      if (error != DecodeError::None) return error;
    }
  } catch (const std::exception&) {
    return DecodeError::OutOfMemory;
  }
  return DecodeError::None;
}

}  // namespace ua
