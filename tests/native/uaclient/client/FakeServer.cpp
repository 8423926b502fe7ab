#include "FakeServer.h"

#include <algorithm>

#include "uaclient/services/BrowseService.h"

namespace ua_client_test {

bool FakeSocket::Connect(const std::string& h, uint16_t p) {
  host = h;
  port = p;
  return !refuseConnect;
}

int FakeSocket::Send(const uint8_t* data, size_t size) {
  if (closed) return -1;
  if (peerClosed) return static_cast<int>(size);  // like TCP: the loss shows on the next read
  server_.OnBytes(data, size);
  return static_cast<int>(size);
}

int FakeSocket::Receive(uint8_t* buffer, size_t capacity, uint32_t timeoutMs) {
  if (closed) return -1;
  if (inbound.empty()) {
    if (peerClosed) return -1;
    clock_.now += timeoutMs;
    return 0;
  }
  // Hand out at most 1000 bytes at a time so the client has to join partial reads.
  size_t n = std::min<size_t>({capacity, inbound.size(), 1000});
  for (size_t i = 0; i < n; ++i) {
    buffer[i] = inbound.front();
    inbound.pop_front();
  }
  return static_cast<int>(n);
}

void FakeServer::OnBytes(const uint8_t* data, size_t size) {
  rx_.insert(rx_.end(), data, data + size);
  for (;;) {
    const ChunkProbe probe = ProbeChunk(rx_.data(), rx_.size(), 1u << 24);
    if (probe.status != ChunkStatus::Complete) return;
    Bytes chunk(rx_.begin(), rx_.begin() + static_cast<std::ptrdiff_t>(probe.length));
    rx_.erase(rx_.begin(), rx_.begin() + static_cast<std::ptrdiff_t>(probe.length));
    OnChunk(chunk);
  }
}

Bytes FakeServer::MessageChunk(uint32_t requestId, const Bytes& body, ChunkType chunkType) {
  Bytes out;
  BuildSymmetricChunk(MessageType::Message, kChannelId, tokenId, SequenceHeader{sequence_++, requestId},
                      body.data(), body.size(), out);
  out[3] = static_cast<uint8_t>(chunkType);
  return out;
}

void FakeServer::OnChunk(const Bytes& chunk) {
  MessageHeader header;
  ReadMessageHeader(chunk.data(), chunk.size(), header);
  if (header.type == MessageType::Hello) {
    HelloMessage hello;
    DecodeHelloMessage(chunk.data(), chunk.size(), hello);
    hellos.push_back(hello);
    seen.push_back("HEL");
    if (silent) return;
    AcknowledgeMessage ack;
    ack.receiveBufferSize = 65536;
    ack.sendBufferSize = 65536;
    Bytes out;
    EncodeAcknowledgeMessage(ack, out);
    SendRaw(out);
    return;
  }
  SecureChunk parsed;
  if (ParseSecureChunk(chunk.data(), chunk.size(), parsed) != DecodeError::None) {
    seen.push_back("BAD");
    return;
  }
  sequences.push_back(parsed.sequence);
  if (header.type != MessageType::Open) tokensUsed.push_back(parsed.tokenId);
  const Bytes body(chunk.begin() + static_cast<std::ptrdiff_t>(parsed.bodyOffset), chunk.end());
  if (header.type == MessageType::Close) {
    seen.push_back("CLO");
    return;
  }
  OnService(parsed.sequence.requestId, body, header.type == MessageType::Open);
}

bool FakeServer::Faulted(uint32_t typeId, uint32_t requestId, uint32_t handle) {
  auto fault = faultOn.find(typeId);
  if (fault != faultOn.end()) {
    ServiceFault f;
    f.responseHeader = Header(handle, fault->second);
    Reply(requestId, f);
    return true;
  }
  return false;
}

void FakeServer::OnService(uint32_t requestId, const Bytes& body, bool open) {
  const uint32_t typeId = PeekTypeId(body.data(), body.size()).receivedTypeId;
  const uint32_t bad = badResultOn.count(typeId) ? badResultOn[typeId] : 0;
  auto decode = [&](auto& request) { return DecodeMessage(body.data(), body.size(), request).ok(); };

  if (open) {
    OpenSecureChannelRequest request;
    if (!decode(request)) return seen.push_back("BAD");
    opens.push_back(request);
    seen.push_back(request.requestType == SecurityTokenRequestType::Issue ? "OPN Issue" : "OPN Renew");
    if (silent) return heldOthers.push_back({requestId, request.requestHeader.requestHandle});
    OpenSecureChannelResponse response;
    response.responseHeader = Header(request.requestHeader.requestHandle, bad);
    response.securityToken.channelId = kChannelId;
    response.securityToken.tokenId = ++tokenId;
    response.securityToken.revisedLifetime = revisedLifetime;
    Bytes payload, out;
    EncodeMessage(response, payload);
    BuildOpenChunk(kChannelId, SequenceHeader{sequence_++, requestId}, payload.data(), payload.size(), out);
    SendRaw(out);
    return;
  }

  uint32_t handle = 0;
  switch (typeId) {
    case GetEndpointsRequest::kEncodingId: {
      GetEndpointsRequest request;
      if (!decode(request)) return seen.push_back("BAD");
      seen.push_back("GetEndpoints");
      handle = request.requestHeader.requestHandle;
      if (silent || Faulted(typeId, requestId, handle)) break;
      GetEndpointsResponse response;
      response.responseHeader = Header(handle, bad);
      response.endpoints = endpoints;
      Reply(requestId, response);
      return;
    }
    case CreateSessionRequest::kEncodingId: {
      CreateSessionRequest request;
      if (!decode(request)) return seen.push_back("BAD");
      seen.push_back("CreateSession");
      handle = request.requestHeader.requestHandle;
      if (silent || Faulted(typeId, requestId, handle)) break;
      CreateSessionResponse response;
      response.responseHeader = Header(handle, bad);
      response.sessionId = NodeId::Numeric(1, 900);
      response.authenticationToken = NodeId::Numeric(1, 901);
      Reply(requestId, response);
      return;
    }
    case ActivateSessionRequest::kEncodingId: {
      ActivateSessionRequest request;
      if (!decode(request)) return seen.push_back("BAD");
      activations.push_back(request);
      seen.push_back("ActivateSession");
      handle = request.requestHeader.requestHandle;
      if (silent || Faulted(typeId, requestId, handle)) break;
      ActivateSessionResponse response;
      response.responseHeader = Header(handle, bad);
      Reply(requestId, response);
      return;
    }
    case CreateSubscriptionRequest::kEncodingId: {
      CreateSubscriptionRequest request;
      if (!decode(request)) return seen.push_back("BAD");
      seen.push_back("CreateSubscription");
      handle = request.requestHeader.requestHandle;
      if (silent || Faulted(typeId, requestId, handle)) break;
      CreateSubscriptionResponse response;
      response.responseHeader = Header(handle, bad);
      response.subscriptionId = kSubscriptionId;
      response.revisedPublishingInterval = request.requestedPublishingInterval;
      response.revisedMaxKeepAliveCount = request.requestedMaxKeepAliveCount;
      response.revisedLifetimeCount = request.requestedLifetimeCount;
      Reply(requestId, response);
      return;
    }
    case CreateMonitoredItemsRequest::kEncodingId: {
      CreateMonitoredItemsRequest request;
      if (!decode(request)) return seen.push_back("BAD");
      monitors.push_back(request);
      seen.push_back("CreateMonitoredItems");
      handle = request.requestHeader.requestHandle;
      if (silent || Faulted(typeId, requestId, handle)) break;
      CreateMonitoredItemsResponse response;
      response.responseHeader = Header(handle, bad);
      response.results.resize(request.itemsToCreate.size());
      for (auto& r : response.results) r.statusCode = monitoredItemStatus;
      Reply(requestId, response);
      return;
    }
    case PublishRequest::kEncodingId: {
      PublishRequest request;
      if (!decode(request)) return seen.push_back("BAD");
      publishes.push_back(request);
      seen.push_back("Publish");
      heldPublishes.push_back({requestId, request.requestHeader.requestHandle});
      return;
    }
    case CallRequest::kEncodingId: {
      CallRequest request;
      if (!decode(request)) return seen.push_back("BAD");
      calls.push_back(request);
      seen.push_back("Call");
      handle = request.requestHeader.requestHandle;
      if (silent || Faulted(typeId, requestId, handle)) break;
      CallResponse response;
      response.responseHeader = Header(handle, bad);
      response.results.resize(request.methodsToCall.size());
      Reply(requestId, response);
      return;
    }
    case BrowseRequest::kEncodingId: {
      BrowseRequest request;
      if (!decode(request)) return seen.push_back("BAD");
      seen.push_back("Browse");
      handle = request.requestHeader.requestHandle;
      if (silent || Faulted(typeId, requestId, handle)) break;
      BrowseResponse response;
      response.responseHeader = Header(handle, bad);
      // Below BaseEventType only one vendor type; nothing below that.
      for (const BrowseDescription& d : request.nodesToBrowse) {
        BrowseResult result;
        if (d.nodeId == NodeId::Numeric(0, 2041)) {
          ReferenceDescription ref;
          ref.nodeId.nodeId = NodeId::Numeric(2, 77);
          ref.browseName = QualifiedName{2, std::string("VendorEventType")};
          result.references.push_back(ref);
        }
        response.results.push_back(result);
      }
      if (malformedReplyTo == typeId) {
        Bytes cut;
        EncodeMessage(response, cut);
        cut.resize(cut.size() - 3);
        SendRaw(MessageChunk(requestId, cut));
        return;
      }
      Reply(requestId, response);
      return;
    }
    case DeleteSubscriptionsRequest::kEncodingId: {
      DeleteSubscriptionsRequest request;
      if (!decode(request)) return seen.push_back("BAD");
      seen.push_back("DeleteSubscriptions");
      handle = request.requestHeader.requestHandle;
      if (silent || Faulted(typeId, requestId, handle)) break;
      DeleteSubscriptionsResponse response;
      response.responseHeader = Header(handle, bad);
      response.results.resize(request.subscriptionIds.size());
      Reply(requestId, response);
      return;
    }
    case CloseSessionRequest::kEncodingId: {
      CloseSessionRequest request;
      if (!decode(request)) return seen.push_back("BAD");
      seen.push_back(request.deleteSubscriptions ? "CloseSession(delete)" : "CloseSession");
      handle = request.requestHeader.requestHandle;
      if (silent || Faulted(typeId, requestId, handle)) break;
      // As real servers do: the Publishes still waiting are answered first, with a fault.
      while (publishFaultOnClose && !heldPublishes.empty()) PublishFault(publishFaultOnClose);
      CloseSessionResponse response;
      response.responseHeader = Header(handle, bad);
      Reply(requestId, response);
      return;
    }
    default:
      seen.push_back("UNKNOWN");
      return;
  }
  if (silent) heldOthers.push_back({requestId, handle});
}

void FakeServer::PublishEvents(uint32_t sequenceNumber, const std::vector<std::vector<Variant>>& events,
                               uint32_t clientHandle) {
  HeldRequest held = heldPublishes.front();
  heldPublishes.pop_front();
  EventNotificationList list;
  for (const auto& fields : events) list.events.push_back(EventFieldList{clientHandle, fields});
  PublishResponse response;
  response.responseHeader = Header(held.requestHandle);
  response.subscriptionId = kSubscriptionId;
  response.notificationMessage.sequenceNumber = sequenceNumber;
  ExtensionObject packed;
  PackExtensionObject(list, EventNotificationList::kEncodingId, packed);
  response.notificationMessage.notificationData.push_back(packed);
  Reply(held.requestId, response);
}

void FakeServer::PublishStatusChange(uint32_t sequenceNumber, uint32_t status) {
  HeldRequest held = heldPublishes.front();
  heldPublishes.pop_front();
  StatusChangeNotification change;
  change.status.code = status;
  PublishResponse response;
  response.responseHeader = Header(held.requestHandle);
  response.subscriptionId = kSubscriptionId;
  response.notificationMessage.sequenceNumber = sequenceNumber;
  ExtensionObject packed;
  PackExtensionObject(change, StatusChangeNotification::kEncodingId, packed);
  response.notificationMessage.notificationData.push_back(packed);
  Reply(held.requestId, response);
}

void FakeServer::PublishKeepAlive() {
  HeldRequest held = heldPublishes.front();
  heldPublishes.pop_front();
  PublishResponse response;
  response.responseHeader = Header(held.requestHandle);
  response.subscriptionId = kSubscriptionId;
  response.notificationMessage.sequenceNumber = 99;  // the next one to come; not acknowledged
  Reply(held.requestId, response);
}

void FakeServer::PublishFault(uint32_t status) {
  HeldRequest held = heldPublishes.front();
  heldPublishes.pop_front();
  ServiceFault fault;
  fault.responseHeader = Header(held.requestHandle, status);
  Reply(held.requestId, fault);
}

void FakeServer::SendErr(uint32_t status, const std::string& reason) {
  ErrorMessage err;
  err.error.code = status;
  err.reason = reason;
  Bytes out;
  EncodeErrorMessage(err, out);
  SendRaw(out);
}

}  // namespace ua_client_test
