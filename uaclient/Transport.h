// UA TCP connection protocol: the chunk header, Hello / Acknowledge / Error, and finding chunk boundaries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "uaclient/DecodeError.h"
#include "uaclient/Types.h"

namespace ua {

enum class MessageType : uint8_t { Hello, Acknowledge, Error, ReverseHello, Open, Message, Close };
enum class ChunkType : uint8_t { Final = 'F', Intermediate = 'C', Abort = 'A' };

struct MessageHeader {
  MessageType type = MessageType::Hello;
  ChunkType chunk = ChunkType::Final;
  uint32_t messageSize = 0;  // whole chunk, header included
};

struct HelloMessage {
  uint32_t protocolVersion = 0;
  uint32_t receiveBufferSize = 0;
  uint32_t sendBufferSize = 0;
  uint32_t maxMessageSize = 0;  // 0 = no limit
  uint32_t maxChunkCount = 0;   // 0 = no limit
  String endpointUrl;

  bool operator==(const HelloMessage& o) const;
};

struct AcknowledgeMessage {
  uint32_t protocolVersion = 0;
  uint32_t receiveBufferSize = 0;
  uint32_t sendBufferSize = 0;
  uint32_t maxMessageSize = 0;
  uint32_t maxChunkCount = 0;

  bool operator==(const AcknowledgeMessage& o) const;
};

struct ErrorMessage {
  StatusCode error;
  String reason;

  bool operator==(const ErrorMessage& o) const { return error == o.error && reason == o.reason; }
};

// The three ASCII letters of a message type, e.g. "MSG".
const char* MessageTypeCode(MessageType type);

// Appends the 8-byte header.
void WriteMessageHeader(std::vector<uint8_t>& out, const MessageHeader& header);
// Parses the first 8 bytes; checks the type letters and chunk letter but not the size.
DecodeError ReadMessageHeader(const uint8_t* data, size_t size, MessageHeader& header);

// Each builds one complete chunk. They fail (returning false, `out` unchanged) when a string is longer than
// the transport allows.
bool EncodeHelloMessage(const HelloMessage& hello, std::vector<uint8_t>& out);
bool EncodeAcknowledgeMessage(const AcknowledgeMessage& ack, std::vector<uint8_t>& out);
bool EncodeErrorMessage(const ErrorMessage& error, std::vector<uint8_t>& out);

// Each takes exactly one whole chunk (as found by ProbeChunk) and checks the type and that the body fills
// MessageSize exactly.
DecodeError DecodeHelloMessage(const uint8_t* data, size_t size, HelloMessage& hello);
DecodeError DecodeAcknowledgeMessage(const uint8_t* data, size_t size, AcknowledgeMessage& ack);
DecodeError DecodeErrorMessage(const uint8_t* data, size_t size, ErrorMessage& error);

enum class ChunkStatus { NeedMore, Complete, Invalid };

struct ChunkProbe {
  ChunkStatus status = ChunkStatus::NeedMore;
  MessageHeader header;                   // valid once 8 bytes are there
  size_t length = 0;                      // bytes of the whole chunk when Complete
  DecodeError error = DecodeError::None;  // why, when Invalid
};

// Looks at the bytes received so far and says whether one whole chunk is there. A MessageSize below the
// header size, above maxChunkSize, an unknown type, or a non-final HEL/ACK/ERR/RHE makes the stream Invalid:
// the connection must then be closed, since chunk boundaries can no longer be found.
ChunkProbe ProbeChunk(const uint8_t* data, size_t size, uint32_t maxChunkSize);

}  // namespace ua
