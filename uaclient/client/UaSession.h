// One OPC UA connection driven step by step: connect, secure channel (policy None), anonymous session, one
// event subscription with the alarm item, then publishing until Close() or a failure.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "uaclient/Variant.h"
#include "uaclient/client/EventTypeWalk.h"
#include "uaclient/client/MessageChannel.h"
#include "uaclient/client/SocketPort.h"
#include "uaclient/services/PublishService.h"

namespace ua {

struct SessionConfig {
  std::string endpointUrl;
  std::string sessionName = "Velmaric AE";
  std::string applicationUri = "urn:velmaric:ae:client";
  uint32_t channelLifetimeMs = 600000;
  double sessionTimeoutMs = 60000;
  double publishingIntervalMs = 500;
  uint32_t keepAliveCount = 10;
  uint32_t lifetimeCount = 60;  // at least three keep-alive periods
  uint32_t publishRequests = 3;  // kept outstanding
  uint32_t requestTimeoutMs = 10000;
  uint32_t closeTimeoutMs = 2000;
  uint32_t pollMs = 50;  // one socket wait inside each step
  uint32_t eventQueueSize = 0;
  uint32_t clientHandle = 1;
  bool deleteSubscriptionsOnClose = false;  // CloseSession deletes them anyway
  // Learn every event type's browse name at connect (see EventTypeWalk); a server that refuses is no failure.
  bool browseEventTypes = false;
};

enum class SessionState { Idle, Running, Closed, Dead };

enum class SessionFailure {
  None,
  BadEndpointUrl,
  ConnectFailed,
  ConnectionClosed,
  ServerError,      // ERR message
  ResponseAborted,  // an 'A' chunk
  Oversized,
  Malformed,
  ServiceFault,
  BadServiceResult,
  UnexpectedMessage,
  NoNoneEndpoint,
  MonitoredItemRefused,
  SubscriptionLost,
  Timeout,
  SendFailed,
};

const char* ToString(SessionFailure failure);

using EventCallback = std::function<void(const std::vector<std::vector<Variant>>& events)>;
// Monotonic milliseconds.
using ClockFunction = std::function<uint64_t()>;

class UaSession {
 public:
  UaSession(SocketPort& socket, SessionConfig config, ClockFunction clock, EventCallback onEvents);
  ~UaSession();

  // Runs the whole start-up sequence; true when Running.
  bool Connect();
  // One step of the running connection: keeps Publish requests outstanding, handles what has arrived,
  // renews the secure channel when due and enforces timeouts. False once not Running.
  bool PumpPublish();
  // Sends ConditionRefresh; its reply is handled by later pumps.
  bool Refresh();
  // Orderly shutdown when Running; just drops the socket otherwise.
  void Close();

  SessionState state() const { return state_; }
  SessionFailure failure() const { return failure_; }
  const std::string& reason() const { return reason_; }
  StatusCode failureStatus() const { return failureStatus_; }
  uint32_t subscriptionId() const { return subscriptionId_; }
  // The server's event types below BaseEventType, when browseEventTypes asked for them.
  const std::vector<EventTypeInfo>& eventTypes() const { return eventTypes_; }
  // The server's publishing interval for the subscription (ms), once Running.
  double publishingIntervalMs() const { return revisedPublishingMs_; }
  uint32_t tokenId() const { return tokenId_; }
  // The status of the latest ConditionRefresh reply, and how many replies have come.
  StatusCode refreshStatus() const { return refreshStatus_; }
  uint32_t refreshesAnswered() const { return refreshesAnswered_; }
  size_t outstandingPublishes() const;

 private:
  enum class Pending { Publish, Renew, Refresh, Other };
  struct PendingRequest {
    Pending kind;
    uint64_t sentAt;
  };

  RequestHeader NextHeader();
  template <typename Request>
  uint32_t SendRequest(const Request& request, Pending kind);
  template <typename Response>
  bool Exchange(uint32_t requestId, Response& response, const char* service);
  template <typename Response>
  bool CheckResponse(const std::vector<uint8_t>& body, Response& response, const char* service);
  template <typename Request, typename Response>
  bool OptionalExchange(const Request& request, Response& response, const char* service);
  void BrowseEventTypes();
  bool AwaitReply(uint32_t requestId, MessageType expected, std::vector<uint8_t>& body, uint64_t timeoutMs);
  bool Dispatch(const InboundMessage& message);
  bool ReadStep(InboundMessage& message, uint32_t waitMs, bool& got);
  void HandlePublish(const std::vector<uint8_t>& body);
  void HandleRenew(const std::vector<uint8_t>& body, uint64_t sentAt);
  void HandleRefresh(const std::vector<uint8_t>& body);
  bool OpenChannel(bool renew);
  bool ApplyToken(const std::vector<uint8_t>& body, uint64_t sentAt);
  void CheckTimers();
  void Fail(SessionFailure failure, std::string reason, StatusCode status = StatusCode());
  void FailFromChannel();

  SocketPort& socket_;
  SessionConfig config_;
  ClockFunction clock_;
  EventCallback onEvents_;
  MessageChannel channel_;
  SessionState state_ = SessionState::Idle;
  bool closing_ = false;
  SessionFailure failure_ = SessionFailure::None;
  std::string reason_;
  StatusCode failureStatus_;
  bool socketOpen_ = false;

  uint32_t channelId_ = 0;
  uint32_t tokenId_ = 0;
  uint64_t tokenIssuedAt_ = 0;
  uint32_t tokenLifetimeMs_ = 0;
  NodeId authenticationToken_;
  uint32_t nextHandle_ = 1;
  uint32_t subscriptionId_ = 0;
  double revisedPublishingMs_ = 0;
  uint32_t revisedKeepAlive_ = 0;
  uint64_t lastAliveAt_ = 0;
  uint32_t publishTarget_ = 0;
  std::vector<SubscriptionAcknowledgement> pendingAcks_;
  std::vector<uint32_t> recentSequences_;  // to deliver a notification at most once
  std::map<uint32_t, PendingRequest> pending_;
  StatusCode refreshStatus_;
  uint32_t refreshesAnswered_ = 0;
  std::vector<EventTypeInfo> eventTypes_;
};

}  // namespace ua
