// Building and parsing UA Secure Conversation chunks for security policy None.
#include "uaclient/SecureChunk.h"

#include "uaclient/Decoder.h"
#include "uaclient/Encoder.h"
#include "uaclient/Limits.h"

namespace ua {

namespace {

bool IsSecureType(MessageType type) {
  return type == MessageType::Open || type == MessageType::Message || type == MessageType::Close;
}

// Writes header, channel id, the security header via `writeSecurity`, sequence header and body; then patches
// MessageSize. Leaves `out` untouched on failure.
template <typename WriteSecurity>
bool BuildChunk(MessageType type, uint32_t secureChannelId, const SequenceHeader& sequence, const uint8_t* body,
                size_t bodySize, std::vector<uint8_t>& out, WriteSecurity writeSecurity) {
  if (bodySize != 0 && !body) return false;
  std::vector<uint8_t> chunk;
  WriteMessageHeader(chunk, MessageHeader{type, ChunkType::Final, 0});
  Encoder e(chunk);
  e.WriteUInt32(secureChannelId);
  writeSecurity(e);
  e.WriteUInt32(sequence.sequenceNumber);
  e.WriteUInt32(sequence.requestId);
  e.WriteRaw(body, bodySize);
  if (!e.ok() || chunk.size() > UINT32_MAX) return false;
  e.PatchUInt32(4, static_cast<uint32_t>(chunk.size()));
  out.insert(out.end(), chunk.begin(), chunk.end());
  return true;
}

}  // namespace

AsymmetricSecurityHeader AsymmetricSecurityHeader::None() {
  AsymmetricSecurityHeader h;
  h.securityPolicyUri = std::string(kSecurityPolicyNoneUri);
  return h;
}

bool BuildOpenChunk(uint32_t secureChannelId, const SequenceHeader& sequence, const uint8_t* body, size_t bodySize,
                    std::vector<uint8_t>& out) {
  const AsymmetricSecurityHeader none = AsymmetricSecurityHeader::None();
  return BuildChunk(MessageType::Open, secureChannelId, sequence, body, bodySize, out, [&none](Encoder& e) {
    e.WriteString(none.securityPolicyUri);
    e.WriteByteString(none.senderCertificate);
    e.WriteByteString(none.receiverCertificateThumbprint);
  });
}

bool BuildSymmetricChunk(MessageType type, uint32_t secureChannelId, uint32_t tokenId, const SequenceHeader& sequence,
                         const uint8_t* body, size_t bodySize, std::vector<uint8_t>& out) {
  if (type != MessageType::Message && type != MessageType::Close) return false;
  return BuildChunk(type, secureChannelId, sequence, body, bodySize, out,
                    [tokenId](Encoder& e) { e.WriteUInt32(tokenId); });
}

DecodeError ParseSecureChunk(const uint8_t* data, size_t size, SecureChunk& chunk) {
  const DecodeError headerError = ReadMessageHeader(data, size, chunk.header);
  if (headerError != DecodeError::None) return headerError;
  if (!IsSecureType(chunk.header.type)) return DecodeError::BadEncoding;
  if (chunk.header.messageSize > size) return DecodeError::Truncated;
  if (chunk.header.messageSize < size) return DecodeError::BadEncoding;
  Decoder d(data + kMessageHeaderSize, size - kMessageHeaderSize);
  d.ReadUInt32(chunk.secureChannelId);
  chunk.asymmetric = AsymmetricSecurityHeader();
  chunk.tokenId = 0;
  if (chunk.header.type == MessageType::Open) {
    d.ReadString(chunk.asymmetric.securityPolicyUri);
    d.ReadByteString(chunk.asymmetric.senderCertificate);
    d.ReadByteString(chunk.asymmetric.receiverCertificateThumbprint);
  } else {
    d.ReadUInt32(chunk.tokenId);
  }
  d.ReadUInt32(chunk.sequence.sequenceNumber);
  d.ReadUInt32(chunk.sequence.requestId);
  if (!d.ok()) return d.error();  // sticky: one check covers every field above
  chunk.bodyOffset = kMessageHeaderSize + d.position();
  chunk.bodySize = d.remaining();
  return DecodeError::None;
}

}  // namespace ua
