// Publish, notification bodies, Call / ConditionRefresh and DeleteSubscriptions messages.
#include <gtest/gtest.h>

#include "tests/native/uaclient/services/ServiceTestUtil.h"
#include "uaclient/services/CallService.h"
#include "uaclient/services/EventFilter.h"
#include "uaclient/services/PublishService.h"
#include "uaclient/services/SubscriptionServices.h"

using namespace ua;
using namespace ua_svc_test;

namespace {

ExtensionObject Pack(const EventNotificationList& list) {
  ExtensionObject o;
  EXPECT_TRUE(PackExtensionObject(list, EventNotificationList::kEncodingId, o));
  return o;
}

ExtensionObject Pack(const StatusChangeNotification& change) {
  ExtensionObject o;
  EXPECT_TRUE(PackExtensionObject(change, StatusChangeNotification::kEncodingId, o));
  return o;
}

EventNotificationList SampleEvents() {
  EventFieldList e;
  e.clientHandle = 42;
  e.eventFields = {Variant::Scalar(Bs({1, 2})), Variant::Scalar(NodeId::Numeric(0, 2915)),
                   Variant::Scalar(String("Boiler1")), Variant::Scalar(DateTime{kUnixEpochTicks}),
                   Variant::Scalar(LocalizedText{String("en"), String("High level")}), Variant::Scalar(uint16_t{800}),
                   Variant::Scalar(String("HighLevel")), Variant::Scalar(false), Variant::Scalar(true),
                   Variant::Scalar(DateTime{kUnixEpochTicks + 1}), Variant()};
  EventNotificationList list;
  list.events = {e, EventFieldList{43, {}}};
  return list;
}

}  // namespace

TEST(UaPublishAndCall, PublishRequestHasItsKnownBytes) {
  PublishRequest q;
  q.requestHeader = SampleRequestHeader();
  q.subscriptionAcknowledgements = {{17, 3}, {17, 4}};
  const Bytes expected = Wire()
                             .Raw({0x01, 0x00, 0x3A, 0x03})  // 826
                             .Append(SampleRequestHeaderBytes())
                             .U32(2).U32(17).U32(3).U32(17).U32(4)
                             .bytes();
  EXPECT_EQ(EncodeOrFail(q), expected);
  RoundTrip(q);
}

TEST(UaPublishAndCall, PublishResponseCarriesEventsAndStatusChanges) {
  PublishResponse r;
  r.responseHeader = SampleResponseHeader();
  r.subscriptionId = 17;
  r.availableSequenceNumbers = {4, 5};
  r.moreNotifications = true;
  r.notificationMessage.sequenceNumber = 5;
  r.notificationMessage.publishTime = DateTime{kUnixEpochTicks};
  r.notificationMessage.notificationData = {
      Pack(SampleEvents()), Pack(StatusChangeNotification{StatusCode{0x800A0000}, DiagnosticInfo{}}),
      ExtensionObject{NodeId::Numeric(0, ids::kDataChangeNotification), BodyEncoding::Binary, {0, 0, 0, 0}}};
  r.results = {StatusCode{0}, StatusCode{0x807A0000}};
  r.diagnosticInfos = {DiagnosticInfo{{0x01, 0x00, 0x00, 0x00, 0x00}}};
  const PublishResponse back = RoundTrip(r);
  EXPECT_FALSE(back.IsKeepAlive());
  EXPECT_TRUE(back.moreNotifications);
  EXPECT_EQ(back.availableSequenceNumbers, (std::vector<uint32_t>{4, 5}));

  DecodedNotifications decoded;
  ASSERT_EQ(DecodeNotifications(back.notificationMessage, decoded), DecodeError::None);
  ASSERT_EQ(decoded.eventLists.size(), 1u);
  ASSERT_EQ(decoded.statusChanges.size(), 1u);
  EXPECT_EQ(decoded.ignored, 1u);
  EXPECT_EQ(decoded.statusChanges[0].status.code, 0x800A0000u);
  const EventFieldList& first = decoded.eventLists[0].events[0];
  EXPECT_EQ(first.clientHandle, 42u);
  ASSERT_EQ(first.eventFields.size(), static_cast<size_t>(kAlarmEventFieldCount));
  EXPECT_EQ(*first.eventFields[kFieldSeverity].ScalarIf<uint16_t>(), 800);
  EXPECT_EQ(*first.eventFields[kFieldSourceName].ScalarIf<String>(), String("Boiler1"));
  EXPECT_TRUE(first.eventFields[kFieldRetain].IsEmpty());
  EXPECT_EQ(decoded.eventLists[0].events[1].clientHandle, 43u);
}

TEST(UaPublishAndCall, KeepAliveHasNoNotificationData) {
  const Bytes bytes = Wire()
                          .Raw({0x01, 0x00, 0x3D, 0x03})  // 829
                          .Append(SampleResponseHeaderBytes())
                          .U32(17).Null().U8(0)           // id, no available numbers, no more
                          .U32(9).I64(kUnixEpochTicks).U32(0)  // message: next number, time, no data
                          .Null().Null()
                          .bytes();
  PublishResponse r;
  ASSERT_TRUE(DecodeResponse(bytes, r).ok());
  EXPECT_TRUE(r.IsKeepAlive());
  EXPECT_EQ(r.notificationMessage.sequenceNumber, 9u);
  DecodedNotifications decoded;
  EXPECT_EQ(DecodeNotifications(r.notificationMessage, decoded), DecodeError::None);
  EXPECT_TRUE(decoded.eventLists.empty());
}

TEST(UaPublishAndCall, MalformedNotificationBodyIsReported) {
  NotificationMessage m;
  ExtensionObject events = Pack(SampleEvents());
  events.body.resize(events.body.size() - 1);
  m.notificationData = {events};
  DecodedNotifications decoded;
  EXPECT_EQ(DecodeNotifications(m, decoded), DecodeError::Truncated);

  ExtensionObject padded = Pack(StatusChangeNotification{StatusCode{0x800A0000}, DiagnosticInfo{}});
  padded.body.push_back(0);
  m.notificationData = {padded};
  EXPECT_EQ(DecodeNotifications(m, decoded), DecodeError::BadEncoding);
}

TEST(UaPublishAndCall, ConditionRefreshCallHasItsKnownBytes) {
  const CallRequest q = MakeConditionRefreshCall(SampleRequestHeader(), 17);
  const Bytes expected = Wire()
                             .Raw({0x01, 0x00, 0xC8, 0x02})  // 712
                             .Append(SampleRequestHeaderBytes())
                             .U32(1)
                             .Raw({0x01, 0x00, 0xDE, 0x0A})  // ConditionType 2782
                             .Raw({0x01, 0x00, 0x23, 0x0F})  // ConditionRefresh 3875
                             .U32(1).U8(7).U32(17)           // [UInt32 17]
                             .bytes();
  EXPECT_EQ(EncodeOrFail(q), expected);
  RoundTrip(q);
}

TEST(UaPublishAndCall, CallResponseRoundTrip) {
  CallResponse r;
  r.responseHeader = SampleResponseHeader();
  CallMethodResult result;
  result.statusCode = StatusCode{0x80AB0000};
  result.inputArgumentResults = {StatusCode{0x80AB0000}};
  result.inputArgumentDiagnosticInfos = {DiagnosticInfo{{0x01, 0x00, 0x00, 0x00, 0x00}}};
  result.outputArguments = {Variant::Scalar(int32_t{-5})};
  r.results = {result};
  r.diagnosticInfos = {DiagnosticInfo{}};
  const CallResponse back = RoundTrip(r);
  ASSERT_EQ(back.results.size(), 1u);
  EXPECT_EQ(back.results[0].statusCode.code, 0x80AB0000u);
  EXPECT_EQ(back.results[0].outputArguments[0], Variant::Scalar(int32_t{-5}));
}

TEST(UaPublishAndCall, DeleteSubscriptionsRoundTrip) {
  DeleteSubscriptionsRequest q;
  q.requestHeader = SampleRequestHeader();
  q.subscriptionIds = {17, 18};
  EXPECT_EQ(EncodeOrFail(q),
            Wire().Raw({0x01, 0x00, 0x4F, 0x03}).Append(SampleRequestHeaderBytes()).U32(2).U32(17).U32(18).bytes());
  RoundTrip(q);

  DeleteSubscriptionsResponse r;
  r.responseHeader = SampleResponseHeader();
  r.results = {StatusCode{0}, StatusCode{0x80280000}};
  r.diagnosticInfos = {DiagnosticInfo{}, DiagnosticInfo{}};
  EXPECT_EQ(RoundTrip(r).results[1].code, 0x80280000u);
}
