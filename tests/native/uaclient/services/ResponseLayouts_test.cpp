// Responses built byte by byte in field order, as a server would send them, must decode into the right fields.
#include <gtest/gtest.h>

#include "tests/native/uaclient/services/ServiceTestUtil.h"
#include "uaclient/SecureChunk.h"
#include "uaclient/services/BrowseService.h"
#include "uaclient/services/CallService.h"
#include "uaclient/services/GetEndpointsService.h"
#include "uaclient/services/MonitoredItemServices.h"
#include "uaclient/services/PublishService.h"
#include "uaclient/services/SessionServices.h"

using namespace ua;
using namespace ua_svc_test;

namespace {

template <typename Response>
Response DecodeOrFail(const Bytes& bytes) {
  Response r;
  const MessageStatus s = DecodeResponse(bytes, r);
  EXPECT_TRUE(s.ok()) << ToString(s.error) << " / " << ToString(s.decodeError);
  return r;
}

Bytes Response(std::initializer_list<uint8_t> typeId) {
  return Wire().Raw(typeId).Append(SampleResponseHeaderBytes()).bytes();
}

}  // namespace

TEST(UaResponseLayouts, OpenSecureChannelResponse) {
  const Bytes bytes = Wire()
                          .Append(Response({0x01, 0x00, 0xC1, 0x01}))  // 449
                          .U32(0)                                       // serverProtocolVersion
                          .U32(0x11223344).U32(5).I64(kUnixEpochTicks).U32(3600000)
                          .Null()                                       // serverNonce
                          .bytes();
  const auto r = DecodeOrFail<OpenSecureChannelResponse>(bytes);
  EXPECT_EQ(r.responseHeader.requestHandle, 7u);
  EXPECT_EQ(r.securityToken.channelId, 0x11223344u);
  EXPECT_EQ(r.securityToken.tokenId, 5u);
  EXPECT_EQ(r.securityToken.createdAt.ticks, kUnixEpochTicks);
  EXPECT_EQ(r.securityToken.revisedLifetime, 3600000u);
  EXPECT_FALSE(r.serverNonce.has_value());
}

TEST(UaResponseLayouts, GetEndpointsResponseYieldsTheAnonymousPolicy) {
  const Bytes bytes = Wire()
                          .Append(Response({0x01, 0x00, 0xAF, 0x01}))  // 431
                          .U32(1)
                          .Str("opc.tcp://plant:4840")
                          .Str("urn:plant").Null().U8(0x02).Str("Plant").U32(0).Null().Null().U32(0)
                          .Null()                                       // serverCertificate
                          .U32(1)                                       // MessageSecurityMode None
                          .Str(kSecurityPolicyNoneUri)
                          .U32(1).Str("anon").U32(0).Null().Null().Null()
                          .Null()                                       // transportProfileUri
                          .U8(0)
                          .bytes();
  const auto r = DecodeOrFail<GetEndpointsResponse>(bytes);
  ASSERT_EQ(r.endpoints.size(), 1u);
  EXPECT_EQ(r.endpoints[0].server.applicationUri, String("urn:plant"));
  EXPECT_EQ(r.endpoints[0].server.applicationName.text, String("Plant"));
  EXPECT_EQ(r.endpoints[0].server.applicationType, ApplicationType::Server);
  const auto found = FindAnonymousNoneEndpoint(r.endpoints);
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(found->policyId, String("anon"));
}

TEST(UaResponseLayouts, CreateSessionResponse) {
  const Bytes bytes = Wire()
                          .Append(Response({0x01, 0x00, 0xD0, 0x01}))  // 464
                          .Raw({0x01, 0x01, 0x4D, 0x00})               // sessionId ns=1;i=77
                          .Raw({0x05, 0x00, 0x00}).U32(4).Raw({1, 2, 3, 4})  // opaque authentication token
                          .I64(kDouble1000)                             // revisedSessionTimeout
                          .Null().Null()                                // nonce, certificate
                          .U32(0)                                       // endpoints
                          .Null()                                       // software certificates
                          .Null().Null()                                // signature
                          .U32(65536)
                          .bytes();
  const auto r = DecodeOrFail<CreateSessionResponse>(bytes);
  EXPECT_EQ(r.sessionId, NodeId::Numeric(1, 77));
  EXPECT_EQ(r.authenticationToken, NodeId::Opaque(0, {1, 2, 3, 4}));
  EXPECT_EQ(r.revisedSessionTimeout, 1000.0);
  EXPECT_EQ(r.maxRequestMessageSize, 65536u);
}

TEST(UaResponseLayouts, ActivateSessionResponse) {
  const Bytes bytes = Wire()
                          .Append(Response({0x01, 0x00, 0xD6, 0x01}))  // 470
                          .U32(2).Raw({0xAA, 0xBB})
                          .U32(1).U32(0x80000000)
                          .U32(0)
                          .bytes();
  const auto r = DecodeOrFail<ActivateSessionResponse>(bytes);
  EXPECT_EQ(r.serverNonce, Bs({0xAA, 0xBB}));
  ASSERT_EQ(r.results.size(), 1u);
  EXPECT_EQ(r.results[0].code, 0x80000000u);
}

TEST(UaResponseLayouts, CreateMonitoredItemsResponse) {
  const Bytes bytes = Wire()
                          .Append(Response({0x01, 0x00, 0xF2, 0x02}))  // 754
                          .U32(1).U32(0).U32(5).I64(kDouble1000).U32(100).Raw({0, 0, 0})
                          .Null()
                          .bytes();
  const auto r = DecodeOrFail<CreateMonitoredItemsResponse>(bytes);
  ASSERT_EQ(r.results.size(), 1u);
  EXPECT_TRUE(r.results[0].statusCode.IsGood());
  EXPECT_EQ(r.results[0].monitoredItemId, 5u);
  EXPECT_EQ(r.results[0].revisedSamplingInterval, 1000.0);
  EXPECT_EQ(r.results[0].revisedQueueSize, 100u);
}

TEST(UaResponseLayouts, CallResponse) {
  const Bytes bytes = Wire()
                          .Append(Response({0x01, 0x00, 0xCB, 0x02}))  // 715
                          .U32(1)
                          .U32(0x80AB0000)                  // statusCode
                          .U32(1).U32(0x80AB0000)           // inputArgumentResults
                          .Null()                           // inputArgumentDiagnosticInfos
                          .U32(1).U8(6).U32(0xFFFFFFFB)     // outputArguments: [Int32 -5]
                          .U32(0)
                          .bytes();
  const auto r = DecodeOrFail<CallResponse>(bytes);
  ASSERT_EQ(r.results.size(), 1u);
  EXPECT_EQ(r.results[0].statusCode.code, 0x80AB0000u);
  EXPECT_EQ(r.results[0].inputArgumentResults, (std::vector<StatusCode>{StatusCode{0x80AB0000}}));
  ASSERT_EQ(r.results[0].outputArguments.size(), 1u);
  EXPECT_EQ(*r.results[0].outputArguments[0].ScalarIf<int32_t>(), -5);
}

TEST(UaResponseLayouts, EventNotificationListBody) {
  const Bytes body = Wire()
                         .U32(1)                        // one event
                         .U32(42)                       // clientHandle
                         .U32(2).U8(5).U16(800).U8(12).Str("B")  // [UInt16 800, String "B"]
                         .bytes();
  NotificationMessage m;
  m.notificationData = {ExtensionObject{NodeId::Numeric(0, 916), BodyEncoding::Binary, body}};
  DecodedNotifications decoded;
  ASSERT_EQ(DecodeNotifications(m, decoded), DecodeError::None);
  ASSERT_EQ(decoded.eventLists.size(), 1u);
  ASSERT_EQ(decoded.eventLists[0].events.size(), 1u);
  const EventFieldList& e = decoded.eventLists[0].events[0];
  EXPECT_EQ(e.clientHandle, 42u);
  ASSERT_EQ(e.eventFields.size(), 2u);
  EXPECT_EQ(*e.eventFields[0].ScalarIf<uint16_t>(), 800);
  EXPECT_EQ(*e.eventFields[1].ScalarIf<String>(), String("B"));
}

TEST(UaResponseLayouts, StatusChangeNotificationBody) {
  const Bytes body = Wire().U32(0x800A0000).U8(0).bytes();
  NotificationMessage m;
  m.notificationData = {ExtensionObject{NodeId::Numeric(0, 820), BodyEncoding::Binary, body}};
  DecodedNotifications decoded;
  ASSERT_EQ(DecodeNotifications(m, decoded), DecodeError::None);
  ASSERT_EQ(decoded.statusChanges.size(), 1u);
  EXPECT_EQ(decoded.statusChanges[0].status.code, 0x800A0000u);
}

TEST(UaResponseLayouts, BrowseResponseWithASubtypeAndAContinuationPoint) {
  const Bytes bytes = Wire()
                          .Append(Response({0x01, 0x00, 0x12, 0x02}))  // 530
                          .U32(1)                                       // one result
                          .U32(0)                                       // Good
                          .Str("cp")                                    // continuationPoint
                          .U32(1)                                       // one reference
                          .Raw({0x00, 0x2D})                            // HasSubtype (i=45)
                          .U8(1)                                        // isForward
                          .Raw({0x01, 0x02, 0x89, 0x13})                // ns=2;i=5001
                          .U16(2).Str("PumpFaultAlarmType")             // browseName
                          .U8(0x02).Str("Pump fault alarm")             // displayName, text only
                          .U32(8)                                       // ObjectType
                          .Raw({0x00, 0x00})                            // no type definition
                          .Null()                                       // diagnosticInfos
                          .bytes();
  const auto r = DecodeOrFail<BrowseResponse>(bytes);
  ASSERT_EQ(r.results.size(), 1u);
  EXPECT_EQ(r.results[0].continuationPoint, ByteString(std::vector<uint8_t>{'c', 'p'}));
  ASSERT_EQ(r.results[0].references.size(), 1u);
  const ReferenceDescription& ref = r.results[0].references[0];
  EXPECT_EQ(ref.referenceTypeId, NodeId::Numeric(0, 45));
  EXPECT_EQ(ref.nodeId.nodeId, NodeId::Numeric(2, 5001));
  EXPECT_EQ(ref.browseName.namespaceIndex, 2u);
  EXPECT_EQ(ref.browseName.name, ua::String("PumpFaultAlarmType"));
  EXPECT_EQ(ref.nodeClass, 8);
  // Every proper prefix is refused.
  for (size_t n = 0; n < bytes.size(); ++n) {
    BrowseResponse partial;
    EXPECT_FALSE(DecodeResponse(Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n)), partial).ok())
        << n;
  }
}

TEST(UaResponseLayouts, SubtypeBrowseRequestInFieldOrder) {
  RequestHeader header;
  header.requestHandle = 9;
  Bytes body;
  ASSERT_TRUE(EncodeRequest(MakeSubtypeBrowse(header, {NodeId::Numeric(0, 2041)}), body));
  BrowseRequest back;
  ASSERT_TRUE(DecodeMessage(body.data(), body.size(), back).ok());
  ASSERT_EQ(back.nodesToBrowse.size(), 1u);
  const BrowseDescription& d = back.nodesToBrowse[0];
  EXPECT_EQ(d.nodeId, NodeId::Numeric(0, 2041));
  EXPECT_EQ(d.browseDirection, BrowseDirection::Forward);
  EXPECT_EQ(d.referenceTypeId, NodeId::Numeric(0, 45));
  EXPECT_FALSE(d.includeSubtypes);
  EXPECT_EQ(d.nodeClassMask, 8u);
  EXPECT_EQ(d.resultMask, kResultBrowseName | kResultNodeClass);
  // The tail of the body: view (null id, no time, version 0), max references 0, then the one description.
  const Bytes tail = Wire()
                         .Raw({0x00, 0x00}).I64(0).U32(0)
                         .U32(0)
                         .U32(1).Raw({0x01, 0x00, 0xF9, 0x07}).U32(0).Raw({0x00, 0x2D}).U8(0).U32(8).U32(12)
                         .bytes();
  ASSERT_GE(body.size(), tail.size());
  EXPECT_EQ(Bytes(body.end() - static_cast<std::ptrdiff_t>(tail.size()), body.end()), tail);
}
