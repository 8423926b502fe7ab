// Field-order encoding of the subscription messages.
#include "uaclient/services/SubscriptionServices.h"

#include "uaclient/services/ServiceCodec.h"

namespace ua {

void CreateSubscriptionRequest::Encode(Encoder& e) const {
  requestHeader.Encode(e);
  e.WriteDouble(requestedPublishingInterval);
  e.WriteUInt32(requestedLifetimeCount);
  e.WriteUInt32(requestedMaxKeepAliveCount);
  e.WriteUInt32(maxNotificationsPerPublish);
  e.WriteBoolean(publishingEnabled);
  e.WriteByte(priority);
}

bool CreateSubscriptionRequest::Decode(Decoder& d) {
  return requestHeader.Decode(d) && d.ReadDouble(requestedPublishingInterval) &&
         d.ReadUInt32(requestedLifetimeCount) && d.ReadUInt32(requestedMaxKeepAliveCount) &&
         d.ReadUInt32(maxNotificationsPerPublish) && d.ReadBoolean(publishingEnabled) && d.ReadByte(priority);
}

void CreateSubscriptionResponse::Encode(Encoder& e) const {
  responseHeader.Encode(e);
  e.WriteUInt32(subscriptionId);
  e.WriteDouble(revisedPublishingInterval);
  e.WriteUInt32(revisedLifetimeCount);
  e.WriteUInt32(revisedMaxKeepAliveCount);
}

bool CreateSubscriptionResponse::Decode(Decoder& d) {
  return responseHeader.Decode(d) && d.ReadUInt32(subscriptionId) && d.ReadDouble(revisedPublishingInterval) &&
         d.ReadUInt32(revisedLifetimeCount) && d.ReadUInt32(revisedMaxKeepAliveCount);
}

void DeleteSubscriptionsRequest::Encode(Encoder& e) const {
  requestHeader.Encode(e);
  WriteUInt32Array(e, subscriptionIds);
}

bool DeleteSubscriptionsRequest::Decode(Decoder& d) {
  return requestHeader.Decode(d) && ReadUInt32Array(d, subscriptionIds);
}

void DeleteSubscriptionsResponse::Encode(Encoder& e) const {
  responseHeader.Encode(e);
  WriteStatusCodeArray(e, results);
  WriteDiagnosticInfoArray(e, diagnosticInfos);
}

bool DeleteSubscriptionsResponse::Decode(Decoder& d) {
  return responseHeader.Decode(d) && ReadStatusCodeArray(d, results) && ReadDiagnosticInfoArray(d, diagnosticInfos);
}

}  // namespace ua
