// The whole connection against the scripted in-memory server.
#include <gtest/gtest.h>

#include "FakeServer.h"
#include "uaclient/client/UaSession.h"

namespace ua_client_test {
namespace {

using Events = std::vector<std::vector<Variant>>;

std::vector<Variant> Fields(const std::string& source, uint16_t severity) {
  return {Variant::Scalar<String>(source), Variant::Scalar<uint16_t>(severity)};
}

struct SessionFixture : ::testing::Test {
  FakeClock clock;
  FakeServer server;
  FakeSocket socket{server, clock};
  std::vector<Events> delivered;
  SessionConfig config;
  std::unique_ptr<UaSession> session;

  SessionFixture() {
    server.Attach(socket);
    config.endpointUrl = "opc.tcp://plant:4840/ua";
  }
  void Make() {
    session = std::make_unique<UaSession>(socket, config, [this] { return clock.now; },
                                          [this](const Events& e) { delivered.push_back(e); });
  }
  void StartRunning() {
    Make();
    ASSERT_TRUE(session->Connect()) << session->reason();
    ASSERT_TRUE(session->PumpPublish());
  }
  void ExpectDead(SessionFailure failure) {
    EXPECT_EQ(session->state(), SessionState::Dead);
    EXPECT_EQ(session->failure(), failure) << session->reason();
    EXPECT_TRUE(socket.closed);
  }
};

TEST_F(SessionFixture, StartsInOrderAndKeepsThreePublishesOutstanding) {
  StartRunning();
  const std::vector<std::string> expected = {"HEL", "OPN Issue", "GetEndpoints", "CreateSession", "ActivateSession",
                                             "CreateSubscription", "CreateMonitoredItems", "Publish", "Publish",
                                             "Publish"};
  EXPECT_EQ(server.seen, expected);
  EXPECT_EQ(socket.host, "plant");
  EXPECT_EQ(socket.port, 4840);
  ASSERT_EQ(server.opens.size(), 1u);
  EXPECT_EQ(server.opens[0].securityMode, MessageSecurityMode::None);
  EXPECT_EQ(server.opens[0].requestedLifetime, 600000u);
  ASSERT_EQ(server.activations.size(), 1u);
  AnonymousIdentityToken token;
  ASSERT_EQ(UnpackExtensionObject(server.activations[0].userIdentityToken, token), DecodeError::None);
  EXPECT_EQ(token.policyId, std::string("anon-policy"));
  EXPECT_EQ(server.activations[0].requestHeader.authenticationToken, NodeId::Numeric(1, 901));
  ASSERT_EQ(server.monitors.size(), 1u);
  EXPECT_EQ(server.monitors[0].subscriptionId, FakeServer::kSubscriptionId);
  EXPECT_EQ(session->subscriptionId(), FakeServer::kSubscriptionId);
  // Every chunk numbered one after the other, request handles increasing.
  for (size_t i = 1; i < server.sequences.size(); ++i) {
    EXPECT_EQ(server.sequences[i].sequenceNumber, server.sequences[i - 1].sequenceNumber + 1);
    EXPECT_GT(server.sequences[i].requestId, server.sequences[i - 1].requestId);
  }
  EXPECT_LT(server.publishes[0].requestHeader.requestHandle, server.publishes[2].requestHeader.requestHandle);
  // Pumping again does not pile up more requests.
  EXPECT_TRUE(session->PumpPublish());
  EXPECT_EQ(server.publishes.size(), 3u);
}

TEST_F(SessionFixture, EventsAreDeliveredOnceInOrderAndAcknowledgedInTheNextPublish) {
  StartRunning();
  server.PublishEvents(1, {Fields("Pump1", 500), Fields("Pump2", 700)});
  server.PublishEvents(2, {Fields("Tank", 900)});
  ASSERT_TRUE(session->PumpPublish());
  ASSERT_EQ(delivered.size(), 2u);
  ASSERT_EQ(delivered[0].size(), 2u);
  EXPECT_EQ(delivered[0][0], Fields("Pump1", 500));
  EXPECT_EQ(delivered[0][1], Fields("Pump2", 700));
  EXPECT_EQ(delivered[1][0], Fields("Tank", 900));
  // Two replaced publishes; the first of them carries both acknowledgements.
  ASSERT_EQ(server.publishes.size(), 5u);
  const auto& acks = server.publishes[3].subscriptionAcknowledgements;
  ASSERT_EQ(acks.size(), 2u);
  EXPECT_EQ(acks[0].subscriptionId, FakeServer::kSubscriptionId);
  EXPECT_EQ(acks[0].sequenceNumber, 1u);
  EXPECT_EQ(acks[1].sequenceNumber, 2u);
  EXPECT_TRUE(server.publishes[4].subscriptionAcknowledgements.empty());

  // A republished sequence number is acknowledged again but not delivered twice.
  server.PublishEvents(2, {Fields("Tank", 900)});
  ASSERT_TRUE(session->PumpPublish());
  EXPECT_EQ(delivered.size(), 2u);
  ASSERT_EQ(server.publishes.size(), 6u);
  ASSERT_EQ(server.publishes[5].subscriptionAcknowledgements.size(), 1u);

  // Events for another monitored item's handle are not ours.
  server.PublishEvents(3, {Fields("Other", 1)}, 99);
  ASSERT_TRUE(session->PumpPublish());
  EXPECT_EQ(delivered.size(), 2u);
}

TEST_F(SessionFixture, KeepAlivesKeepTheSessionAliveAndAreNotAcknowledged) {
  StartRunning();
  // The liveness window is keep-alive count * interval + request timeout = 15000 ms.
  for (int i = 0; i < 5; ++i) {
    clock.now += 10000;
    server.PublishKeepAlive();
    ASSERT_TRUE(session->PumpPublish()) << session->reason();
  }
  EXPECT_TRUE(delivered.empty());
  for (const auto& p : server.publishes) EXPECT_TRUE(p.subscriptionAcknowledgements.empty());
  // Then silence: the session gives up.
  clock.now += 15000;
  EXPECT_FALSE(session->PumpPublish());
  ExpectDead(SessionFailure::Timeout);
}

TEST_F(SessionFixture, RenewsTheChannelAtThreeQuartersOfItsLifetime) {
  server.revisedLifetime = 40000;
  StartRunning();
  const uint64_t issued = clock.now;
  while (clock.now + 2000 < issued + 29000) {
    clock.now += 1000;
    server.PublishKeepAlive();
    ASSERT_TRUE(session->PumpPublish());
  }
  EXPECT_EQ(server.opens.size(), 1u);
  clock.now = issued + 30000;
  server.PublishKeepAlive();
  ASSERT_TRUE(session->PumpPublish());
  ASSERT_EQ(server.opens.size(), 2u);
  EXPECT_EQ(server.opens[1].requestType, SecurityTokenRequestType::Renew);
  ASSERT_TRUE(session->PumpPublish());  // the renewal reply
  EXPECT_EQ(session->tokenId(), 2u);
  server.PublishKeepAlive();
  ASSERT_TRUE(session->PumpPublish());
  EXPECT_EQ(server.tokensUsed.back(), 2u);  // later requests use the new token
  EXPECT_EQ(server.opens.size(), 2u);       // and no second renewal right away
}

TEST_F(SessionFixture, RefreshCallsConditionRefreshWithTheSubscriptionId) {
  StartRunning();
  ASSERT_TRUE(session->Refresh());
  ASSERT_EQ(server.calls.size(), 1u);
  ASSERT_EQ(server.calls[0].methodsToCall.size(), 1u);
  const auto& call = server.calls[0].methodsToCall[0];
  EXPECT_EQ(call.objectId, NodeId::Numeric(0, ids::kConditionType));
  EXPECT_EQ(call.methodId, NodeId::Numeric(0, ids::kConditionRefreshMethod));
  ASSERT_EQ(call.inputArguments.size(), 1u);
  ASSERT_NE(call.inputArguments[0].ScalarIf<uint32_t>(), nullptr);
  EXPECT_EQ(*call.inputArguments[0].ScalarIf<uint32_t>(), FakeServer::kSubscriptionId);
  EXPECT_TRUE(session->PumpPublish());
  EXPECT_TRUE(session->refreshStatus().IsGood());
}

TEST_F(SessionFixture, EventTypesAreBrowsedAfterActivation) {
  config.browseEventTypes = true;
  StartRunning();
  const std::vector<std::string> start(server.seen.begin() + 4, server.seen.begin() + 8);
  EXPECT_EQ(start, (std::vector<std::string>{"ActivateSession", "Browse", "Browse", "CreateSubscription"}));
  ASSERT_EQ(session->eventTypes().size(), 1u);
  EXPECT_EQ(session->eventTypes()[0].name, "VendorEventType");
  EXPECT_FALSE(session->eventTypes()[0].condition);
}

TEST_F(SessionFixture, ABrowseRefusedWithAFaultLeavesTheConnectGoing) {
  server.faultOn[BrowseRequest::kEncodingId] = 0x800B0000;  // BadServiceUnsupported
  config.browseEventTypes = true;
  StartRunning();
  EXPECT_TRUE(session->eventTypes().empty());
}

TEST_F(SessionFixture, ABrowseWithABadResultLeavesTheConnectGoing) {
  server.badResultOn[BrowseRequest::kEncodingId] = 0x80340000;  // BadNodeIdUnknown
  config.browseEventTypes = true;
  StartRunning();
  EXPECT_TRUE(session->eventTypes().empty());
}

TEST_F(SessionFixture, AMalformedBrowseReplyEndsTheConnect) {
  config.browseEventTypes = true;
  server.malformedReplyTo = BrowseRequest::kEncodingId;
  Make();
  EXPECT_FALSE(session->Connect());
  ExpectDead(SessionFailure::Malformed);
}

TEST_F(SessionFixture, CloseSendsCloseSessionThenClo) {
  StartRunning();
  session->Close();
  EXPECT_EQ(session->state(), SessionState::Closed);
  ASSERT_GE(server.seen.size(), 2u);
  EXPECT_EQ(server.seen[server.seen.size() - 2], "CloseSession(delete)");
  EXPECT_EQ(server.seen.back(), "CLO");
  EXPECT_TRUE(socket.closed);
  EXPECT_FALSE(session->PumpPublish());
}

TEST_F(SessionFixture, PublishesFaultedByTheCloseDoNotTurnTheCloseIntoAFailure) {
  server.publishFaultOnClose = 0x80260000;  // BadSessionClosed
  StartRunning();
  ASSERT_FALSE(server.heldPublishes.empty());
  session->Close();
  EXPECT_EQ(session->state(), SessionState::Closed) << session->reason();
  EXPECT_EQ(session->failure(), SessionFailure::None);
  EXPECT_EQ(server.seen.back(), "CLO");
}

TEST_F(SessionFixture, CloseCanDeleteTheSubscriptionFirst) {
  config.deleteSubscriptionsOnClose = true;
  StartRunning();
  session->Close();
  const std::vector<std::string> tail(server.seen.end() - 3, server.seen.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"DeleteSubscriptions", "CloseSession(delete)", "CLO"}));
}

// Failures during start-up.

TEST_F(SessionFixture, ServiceFaultOnCreateSession) {
  server.faultOn[CreateSessionRequest::kEncodingId] = 0x80010000u;
  Make();
  EXPECT_FALSE(session->Connect());
  ExpectDead(SessionFailure::ServiceFault);
  EXPECT_EQ(session->failureStatus().code, 0x80010000u);
  EXPECT_EQ(server.seen.back(), "CreateSession");
}

TEST_F(SessionFixture, BadServiceResultOnActivateSession) {
  server.badResultOn[ActivateSessionRequest::kEncodingId] = 0x80200000u;
  Make();
  EXPECT_FALSE(session->Connect());
  ExpectDead(SessionFailure::BadServiceResult);
  EXPECT_EQ(session->failureStatus().code, 0x80200000u);
}

TEST_F(SessionFixture, NoNoneEndpoint) {
  server.endpoints[0].securityMode = MessageSecurityMode::SignAndEncrypt;
  Make();
  EXPECT_FALSE(session->Connect());
  ExpectDead(SessionFailure::NoNoneEndpoint);
  EXPECT_EQ(server.seen.back(), "GetEndpoints");
}

TEST_F(SessionFixture, RefusedMonitoredItem) {
  server.monitoredItemStatus.code = 0x80330000u;
  Make();
  EXPECT_FALSE(session->Connect());
  ExpectDead(SessionFailure::MonitoredItemRefused);
}

TEST_F(SessionFixture, BadUrlAndRefusedConnect) {
  config.endpointUrl = "http://plant";
  Make();
  EXPECT_FALSE(session->Connect());
  EXPECT_EQ(session->failure(), SessionFailure::BadEndpointUrl);
  EXPECT_TRUE(server.seen.empty());

  config.endpointUrl = "opc.tcp://plant";
  socket.refuseConnect = true;
  Make();
  EXPECT_FALSE(session->Connect());
  EXPECT_EQ(session->failure(), SessionFailure::ConnectFailed);
}

TEST_F(SessionFixture, SilentServerTimesOutDuringStartUp) {
  server.silent = true;
  Make();
  EXPECT_FALSE(session->Connect());
  ExpectDead(SessionFailure::Timeout);
  EXPECT_GE(clock.now, 1000u + config.requestTimeoutMs);
  session->Close();  // still prompt and harmless
  EXPECT_EQ(session->state(), SessionState::Dead);
}

// Failures while running: each ends the session and nothing more is delivered.

struct RunningFailure : SessionFixture {
  void SetUp() override { StartRunning(); }
  void ExpectNoMoreDelivery() {
    const size_t before = delivered.size();
    if (!server.heldPublishes.empty()) server.PublishEvents(50, {Fields("Late", 1)});
    EXPECT_FALSE(session->PumpPublish());
    EXPECT_EQ(delivered.size(), before);
    const size_t seen = server.seen.size();
    session->Close();
    EXPECT_EQ(server.seen.size(), seen);  // nothing sent on a dead connection
  }
};

TEST_F(RunningFailure, ErrMessage) {
  server.SendErr(0x80820000u, "channel token expired");
  server.PublishEvents(1, {Fields("AfterErr", 1)});
  EXPECT_FALSE(session->PumpPublish());
  ExpectDead(SessionFailure::ServerError);
  EXPECT_EQ(session->failureStatus().code, 0x80820000u);
  EXPECT_EQ(session->reason(), "channel token expired");
  EXPECT_TRUE(delivered.empty());
  ExpectNoMoreDelivery();
}

TEST_F(RunningFailure, OversizedChunkHeader) {
  Bytes header;
  WriteMessageHeader(header, MessageHeader{MessageType::Message, ChunkType::Final, 0x7FFFFFFFu});
  server.SendRaw(header);
  EXPECT_FALSE(session->PumpPublish());
  ExpectDead(SessionFailure::Oversized);
  ExpectNoMoreDelivery();
}

TEST_F(RunningFailure, MalformedPublishBody) {
  const HeldRequest held = server.heldPublishes.front();
  server.heldPublishes.pop_front();
  Bytes body;
  EncodeMessage(PublishResponse(), body);
  body.resize(body.size() - 3);  // truncated
  server.SendRaw(server.MessageChunk(held.requestId, body));
  EXPECT_FALSE(session->PumpPublish());
  ExpectDead(SessionFailure::Malformed);
  ExpectNoMoreDelivery();
}

TEST_F(RunningFailure, ReplyToNoRequest) {
  Bytes body;
  EncodeMessage(PublishResponse(), body);
  server.SendRaw(server.MessageChunk(9999, body));
  EXPECT_FALSE(session->PumpPublish());
  ExpectDead(SessionFailure::UnexpectedMessage);
}

TEST_F(RunningFailure, SocketClosedMidRun) {
  server.PublishEvents(1, {Fields("Before", 1)});
  ASSERT_TRUE(session->PumpPublish());
  ASSERT_EQ(delivered.size(), 1u);
  socket.peerClosed = true;
  EXPECT_FALSE(session->PumpPublish());
  ExpectDead(SessionFailure::ConnectionClosed);
  EXPECT_EQ(delivered.size(), 1u);
}

TEST_F(RunningFailure, StallPastTheTimeout) {
  // Refresh goes unanswered: its request timeout ends the session.
  server.silent = true;
  ASSERT_TRUE(session->Refresh());
  clock.now += config.requestTimeoutMs - 1000;
  server.PublishKeepAlive();
  ASSERT_TRUE(session->PumpPublish());
  clock.now += 1000;
  EXPECT_FALSE(session->PumpPublish());
  ExpectDead(SessionFailure::Timeout);
  ExpectNoMoreDelivery();
}

TEST_F(RunningFailure, PublishServiceFaultAndLostSubscription) {
  server.PublishFault(0x80790000u);  // BadNoSubscription
  EXPECT_FALSE(session->PumpPublish());
  ExpectDead(SessionFailure::ServiceFault);
}

TEST_F(RunningFailure, StatusChangeEndsTheSubscription) {
  server.PublishStatusChange(1, 0x800A0000u);
  EXPECT_FALSE(session->PumpPublish());
  ExpectDead(SessionFailure::SubscriptionLost);
  ExpectNoMoreDelivery();
}

TEST_F(RunningFailure, TooManyPublishRequestsOnlyLowersTheTarget) {
  server.PublishFault(0x80780000u);
  ASSERT_TRUE(session->PumpPublish());
  EXPECT_EQ(server.publishes.size(), 3u);  // not replaced
  server.PublishKeepAlive();
  ASSERT_TRUE(session->PumpPublish());
  EXPECT_EQ(session->outstandingPublishes(), 2u);
}

TEST_F(RunningFailure, AbortedResponse) {
  const HeldRequest held = server.heldPublishes.front();
  server.heldPublishes.pop_front();
  Bytes abortBody{0, 0, 0x80, 0x80, 0xFF, 0xFF, 0xFF, 0xFF};
  server.SendRaw(server.MessageChunk(held.requestId, abortBody, ChunkType::Abort));
  EXPECT_FALSE(session->PumpPublish());
  ExpectDead(SessionFailure::ResponseAborted);
}

}  // namespace
}  // namespace ua_client_test
