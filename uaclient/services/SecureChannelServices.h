// OpenSecureChannel and CloseSecureChannel messages.
#pragma once

#include <cstdint>

#include "uaclient/services/ServiceHeaders.h"

namespace ua {

enum class SecurityTokenRequestType : int32_t { Issue = 0, Renew = 1 };
enum class MessageSecurityMode : int32_t { Invalid = 0, None = 1, Sign = 2, SignAndEncrypt = 3 };

struct OpenSecureChannelRequest {
  static constexpr uint32_t kEncodingId = ids::kOpenSecureChannelRequest;
  RequestHeader requestHeader;
  uint32_t clientProtocolVersion = 0;
  SecurityTokenRequestType requestType = SecurityTokenRequestType::Issue;
  MessageSecurityMode securityMode = MessageSecurityMode::None;
  ByteString clientNonce;  // empty or null under policy None
  uint32_t requestedLifetime = 0;  // milliseconds

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

struct ChannelSecurityToken {
  uint32_t channelId = 0;
  uint32_t tokenId = 0;
  DateTime createdAt;
  uint32_t revisedLifetime = 0;  // milliseconds

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

struct OpenSecureChannelResponse {
  static constexpr uint32_t kEncodingId = ids::kOpenSecureChannelResponse;
  ResponseHeader responseHeader;
  uint32_t serverProtocolVersion = 0;
  ChannelSecurityToken securityToken;
  ByteString serverNonce;

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

// Sent without expecting a reply; the server just closes the channel.
struct CloseSecureChannelRequest {
  static constexpr uint32_t kEncodingId = ids::kCloseSecureChannelRequest;
  RequestHeader requestHeader;

  void Encode(Encoder& e) const { requestHeader.Encode(e); }
  bool Decode(Decoder& d) { return requestHeader.Decode(d); }
};

}  // namespace ua
