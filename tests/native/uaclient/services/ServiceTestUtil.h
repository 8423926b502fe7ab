// Helpers shared by the service message tests: sample headers, a hand-made byte builder, and the
// round-trip / truncation check every message goes through.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "uaclient/services/ServiceCodec.h"

namespace ua_svc_test {

using Bytes = std::vector<uint8_t>;
using namespace ua;

constexpr int64_t kDouble1000 = 0x408F400000000000LL;  // IEEE 754 bits of 1000.0

// Builds expected wire bytes by hand, independently of ua::Encoder.
class Wire {
 public:
  Wire& U8(uint8_t v) { bytes_.push_back(v); return *this; }
  Wire& U16(uint16_t v) { return Le(v, 2); }
  Wire& U32(uint32_t v) { return Le(v, 4); }
  Wire& I64(int64_t v) { return Le(static_cast<uint64_t>(v), 8); }
  Wire& Raw(std::initializer_list<uint8_t> v) { bytes_.insert(bytes_.end(), v); return *this; }
  Wire& Str(const std::string& s) {
    U32(static_cast<uint32_t>(s.size()));
    bytes_.insert(bytes_.end(), s.begin(), s.end());
    return *this;
  }
  Wire& Null() { return U32(0xFFFFFFFFu); }  // null String / ByteString / array
  Wire& Append(const Bytes& more) { bytes_.insert(bytes_.end(), more.begin(), more.end()); return *this; }
  const Bytes& bytes() const { return bytes_; }

 private:
  Wire& Le(uint64_t v, int n) {
    for (int i = 0; i < n; ++i) bytes_.push_back(static_cast<uint8_t>(v >> (8 * i)));
    return *this;
  }
  Bytes bytes_;
};

inline ByteString Bs(std::initializer_list<uint8_t> bytes) { return ByteString(std::vector<uint8_t>(bytes)); }

inline RequestHeader SampleRequestHeader() {
  RequestHeader h;
  h.authenticationToken = NodeId::Numeric(1, 0x1234);
  h.timestamp = DateTime{0x0102030405060708LL};
  h.requestHandle = 7;
  h.returnDiagnostics = 0x10;
  h.auditEntryId = String("ab");
  h.timeoutHint = 5000;
  h.additionalHeader = ExtensionObject{NodeId::Numeric(0, 20), BodyEncoding::Binary, {9}};
  return h;
}

// The exact bytes of SampleRequestHeader, in field order.
inline Bytes SampleRequestHeaderBytes() {
  return Wire()
      .Raw({0x01, 0x01, 0x34, 0x12})    // ns=1;i=0x1234, four-byte form
      .I64(0x0102030405060708LL)        // timestamp
      .U32(7)                           // requestHandle
      .U32(0x10)                        // returnDiagnostics
      .Str("ab")                        // auditEntryId
      .U32(5000)                        // timeoutHint
      .Raw({0x00, 20, 0x01}).U32(1).U8(9)  // additionalHeader
      .bytes();
}

inline ResponseHeader SampleResponseHeader(uint32_t serviceResult = 0x002F0000) {
  ResponseHeader h;
  h.timestamp = DateTime{0x0102030405060708LL};
  h.requestHandle = 7;
  h.serviceResult = StatusCode{serviceResult};
  h.serviceDiagnostics = DiagnosticInfo{{0x01, 0x00, 0x00, 0x00, 0x00}};  // symbolic id = string 0
  h.stringTable = {String("x")};
  h.additionalHeader = ExtensionObject{NodeId::Numeric(0, 20), BodyEncoding::Binary, {9}};
  return h;
}

inline Bytes SampleResponseHeaderBytes(uint32_t serviceResult = 0x002F0000) {
  return Wire()
      .I64(0x0102030405060708LL)
      .U32(7)
      .U32(serviceResult)
      .Raw({0x01, 0x00, 0x00, 0x00, 0x00})
      .U32(1).Str("x")
      .Raw({0x00, 20, 0x01}).U32(1).U8(9)
      .bytes();
}

template <typename Message>
Bytes EncodeOrFail(const Message& m) {
  Bytes out;
  EXPECT_TRUE(EncodeMessage(m, out));
  return out;
}

// Encodes `m`, decodes it back, and checks the decoded copy re-encodes to the same bytes (so no field was
// dropped or misread), then that every shorter prefix is refused as truncated. Returns the decoded copy for
// field checks.
template <typename Message>
Message RoundTrip(const Message& m) {
  const Bytes first = EncodeOrFail(m);
  Message back;
  const MessageStatus status = DecodeMessage(first.data(), first.size(), back);
  EXPECT_TRUE(status.ok()) << ToString(status.error) << " / " << ToString(status.decodeError);
  EXPECT_EQ(EncodeOrFail(back), first);
  for (size_t cut = 0; cut < first.size(); ++cut) {
    Message partial;
    const MessageStatus s = DecodeMessage(first.data(), cut, partial);
    EXPECT_EQ(s.error, MessageError::Malformed) << "prefix " << cut;
    EXPECT_EQ(s.decodeError, DecodeError::Truncated) << "prefix " << cut;
  }
  return back;
}

}  // namespace ua_svc_test
