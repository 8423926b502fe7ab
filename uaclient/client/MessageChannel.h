// UA TCP framing over a SocketPort: the Hello/Acknowledge handshake, reading whole (possibly multi-chunk)
// messages within the negotiated limits, and writing OPN/MSG/CLO chunks with policy None.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "uaclient/SecureChunk.h"
#include "uaclient/Transport.h"
#include "uaclient/client/SocketPort.h"

namespace ua {

struct TransportLimits {
  uint32_t receiveBufferSize = 65536;
  uint32_t sendBufferSize = 65536;
  uint32_t maxMessageSize = 16u * 1024u * 1024u;
  // Enough chunks of the receive buffer's size to carry the largest message.
  uint32_t maxChunkCount = 256;
};

enum class ChannelError {
  None,
  Closed,       // the socket reported closed or failed
  SendFailed,
  RemoteError,  // the server sent ERR; see remoteStatus() / reason()
  Oversized,    // a chunk or message beyond the limits
  Malformed,    // an unparsable chunk, wrong channel id, a sequence gap or a bad Acknowledge
  TooLarge,     // one of our own messages does not fit the server's limits
};

const char* ToString(ChannelError error);

enum class ReadResult { Message, Timeout, Aborted, Failed };

struct InboundMessage {
  MessageType type = MessageType::Message;  // Acknowledge, Open, Message or Close
  uint32_t secureChannelId = 0;
  uint32_t tokenId = 0;
  uint32_t requestId = 0;
  std::vector<uint8_t> body;  // the service message; empty for Acknowledge
  StatusCode abortStatus;     // when Aborted
  std::string abortReason;
};

class MessageChannel {
 public:
  explicit MessageChannel(SocketPort& socket, TransportLimits local = TransportLimits());

  bool SendHello(const std::string& endpointUrl);

  // Returns the next whole message already buffered, else does one socket read of at most waitMs and tries
  // again. An Acknowledge is checked and its limits applied before it is returned. Failed is final.
  ReadResult Read(InboundMessage& out, uint32_t waitMs);

  // Token used for MSG/CLO chunks; OPN uses `secureChannelId` (0 when first issuing).
  void SetSecurityToken(uint32_t secureChannelId, uint32_t tokenId);
  // Each returns the request id it used, or 0 on failure (which is final).
  uint32_t SendOpen(const std::vector<uint8_t>& body);
  uint32_t SendMessage(MessageType type, const std::vector<uint8_t>& body);

  bool acknowledged() const { return acknowledged_; }
  const AcknowledgeMessage& serverLimits() const { return serverLimits_; }
  ChannelError error() const { return error_; }
  StatusCode remoteStatus() const { return remoteStatus_; }
  const std::string& reason() const { return reason_; }

 private:
  ReadResult Fail(ChannelError error, std::string reason);
  bool TakeBufferedChunk(InboundMessage& out, ReadResult& result);
  bool CheckSequence(uint32_t sequenceNumber);

  SocketPort& socket_;
  TransportLimits local_;
  AcknowledgeMessage serverLimits_;
  bool acknowledged_ = false;
  std::vector<uint8_t> rx_;
  // The message being assembled from intermediate chunks.
  std::vector<uint8_t> partial_;
  uint32_t partialRequestId_ = 0;
  uint32_t partialChunks_ = 0;
  bool haveInboundSequence_ = false;
  uint32_t lastInboundSequence_ = 0;
  uint32_t channelId_ = 0;
  uint32_t tokenId_ = 0;
  uint32_t nextSequence_ = 1;
  uint32_t nextRequestId_ = 1;
  ChannelError error_ = ChannelError::None;
  StatusCode remoteStatus_;
  std::string reason_;
};

}  // namespace ua
