// Field-order encoding of the secure channel messages.
#include "uaclient/services/SecureChannelServices.h"

#include "uaclient/services/ServiceCodec.h"

namespace ua {

void OpenSecureChannelRequest::Encode(Encoder& e) const {
  requestHeader.Encode(e);
  e.WriteUInt32(clientProtocolVersion);
  WriteEnum(e, requestType);
  WriteEnum(e, securityMode);
  e.WriteByteString(clientNonce);
  e.WriteUInt32(requestedLifetime);
}

bool OpenSecureChannelRequest::Decode(Decoder& d) {
  return requestHeader.Decode(d) && d.ReadUInt32(clientProtocolVersion) && ReadEnum(d, requestType) &&
         ReadEnum(d, securityMode) && d.ReadByteString(clientNonce) && d.ReadUInt32(requestedLifetime);
}

void ChannelSecurityToken::Encode(Encoder& e) const {
  e.WriteUInt32(channelId);
  e.WriteUInt32(tokenId);
  e.WriteDateTime(createdAt);
  e.WriteUInt32(revisedLifetime);
}

bool ChannelSecurityToken::Decode(Decoder& d) {
  return d.ReadUInt32(channelId) && d.ReadUInt32(tokenId) && d.ReadDateTime(createdAt) &&
         d.ReadUInt32(revisedLifetime);
}

void OpenSecureChannelResponse::Encode(Encoder& e) const {
  responseHeader.Encode(e);
  e.WriteUInt32(serverProtocolVersion);
  securityToken.Encode(e);
  e.WriteByteString(serverNonce);
}

bool OpenSecureChannelResponse::Decode(Decoder& d) {
  return responseHeader.Decode(d) && d.ReadUInt32(serverProtocolVersion) && securityToken.Decode(d) &&
         d.ReadByteString(serverNonce);
}

}  // namespace ua
