// The framing layer alone, against raw bytes a test puts on the wire.
#include <gtest/gtest.h>

#include "FakeServer.h"
#include "uaclient/client/MessageChannel.h"

namespace ua_client_test {
namespace {

// A socket that only replays bytes and records what was sent.
class WireSocket : public SocketPort {
 public:
  bool Connect(const std::string&, uint16_t) override { return true; }
  int Send(const uint8_t* d, size_t n) override {
    sent.insert(sent.end(), d, d + n);
    return static_cast<int>(n);
  }
  int Receive(uint8_t* b, size_t cap, uint32_t) override {
    if (in.empty()) return closed ? -1 : 0;
    size_t n = std::min(cap, in.size());
    std::copy(in.begin(), in.begin() + static_cast<std::ptrdiff_t>(n), b);
    in.erase(in.begin(), in.begin() + static_cast<std::ptrdiff_t>(n));
    return static_cast<int>(n);
  }
  void Close() override {}
  void Put(const Bytes& b) { in.insert(in.end(), b.begin(), b.end()); }
  Bytes in, sent;
  bool closed = false;
};

Bytes Ack(uint32_t receive = 65536, uint32_t maxMessage = 0, uint32_t maxChunks = 0) {
  AcknowledgeMessage ack;
  ack.receiveBufferSize = receive;
  ack.sendBufferSize = 65536;
  ack.maxMessageSize = maxMessage;
  ack.maxChunkCount = maxChunks;
  Bytes out;
  EncodeAcknowledgeMessage(ack, out);
  return out;
}

Bytes Chunk(uint32_t seq, uint32_t requestId, const Bytes& body, ChunkType type = ChunkType::Final,
            uint32_t channel = 5) {
  Bytes out;
  BuildSymmetricChunk(MessageType::Message, channel, 1, SequenceHeader{seq, requestId}, body.data(), body.size(),
                      out);
  out[3] = static_cast<uint8_t>(type);
  return out;
}

struct ChannelFixture : ::testing::Test {
  WireSocket socket;
  MessageChannel channel{socket};
  InboundMessage message;

  void Handshake(const Bytes& ack = Ack()) {
    ASSERT_TRUE(channel.SendHello("opc.tcp://h:1"));
    socket.Put(ack);
    ASSERT_EQ(channel.Read(message, 0), ReadResult::Message);
    ASSERT_EQ(message.type, MessageType::Acknowledge);
    channel.SetSecurityToken(5, 1);
  }
};

TEST_F(ChannelFixture, HelloCarriesOurLimitsAndAckIsApplied) {
  Handshake(Ack(16384, 1000, 3));
  HelloMessage hello;
  ASSERT_EQ(DecodeHelloMessage(socket.sent.data(), socket.sent.size(), hello), DecodeError::None);
  EXPECT_EQ(hello.receiveBufferSize, 65536u);
  EXPECT_EQ(hello.sendBufferSize, 65536u);
  EXPECT_EQ(hello.maxMessageSize, 16u * 1024 * 1024);
  EXPECT_EQ(hello.maxChunkCount, 256u);  // 16 MiB in chunks of 64 KiB
  EXPECT_EQ(hello.endpointUrl, std::string("opc.tcp://h:1"));
  EXPECT_EQ(channel.serverLimits().receiveBufferSize, 16384u);
  // The server's MaxMessageSize of 1000 refuses a bigger request.
  EXPECT_EQ(channel.SendMessage(MessageType::Message, Bytes(1001, 1)), 0u);
  EXPECT_EQ(channel.error(), ChannelError::TooLarge);
}

TEST_F(ChannelFixture, AckBelowMinimumBufferIsRefused) {
  ASSERT_TRUE(channel.SendHello("opc.tcp://h:1"));
  socket.Put(Ack(1024));
  EXPECT_EQ(channel.Read(message, 0), ReadResult::Failed);
  EXPECT_EQ(channel.error(), ChannelError::Malformed);
}

TEST_F(ChannelFixture, SplitsLargeRequestsAndNumbersEveryChunk) {
  Handshake(Ack(8192));
  socket.sent.clear();
  const Bytes body(20000, 0xAB);
  const uint32_t first = channel.SendMessage(MessageType::Message, body);
  const uint32_t second = channel.SendMessage(MessageType::Message, Bytes{1, 2});
  EXPECT_EQ(second, first + 1);
  Bytes joined;
  std::vector<uint32_t> seqs;
  std::string kinds;
  size_t pos = 0;
  while (pos < socket.sent.size()) {
    ChunkProbe probe = ProbeChunk(socket.sent.data() + pos, socket.sent.size() - pos, 8192);
    ASSERT_EQ(probe.status, ChunkStatus::Complete);
    SecureChunk chunk;
    ASSERT_EQ(ParseSecureChunk(socket.sent.data() + pos, probe.length, chunk), DecodeError::None);
    kinds += static_cast<char>(chunk.header.chunk);
    seqs.push_back(chunk.sequence.sequenceNumber);
    if (chunk.sequence.requestId == first)
      joined.insert(joined.end(), socket.sent.begin() + pos + chunk.bodyOffset,
                    socket.sent.begin() + pos + chunk.bodyOffset + chunk.bodySize);
    pos += probe.length;
  }
  EXPECT_EQ(kinds, "CCFF");
  EXPECT_EQ(joined, body);
  for (size_t i = 1; i < seqs.size(); ++i) EXPECT_EQ(seqs[i], seqs[i - 1] + 1);
}

TEST_F(ChannelFixture, JoinsIntermediateChunksAndDropsAborted) {
  Handshake();
  socket.Put(Chunk(10, 3, {1, 2}, ChunkType::Intermediate));
  socket.Put(Chunk(11, 3, {9}, ChunkType::Abort));
  socket.Put(Chunk(12, 4, {3, 4}, ChunkType::Intermediate));
  socket.Put(Chunk(13, 4, {5}));
  ASSERT_EQ(channel.Read(message, 0), ReadResult::Aborted);
  EXPECT_EQ(message.requestId, 3u);
  ASSERT_EQ(channel.Read(message, 0), ReadResult::Message);
  EXPECT_EQ(message.requestId, 4u);
  EXPECT_EQ(message.body, (Bytes{3, 4, 5}));
  EXPECT_EQ(channel.Read(message, 0), ReadResult::Timeout);
}

TEST_F(ChannelFixture, TooManyChunksIsOversized) {
  Handshake();
  const uint32_t limit = TransportLimits().maxChunkCount;
  for (uint32_t i = 0; i <= limit; ++i) socket.Put(Chunk(100 + i, 7, {1}, ChunkType::Intermediate));
  EXPECT_EQ(channel.Read(message, 0), ReadResult::Failed);
  EXPECT_EQ(channel.error(), ChannelError::Oversized);
}

TEST_F(ChannelFixture, ChunkHeaderBeyondReceiveBufferIsRefusedBeforeItsBodyArrives) {
  Handshake();
  Bytes header;
  WriteMessageHeader(header, MessageHeader{MessageType::Message, ChunkType::Final, 65537});
  socket.Put(header);
  EXPECT_EQ(channel.Read(message, 0), ReadResult::Failed);
  EXPECT_EQ(channel.error(), ChannelError::Oversized);
  EXPECT_EQ(channel.Read(message, 0), ReadResult::Failed);  // stays failed
}

TEST_F(ChannelFixture, SequenceGapWrongChannelAndErrAreFatal) {
  {
    Handshake();
    socket.Put(Chunk(10, 1, {1}));
    socket.Put(Chunk(12, 2, {1}));
    EXPECT_EQ(channel.Read(message, 0), ReadResult::Message);
    EXPECT_EQ(channel.Read(message, 0), ReadResult::Failed);
    EXPECT_EQ(channel.error(), ChannelError::Malformed);
  }
  {
    WireSocket s;
    MessageChannel c(s);
    c.SendHello("opc.tcp://h:1");
    s.Put(Ack());
    c.Read(message, 0);
    c.SetSecurityToken(5, 1);
    s.Put(Chunk(10, 1, {1}, ChunkType::Final, 6));
    EXPECT_EQ(c.Read(message, 0), ReadResult::Failed);
    EXPECT_EQ(c.error(), ChannelError::Malformed);
  }
  {
    WireSocket s;
    MessageChannel c(s);
    c.SendHello("opc.tcp://h:1");
    ErrorMessage err{StatusCode{0x80AE0000u}, std::string("no room")};
    Bytes out;
    EncodeErrorMessage(err, out);
    s.Put(out);
    EXPECT_EQ(c.Read(message, 0), ReadResult::Failed);
    EXPECT_EQ(c.error(), ChannelError::RemoteError);
    EXPECT_EQ(c.remoteStatus().code, 0x80AE0000u);
    EXPECT_EQ(c.reason(), "no room");
  }
  {
    WireSocket s;
    MessageChannel c(s);
    s.closed = true;
    EXPECT_EQ(c.Read(message, 0), ReadResult::Failed);
    EXPECT_EQ(c.error(), ChannelError::Closed);
  }
}

}  // namespace
}  // namespace ua_client_test
