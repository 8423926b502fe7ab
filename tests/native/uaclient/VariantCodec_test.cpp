// Variant, DataValue, ExtensionObject and DiagnosticInfo: masks, round trips and exact layouts.
#include <gtest/gtest.h>

#include "tests/native/uaclient/CodecTestUtil.h"

using namespace ua;
using ua_test::Bytes;
using ua_test::DecodeAll;
using ua_test::Encode;
using ua_test::SampleExtensionObject;
using ua_test::SamplesOfEveryType;

namespace {

Bytes EncodeVariant(const Variant& v) {
  return Encode([&](Encoder& e) { e.WriteVariant(v); });
}

Variant DecodeVariant(const Bytes& bytes) {
  return DecodeAll<Variant>(bytes, [](Decoder& d, Variant& v) { return d.ReadVariant(v); });
}

DecodeError VariantError(const Bytes& bytes) {
  return ua_test::ErrorAfterDecode<Variant>(bytes, [](Decoder& d, Variant& v) { return d.ReadVariant(v); });
}

}  // namespace

TEST(UaVariant, KnownLayouts) {
  EXPECT_EQ(EncodeVariant(Variant()), (Bytes{0x00}));
  EXPECT_EQ(EncodeVariant(Variant::Scalar(int32_t{5})), (Bytes{0x06, 0x05, 0x00, 0x00, 0x00}));
  EXPECT_EQ(EncodeVariant(Variant::Array(std::vector<bool>{true, false})),
            (Bytes{0x81, 0x02, 0x00, 0x00, 0x00, 0x01, 0x00}));
  EXPECT_EQ(EncodeVariant(Variant::NullArray<String>()), (Bytes{0x8C, 0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST(UaVariant, EveryBuiltinTypeRoundTripsAsScalarAndArray) {
  const std::vector<Variant> samples = SamplesOfEveryType();
  ASSERT_EQ(samples.size(), 2u * 25u - 1u);  // all 25 types, Variant only as an array
  for (const Variant& v : samples) {
    const Bytes bytes = EncodeVariant(v);
    const uint8_t expectedMask = static_cast<uint8_t>(v.type()) | (v.isArray ? 0x80 : 0x00);
    EXPECT_EQ(bytes[0], expectedMask);
    EXPECT_EQ(DecodeVariant(bytes), v) << "type " << int(v.type()) << (v.isArray ? " array" : " scalar");
  }
}

TEST(UaVariant, NullAndEmptyArraysStayDistinct) {
  const Variant empty = DecodeVariant(EncodeVariant(Variant::Array(std::vector<double>{})));
  const Variant null = DecodeVariant(EncodeVariant(Variant::NullArray<double>()));
  EXPECT_TRUE(empty.isArray);
  EXPECT_FALSE(empty.nullArray);
  EXPECT_TRUE(null.nullArray);
  EXPECT_NE(empty, null);
  EXPECT_NE(empty.ArrayIf<double>(), nullptr);
  EXPECT_EQ(empty.ScalarIf<double>(), nullptr);
}

TEST(UaVariant, MatrixKeepsDimensionsAfterValues) {
  Variant m = Variant::Array(std::vector<int16_t>{1, 2, 3, 4, 5, 6});
  m.dimensions = std::vector<int32_t>{2, 3};
  const Bytes bytes = EncodeVariant(m);
  EXPECT_EQ(bytes[0], 0xC4);
  // mask, count, six Int16, dimension count, two Int32.
  ASSERT_EQ(bytes.size(), 1u + 4 + 12 + 4 + 8);
  EXPECT_EQ(Bytes(bytes.end() - 12, bytes.end()), (Bytes{2, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0}));
  EXPECT_EQ(DecodeVariant(bytes), m);

  Bytes mismatched = bytes;
  mismatched.back() = 4;  // 2 x 4 != 6 elements
  EXPECT_EQ(VariantError(mismatched), DecodeError::BadEncoding);
}

TEST(UaVariant, InconsistentValuesAreNotEncoded) {
  Variant twoScalars = Variant::Array(std::vector<int32_t>{1, 2});
  twoScalars.isArray = false;
  Variant scalarVariant;
  scalarVariant.values = std::vector<Variant>{Variant()};
  Variant badDims = Variant::Array(std::vector<int32_t>{1, 2});
  badDims.dimensions = std::vector<int32_t>{3};
  for (const Variant& v : {twoScalars, scalarVariant, badDims}) {
    Bytes out;
    Encoder e(out);
    e.WriteVariant(v);
    EXPECT_FALSE(e.ok());
  }
}

TEST(UaVariant, RefusesImpossibleMasks) {
  EXPECT_EQ(VariantError({0x1A}), DecodeError::BadEncoding);              // type id 26 does not exist
  EXPECT_EQ(VariantError({0x80}), DecodeError::BadEncoding);              // array of Null
  EXPECT_EQ(VariantError({0x18, 0x00}), DecodeError::BadEncoding);        // scalar Variant in a Variant
  EXPECT_EQ(VariantError({0x46, 0, 0, 0, 0}), DecodeError::BadEncoding);  // dimensions on a scalar
  EXPECT_EQ(VariantError({0xC6, 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0, 0, 0, 0, 0, 0, 0}), DecodeError::BadEncoding);
}

TEST(UaDataValue, EveryMaskCombinationRoundTrips) {
  for (unsigned mask = 0; mask < 64; ++mask) {
    DataValue dv;
    if (mask & 0x01) dv.value = Variant::Scalar(String("on"));
    if (mask & 0x02) dv.status = StatusCode{0x40000000};
    if (mask & 0x04) dv.sourceTimestamp = DateTime{1};
    if (mask & 0x08) dv.serverTimestamp = DateTime{2};
    if (mask & 0x10) dv.sourcePicoseconds = 9999;
    if (mask & 0x20) dv.serverPicoseconds = 1;
    const Bytes bytes = Encode([&](Encoder& e) { e.WriteDataValue(dv); });
    EXPECT_EQ(bytes[0], mask);
    EXPECT_EQ(DecodeAll<DataValue>(bytes, [](Decoder& d, DataValue& out) { return d.ReadDataValue(out); }), dv);
  }
}

TEST(UaDataValue, SourcePicosecondsComeBeforeServerTimestamp) {
  DataValue dv;
  dv.sourceTimestamp = DateTime{0x11};
  dv.sourcePicoseconds = 0x22;
  dv.serverTimestamp = DateTime{0x33};
  const Bytes bytes = Encode([&](Encoder& e) { e.WriteDataValue(dv); });
  EXPECT_EQ(bytes, (Bytes{0x1C, 0x11, 0, 0, 0, 0, 0, 0, 0, 0x22, 0x00, 0x33, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(ua_test::ErrorAfterDecode<DataValue>({0x40}, [](Decoder& d, DataValue& v) { return d.ReadDataValue(v); }),
            DecodeError::BadEncoding);
}

TEST(UaExtensionObject, BodyIsLengthPrefixedOrAbsent) {
  EXPECT_EQ(Encode([](Encoder& e) { e.WriteExtensionObject(ExtensionObject{}); }), (Bytes{0x00, 0x00, 0x00}));
  const Bytes bytes = Encode([](Encoder& e) { e.WriteExtensionObject(SampleExtensionObject()); });
  // 887 = 0x0377 in the four-byte form, Binary body of three bytes.
  EXPECT_EQ(bytes, (Bytes{0x01, 0x00, 0x77, 0x03, 0x01, 0x03, 0x00, 0x00, 0x00, 1, 2, 3}));
  auto read = [](Decoder& d, ExtensionObject& x) { return d.ReadExtensionObject(x); };
  EXPECT_EQ(DecodeAll<ExtensionObject>(bytes, read), SampleExtensionObject());
  EXPECT_EQ(ua_test::ErrorAfterDecode<ExtensionObject>({0x00, 0x01, 0x03}, read), DecodeError::BadEncoding);
}

TEST(UaDiagnosticInfo, EveryFieldIsSkippedAndKeptVerbatim) {
  const Bytes full = {0x7F,                                      // all seven fields
                      1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0,  // four string-table indexes
                      2, 0, 0, 0, 'h', 'i',                      // AdditionalInfo
                      0x00, 0x00, 0x35, 0x80,                    // InnerStatusCode
                      0x20, 0x00, 0x00, 0x01, 0x80};             // inner: only an InnerStatusCode
  Bytes withTrailer = full;
  withTrailer.push_back(0xAB);
  Decoder skip(withTrailer);
  ASSERT_TRUE(skip.SkipDiagnosticInfo());
  EXPECT_EQ(skip.remaining(), 1u);

  const DiagnosticInfo kept =
      DecodeAll<DiagnosticInfo>(full, [](Decoder& d, DiagnosticInfo& v) { return d.ReadDiagnosticInfo(v); });
  EXPECT_EQ(kept.encoded, full);
  EXPECT_EQ(Encode([&](Encoder& e) { e.WriteDiagnosticInfo(kept); }), full);
  EXPECT_EQ(ua_test::ErrorAfterDecode<DiagnosticInfo>({0x80}, [](Decoder& d, DiagnosticInfo& v) {
              return d.ReadDiagnosticInfo(v);
            }),
            DecodeError::BadEncoding);
}
