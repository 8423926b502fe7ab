// Hostile and broken input: lengths and counts that lie, deep nesting, truncation at every byte, sticky errors.
#include <gtest/gtest.h>

#include "tests/native/uaclient/CodecTestUtil.h"

using namespace ua;
using ua_test::Bytes;
using ua_test::Encode;
using ua_test::ErrorAfterDecode;

namespace {

const auto kReadString = [](Decoder& d, String& s) { return d.ReadString(s); };
const auto kReadByteString = [](Decoder& d, ByteString& b) { return d.ReadByteString(b); };
const auto kReadVariant = [](Decoder& d, Variant& v) { return d.ReadVariant(v); };

Bytes Int32Bytes(int32_t v) {
  return Encode([v](Encoder& e) { e.WriteInt32(v); });
}

// `wrappers` Variant arrays, each holding the next, around an empty Variant.
Bytes NestedVariants(int wrappers) {
  Bytes out;
  for (int i = 0; i < wrappers; ++i) out.insert(out.end(), {0x98, 0x01, 0x00, 0x00, 0x00});
  out.push_back(0x00);
  return out;
}

// Every proper prefix must fail as Truncated: never succeed, never read past the copy's end (ASan watches).
template <typename T, typename Read>
void ExpectEveryCutTruncated(const Bytes& full, Read read) {
  for (size_t cut = 0; cut < full.size(); ++cut) {
    const Bytes prefix(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(cut));
    EXPECT_EQ(ErrorAfterDecode<T>(prefix, read), DecodeError::Truncated) << "cut at " << cut << " of " << full.size();
  }
}

}  // namespace

TEST(UaHostileLengths, StringLengthsAreCheckedBeforeAllocating) {
  Bytes claimsTen = Int32Bytes(10);
  claimsTen.insert(claimsTen.end(), {'a', 'b', 'c'});
  EXPECT_EQ(ErrorAfterDecode<String>(claimsTen, kReadString), DecodeError::Truncated);
  EXPECT_EQ(ErrorAfterDecode<String>(Int32Bytes(INT32_MAX), kReadString), DecodeError::TooLong);
  EXPECT_EQ(ErrorAfterDecode<String>(Int32Bytes(kMaxStringLength + 1), kReadString), DecodeError::TooLong);
  EXPECT_EQ(ErrorAfterDecode<String>(Int32Bytes(-2), kReadString), DecodeError::BadEncoding);
  EXPECT_EQ(ErrorAfterDecode<ByteString>(Int32Bytes(INT32_MIN), kReadByteString), DecodeError::BadEncoding);
  EXPECT_EQ(ErrorAfterDecode<ByteString>(Int32Bytes(1), kReadByteString), DecodeError::Truncated);
}

TEST(UaHostileLengths, ArrayCountsAreBoundedByLimitAndRemainingBytes) {
  auto readInts = [](Decoder& d, std::vector<int32_t>& v) {
    return d.ReadArray(v, 4, [&d](int32_t& n) { return d.ReadInt32(n); });
  };
  EXPECT_EQ(ErrorAfterDecode<std::vector<int32_t>>(Int32Bytes(INT32_MAX), readInts), DecodeError::TooLong);
  EXPECT_EQ(ErrorAfterDecode<std::vector<int32_t>>(Int32Bytes(kMaxArrayLength + 1), readInts), DecodeError::TooLong);
  EXPECT_EQ(ErrorAfterDecode<std::vector<int32_t>>(Int32Bytes(-5), readInts), DecodeError::BadEncoding);
  Bytes twoInts = Int32Bytes(3);
  twoInts.resize(twoInts.size() + 8);  // room for two Int32, three claimed
  EXPECT_EQ(ErrorAfterDecode<std::vector<int32_t>>(twoInts, readInts), DecodeError::Truncated);

  Bytes variantArray = {0x86};  // Int32 array
  const Bytes huge = Int32Bytes(0x7FFFFFFF);
  variantArray.insert(variantArray.end(), huge.begin(), huge.end());
  EXPECT_EQ(ErrorAfterDecode<Variant>(variantArray, kReadVariant), DecodeError::TooLong);
  // A million Guids cannot fit in 64 bytes even though the count is under the fixed cap.
  Bytes guids = {0x8E};
  const Bytes million = Int32Bytes(1000000);
  guids.insert(guids.end(), million.begin(), million.end());
  guids.resize(guids.size() + 64);
  EXPECT_EQ(ErrorAfterDecode<Variant>(guids, kReadVariant), DecodeError::Truncated);
  // The count alone is refused, before any element is read or any vector reserved.
  Decoder d(guids);
  d.Skip(1);
  int32_t count = 0;
  EXPECT_FALSE(d.ReadArrayLength(count, 16));
  EXPECT_EQ(d.error(), DecodeError::Truncated);
  Decoder fits(guids);
  fits.Skip(1);
  guids[1] = 4;  // four Guids do fit in the 64 bytes that follow
  guids[2] = guids[3] = 0;
  EXPECT_TRUE(fits.ReadArrayLength(count, 16));
  EXPECT_EQ(count, 4);
}

TEST(UaHostileNesting, VariantDepthIsCapped) {
  EXPECT_EQ(ErrorAfterDecode<Variant>(NestedVariants(kMaxNestingDepth - 1), kReadVariant), DecodeError::None);
  EXPECT_EQ(ErrorAfterDecode<Variant>(NestedVariants(kMaxNestingDepth), kReadVariant), DecodeError::TooDeep);
  EXPECT_EQ(ErrorAfterDecode<Variant>(NestedVariants(10000), kReadVariant), DecodeError::TooDeep);
}

TEST(UaHostileNesting, DiagnosticInfoDepthIsCapped) {
  auto skip = [](Decoder& d, int&) { return d.SkipDiagnosticInfo(); };
  auto chain = [](int inner) {
    Bytes b(static_cast<size_t>(inner), 0x40);
    b.push_back(0x00);
    return b;
  };
  EXPECT_EQ(ErrorAfterDecode<int>(chain(kMaxNestingDepth - 1), skip), DecodeError::None);
  EXPECT_EQ(ErrorAfterDecode<int>(chain(kMaxNestingDepth), skip), DecodeError::TooDeep);
}

TEST(UaHostileNesting, DataValuesInsideVariantsCountTowardsTheCap) {
  // Variant(DataValue(Variant(DataValue(...)))): two levels per round.
  Bytes b;
  for (int i = 0; i < kMaxNestingDepth; ++i) b.insert(b.end(), {0x17, 0x01});
  b.push_back(0x00);
  EXPECT_EQ(ErrorAfterDecode<Variant>(b, kReadVariant), DecodeError::TooDeep);
}

TEST(UaHostileNesting, EncoderRefusesWhatTheDecoderWouldRefuse) {
  Variant v;
  for (int i = 0; i < kMaxNestingDepth + 1; ++i) v = Variant::Array(std::vector<Variant>{v});
  Bytes out;
  Encoder e(out);
  e.WriteVariant(v);
  EXPECT_FALSE(e.ok());
}

TEST(UaTruncation, EveryCutOfEveryVariantSampleFails) {
  const Variant all = Variant::Array(ua_test::SamplesOfEveryType());
  ExpectEveryCutTruncated<Variant>(Encode([&](Encoder& e) { e.WriteVariant(all); }), kReadVariant);
}

TEST(UaTruncation, EveryCutOfOtherCompositesFails) {
  DataValue dv = ua_test::SampleDataValue();
  dv.serverTimestamp = DateTime{5};
  dv.serverPicoseconds = 7;
  dv.sourcePicoseconds = 8;
  ExpectEveryCutTruncated<DataValue>(Encode([&](Encoder& e) { e.WriteDataValue(dv); }),
                                     [](Decoder& d, DataValue& v) { return d.ReadDataValue(v); });
  ExpectEveryCutTruncated<ExtensionObject>(
      Encode([](Encoder& e) { e.WriteExtensionObject(ua_test::SampleExtensionObject()); }),
      [](Decoder& d, ExtensionObject& v) { return d.ReadExtensionObject(v); });
  ExpandedNodeId x{NodeId::Opaque(7, {1, 2, 3}), "urn:a", 9};
  ExpectEveryCutTruncated<ExpandedNodeId>(Encode([&](Encoder& e) { e.WriteExpandedNodeId(x); }),
                                          [](Decoder& d, ExpandedNodeId& v) { return d.ReadExpandedNodeId(v); });
  const Bytes diag = {0x7F, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0, 1, 0, 0, 0, 'x', 0, 0, 0, 0x80, 0x01, 9,
                      0, 0, 0};
  ExpectEveryCutTruncated<DiagnosticInfo>(diag, [](Decoder& d, DiagnosticInfo& v) { return d.ReadDiagnosticInfo(v); });
}

TEST(UaStickyError, LaterReadsFailWithoutMoving) {
  const Bytes bytes = {0x05, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x01, 0x02};
  Decoder d(bytes);
  String s;
  EXPECT_FALSE(d.ReadString(s));  // claims 5 bytes, only 4 follow
  const size_t stoppedAt = d.position();
  uint8_t byte = 0;
  int16_t word = 0;
  EXPECT_FALSE(d.ReadByte(byte));
  EXPECT_FALSE(d.ReadInt16(word));
  EXPECT_FALSE(d.Skip(0));
  EXPECT_EQ(d.position(), stoppedAt);
  EXPECT_EQ(d.error(), DecodeError::Truncated);
  d.Fail(DecodeError::BadEncoding);
  EXPECT_EQ(d.error(), DecodeError::Truncated);  // the first reason is the one reported
}

TEST(UaStickyError, NullBufferIsJustEmpty) {
  Decoder d(nullptr, 100);
  EXPECT_EQ(d.remaining(), 0u);
  Variant v;
  EXPECT_FALSE(d.ReadVariant(v));
  EXPECT_EQ(d.error(), DecodeError::Truncated);
}
