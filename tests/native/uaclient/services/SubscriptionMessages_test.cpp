// Subscription and monitored item messages: exact layouts, round trips, the alarm event filter.
#include <gtest/gtest.h>

#include "tests/native/uaclient/services/ServiceTestUtil.h"
#include "uaclient/services/MonitoredItemServices.h"
#include "uaclient/services/SubscriptionServices.h"

using namespace ua;
using namespace ua_svc_test;

TEST(UaSubscriptionMessages, CreateSubscriptionRequestHasItsKnownBytes) {
  CreateSubscriptionRequest q;
  q.requestHeader = SampleRequestHeader();
  q.requestedPublishingInterval = 1000.0;
  q.requestedLifetimeCount = 60;
  q.requestedMaxKeepAliveCount = 10;
  q.maxNotificationsPerPublish = 500;
  q.publishingEnabled = true;
  q.priority = 9;
  const Bytes expected = Wire()
                             .Raw({0x01, 0x00, 0x13, 0x03})  // 787
                             .Append(SampleRequestHeaderBytes())
                             .I64(kDouble1000).U32(60).U32(10).U32(500).U8(1).U8(9)
                             .bytes();
  EXPECT_EQ(EncodeOrFail(q), expected);
  RoundTrip(q);
}

TEST(UaSubscriptionMessages, CreateSubscriptionResponseDecodesEveryField) {
  const Bytes bytes = Wire()
                          .Raw({0x01, 0x00, 0x16, 0x03})  // 790
                          .Append(SampleResponseHeaderBytes())
                          .U32(17).I64(kDouble1000).U32(30).U32(5)
                          .bytes();
  CreateSubscriptionResponse r;
  ASSERT_TRUE(DecodeResponse(bytes, r).ok());
  EXPECT_EQ(r.subscriptionId, 17u);
  EXPECT_EQ(r.revisedPublishingInterval, 1000.0);
  EXPECT_EQ(r.revisedLifetimeCount, 30u);
  EXPECT_EQ(r.revisedMaxKeepAliveCount, 5u);
  RoundTrip(r);
}

TEST(UaSubscriptionMessages, AlarmFilterSelectsTheAlarmFieldsInOrder) {
  const EventFilter filter = MakeAlarmEventFilter();
  ASSERT_EQ(filter.selectClauses.size(), static_cast<size_t>(kAlarmEventFieldCount));
  for (const SimpleAttributeOperand& clause : filter.selectClauses) {
    EXPECT_EQ(clause.typeDefinitionId, NodeId::Numeric(0, 2041));
    EXPECT_EQ(clause.attributeId, 13u);
    EXPECT_FALSE(clause.indexRange.has_value());
  }
  EXPECT_EQ(filter.selectClauses[kFieldSeverity].browsePath, (std::vector<QualifiedName>{{0, String("Severity")}}));
  EXPECT_EQ(filter.selectClauses[kFieldActiveStateTransitionTime].browsePath,
            (std::vector<QualifiedName>{{0, String("ActiveState")}, {0, String("TransitionTime")}}));
  EXPECT_TRUE(filter.whereClause.elements.empty());

  Bytes acked;
  Encoder e(acked);
  filter.selectClauses[kFieldAckedStateId].Encode(e);
  const Bytes expected = Wire()
                             .Raw({0x01, 0x00, 0xF9, 0x07})  // BaseEventType 2041
                             .U32(2).U16(0).Str("AckedState").U16(0).Str("Id")
                             .U32(13).Null()
                             .bytes();
  EXPECT_EQ(acked, expected);
}

TEST(UaSubscriptionMessages, AlarmEventItemWatchesTheServerObject) {
  const MonitoredItemCreateRequest item = MakeAlarmEventItem(42, 1000);
  Bytes filterBytes;
  Encoder e(filterBytes);
  MakeAlarmEventFilter().Encode(e);
  Bytes itemBytes;
  Encoder ie(itemBytes);
  item.Encode(ie);
  const Bytes expected = Wire()
                             .Raw({0x01, 0x00, 0xCD, 0x08})  // Server object 2253
                             .U32(12).Null().U16(0).Null()   // EventNotifier, no range, no encoding
                             .U32(2)                         // Reporting
                             .U32(42).I64(0)                 // clientHandle, samplingInterval 0.0
                             .Raw({0x01, 0x00, 0xD7, 0x02, 0x01})  // EventFilter 727, binary
                             .U32(static_cast<uint32_t>(filterBytes.size())).Append(filterBytes)
                             .U32(1000).U8(1)
                             .bytes();
  EXPECT_EQ(itemBytes, expected);
}

TEST(UaSubscriptionMessages, CreateMonitoredItemsRoundTrip) {
  CreateMonitoredItemsRequest q;
  q.requestHeader = SampleRequestHeader();
  q.subscriptionId = 17;
  q.timestampsToReturn = TimestampsToReturn::Neither;
  MonitoredItemCreateRequest other = MakeAlarmEventItem(7, 0);
  other.itemToMonitor.indexRange = String("1:2");
  other.itemToMonitor.dataEncoding = QualifiedName{0, String("Default Binary")};
  other.monitoringMode = MonitoringMode::Sampling;
  other.requestedParameters.samplingInterval = 250;
  other.requestedParameters.discardOldest = false;
  q.itemsToCreate = {MakeAlarmEventItem(42, 1000), other};
  const CreateMonitoredItemsRequest backQ = RoundTrip(q);
  EventFilter filter;
  ASSERT_EQ(UnpackExtensionObject(backQ.itemsToCreate[0].requestedParameters.filter, filter), DecodeError::None);
  EXPECT_EQ(filter.selectClauses.size(), static_cast<size_t>(kAlarmEventFieldCount));

  CreateMonitoredItemsResponse r;
  r.responseHeader = SampleResponseHeader();
  r.results = {MonitoredItemCreateResult{StatusCode{0}, 5, 0, 1000, ExtensionObject{}},
               MonitoredItemCreateResult{StatusCode{0x80440000}, 6, 100.5, 1,
                                         ExtensionObject{NodeId::Numeric(0, ids::kEventFilterResult),
                                                         BodyEncoding::Binary, {0, 0, 0, 0}}}};
  r.diagnosticInfos = {DiagnosticInfo{}, DiagnosticInfo{{0x20, 0x00, 0x00, 0x35, 0x80}}};
  const CreateMonitoredItemsResponse back = RoundTrip(r);
  ASSERT_EQ(back.results.size(), 2u);
  EXPECT_EQ(back.results[1].monitoredItemId, 6u);
  EXPECT_EQ(back.results[1].revisedSamplingInterval, 100.5);
  EXPECT_EQ(back.results[1].statusCode.code, 0x80440000u);
}

TEST(UaSubscriptionMessages, EventFilterResultNamesTheRefusedClause) {
  // Clause 1 refused with BadBrowseNameInvalid, no diagnostics, empty where-clause result.
  const Bytes body = Wire()
                         .U32(2).U32(0).U32(0x80600000)
                         .Null()
                         .U32(0).Null()
                         .bytes();
  const ExtensionObject object{NodeId::Numeric(0, 736), BodyEncoding::Binary, body};
  EventFilterResult result;
  ASSERT_EQ(UnpackExtensionObject(object, result), DecodeError::None);
  ASSERT_EQ(result.selectClauseResults.size(), 2u);
  EXPECT_EQ(result.selectClauseResults[1].code, 0x80600000u);
  EXPECT_TRUE(result.whereClauseResult.elementResults.empty());

  EventFilterResult full = result;
  full.selectClauseDiagnosticInfos = {DiagnosticInfo{}, DiagnosticInfo{{0x01, 0x00, 0x00, 0x00, 0x00}}};
  full.whereClauseResult.elementResults = {
      ContentFilterElementResult{StatusCode{0x80AB0000}, {StatusCode{0x80AB0000}}, {DiagnosticInfo{}}}};
  full.whereClauseResult.elementDiagnosticInfos = {DiagnosticInfo{}};
  ExtensionObject packed;
  ASSERT_TRUE(PackExtensionObject(full, EventFilterResult::kEncodingId, packed));
  EventFilterResult back;
  ASSERT_EQ(UnpackExtensionObject(packed, back), DecodeError::None);
  ExtensionObject repacked;
  ASSERT_TRUE(PackExtensionObject(back, EventFilterResult::kEncodingId, repacked));
  EXPECT_EQ(repacked, packed);
  for (size_t cut = 0; cut < packed.body.size(); ++cut) {
    ExtensionObject shorter = packed;
    shorter.body.resize(cut);
    EventFilterResult partial;
    EXPECT_EQ(UnpackExtensionObject(shorter, partial), DecodeError::Truncated) << cut;
  }
}

TEST(UaSubscriptionMessages, EventFilterRoundTripsWithAWhereClause) {
  EventFilter filter = MakeAlarmEventFilter();
  filter.selectClauses[0].indexRange = String("0:3");
  filter.whereClause.elements = {ContentFilterElement{1, {ExtensionObject{NodeId::Numeric(0, 597),
                                                                          BodyEncoding::Binary, {1, 2}}}}};
  ExtensionObject packed;
  ASSERT_TRUE(PackExtensionObject(filter, EventFilter::kEncodingId, packed));
  EventFilter back;
  ASSERT_EQ(UnpackExtensionObject(packed, back), DecodeError::None);
  ASSERT_EQ(back.whereClause.elements.size(), 1u);
  EXPECT_EQ(back.whereClause.elements[0].filterOperator, 1);
  EXPECT_EQ(back.selectClauses[0].indexRange, String("0:3"));
  ExtensionObject repacked;
  ASSERT_TRUE(PackExtensionObject(back, EventFilter::kEncodingId, repacked));
  EXPECT_EQ(repacked, packed);
}
