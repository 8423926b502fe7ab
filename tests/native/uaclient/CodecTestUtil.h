// Helpers shared by the UA codec tests: encode a value to bytes, decode it back.
#pragma once

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "uaclient/Decoder.h"
#include "uaclient/Encoder.h"

namespace ua_test {

using Bytes = std::vector<uint8_t>;

// Encodes through `write(Encoder&)`; fails the test if the encoder refused.
template <typename Write>
Bytes Encode(Write write) {
  Bytes out;
  ua::Encoder e(out);
  write(e);
  EXPECT_TRUE(e.ok());
  return out;
}

// Decodes `bytes` through `read(Decoder&, T&)` and requires every byte to be consumed.
template <typename T, typename Read>
T DecodeAll(const Bytes& bytes, Read read) {
  ua::Decoder d(bytes);
  T value{};
  EXPECT_TRUE(read(d, value)) << ua::ToString(d.error());
  EXPECT_TRUE(d.AtEnd());
  return value;
}

// Decodes with `read` and returns the error the decoder ended in.
template <typename T, typename Read>
ua::DecodeError ErrorAfterDecode(const Bytes& bytes, Read read) {
  ua::Decoder d(bytes);
  T value{};
  read(d, value);
  return d.error();
}

// Sample values shared by the round-trip and truncation tests.
using namespace ua;

inline ExtensionObject SampleExtensionObject() {
  return ExtensionObject{NodeId::Numeric(0, 887), BodyEncoding::Binary, {1, 2, 3}};
}

inline DataValue SampleDataValue() {
  DataValue dv;
  dv.value = Variant::Scalar(2.5);
  dv.status = StatusCode{0x80340000};
  dv.sourceTimestamp = DateTime{kUnixEpochTicks};
  return dv;
}

// One scalar and one two-element array for every built-in type that a scalar may hold; extreme values where
// the type has them.
inline std::vector<Variant> SamplesOfEveryType() {
  std::vector<Variant> s;
  auto both = [&s](auto a, auto b) {
    s.push_back(Variant::Scalar(a));
    s.push_back(Variant::Array(std::vector<decltype(a)>{a, b}));
  };
  both(true, false);
  both(int8_t{-128}, int8_t{127});
  both(uint8_t{0}, uint8_t{255});
  both(int16_t{-32768}, int16_t{32767});
  both(uint16_t{0}, uint16_t{65535});
  both(int32_t{INT32_MIN}, int32_t{INT32_MAX});
  both(uint32_t{0}, uint32_t{UINT32_MAX});
  both(int64_t{INT64_MIN}, int64_t{INT64_MAX});
  both(uint64_t{0}, uint64_t{UINT64_MAX});
  both(3.5f, -1e30f);
  both(1e300, -0.25);
  both(String("Tank \xE6\xB0\xB4"), String());
  both(DateTime{0}, DateTime{INT64_MAX});
  both(Guid{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}}, Guid{});
  both(ByteString({0, 1}), ByteString());
  both(XmlElement{ByteString({'<', 'x', '/', '>'})}, XmlElement{});
  both(NodeId::Text(2, "Boiler"), NodeId::Numeric(0, 85));
  both(ExpandedNodeId{NodeId::Numeric(1, 1), "urn:x", 2}, ExpandedNodeId{});
  both(StatusCode{0x80000000}, StatusCode{0});
  both(QualifiedName{1, String("Name")}, QualifiedName{});
  both(LocalizedText{String("en"), String("High")}, LocalizedText{});
  both(SampleExtensionObject(), ExtensionObject{});
  both(SampleDataValue(), DataValue{});
  s.push_back(
      Variant::Array(std::vector<Variant>{Variant::Scalar(int32_t{1}), Variant(), Variant::Scalar(String("x"))}));
  both(DiagnosticInfo{{0x01, 0x07, 0x00, 0x00, 0x00}}, DiagnosticInfo{});
  return s;
}

}  // namespace ua_test
