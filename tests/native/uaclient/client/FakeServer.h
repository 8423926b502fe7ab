// An in-memory SocketPort and a scripted UA server behind it, so a whole connection runs without a network.
// The server answers each request as soon as the client sends it; Publish requests are held until the test
// releases them with a notification or keep-alive.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "uaclient/SecureChunk.h"
#include "uaclient/Transport.h"
#include "uaclient/client/SocketPort.h"
#include "uaclient/services/CallService.h"
#include "uaclient/services/GetEndpointsService.h"
#include "uaclient/services/MonitoredItemServices.h"
#include "uaclient/services/PublishService.h"
#include "uaclient/services/ServiceCodec.h"
#include "uaclient/services/SessionServices.h"
#include "uaclient/services/SubscriptionServices.h"

namespace ua_client_test {

using namespace ua;
using Bytes = std::vector<uint8_t>;

class FakeServer;

// Time only moves when a test moves it, or when the client waits on an empty socket (by exactly its wait).
struct FakeClock {
  uint64_t now = 1000;
};

class FakeSocket : public SocketPort {
 public:
  FakeSocket(FakeServer& server, FakeClock& clock) : server_(server), clock_(clock) {}
  bool Connect(const std::string& host, uint16_t port) override;
  int Send(const uint8_t* data, size_t size) override;
  int Receive(uint8_t* buffer, size_t capacity, uint32_t timeoutMs) override;
  void Close() override { closed = true; ++closeCalls; }

  std::deque<uint8_t> inbound;
  bool peerClosed = false;
  bool closed = false;
  int closeCalls = 0;
  bool refuseConnect = false;
  std::string host;
  uint16_t port = 0;

 private:
  FakeServer& server_;
  FakeClock& clock_;
};

struct HeldRequest {
  uint32_t requestId = 0;
  uint32_t requestHandle = 0;
};

class FakeServer {
 public:
  static constexpr uint32_t kChannelId = 77;
  static constexpr uint32_t kSubscriptionId = 42;

  FakeServer() { endpoints.push_back(NoneEndpoint()); }

  static EndpointDescription NoneEndpoint() {
    EndpointDescription e;
    e.endpointUrl = std::string("opc.tcp://plant:4840/ua");
    e.securityMode = MessageSecurityMode::None;
    e.securityPolicyUri = std::string(kSecurityPolicyNoneUri);
    UserTokenPolicy anonymous;
    anonymous.policyId = std::string("anon-policy");
    anonymous.tokenType = UserTokenType::Anonymous;
    e.userIdentityTokens.push_back(anonymous);
    return e;
  }

  void Attach(FakeSocket& socket) { socket_ = &socket; }

  // Script.
  std::vector<EndpointDescription> endpoints;
  std::map<uint32_t, uint32_t> faultOn;       // request encoding id -> ServiceFault status
  std::map<uint32_t, uint32_t> badResultOn;   // request encoding id -> bad ServiceResult
  bool silent = false;                       // answer nothing at all
  uint32_t publishFaultOnClose = 0;          // answer held Publishes with this fault before CloseSession
  uint32_t malformedReplyTo = 0;             // request encoding id answered with a cut-off body (Browse)
  uint32_t revisedLifetime = 600000;
  StatusCode monitoredItemStatus;

  // What the client sent.
  std::vector<std::string> seen;
  std::vector<HelloMessage> hellos;
  std::vector<OpenSecureChannelRequest> opens;
  std::vector<PublishRequest> publishes;
  std::vector<CallRequest> calls;
  std::vector<ActivateSessionRequest> activations;
  std::vector<CreateMonitoredItemsRequest> monitors;
  std::vector<SequenceHeader> sequences;  // of every secure chunk received
  std::vector<uint32_t> tokensUsed;        // token id of every MSG/CLO chunk
  std::deque<HeldRequest> heldPublishes;
  std::deque<HeldRequest> heldOthers;      // requests received while silent
  uint32_t tokenId = 0;

  void OnBytes(const uint8_t* data, size_t size);

  // Answers the oldest held Publish with one notification carrying `events` (each a field list).
  void PublishEvents(uint32_t sequenceNumber, const std::vector<std::vector<Variant>>& events,
                     uint32_t clientHandle = 1);
  void PublishKeepAlive();
  void PublishStatusChange(uint32_t sequenceNumber, uint32_t status);
  void PublishFault(uint32_t status);
  void SendErr(uint32_t status, const std::string& reason);
  void SendRaw(const Bytes& bytes) { socket_->inbound.insert(socket_->inbound.end(), bytes.begin(), bytes.end()); }
  // A MSG chunk around `body` answering `requestId`.
  Bytes MessageChunk(uint32_t requestId, const Bytes& body, ChunkType chunkType = ChunkType::Final);
  template <typename Response>
  void Reply(uint32_t requestId, const Response& response) {
    Bytes body;
    EncodeMessage(response, body);
    SendRaw(MessageChunk(requestId, body));
  }
  ResponseHeader Header(uint32_t handle, uint32_t result = 0) const {
    ResponseHeader h;
    h.requestHandle = handle;
    h.serviceResult.code = result;
    return h;
  }

 private:
  void OnChunk(const Bytes& chunk);
  void OnService(uint32_t requestId, const Bytes& body, bool open);
  bool Faulted(uint32_t typeId, uint32_t requestId, uint32_t handle);

  FakeSocket* socket_ = nullptr;
  Bytes rx_;
  uint32_t sequence_ = 500;
};

}  // namespace ua_client_test
