// UA TCP messages and policy-None secure chunks: exact layouts, chunk boundary detection, refusal of bad frames.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "tests/native/uaclient/CodecTestUtil.h"
#include "uaclient/SecureChunk.h"
#include "uaclient/Transport.h"

using namespace ua;
using ua_test::Bytes;

namespace {

constexpr uint32_t kMaxChunk = 65536;

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

const Bytes kAcknowledge = Concat({Text("ACKF"), {0x1C, 0, 0, 0},  // 28 bytes in all
                                   {0, 0, 0, 0}, {0x00, 0x00, 0x01, 0x00}, {0x00, 0x20, 0x00, 0x00},
                                   {0x00, 0x00, 0x00, 0x01}, {0x10, 0, 0, 0}});

}  // namespace

TEST(UaTransportHello, ExactLayout) {
  HelloMessage hello;
  hello.receiveBufferSize = 65536;
  hello.sendBufferSize = 65536;
  hello.maxMessageSize = 0x01000000;
  hello.endpointUrl = std::string("opc.tcp://h:4840");
  Bytes out;
  ASSERT_TRUE(EncodeHelloMessage(hello, out));
  const Bytes expected = Concat({Text("HELF"), {48, 0, 0, 0}, {0, 0, 0, 0}, {0x00, 0x00, 0x01, 0x00},
                                 {0x00, 0x00, 0x01, 0x00}, {0x00, 0x00, 0x00, 0x01}, {0, 0, 0, 0}, {16, 0, 0, 0},
                                 Text("opc.tcp://h:4840")});
  EXPECT_EQ(out, expected);
  HelloMessage back;
  EXPECT_EQ(DecodeHelloMessage(out.data(), out.size(), back), DecodeError::None);
  EXPECT_EQ(back, hello);
}

TEST(UaTransportHello, OverlongUrlIsNotSent) {
  HelloMessage hello;
  hello.endpointUrl = std::string(kMaxTransportStringLength + 1, 'x');
  Bytes out = {0xAA};
  EXPECT_FALSE(EncodeHelloMessage(hello, out));
  EXPECT_EQ(out, Bytes{0xAA});
}

TEST(UaTransportAcknowledge, DecodesFieldsInOrder) {
  AcknowledgeMessage ack;
  ASSERT_EQ(DecodeAcknowledgeMessage(kAcknowledge.data(), kAcknowledge.size(), ack), DecodeError::None);
  EXPECT_EQ(ack.protocolVersion, 0u);
  EXPECT_EQ(ack.receiveBufferSize, 65536u);
  EXPECT_EQ(ack.sendBufferSize, 8192u);
  EXPECT_EQ(ack.maxMessageSize, 0x01000000u);
  EXPECT_EQ(ack.maxChunkCount, 16u);
  Bytes reencoded;
  ASSERT_TRUE(EncodeAcknowledgeMessage(ack, reencoded));
  EXPECT_EQ(reencoded, kAcknowledge);
}

TEST(UaTransportAcknowledge, RefusesWrongTypeSizeOrTrailingBytes) {
  AcknowledgeMessage ack;
  Bytes wrongType = kAcknowledge;
  std::memcpy(wrongType.data(), "HEL", 3);
  EXPECT_EQ(DecodeAcknowledgeMessage(wrongType.data(), wrongType.size(), ack), DecodeError::BadEncoding);
  Bytes intermediate = kAcknowledge;
  intermediate[3] = 'C';
  EXPECT_EQ(DecodeAcknowledgeMessage(intermediate.data(), intermediate.size(), ack), DecodeError::BadEncoding);
  Bytes trailing = kAcknowledge;
  trailing.push_back(0);
  trailing[4] = 29;
  EXPECT_EQ(DecodeAcknowledgeMessage(trailing.data(), trailing.size(), ack), DecodeError::BadEncoding);
  for (size_t cut = 0; cut < kAcknowledge.size(); ++cut) {
    const Bytes prefix(kAcknowledge.begin(), kAcknowledge.begin() + static_cast<std::ptrdiff_t>(cut));
    EXPECT_EQ(DecodeAcknowledgeMessage(prefix.data(), prefix.size(), ack), DecodeError::Truncated) << cut;
  }
}

TEST(UaTransportError, DecodesStatusAndReason) {
  const Bytes bytes = Concat({Text("ERRF"), {18, 0, 0, 0}, {0x00, 0x00, 0x07, 0x80}, {2, 0, 0, 0}, Text("no")});
  ErrorMessage error;
  ASSERT_EQ(DecodeErrorMessage(bytes.data(), bytes.size(), error), DecodeError::None);
  EXPECT_EQ(error.error.code, 0x80070000u);
  EXPECT_EQ(error.reason, String("no"));
  Bytes reencoded;
  ASSERT_TRUE(EncodeErrorMessage(error, reencoded));
  EXPECT_EQ(reencoded, bytes);
}

TEST(UaTransportError, OverlongReasonIsRefused) {
  ErrorMessage big{StatusCode{0x80000000}, std::string(kMaxTransportStringLength + 1, 'r')};
  Bytes out;
  EXPECT_FALSE(EncodeErrorMessage(big, out));
  // Build it by hand to check the decoder's side of the same limit.
  Bytes bytes = Concat({Text("ERRF"), {0, 0, 0, 0}, {0, 0, 0, 0x80},
                        ua_test::Encode([&](Encoder& e) { e.WriteString(big.reason); })});
  bytes[4] = static_cast<uint8_t>(bytes.size());
  bytes[5] = static_cast<uint8_t>(bytes.size() >> 8);
  ErrorMessage back;
  EXPECT_EQ(DecodeErrorMessage(bytes.data(), bytes.size(), back), DecodeError::TooLong);
}

TEST(UaChunkProbe, FindsWholeChunksInAStream) {
  const Bytes two = Concat({kAcknowledge, kAcknowledge});
  EXPECT_EQ(ProbeChunk(two.data(), 7, kMaxChunk).status, ChunkStatus::NeedMore);
  EXPECT_EQ(ProbeChunk(two.data(), 27, kMaxChunk).status, ChunkStatus::NeedMore);
  const ChunkProbe probe = ProbeChunk(two.data(), two.size(), kMaxChunk);
  EXPECT_EQ(probe.status, ChunkStatus::Complete);
  EXPECT_EQ(probe.length, 28u);
  EXPECT_EQ(probe.header.type, MessageType::Acknowledge);
  EXPECT_EQ(ProbeChunk(nullptr, 0, kMaxChunk).status, ChunkStatus::NeedMore);
}

TEST(UaChunkProbe, RefusesImpossibleSizesAndTypes) {
  struct Case {
    Bytes header;
    DecodeError error;
  };
  const Case cases[] = {
      {Concat({Text("MSGF"), {0, 0, 0, 0}}), DecodeError::BadEncoding},
      {Concat({Text("MSGF"), {7, 0, 0, 0}}), DecodeError::BadEncoding},
      {Concat({Text("MSGF"), {0xFF, 0xFF, 0xFF, 0xFF}}), DecodeError::TooLong},
      {Concat({Text("MSGF"), {0x01, 0x00, 0x01, 0x00}}), DecodeError::TooLong},  // max + 1
      {Concat({Text("HELC"), {8, 0, 0, 0}}), DecodeError::BadEncoding},
      {Concat({Text("ERRA"), {8, 0, 0, 0}}), DecodeError::BadEncoding},
      {Concat({Text("XYZF"), {8, 0, 0, 0}}), DecodeError::BadEncoding},
      {Concat({Text("MSGX"), {8, 0, 0, 0}}), DecodeError::BadEncoding},
  };
  for (const Case& c : cases) {
    const ChunkProbe probe = ProbeChunk(c.header.data(), c.header.size(), kMaxChunk);
    EXPECT_EQ(probe.status, ChunkStatus::Invalid);
    EXPECT_EQ(probe.error, c.error);
  }
  const Bytes intermediate = Concat({Text("MSGC"), {8, 0, 0, 0}});
  EXPECT_EQ(ProbeChunk(intermediate.data(), intermediate.size(), kMaxChunk).status, ChunkStatus::Complete);
}

TEST(UaSecureChunk, OpenChunkCarriesPolicyNoneHeader) {
  const Bytes body = {0xB0, 0xB1};
  Bytes chunk;
  ASSERT_TRUE(BuildOpenChunk(0, SequenceHeader{51, 1}, body.data(), body.size(), chunk));
  const std::string uri = kSecurityPolicyNoneUri;
  const Bytes nullBytes = {0xFF, 0xFF, 0xFF, 0xFF};
  const Bytes expected = Concat({Text("OPNF"), {81, 0, 0, 0}, {0, 0, 0, 0}, {47, 0, 0, 0}, Text(uri), nullBytes,
                                 nullBytes, {51, 0, 0, 0}, {1, 0, 0, 0}, body});
  EXPECT_EQ(chunk, expected);

  SecureChunk parsed;
  ASSERT_EQ(ParseSecureChunk(chunk.data(), chunk.size(), parsed), DecodeError::None);
  EXPECT_EQ(parsed.asymmetric, AsymmetricSecurityHeader::None());
  EXPECT_EQ(parsed.sequence.sequenceNumber, 51u);
  EXPECT_EQ(Bytes(chunk.begin() + static_cast<std::ptrdiff_t>(parsed.bodyOffset), chunk.end()), body);
}

TEST(UaSecureChunk, MessageAndCloseChunksRoundTrip) {
  const Bytes body = {1, 2, 3, 4, 5};
  for (MessageType type : {MessageType::Message, MessageType::Close}) {
    Bytes chunk;
    ASSERT_TRUE(BuildSymmetricChunk(type, 0x01020304, 7, SequenceHeader{2, 3}, body.data(), body.size(), chunk));
    ASSERT_EQ(chunk.size(), 8u + 4 + 4 + 8 + body.size());
    EXPECT_EQ(Bytes(chunk.begin() + 8, chunk.begin() + 16), (Bytes{4, 3, 2, 1, 7, 0, 0, 0}));
    SecureChunk parsed;
    ASSERT_EQ(ParseSecureChunk(chunk.data(), chunk.size(), parsed), DecodeError::None);
    EXPECT_EQ(parsed.header.type, type);
    EXPECT_EQ(parsed.secureChannelId, 0x01020304u);
    EXPECT_EQ(parsed.tokenId, 7u);
    EXPECT_EQ(parsed.sequence.requestId, 3u);
    EXPECT_EQ(parsed.bodySize, body.size());
    for (size_t cut = 0; cut < 24; ++cut) {
      EXPECT_EQ(ParseSecureChunk(chunk.data(), cut, parsed), DecodeError::Truncated) << cut;
    }
  }
  Bytes none;
  EXPECT_FALSE(BuildSymmetricChunk(MessageType::Open, 1, 1, SequenceHeader{}, body.data(), body.size(), none));
  EXPECT_TRUE(none.empty());
}

TEST(UaSecureChunk, RefusesConnectionMessagesAndLyingSizes) {
  SecureChunk parsed;
  EXPECT_EQ(ParseSecureChunk(kAcknowledge.data(), kAcknowledge.size(), parsed), DecodeError::BadEncoding);
  const Bytes shortOpen = Concat({Text("OPNF"), {20, 0, 0, 0}, {0, 0, 0, 0}, {0x00, 0x00, 0x00, 0x10}, {0, 0, 0, 0}});
  EXPECT_EQ(ParseSecureChunk(shortOpen.data(), shortOpen.size(), parsed), DecodeError::TooLong);
}
