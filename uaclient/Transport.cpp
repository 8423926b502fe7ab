// UA TCP connection protocol messages and chunk boundary detection.
#include "uaclient/Transport.h"

#include <cstring>

#include "uaclient/Decoder.h"
#include "uaclient/Encoder.h"
#include "uaclient/Limits.h"

namespace ua {

namespace {

constexpr MessageType kAllTypes[] = {MessageType::Hello,        MessageType::Acknowledge, MessageType::Error,
                                     MessageType::ReverseHello, MessageType::Open,        MessageType::Message,
                                     MessageType::Close};

// The connection-level messages are never split into chunks.
bool IsSingleChunkType(MessageType type) {
  return type == MessageType::Hello || type == MessageType::Acknowledge || type == MessageType::Error ||
         type == MessageType::ReverseHello;
}

// Runs `writeBody`, then fills in the header with the final size. Leaves `out` untouched on failure.
template <typename WriteBody>
bool BuildChunk(MessageType type, std::vector<uint8_t>& out, WriteBody writeBody) {
  std::vector<uint8_t> chunk;
  WriteMessageHeader(chunk, MessageHeader{type, ChunkType::Final, 0});
  Encoder e(chunk);
  writeBody(e);
  if (!e.ok() || chunk.size() > UINT32_MAX) return false;
  e.PatchUInt32(4, static_cast<uint32_t>(chunk.size()));
  out.insert(out.end(), chunk.begin(), chunk.end());
  return true;
}

// Shared shape of the three decoders: header of the expected type, size equal to the buffer, body, nothing left.
template <typename ReadBody>
DecodeError ParseChunk(const uint8_t* data, size_t size, MessageType expected, ReadBody readBody) {
  MessageHeader header;
  const DecodeError headerError = ReadMessageHeader(data, size, header);
  if (headerError != DecodeError::None) return headerError;
  if (header.type != expected || header.chunk != ChunkType::Final) return DecodeError::BadEncoding;
  if (header.messageSize > size) return DecodeError::Truncated;
  if (header.messageSize < size) return DecodeError::BadEncoding;
  Decoder d(data + kMessageHeaderSize, size - kMessageHeaderSize);
  if (!readBody(d)) return d.error();
  return d.AtEnd() ? DecodeError::None : DecodeError::BadEncoding;
}

bool ReadTransportString(Decoder& d, String& s) {
  if (!d.ReadString(s)) return false;
  return !s || s->size() <= static_cast<size_t>(kMaxTransportStringLength) || d.Fail(DecodeError::TooLong);
}

DecodeError CheckChunkHeader(const MessageHeader& header, uint32_t maxChunkSize) {
  if (IsSingleChunkType(header.type) && header.chunk != ChunkType::Final) return DecodeError::BadEncoding;
  if (header.messageSize < kMessageHeaderSize) return DecodeError::BadEncoding;
  if (header.messageSize > maxChunkSize) return DecodeError::TooLong;
  return DecodeError::None;
}

bool FitsTransport(const String& s) { return !s || s->size() <= static_cast<size_t>(kMaxTransportStringLength); }

}  // namespace

bool HelloMessage::operator==(const HelloMessage& o) const {
  return protocolVersion == o.protocolVersion && receiveBufferSize == o.receiveBufferSize &&
         sendBufferSize == o.sendBufferSize && maxMessageSize == o.maxMessageSize &&
         maxChunkCount == o.maxChunkCount && endpointUrl == o.endpointUrl;
}

bool AcknowledgeMessage::operator==(const AcknowledgeMessage& o) const {
  return protocolVersion == o.protocolVersion && receiveBufferSize == o.receiveBufferSize &&
         sendBufferSize == o.sendBufferSize && maxMessageSize == o.maxMessageSize && maxChunkCount == o.maxChunkCount;
}

const char* MessageTypeCode(MessageType type) {
  switch (type) {
    case MessageType::Hello: return "HEL";
    case MessageType::Acknowledge: return "ACK";
    case MessageType::Error: return "ERR";
    case MessageType::ReverseHello: return "RHE";
    case MessageType::Open: return "OPN";
    case MessageType::Message: return "MSG";
    case MessageType::Close: return "CLO";
  }
  return "???";
}

void WriteMessageHeader(std::vector<uint8_t>& out, const MessageHeader& header) {
  const char* code = MessageTypeCode(header.type);
  out.insert(out.end(), code, code + 3);
  Encoder e(out);
  e.WriteByte(static_cast<uint8_t>(header.chunk));
  e.WriteUInt32(header.messageSize);
}

DecodeError ReadMessageHeader(const uint8_t* data, size_t size, MessageHeader& header) {
  if (!data || size < kMessageHeaderSize) return DecodeError::Truncated;
  bool known = false;
  for (MessageType type : kAllTypes) {
    if (std::memcmp(data, MessageTypeCode(type), 3) == 0) {
      header.type = type;
      known = true;
    }
  }
  const uint8_t chunk = data[3];
  if (!known || (chunk != 'F' && chunk != 'C' && chunk != 'A')) return DecodeError::BadEncoding;
  header.chunk = static_cast<ChunkType>(chunk);
  Decoder d(data + 4, 4);
  d.ReadUInt32(header.messageSize);
  return DecodeError::None;
}

namespace {

// Hello and Acknowledge open with the same five fields, the version and the four limits.
template <typename Message>
void WriteLimits(Encoder& e, const Message& m) {
  e.WriteUInt32(m.protocolVersion);
  e.WriteUInt32(m.receiveBufferSize);
  e.WriteUInt32(m.sendBufferSize);
  e.WriteUInt32(m.maxMessageSize);
  e.WriteUInt32(m.maxChunkCount);
}

template <typename Message>
bool ReadLimits(Decoder& d, Message& m) {
  return d.ReadUInt32(m.protocolVersion) && d.ReadUInt32(m.receiveBufferSize) && d.ReadUInt32(m.sendBufferSize) &&
         d.ReadUInt32(m.maxMessageSize) && d.ReadUInt32(m.maxChunkCount);
}

}  // namespace

bool EncodeHelloMessage(const HelloMessage& hello, std::vector<uint8_t>& out) {
  if (!FitsTransport(hello.endpointUrl)) return false;
  return BuildChunk(MessageType::Hello, out, [&hello](Encoder& e) {
    WriteLimits(e, hello);
    e.WriteString(hello.endpointUrl);
  });
}

bool EncodeAcknowledgeMessage(const AcknowledgeMessage& ack, std::vector<uint8_t>& out) {
  return BuildChunk(MessageType::Acknowledge, out, [&ack](Encoder& e) { WriteLimits(e, ack); });
}

bool EncodeErrorMessage(const ErrorMessage& error, std::vector<uint8_t>& out) {
  if (!FitsTransport(error.reason)) return false;
  return BuildChunk(MessageType::Error, out, [&error](Encoder& e) {
    e.WriteStatusCode(error.error);
    e.WriteString(error.reason);
  });
}

DecodeError DecodeHelloMessage(const uint8_t* data, size_t size, HelloMessage& hello) {
  return ParseChunk(data, size, MessageType::Hello, [&hello](Decoder& d) {
    return ReadLimits(d, hello) && ReadTransportString(d, hello.endpointUrl);
  });
}

DecodeError DecodeAcknowledgeMessage(const uint8_t* data, size_t size, AcknowledgeMessage& ack) {
  return ParseChunk(data, size, MessageType::Acknowledge, [&ack](Decoder& d) {
    return ReadLimits(d, ack);
  });
}

DecodeError DecodeErrorMessage(const uint8_t* data, size_t size, ErrorMessage& error) {
  return ParseChunk(data, size, MessageType::Error, [&error](Decoder& d) {
    return d.ReadStatusCode(error.error) && ReadTransportString(d, error.reason);
  });
}

ChunkProbe ProbeChunk(const uint8_t* data, size_t size, uint32_t maxChunkSize) {
  ChunkProbe probe;
  if (size < kMessageHeaderSize) return probe;
  probe.error = ReadMessageHeader(data, size, probe.header);
  if (probe.error == DecodeError::None) probe.error = CheckChunkHeader(probe.header, maxChunkSize);
  if (probe.error != DecodeError::None) {
    probe.status = ChunkStatus::Invalid;
  } else if (size >= probe.header.messageSize) {
    probe.status = ChunkStatus::Complete;
    probe.length = probe.header.messageSize;
  }
  return probe;
}

}  // namespace ua
