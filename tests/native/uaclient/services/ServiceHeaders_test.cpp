// RequestHeader / ResponseHeader byte layouts, and how a response's type id is checked.
#include <gtest/gtest.h>

#include "tests/native/uaclient/services/ServiceTestUtil.h"
#include "uaclient/services/SessionServices.h"
#include "uaclient/services/SubscriptionServices.h"

using namespace ua;
using namespace ua_svc_test;

namespace {

Bytes EncodeRequestHeader(const RequestHeader& h) {
  Bytes out;
  Encoder e(out);
  h.Encode(e);
  EXPECT_TRUE(e.ok());
  return out;
}

Bytes EncodeResponseHeader(const ResponseHeader& h) {
  Bytes out;
  Encoder e(out);
  h.Encode(e);
  EXPECT_TRUE(e.ok());
  return out;
}

// A ServiceFault on the wire: its id (397 = 0x018D, four-byte form) then a response header.
Bytes FaultBytes(uint32_t serviceResult) {
  return Wire().Raw({0x01, 0x00, 0x8D, 0x01}).Append(SampleResponseHeaderBytes(serviceResult)).bytes();
}

}  // namespace

TEST(UaServiceHeaders, RequestHeaderHasItsKnownBytes) {
  EXPECT_EQ(EncodeRequestHeader(SampleRequestHeader()), SampleRequestHeaderBytes());
}

TEST(UaServiceHeaders, DefaultRequestHeaderIsNullTokenAndEmptyFields) {
  const Bytes expected = Wire().Raw({0x00, 0x00}).I64(0).U32(0).U32(0).Null().U32(0).Raw({0, 0, 0}).bytes();
  EXPECT_EQ(EncodeRequestHeader(RequestHeader()), expected);
}

TEST(UaServiceHeaders, RequestHeaderDecodesEveryField) {
  const Bytes bytes = SampleRequestHeaderBytes();
  Decoder d(bytes);
  RequestHeader h;
  ASSERT_TRUE(h.Decode(d));
  EXPECT_TRUE(d.AtEnd());
  EXPECT_EQ(h.authenticationToken, NodeId::Numeric(1, 0x1234));
  EXPECT_EQ(h.timestamp.ticks, 0x0102030405060708LL);
  EXPECT_EQ(h.requestHandle, 7u);
  EXPECT_EQ(h.returnDiagnostics, 0x10u);
  EXPECT_EQ(h.auditEntryId, String("ab"));
  EXPECT_EQ(h.timeoutHint, 5000u);
  EXPECT_EQ(h.additionalHeader, SampleRequestHeader().additionalHeader);
}

TEST(UaServiceHeaders, ResponseHeaderHasItsKnownBytesAndDecodesBack) {
  EXPECT_EQ(EncodeResponseHeader(SampleResponseHeader()), SampleResponseHeaderBytes());
  const Bytes bytes = SampleResponseHeaderBytes(0x80340000);
  Decoder d(bytes);
  ResponseHeader h;
  ASSERT_TRUE(h.Decode(d));
  EXPECT_TRUE(d.AtEnd());
  EXPECT_EQ(h.requestHandle, 7u);
  EXPECT_EQ(h.serviceResult.code, 0x80340000u);
  EXPECT_EQ(h.serviceDiagnostics, SampleResponseHeader().serviceDiagnostics);
  ASSERT_EQ(h.stringTable.size(), 1u);
  EXPECT_EQ(h.stringTable[0], String("x"));
}

TEST(UaServiceHeaders, ServiceFaultIsReportedWithItsResult) {
  const Bytes bytes = FaultBytes(0x80280000);
  CreateSubscriptionResponse response;
  const MessageStatus s = DecodeResponse(bytes, response);
  EXPECT_EQ(s.error, MessageError::ServiceFault);
  EXPECT_EQ(s.serviceResult.code, 0x80280000u);
  EXPECT_EQ(s.requestHandle, 7u);
  EXPECT_EQ(s.receivedTypeId, ids::kServiceFault);
}

TEST(UaServiceHeaders, ServiceFaultRoundTrips) {
  ServiceFault fault;
  fault.responseHeader = SampleResponseHeader(0x800E0000);
  EXPECT_EQ(EncodeOrFail(fault), FaultBytes(0x800E0000));
  RoundTrip(fault);
}

TEST(UaServiceHeaders, ServiceFaultIsAnUnexpectedTypeWhereFaultsAreNotAllowed) {
  const Bytes bytes = FaultBytes(0x80280000);
  CreateSubscriptionRequest request;  // a server decoding requests never accepts a fault
  const MessageStatus s = DecodeMessage(bytes.data(), bytes.size(), request);
  EXPECT_EQ(s.error, MessageError::UnexpectedType);
  EXPECT_EQ(s.receivedTypeId, ids::kServiceFault);
}

TEST(UaServiceHeaders, TruncatedServiceFaultIsMalformed) {
  const Bytes bytes = FaultBytes(0x80280000);
  for (size_t cut = 0; cut < bytes.size(); ++cut) {
    CloseSessionResponse response;
    const MessageStatus s = DecodeResponse(bytes.data(), cut, response);
    EXPECT_EQ(s.error, MessageError::Malformed) << cut;
    EXPECT_EQ(s.decodeError, DecodeError::Truncated) << cut;
  }
}

TEST(UaServiceHeaders, OtherResponseTypeIsRefused) {
  CloseSessionResponse close;
  close.responseHeader = SampleResponseHeader();
  const Bytes bytes = EncodeOrFail(close);
  CreateSubscriptionResponse wanted;
  const MessageStatus s = DecodeResponse(bytes, wanted);
  EXPECT_EQ(s.error, MessageError::UnexpectedType);
  EXPECT_EQ(s.receivedTypeId, ids::kCloseSessionResponse);
}

TEST(UaServiceHeaders, TypeIdOutsideNamespaceZeroIsMalformed) {
  const Bytes bytes = Wire().Raw({0x01, 0x02, 0xD6, 0x01}).Append(SampleResponseHeaderBytes()).bytes();
  CloseSessionResponse response;
  const MessageStatus s = DecodeResponse(bytes, response);
  EXPECT_EQ(s.error, MessageError::Malformed);
  EXPECT_EQ(s.decodeError, DecodeError::BadEncoding);
}

TEST(UaServiceHeaders, TrailingBytesAfterTheBodyAreMalformed) {
  CloseSessionResponse close;
  close.responseHeader = SampleResponseHeader();
  Bytes bytes = EncodeOrFail(close);
  bytes.push_back(0);
  CloseSessionResponse back;
  const MessageStatus s = DecodeResponse(bytes, back);
  EXPECT_EQ(s.error, MessageError::Malformed);
  EXPECT_EQ(s.receivedTypeId, ids::kCloseSessionResponse);
}

TEST(UaServiceHeaders, PeekTypeIdReadsOnlyTheId) {
  const Bytes bytes = FaultBytes(0x80280000);
  EXPECT_EQ(PeekTypeId(bytes.data(), bytes.size()).receivedTypeId, ids::kServiceFault);
  EXPECT_EQ(PeekTypeId(bytes.data(), 3).error, MessageError::Malformed);
}

TEST(UaServiceHeaders, FailedEncodeLeavesOutputUntouched) {
  CloseSessionRequest request;
  request.requestHeader.auditEntryId = std::string(static_cast<size_t>(kMaxStringLength) + 1, 'a');
  Bytes out = {0xAA};
  EXPECT_FALSE(EncodeRequest(request, out));
  EXPECT_EQ(out, Bytes{0xAA});
}
