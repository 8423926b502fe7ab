#include "uaclient/client/UaSession.h"

#include <algorithm>
#include <chrono>

#include "uaclient/client/EndpointUrl.h"
#include "uaclient/services/CallService.h"
#include "uaclient/services/GetEndpointsService.h"
#include "uaclient/services/MonitoredItemServices.h"
#include "uaclient/services/ServiceCodec.h"
#include "uaclient/services/SessionServices.h"
#include "uaclient/services/SubscriptionServices.h"

namespace ua {

namespace {
constexpr uint32_t kBadTooManyPublishRequests = 0x80780000u;
constexpr size_t kRememberedSequences = 64;

DateTime UtcNow() {
  const auto since = std::chrono::system_clock::now().time_since_epoch();
  return DateTime{kUnixEpochTicks + std::chrono::duration_cast<std::chrono::microseconds>(since).count() * 10};
}
}  // namespace

const char* ToString(SessionFailure failure) {
  switch (failure) {
    case SessionFailure::None: return "none";
    case SessionFailure::BadEndpointUrl: return "bad endpoint url";
    case SessionFailure::ConnectFailed: return "connect failed";
    case SessionFailure::ConnectionClosed: return "connection closed";
    case SessionFailure::ServerError: return "server error";
    case SessionFailure::ResponseAborted: return "response aborted";
    case SessionFailure::Oversized: return "oversized message";
    case SessionFailure::Malformed: return "malformed message";
    case SessionFailure::ServiceFault: return "service fault";
    case SessionFailure::BadServiceResult: return "bad service result";
    case SessionFailure::UnexpectedMessage: return "unexpected message";
    case SessionFailure::NoNoneEndpoint: return "no anonymous endpoint without security";
    case SessionFailure::MonitoredItemRefused: return "monitored item refused";
    case SessionFailure::SubscriptionLost: return "subscription lost";
    case SessionFailure::Timeout: return "timeout";
    case SessionFailure::SendFailed: return "send failed";
  }
  return "?";
}

UaSession::UaSession(SocketPort& socket, SessionConfig config, ClockFunction clock, EventCallback onEvents)
    : socket_(socket),
      config_(std::move(config)),
      clock_(std::move(clock)),
      onEvents_(std::move(onEvents)),
      channel_(socket_) {}

UaSession::~UaSession() {
  if (socketOpen_) socket_.Close();
}

size_t UaSession::outstandingPublishes() const {
  return static_cast<size_t>(std::count_if(pending_.begin(), pending_.end(),
                                           [](const auto& p) { return p.second.kind == Pending::Publish; }));
}

void UaSession::Fail(SessionFailure failure, std::string reason, StatusCode status) {
  if (state_ == SessionState::Dead || state_ == SessionState::Closed) return;
  state_ = SessionState::Dead;
  failure_ = failure;
  reason_ = std::move(reason);
  failureStatus_ = status;
  pending_.clear();
  if (socketOpen_) {
    socket_.Close();
    socketOpen_ = false;
  }
}

void UaSession::FailFromChannel() {
  switch (channel_.error()) {
    case ChannelError::Closed: return Fail(SessionFailure::ConnectionClosed, channel_.reason());
    case ChannelError::RemoteError:
      return Fail(SessionFailure::ServerError, channel_.reason(), channel_.remoteStatus());
    case ChannelError::Oversized: return Fail(SessionFailure::Oversized, channel_.reason());
    case ChannelError::SendFailed:
    case ChannelError::TooLarge: return Fail(SessionFailure::SendFailed, channel_.reason());
    default: return Fail(SessionFailure::Malformed, channel_.reason());
  }
}

RequestHeader UaSession::NextHeader() {
  RequestHeader header;
  header.authenticationToken = authenticationToken_;
  header.timestamp = UtcNow();
  header.requestHandle = nextHandle_++;
  header.timeoutHint = config_.requestTimeoutMs;
  return header;
}

template <typename Request>
uint32_t UaSession::SendRequest(const Request& request, Pending kind) {
  std::vector<uint8_t> body;
  if (!EncodeRequest(request, body)) {
    Fail(SessionFailure::SendFailed, "request could not be encoded");
    return 0;
  }
  const uint32_t requestId = channel_.SendMessage(MessageType::Message, body);
  if (requestId == 0) {
    FailFromChannel();
    return 0;
  }
  pending_[requestId] = PendingRequest{kind, clock_()};
  return requestId;
}

template <typename Response>
bool UaSession::CheckResponse(const std::vector<uint8_t>& body, Response& response, const char* service) {
  const MessageStatus status = DecodeResponse(body, response);
  if (status.error == MessageError::ServiceFault) {
    Fail(SessionFailure::ServiceFault, std::string(service) + " answered with a ServiceFault", status.serviceResult);
    return false;
  }
  if (status.error == MessageError::UnexpectedType) {
    Fail(SessionFailure::UnexpectedMessage, std::string(service) + ": unexpected response type");
    return false;
  }
  if (!status.ok()) {
    Fail(SessionFailure::Malformed, std::string(service) + ": " + ToString(status.decodeError));
    return false;
  }
  if (response.responseHeader.serviceResult.IsBad()) {
    Fail(SessionFailure::BadServiceResult, std::string(service) + " failed", response.responseHeader.serviceResult);
    return false;
  }
  return true;
}

bool UaSession::ReadStep(InboundMessage& message, uint32_t waitMs, bool& got) {
  got = false;
  const ReadResult result = channel_.Read(message, waitMs);
  if (result == ReadResult::Failed) {
    FailFromChannel();
    return false;
  }
  if (result == ReadResult::Aborted) {
    Fail(SessionFailure::ResponseAborted, message.abortReason, message.abortStatus);
    return false;
  }
  got = result == ReadResult::Message;
  return true;
}

bool UaSession::AwaitReply(uint32_t requestId, MessageType expected, std::vector<uint8_t>& body,
                           uint64_t timeoutMs) {
  const uint64_t start = clock_();
  while (state_ != SessionState::Dead) {
    InboundMessage message;
    bool got = false;
    if (!ReadStep(message, config_.pollMs, got)) return false;
    if (got) {
      if (message.type == expected && message.requestId == requestId) {
        pending_.erase(requestId);
        body.swap(message.body);
        return true;
      }
      if (!Dispatch(message)) return false;
    } else if (clock_() - start >= timeoutMs) {
      Fail(SessionFailure::Timeout, "no response within the timeout");
      return false;
    }
  }
  return false;
}

template <typename Response>
bool UaSession::Exchange(uint32_t requestId, Response& response, const char* service) {
  if (requestId == 0) return false;
  std::vector<uint8_t> body;
  if (!AwaitReply(requestId, MessageType::Message, body, config_.requestTimeoutMs)) return false;
  return CheckResponse(body, response, service);
}

// A request the connection can do without: a ServiceFault or a bad result only makes it return false,
// while a reply that breaks the protocol still ends the connection.
template <typename Request, typename Response>
bool UaSession::OptionalExchange(const Request& request, Response& response, const char* service) {
  const uint32_t requestId = SendRequest(request, Pending::Other);
  if (requestId == 0) return false;
  std::vector<uint8_t> body;
  if (!AwaitReply(requestId, MessageType::Message, body, config_.requestTimeoutMs)) return false;
  const MessageStatus status = DecodeResponse(body, response);
  if (status.error == MessageError::ServiceFault) return false;
  if (status.ok() && response.responseHeader.serviceResult.IsBad()) return false;
  return CheckResponse(body, response, service);
}

void UaSession::BrowseEventTypes() {
  const BrowseCall browse = [this](const std::vector<NodeId>& parents, std::vector<BrowseResult>& results) {
    BrowseResponse response;
    if (!OptionalExchange(MakeSubtypeBrowse(NextHeader(), parents), response, "Browse")) return false;
    results = std::move(response.results);
    return true;
  };
  const BrowseNextCall browseNext = [this](const std::vector<ByteString>& points, bool release,
                                           std::vector<BrowseResult>& results) {
    BrowseNextRequest request;
    request.requestHeader = NextHeader();
    request.releaseContinuationPoints = release;
    request.continuationPoints = points;
    BrowseNextResponse response;
    if (!OptionalExchange(request, response, "BrowseNext")) return false;
    results = std::move(response.results);
    return true;
  };
  eventTypes_ = WalkEventTypes(browse, browseNext);
}

bool UaSession::ApplyToken(const std::vector<uint8_t>& body, uint64_t sentAt) {
  OpenSecureChannelResponse response;
  if (!CheckResponse(body, response, "OpenSecureChannel")) return false;
  if (channelId_ != 0 && response.securityToken.channelId != channelId_) {
    Fail(SessionFailure::UnexpectedMessage, "renewal changed the secure channel id");
    return false;
  }
  channelId_ = response.securityToken.channelId;
  tokenId_ = response.securityToken.tokenId;
  // Counting from when we asked errs towards renewing early.
  tokenIssuedAt_ = sentAt;
  tokenLifetimeMs_ = response.securityToken.revisedLifetime ? response.securityToken.revisedLifetime
                                                            : config_.channelLifetimeMs;
  channel_.SetSecurityToken(channelId_, tokenId_);
  return true;
}

bool UaSession::OpenChannel(bool renew) {
  OpenSecureChannelRequest request;
  request.requestHeader = NextHeader();
  request.requestType = renew ? SecurityTokenRequestType::Renew : SecurityTokenRequestType::Issue;
  request.securityMode = MessageSecurityMode::None;
  request.requestedLifetime = config_.channelLifetimeMs;
  std::vector<uint8_t> body;
  if (!EncodeRequest(request, body)) {
    Fail(SessionFailure::SendFailed, "request could not be encoded");
    return false;
  }
  const uint32_t requestId = channel_.SendOpen(body);
  if (requestId == 0) {
    FailFromChannel();
    return false;
  }
  pending_[requestId] = PendingRequest{renew ? Pending::Renew : Pending::Other, clock_()};
  if (renew) return true;  // the reply is handled by a later pump
  const uint64_t sentAt = clock_();
  std::vector<uint8_t> reply;
  return AwaitReply(requestId, MessageType::Open, reply, config_.requestTimeoutMs) && ApplyToken(reply, sentAt);
}

bool UaSession::Connect() {
  if (state_ != SessionState::Idle) return false;
  const auto address = ParseEndpointUrl(config_.endpointUrl);
  if (!address) {
    Fail(SessionFailure::BadEndpointUrl, "not an opc.tcp endpoint url: " + config_.endpointUrl);
    return false;
  }
  if (!socket_.Connect(address->host, address->port)) {
    Fail(SessionFailure::ConnectFailed, "cannot connect to " + address->host);
    return false;
  }
  socketOpen_ = true;

  if (!channel_.SendHello(config_.endpointUrl)) return FailFromChannel(), false;
  std::vector<uint8_t> none;
  if (!AwaitReply(0, MessageType::Acknowledge, none, config_.requestTimeoutMs)) return false;
  if (!OpenChannel(false)) return false;

  GetEndpointsRequest getEndpoints;
  getEndpoints.requestHeader = NextHeader();
  getEndpoints.endpointUrl = config_.endpointUrl;
  GetEndpointsResponse endpoints;
  if (!Exchange(SendRequest(getEndpoints, Pending::Other), endpoints, "GetEndpoints")) return false;
  const auto chosen = FindAnonymousNoneEndpoint(endpoints.endpoints);
  if (!chosen) {
    Fail(SessionFailure::NoNoneEndpoint, "the server offers no anonymous endpoint with security None");
    return false;
  }

  CreateSessionRequest create;
  create.requestHeader = NextHeader();
  create.clientDescription.applicationUri = config_.applicationUri;
  create.clientDescription.applicationName.text = config_.sessionName;
  create.clientDescription.applicationType = ApplicationType::Client;
  create.endpointUrl = config_.endpointUrl;
  create.sessionName = config_.sessionName;
  create.requestedSessionTimeout = config_.sessionTimeoutMs;
  create.maxResponseMessageSize = TransportLimits().maxMessageSize;
  CreateSessionResponse created;
  if (!Exchange(SendRequest(create, Pending::Other), created, "CreateSession")) return false;
  authenticationToken_ = created.authenticationToken;

  ActivateSessionResponse activated;
  const ActivateSessionRequest activate = MakeAnonymousActivateSession(NextHeader(), chosen->policyId, {});
  if (!Exchange(SendRequest(activate, Pending::Other), activated, "ActivateSession")) return false;

  if (config_.browseEventTypes) {
    BrowseEventTypes();
    if (state_ == SessionState::Dead) return false;  // the connection failed meanwhile, not the browse
  }

  CreateSubscriptionRequest subscribe;
  subscribe.requestHeader = NextHeader();
  subscribe.requestedPublishingInterval = config_.publishingIntervalMs;
  subscribe.requestedLifetimeCount = config_.lifetimeCount;
  subscribe.requestedMaxKeepAliveCount = config_.keepAliveCount;
  subscribe.publishingEnabled = true;
  CreateSubscriptionResponse subscription;
  if (!Exchange(SendRequest(subscribe, Pending::Other), subscription, "CreateSubscription")) return false;
  subscriptionId_ = subscription.subscriptionId;
  revisedPublishingMs_ = subscription.revisedPublishingInterval > 0 ? subscription.revisedPublishingInterval
                                                                     : config_.publishingIntervalMs;
  revisedKeepAlive_ = subscription.revisedMaxKeepAliveCount ? subscription.revisedMaxKeepAliveCount
                                                            : config_.keepAliveCount;

  CreateMonitoredItemsRequest monitor;
  monitor.requestHeader = NextHeader();
  monitor.subscriptionId = subscriptionId_;
  monitor.itemsToCreate.push_back(MakeAlarmEventItem(config_.clientHandle, config_.eventQueueSize));
  CreateMonitoredItemsResponse monitored;
  if (!Exchange(SendRequest(monitor, Pending::Other), monitored, "CreateMonitoredItems")) return false;
  if (monitored.results.size() != 1 || monitored.results[0].statusCode.IsBad()) {
    Fail(SessionFailure::MonitoredItemRefused, "the alarm event item was refused",
         monitored.results.empty() ? StatusCode() : monitored.results[0].statusCode);
    return false;
  }

  state_ = SessionState::Running;
  publishTarget_ = std::max<uint32_t>(1, config_.publishRequests);
  lastAliveAt_ = clock_();
  return true;
}

bool UaSession::Dispatch(const InboundMessage& message) {
  auto it = pending_.find(message.requestId);
  const bool openReply = message.type == MessageType::Open;
  if (it == pending_.end() || message.type == MessageType::Close || openReply != (it->second.kind == Pending::Renew)) {
    Fail(SessionFailure::UnexpectedMessage, "a message that answers no outstanding request");
    return false;
  }
  const PendingRequest request = it->second;
  pending_.erase(it);
  switch (request.kind) {
    case Pending::Publish: HandlePublish(message.body); break;
    case Pending::Renew: HandleRenew(message.body, request.sentAt); break;
    case Pending::Refresh: HandleRefresh(message.body); break;
    case Pending::Other:
      Fail(SessionFailure::UnexpectedMessage, "late reply to an abandoned request");
      break;
  }
  return state_ != SessionState::Dead;
}

void UaSession::HandleRenew(const std::vector<uint8_t>& body, uint64_t sentAt) { ApplyToken(body, sentAt); }

void UaSession::HandleRefresh(const std::vector<uint8_t>& body) {
  CallResponse response;
  if (!CheckResponse(body, response, "ConditionRefresh")) return;
  // A refused refresh leaves the connection usable; the caller reads the status.
  refreshStatus_ = response.results.empty() ? StatusCode{0x80000000u} : response.results[0].statusCode;
  ++refreshesAnswered_;
}

void UaSession::HandlePublish(const std::vector<uint8_t>& body) {
  // A server answers the Publishes still waiting with faults (BadSessionClosed, BadNoSubscription) as
  // the session closes: the ends of requests we gave up, not failures.
  if (closing_) return;
  PublishResponse response;
  const MessageStatus status = DecodeResponse(body, response);
  const StatusCode result = status.error == MessageError::ServiceFault ? status.serviceResult
                            : status.ok()                             ? response.responseHeader.serviceResult
                                                                      : StatusCode();
  if (result.code == kBadTooManyPublishRequests) {
    // The server queues fewer requests than we keep outstanding: keep one fewer, not an error.
    publishTarget_ = std::max<uint32_t>(1, static_cast<uint32_t>(outstandingPublishes()));
    lastAliveAt_ = clock_();
    return;
  }
  if (!CheckResponse(body, response, "Publish")) return;
  if (response.subscriptionId != subscriptionId_) {
    Fail(SessionFailure::UnexpectedMessage, "publish response for another subscription");
    return;
  }
  lastAliveAt_ = clock_();
  if (response.IsKeepAlive()) return;

  const uint32_t sequence = response.notificationMessage.sequenceNumber;
  pendingAcks_.push_back(SubscriptionAcknowledgement{subscriptionId_, sequence});
  if (std::find(recentSequences_.begin(), recentSequences_.end(), sequence) != recentSequences_.end()) return;
  recentSequences_.push_back(sequence);
  if (recentSequences_.size() > kRememberedSequences) recentSequences_.erase(recentSequences_.begin());

  DecodedNotifications notifications;
  if (DecodeNotifications(response.notificationMessage, notifications) != DecodeError::None) {
    Fail(SessionFailure::Malformed, "unreadable notification");
    return;
  }
  for (const auto& change : notifications.statusChanges) {
    if (change.status.IsBad()) {
      Fail(SessionFailure::SubscriptionLost, "the server ended the subscription", change.status);
      return;
    }
  }
  std::vector<std::vector<Variant>> events;
  for (const auto& list : notifications.eventLists) {
    for (const auto& event : list.events) {
      if (event.clientHandle == config_.clientHandle) events.push_back(event.eventFields);
    }
  }
  if (!events.empty() && onEvents_ && !closing_) onEvents_(events);
}

void UaSession::CheckTimers() {
  const uint64_t now = clock_();
  for (const auto& p : pending_) {
    if (p.second.kind != Pending::Publish && now - p.second.sentAt >= config_.requestTimeoutMs) {
      return Fail(SessionFailure::Timeout, "no response within the timeout");
    }
  }
  // A healthy subscription answers at least once per keep-alive period.
  const uint64_t liveness =
      static_cast<uint64_t>(revisedPublishingMs_ * revisedKeepAlive_) + config_.requestTimeoutMs;
  if (now - lastAliveAt_ >= liveness) return Fail(SessionFailure::Timeout, "no publish response or keep-alive");
  const bool renewing = std::any_of(pending_.begin(), pending_.end(),
                                    [](const auto& p) { return p.second.kind == Pending::Renew; });
  if (!renewing && now - tokenIssuedAt_ >= static_cast<uint64_t>(tokenLifetimeMs_) * 3 / 4) OpenChannel(true);
}

bool UaSession::PumpPublish() {
  if (state_ != SessionState::Running) return false;
  auto topUp = [this] {
    while (state_ == SessionState::Running && outstandingPublishes() < publishTarget_) {
      PublishRequest publish;
      publish.requestHeader = NextHeader();
      publish.requestHeader.timeoutHint = 0;  // a Publish legitimately waits at the server
      publish.subscriptionAcknowledgements.swap(pendingAcks_);
      if (SendRequest(publish, Pending::Publish) == 0) return;
    }
  };
  topUp();
  uint32_t wait = config_.pollMs;
  while (state_ == SessionState::Running) {
    InboundMessage message;
    bool got = false;
    if (!ReadStep(message, wait, got) || !got) break;
    if (!Dispatch(message)) break;
    wait = 0;  // drain what is already here without waiting again
  }
  // Replace answered requests at once so acknowledgements go out without waiting for the next step.
  topUp();
  if (state_ == SessionState::Running) CheckTimers();
  return state_ == SessionState::Running;
}

bool UaSession::Refresh() {
  if (state_ != SessionState::Running) return false;
  return SendRequest(MakeConditionRefreshCall(NextHeader(), subscriptionId_), Pending::Refresh) != 0;
}

void UaSession::Close() {
  if (state_ == SessionState::Running) {
    closing_ = true;
    const uint32_t saved = config_.requestTimeoutMs;
    config_.requestTimeoutMs = std::min(saved, config_.closeTimeoutMs);
    if (config_.deleteSubscriptionsOnClose) {
      DeleteSubscriptionsRequest del;
      del.requestHeader = NextHeader();
      del.subscriptionIds.push_back(subscriptionId_);
      DeleteSubscriptionsResponse deleted;
      Exchange(SendRequest(del, Pending::Other), deleted, "DeleteSubscriptions");
    }
    if (state_ == SessionState::Running) {
      CloseSessionRequest closeSession;
      closeSession.requestHeader = NextHeader();
      closeSession.deleteSubscriptions = true;
      CloseSessionResponse closed;
      Exchange(SendRequest(closeSession, Pending::Other), closed, "CloseSession");
    }
    if (state_ == SessionState::Running) {
      CloseSecureChannelRequest closeChannel;
      closeChannel.requestHeader = NextHeader();
      std::vector<uint8_t> body;
      if (EncodeRequest(closeChannel, body)) channel_.SendMessage(MessageType::Close, body);
      state_ = SessionState::Closed;
    }
    config_.requestTimeoutMs = saved;
  } else if (state_ == SessionState::Idle) {
    state_ = SessionState::Closed;
  }
  pending_.clear();
  if (socketOpen_) {
    socket_.Close();
    socketOpen_ = false;
  }
}

}  // namespace ua
