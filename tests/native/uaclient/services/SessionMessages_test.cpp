// Secure channel, GetEndpoints and session messages: exact layouts, round trips, endpoint choice.
#include <gtest/gtest.h>

#include "tests/native/uaclient/services/ServiceTestUtil.h"
#include "uaclient/SecureChunk.h"
#include "uaclient/services/GetEndpointsService.h"
#include "uaclient/services/SessionServices.h"

using namespace ua;
using namespace ua_svc_test;

namespace {

ApplicationDescription SampleApplication() {
  ApplicationDescription a;
  a.applicationUri = String("urn:velmaric:ae");
  a.productUri = String("urn:velmaric");
  a.applicationName = LocalizedText{String("en"), String("Velmaric AE")};
  a.applicationType = ApplicationType::ClientAndServer;
  a.gatewayServerUri = String("urn:gw");
  a.discoveryProfileUri = String("urn:dp");
  a.discoveryUrls = {String("opc.tcp://a:4840"), String()};
  return a;
}

UserTokenPolicy Policy(const char* id, UserTokenType type) {
  UserTokenPolicy p;
  p.policyId = String(id);
  p.tokenType = type;
  p.issuedTokenType = String("urn:itt");
  p.issuerEndpointUrl = String("opc.tcp://issuer");
  p.securityPolicyUri = String("urn:sp");
  return p;
}

EndpointDescription Endpoint(MessageSecurityMode mode, const char* policyUri, std::vector<UserTokenPolicy> tokens) {
  EndpointDescription ep;
  ep.endpointUrl = String("opc.tcp://plant:4840");
  ep.server = SampleApplication();
  ep.serverCertificate = Bs({0x30, 0x82});
  ep.securityMode = mode;
  ep.securityPolicyUri = String(policyUri);
  ep.userIdentityTokens = std::move(tokens);
  ep.transportProfileUri = String("http://opcfoundation.org/UA-Profile/Transport/uatcp-uasc-uabinary");
  ep.securityLevel = 3;
  return ep;
}

constexpr char kBasic256Sha256[] = "http://opcfoundation.org/UA/SecurityPolicy#Basic256Sha256";

}  // namespace

TEST(UaSessionMessages, OpenSecureChannelRequestHasItsKnownBytes) {
  OpenSecureChannelRequest r;
  r.requestHeader = SampleRequestHeader();
  r.clientProtocolVersion = 0;
  r.requestType = SecurityTokenRequestType::Renew;
  r.securityMode = MessageSecurityMode::None;
  r.clientNonce = Bs({0xAB});
  r.requestedLifetime = 600000;
  const Bytes expected = Wire()
                             .Raw({0x01, 0x00, 0xBE, 0x01})  // 446
                             .Append(SampleRequestHeaderBytes())
                             .U32(0)       // clientProtocolVersion
                             .U32(1)       // Renew
                             .U32(1)       // None
                             .U32(1).U8(0xAB)
                             .U32(600000)
                             .bytes();
  EXPECT_EQ(EncodeOrFail(r), expected);
  RoundTrip(r);
}

TEST(UaSessionMessages, OpenSecureChannelResponseRoundTrips) {
  OpenSecureChannelResponse r;
  r.responseHeader = SampleResponseHeader();
  r.serverProtocolVersion = 2;
  r.securityToken = ChannelSecurityToken{0x11223344, 5, DateTime{kUnixEpochTicks}, 3600000};
  r.serverNonce = Bs({1, 2, 3});
  const OpenSecureChannelResponse back = RoundTrip(r);
  EXPECT_EQ(back.securityToken.channelId, 0x11223344u);
  EXPECT_EQ(back.securityToken.tokenId, 5u);
  EXPECT_EQ(back.securityToken.createdAt, DateTime{kUnixEpochTicks});
  EXPECT_EQ(back.securityToken.revisedLifetime, 3600000u);
  EXPECT_EQ(back.serverNonce, Bs({1, 2, 3}));
}

TEST(UaSessionMessages, CloseSecureChannelRequestIsIdAndHeader) {
  CloseSecureChannelRequest r;
  r.requestHeader = SampleRequestHeader();
  EXPECT_EQ(EncodeOrFail(r), Wire().Raw({0x01, 0x00, 0xC4, 0x01}).Append(SampleRequestHeaderBytes()).bytes());
  RoundTrip(r);
}

TEST(UaSessionMessages, GetEndpointsRoundTrip) {
  GetEndpointsRequest q;
  q.requestHeader = SampleRequestHeader();
  q.endpointUrl = String("opc.tcp://plant:4840");
  q.localeIds = {String("en-US"), String("de")};
  q.profileUris = {String("urn:profile")};
  RoundTrip(q);

  GetEndpointsResponse r;
  r.responseHeader = SampleResponseHeader();
  r.endpoints = {Endpoint(MessageSecurityMode::SignAndEncrypt, kBasic256Sha256,
                          {Policy("user", UserTokenType::UserName)}),
                 Endpoint(MessageSecurityMode::None, kSecurityPolicyNoneUri,
                          {Policy("cert", UserTokenType::Certificate), Policy("anon", UserTokenType::Anonymous)})};
  const GetEndpointsResponse back = RoundTrip(r);
  ASSERT_EQ(back.endpoints.size(), 2u);
  EXPECT_EQ(back.endpoints[1].securityMode, MessageSecurityMode::None);
  EXPECT_EQ(back.endpoints[1].securityLevel, 3);
  EXPECT_EQ(back.endpoints[1].server.applicationType, ApplicationType::ClientAndServer);
  EXPECT_EQ(back.endpoints[1].userIdentityTokens[1].policyId, String("anon"));
  EXPECT_EQ(back.endpoints[0].userIdentityTokens[0].tokenType, UserTokenType::UserName);
}

TEST(UaSessionMessages, PicksFirstAnonymousEndpointWithoutSecurity) {
  const std::vector<EndpointDescription> endpoints = {
      // Anonymous, but secured: not usable.
      Endpoint(MessageSecurityMode::SignAndEncrypt, kBasic256Sha256, {Policy("a0", UserTokenType::Anonymous)}),
      // Mode None but a secure policy string: inconsistent, skipped.
      Endpoint(MessageSecurityMode::None, kBasic256Sha256, {Policy("a1", UserTokenType::Anonymous)}),
      // Unsecured but no anonymous login.
      Endpoint(MessageSecurityMode::None, kSecurityPolicyNoneUri, {Policy("u2", UserTokenType::UserName)}),
      Endpoint(MessageSecurityMode::None, kSecurityPolicyNoneUri,
               {Policy("u3", UserTokenType::UserName), Policy("a3", UserTokenType::Anonymous)}),
      Endpoint(MessageSecurityMode::None, kSecurityPolicyNoneUri, {Policy("a4", UserTokenType::Anonymous)}),
  };
  const auto found = FindAnonymousNoneEndpoint(endpoints);
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(found->endpointIndex, 3u);
  EXPECT_EQ(found->policyId, String("a3"));
}

TEST(UaSessionMessages, ReportsWhenNoUsableEndpointExists) {
  EXPECT_FALSE(FindAnonymousNoneEndpoint({}).has_value());
  EXPECT_FALSE(FindAnonymousNoneEndpoint({Endpoint(MessageSecurityMode::Sign, kBasic256Sha256,
                                                   {Policy("a", UserTokenType::Anonymous)}),
                                          Endpoint(MessageSecurityMode::None, kSecurityPolicyNoneUri, {})})
                   .has_value());
}

TEST(UaSessionMessages, CreateSessionRoundTrip) {
  CreateSessionRequest q;
  q.requestHeader = SampleRequestHeader();
  q.clientDescription = SampleApplication();
  q.serverUri = String("urn:plant");
  q.endpointUrl = String("opc.tcp://plant:4840");
  q.sessionName = String("Velmaric AE 1");
  q.clientNonce = ByteString(std::vector<uint8_t>(32, 0x5A));
  q.clientCertificate = Bs({0x30});
  q.requestedSessionTimeout = 1200000.5;
  q.maxResponseMessageSize = 16 * 1024 * 1024;
  const CreateSessionRequest backQ = RoundTrip(q);
  EXPECT_EQ(backQ.requestedSessionTimeout, 1200000.5);
  EXPECT_EQ(backQ.sessionName, String("Velmaric AE 1"));

  CreateSessionResponse r;
  r.responseHeader = SampleResponseHeader();
  r.sessionId = NodeId::Numeric(1, 77);
  r.authenticationToken = NodeId::Opaque(0, {1, 2, 3, 4});
  r.revisedSessionTimeout = 600000;
  r.serverNonce = Bs({7, 7});
  r.serverCertificate = Bs({0x30, 0x01});
  r.serverEndpoints = {Endpoint(MessageSecurityMode::None, kSecurityPolicyNoneUri,
                                {Policy("anon", UserTokenType::Anonymous)})};
  r.serverSoftwareCertificates = {SignedSoftwareCertificate{Bs({1}), Bs({2})}};
  r.serverSignature = SignatureData{String("urn:alg"), Bs({3})};
  r.maxRequestMessageSize = 65536;
  const CreateSessionResponse back = RoundTrip(r);
  EXPECT_EQ(back.authenticationToken, NodeId::Opaque(0, {1, 2, 3, 4}));
  EXPECT_EQ(back.sessionId, NodeId::Numeric(1, 77));
  EXPECT_EQ(back.maxRequestMessageSize, 65536u);
  EXPECT_EQ(back.serverSignature.algorithm, String("urn:alg"));
}

TEST(UaSessionMessages, AnonymousActivateSessionHasItsKnownBytes) {
  const ActivateSessionRequest q = MakeAnonymousActivateSession(SampleRequestHeader(), String("anon"), {String("en")});
  const Bytes expected = Wire()
                             .Raw({0x01, 0x00, 0xD3, 0x01})  // 467
                             .Append(SampleRequestHeaderBytes())
                             .Null().Null()                 // clientSignature
                             .U32(0)                        // no software certificates
                             .U32(1).Str("en")              // localeIds
                             .Raw({0x01, 0x00, 0x41, 0x01, 0x01})  // token type 321, binary body
                             .U32(8).Str("anon")            // body: policyId
                             .Null().Null()                 // userTokenSignature
                             .bytes();
  EXPECT_EQ(EncodeOrFail(q), expected);
  const ActivateSessionRequest back = RoundTrip(q);
  AnonymousIdentityToken token;
  ASSERT_EQ(UnpackExtensionObject(back.userIdentityToken, token), DecodeError::None);
  EXPECT_EQ(token.policyId, String("anon"));
}

TEST(UaSessionMessages, ActivateSessionRoundTripWithEveryField) {
  ActivateSessionRequest q = MakeAnonymousActivateSession(SampleRequestHeader(), String("p"), {String("en")});
  q.clientSignature = SignatureData{String("urn:a"), Bs({1})};
  q.clientSoftwareCertificates = {SignedSoftwareCertificate{Bs({2}), Bs({3})}};
  q.userTokenSignature = SignatureData{String("urn:b"), Bs({4})};
  RoundTrip(q);

  ActivateSessionResponse r;
  r.responseHeader = SampleResponseHeader();
  r.serverNonce = Bs({9});
  r.results = {StatusCode{0}, StatusCode{0x80000000}};
  r.diagnosticInfos = {DiagnosticInfo{{0x01, 0x02, 0x00, 0x00, 0x00}}};
  const ActivateSessionResponse back = RoundTrip(r);
  ASSERT_EQ(back.results.size(), 2u);
  EXPECT_EQ(back.results[1].code, 0x80000000u);
}

TEST(UaSessionMessages, CloseSessionHasItsKnownBytes) {
  CloseSessionRequest q;
  q.requestHeader = SampleRequestHeader();
  q.deleteSubscriptions = true;
  EXPECT_EQ(EncodeOrFail(q), Wire().Raw({0x01, 0x00, 0xD9, 0x01}).Append(SampleRequestHeaderBytes()).U8(1).bytes());
  EXPECT_TRUE(RoundTrip(q).deleteSubscriptions);

  CloseSessionResponse r;
  r.responseHeader = SampleResponseHeader();
  EXPECT_EQ(EncodeOrFail(r), Wire().Raw({0x01, 0x00, 0xDC, 0x01}).Append(SampleResponseHeaderBytes()).bytes());
  RoundTrip(r);
}
