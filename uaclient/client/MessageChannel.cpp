#include "uaclient/client/MessageChannel.h"

#include <algorithm>

#include "uaclient/Decoder.h"
#include "uaclient/Limits.h"

namespace ua {

namespace {
// MSG/CLO chunk overhead: header 8, channel id 4, token id 4, sequence header 8.
constexpr size_t kSymmetricOverhead = 24;
constexpr uint32_t kSequenceWrapZone = 1024;
}  // namespace

const char* ToString(ChannelError error) {
  switch (error) {
    case ChannelError::None: return "none";
    case ChannelError::Closed: return "connection closed";
    case ChannelError::SendFailed: return "send failed";
    case ChannelError::RemoteError: return "server error message";
    case ChannelError::Oversized: return "oversized message";
    case ChannelError::Malformed: return "malformed chunk";
    case ChannelError::TooLarge: return "request too large for server";
  }
  return "?";
}

MessageChannel::MessageChannel(SocketPort& socket, TransportLimits local) : socket_(socket), local_(local) {}

ReadResult MessageChannel::Fail(ChannelError error, std::string reason) {
  if (error_ == ChannelError::None) {
    error_ = error;
    reason_ = std::move(reason);
  }
  return ReadResult::Failed;
}

bool MessageChannel::SendHello(const std::string& endpointUrl) {
  HelloMessage hello;
  hello.receiveBufferSize = local_.receiveBufferSize;
  hello.sendBufferSize = local_.sendBufferSize;
  hello.maxMessageSize = local_.maxMessageSize;
  hello.maxChunkCount = local_.maxChunkCount;
  hello.endpointUrl = endpointUrl;
  std::vector<uint8_t> bytes;
  if (!EncodeHelloMessage(hello, bytes)) return Fail(ChannelError::TooLarge, "endpoint url too long"), false;
  if (socket_.Send(bytes.data(), bytes.size()) != static_cast<int>(bytes.size()))
    return Fail(ChannelError::SendFailed, "send failed"), false;
  return true;
}

void MessageChannel::SetSecurityToken(uint32_t secureChannelId, uint32_t tokenId) {
  channelId_ = secureChannelId;
  tokenId_ = tokenId;
}

bool MessageChannel::CheckSequence(uint32_t sequenceNumber) {
  // Sequence numbers go up by one; only near the top may they wrap to a small value.
  if (haveInboundSequence_) {
    const bool next = sequenceNumber == lastInboundSequence_ + 1;
    const bool wrap = lastInboundSequence_ > UINT32_MAX - kSequenceWrapZone && sequenceNumber < kSequenceWrapZone;
    if (!next && !wrap) return false;
  }
  haveInboundSequence_ = true;
  lastInboundSequence_ = sequenceNumber;
  return true;
}

bool MessageChannel::TakeBufferedChunk(InboundMessage& out, ReadResult& result) {
  const ChunkProbe probe = ProbeChunk(rx_.data(), rx_.size(), local_.receiveBufferSize);
  if (probe.status == ChunkStatus::NeedMore) return false;
  if (probe.status == ChunkStatus::Invalid) {
    result = probe.error == DecodeError::TooLong ? Fail(ChannelError::Oversized, "chunk larger than receive buffer")
                                                 : Fail(ChannelError::Malformed, "bad chunk header");
    return true;
  }
  std::vector<uint8_t> chunkBytes(rx_.begin(), rx_.begin() + static_cast<std::ptrdiff_t>(probe.length));
  rx_.erase(rx_.begin(), rx_.begin() + static_cast<std::ptrdiff_t>(probe.length));
  const MessageType type = probe.header.type;

  if (type == MessageType::Error) {
    ErrorMessage err;
    if (DecodeErrorMessage(chunkBytes.data(), chunkBytes.size(), err) != DecodeError::None) {
      result = Fail(ChannelError::Malformed, "unreadable error message");
      return true;
    }
    remoteStatus_ = err.error;
    result = Fail(ChannelError::RemoteError, err.reason.value_or(""));
    return true;
  }
  if (type == MessageType::Acknowledge) {
    AcknowledgeMessage ack;
    if (acknowledged_ || DecodeAcknowledgeMessage(chunkBytes.data(), chunkBytes.size(), ack) != DecodeError::None ||
        ack.receiveBufferSize < kMinBufferSize || ack.sendBufferSize < kMinBufferSize) {
      result = Fail(ChannelError::Malformed, "bad acknowledge");
      return true;
    }
    serverLimits_ = ack;
    acknowledged_ = true;
    out = InboundMessage();
    out.type = MessageType::Acknowledge;
    result = ReadResult::Message;
    return true;
  }
  if (type != MessageType::Open && type != MessageType::Message && type != MessageType::Close) {
    result = Fail(ChannelError::Malformed, "unexpected message type");
    return true;
  }
  SecureChunk chunk;
  if (!acknowledged_ || ParseSecureChunk(chunkBytes.data(), chunkBytes.size(), chunk) != DecodeError::None) {
    result = Fail(ChannelError::Malformed, "bad secure chunk");
    return true;
  }
  if (type != MessageType::Open && chunk.secureChannelId != channelId_) {
    result = Fail(ChannelError::Malformed, "wrong secure channel id");
    return true;
  }
  if (!CheckSequence(chunk.sequence.sequenceNumber)) {
    result = Fail(ChannelError::Malformed, "sequence number gap");
    return true;
  }
  const uint8_t* body = chunkBytes.data() + chunk.bodyOffset;
  if (partialChunks_ != 0 && chunk.sequence.requestId != partialRequestId_) {
    result = Fail(ChannelError::Malformed, "interleaved chunks");
    return true;
  }
  if (chunk.header.chunk == ChunkType::Abort) {
    // The server gave up on this response; what it had sent is dropped.
    partial_.clear();
    partialChunks_ = 0;
    out = InboundMessage();
    out.type = type;
    out.requestId = chunk.sequence.requestId;
    Decoder d(body, chunk.bodySize);
    String reason;
    d.ReadStatusCode(out.abortStatus);
    d.ReadString(reason);
    out.abortReason = reason.value_or("");
    result = ReadResult::Aborted;
    return true;
  }
  ++partialChunks_;
  if ((local_.maxChunkCount != 0 && partialChunks_ > local_.maxChunkCount) ||
      (local_.maxMessageSize != 0 && partial_.size() + chunk.bodySize > local_.maxMessageSize)) {
    result = Fail(ChannelError::Oversized, "message beyond size or chunk limits");
    return true;
  }
  partial_.insert(partial_.end(), body, body + chunk.bodySize);
  partialRequestId_ = chunk.sequence.requestId;
  if (chunk.header.chunk == ChunkType::Intermediate) return false;

  out = InboundMessage();
  out.type = type;
  out.secureChannelId = chunk.secureChannelId;
  out.tokenId = chunk.tokenId;
  out.requestId = chunk.sequence.requestId;
  out.body.swap(partial_);
  partial_.clear();
  partialChunks_ = 0;
  result = ReadResult::Message;
  return true;
}

ReadResult MessageChannel::Read(InboundMessage& out, uint32_t waitMs) {
  if (error_ != ChannelError::None) return ReadResult::Failed;
  ReadResult result = ReadResult::Timeout;
  // Drain whatever is already buffered (intermediate chunks return false and loop).
  while (error_ == ChannelError::None) {
    const size_t before = rx_.size();
    if (TakeBufferedChunk(out, result)) return result;
    if (rx_.size() == before) break;  // need more bytes
  }
  std::vector<uint8_t> buffer(local_.receiveBufferSize);
  const int got = socket_.Receive(buffer.data(), buffer.size(), waitMs);
  if (got < 0) return Fail(ChannelError::Closed, "connection closed by peer");
  if (got == 0) return ReadResult::Timeout;
  rx_.insert(rx_.end(), buffer.begin(), buffer.begin() + got);
  while (error_ == ChannelError::None) {
    const size_t before = rx_.size();
    if (TakeBufferedChunk(out, result)) return result;
    if (rx_.size() == before) break;
  }
  return error_ == ChannelError::None ? ReadResult::Timeout : ReadResult::Failed;
}

uint32_t MessageChannel::SendOpen(const std::vector<uint8_t>& body) {
  if (error_ != ChannelError::None) return 0;
  const uint32_t requestId = nextRequestId_++;
  std::vector<uint8_t> bytes;
  if (!BuildOpenChunk(channelId_, SequenceHeader{nextSequence_++, requestId}, body.data(), body.size(), bytes) ||
      (serverLimits_.receiveBufferSize != 0 && bytes.size() > serverLimits_.receiveBufferSize)) {
    Fail(ChannelError::TooLarge, "open request too large");
    return 0;
  }
  if (socket_.Send(bytes.data(), bytes.size()) != static_cast<int>(bytes.size())) {
    Fail(ChannelError::SendFailed, "send failed");
    return 0;
  }
  return requestId;
}

uint32_t MessageChannel::SendMessage(MessageType type, const std::vector<uint8_t>& body) {
  if (error_ != ChannelError::None) return 0;
  const size_t chunkLimit = std::min<size_t>(serverLimits_.receiveBufferSize, local_.sendBufferSize);
  if (chunkLimit <= kSymmetricOverhead) {
    Fail(ChannelError::TooLarge, "no usable chunk size");
    return 0;
  }
  const size_t perChunk = chunkLimit - kSymmetricOverhead;
  const size_t chunks = body.empty() ? 1 : (body.size() + perChunk - 1) / perChunk;
  if ((serverLimits_.maxChunkCount != 0 && chunks > serverLimits_.maxChunkCount) ||
      (serverLimits_.maxMessageSize != 0 && body.size() > serverLimits_.maxMessageSize)) {
    Fail(ChannelError::TooLarge, "request beyond the server's limits");
    return 0;
  }
  const uint32_t requestId = nextRequestId_++;
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i < chunks; ++i) {
    const size_t offset = i * perChunk;
    const size_t size = std::min(perChunk, body.size() - offset);
    const size_t start = bytes.size();
    if (!BuildSymmetricChunk(type, channelId_, tokenId_, SequenceHeader{nextSequence_++, requestId},
                             body.data() + offset, size, bytes)) {
      Fail(ChannelError::TooLarge, "cannot build chunk");
      return 0;
    }
    if (i + 1 < chunks) bytes[start + 3] = static_cast<uint8_t>(ChunkType::Intermediate);
  }
  if (socket_.Send(bytes.data(), bytes.size()) != static_cast<int>(bytes.size())) {
    Fail(ChannelError::SendFailed, "send failed");
    return 0;
  }
  return requestId;
}

}  // namespace ua
