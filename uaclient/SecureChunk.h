// UA Secure Conversation chunks (OPN, MSG, CLO) with security policy None: headers, building and parsing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "uaclient/DecodeError.h"
#include "uaclient/Transport.h"
#include "uaclient/Types.h"

namespace ua {

constexpr char kSecurityPolicyNoneUri[] = "http://opcfoundation.org/UA/SecurityPolicy#None";

// Sent in OPN chunks. With policy None both certificate fields are null.
struct AsymmetricSecurityHeader {
  String securityPolicyUri;
  ByteString senderCertificate;
  ByteString receiverCertificateThumbprint;

  static AsymmetricSecurityHeader None();
  bool operator==(const AsymmetricSecurityHeader& o) const {
    return securityPolicyUri == o.securityPolicyUri && senderCertificate == o.senderCertificate &&
           receiverCertificateThumbprint == o.receiverCertificateThumbprint;
  }
};

struct SequenceHeader {
  uint32_t sequenceNumber = 0;
  uint32_t requestId = 0;
};

// One parsed chunk. For OPN `asymmetric` is filled, for MSG/CLO `tokenId` (the symmetric security header).
// The body is not copied: it is bytes [bodyOffset, bodyOffset + bodySize) of the parsed buffer.
struct SecureChunk {
  MessageHeader header;
  uint32_t secureChannelId = 0;
  AsymmetricSecurityHeader asymmetric;
  uint32_t tokenId = 0;
  SequenceHeader sequence;
  size_t bodyOffset = 0;
  size_t bodySize = 0;
};

// Appends one final ('F') OPN chunk with the policy-None security header around `body`.
bool BuildOpenChunk(uint32_t secureChannelId, const SequenceHeader& sequence, const uint8_t* body, size_t bodySize,
                    std::vector<uint8_t>& out);

// Appends one final ('F') MSG or CLO chunk around `body`. Returns false for any other message type.
bool BuildSymmetricChunk(MessageType type, uint32_t secureChannelId, uint32_t tokenId, const SequenceHeader& sequence,
                         const uint8_t* body, size_t bodySize, std::vector<uint8_t>& out);

// Parses exactly one whole OPN, MSG or CLO chunk (as found by ProbeChunk), of any chunk type.
DecodeError ParseSecureChunk(const uint8_t* data, size_t size, SecureChunk& chunk);

}  // namespace ua
