// Round trips and exact bytes for the fixed-size types, strings and the small structures.
#include <cmath>
#include <cstring>
#include <limits>

#include <gtest/gtest.h>

#include "tests/native/uaclient/CodecTestUtil.h"

using namespace ua;
using ua_test::Bytes;
using ua_test::DecodeAll;
using ua_test::Encode;

namespace {

template <typename T>
void ExpectIntegerRoundTrip(void (Encoder::*write)(T), bool (Decoder::*read)(T&)) {
  for (T v : {std::numeric_limits<T>::min(), static_cast<T>(-1), T{0}, T{1}, std::numeric_limits<T>::max()}) {
    const Bytes bytes = Encode([&](Encoder& e) { (e.*write)(v); });
    ASSERT_EQ(bytes.size(), sizeof(T));
    EXPECT_EQ(DecodeAll<T>(bytes, [&](Decoder& d, T& out) { return (d.*read)(out); }), v);
  }
}

}  // namespace

TEST(UaIntegers, EdgeValuesRoundTrip) {
  ExpectIntegerRoundTrip<int8_t>(&Encoder::WriteSByte, &Decoder::ReadSByte);
  ExpectIntegerRoundTrip<uint8_t>(&Encoder::WriteByte, &Decoder::ReadByte);
  ExpectIntegerRoundTrip<int16_t>(&Encoder::WriteInt16, &Decoder::ReadInt16);
  ExpectIntegerRoundTrip<uint16_t>(&Encoder::WriteUInt16, &Decoder::ReadUInt16);
  ExpectIntegerRoundTrip<int32_t>(&Encoder::WriteInt32, &Decoder::ReadInt32);
  ExpectIntegerRoundTrip<uint32_t>(&Encoder::WriteUInt32, &Decoder::ReadUInt32);
  ExpectIntegerRoundTrip<int64_t>(&Encoder::WriteInt64, &Decoder::ReadInt64);
  ExpectIntegerRoundTrip<uint64_t>(&Encoder::WriteUInt64, &Decoder::ReadUInt64);
}

TEST(UaIntegers, AreLittleEndianTwosComplement) {
  EXPECT_EQ(Encode([](Encoder& e) { e.WriteUInt16(0x1234); }), (Bytes{0x34, 0x12}));
  EXPECT_EQ(Encode([](Encoder& e) { e.WriteInt32(-2); }), (Bytes{0xFE, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(Encode([](Encoder& e) { e.WriteInt64(std::numeric_limits<int64_t>::min()); }),
            (Bytes{0, 0, 0, 0, 0, 0, 0, 0x80}));
  EXPECT_EQ(Encode([](Encoder& e) { e.WriteUInt32(0xDEADBEEF); }), (Bytes{0xEF, 0xBE, 0xAD, 0xDE}));
}

TEST(UaBoolean, WritesOneAndReadsAnyNonZeroAsTrue) {
  EXPECT_EQ(Encode([](Encoder& e) { e.WriteBoolean(true); e.WriteBoolean(false); }), (Bytes{1, 0}));
  EXPECT_TRUE(DecodeAll<bool>(Bytes{0x7F}, [](Decoder& d, bool& b) { return d.ReadBoolean(b); }));
  EXPECT_FALSE(DecodeAll<bool>(Bytes{0x00}, [](Decoder& d, bool& b) { return d.ReadBoolean(b); }));
}

TEST(UaFloatingPoint, KnownBitPatterns) {
  EXPECT_EQ(Encode([](Encoder& e) { e.WriteFloat(1.0f); }), (Bytes{0x00, 0x00, 0x80, 0x3F}));
  EXPECT_EQ(Encode([](Encoder& e) { e.WriteDouble(-2.0); }), (Bytes{0, 0, 0, 0, 0, 0, 0x00, 0xC0}));
  EXPECT_EQ(Encode([](Encoder& e) { e.WriteFloat(-0.0f); }), (Bytes{0x00, 0x00, 0x00, 0x80}));
}

TEST(UaFloatingPoint, SpecialValuesSurviveBitForBit) {
  const double doubles[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                            -std::numeric_limits<double>::infinity(), std::numeric_limits<double>::denorm_min(),
                            std::numeric_limits<double>::max(), -0.0};
  for (double v : doubles) {
    const double back = DecodeAll<double>(Encode([&](Encoder& e) { e.WriteDouble(v); }),
                                          [](Decoder& d, double& out) { return d.ReadDouble(out); });
    EXPECT_EQ(std::memcmp(&back, &v, sizeof v), 0) << v;
  }
  const float nan = DecodeAll<float>(Encode([](Encoder& e) { e.WriteFloat(std::nanf("")); }),
                                     [](Decoder& d, float& out) { return d.ReadFloat(out); });
  EXPECT_TRUE(std::isnan(nan));
}

TEST(UaString, NullEmptyAndUtf8AreDistinct) {
  EXPECT_EQ(Encode([](Encoder& e) { e.WriteString(std::nullopt); }), (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(Encode([](Encoder& e) { e.WriteString(std::string()); }), (Bytes{0, 0, 0, 0}));
  // "水Boy": one three-byte UTF-8 character then ASCII, so the length counts bytes, not characters.
  const Bytes water = {0x06, 0x00, 0x00, 0x00, 0xE6, 0xB0, 0xB4, 0x42, 0x6F, 0x79};
  EXPECT_EQ(Encode([](Encoder& e) { e.WriteString(std::string("\xE6\xB0\xB4" "Boy")); }), water);

  auto read = [](Decoder& d, String& s) { return d.ReadString(s); };
  EXPECT_EQ(DecodeAll<String>(water, read), String("\xE6\xB0\xB4" "Boy"));
  EXPECT_EQ(DecodeAll<String>(Bytes{0xFF, 0xFF, 0xFF, 0xFF}, read), std::nullopt);
  EXPECT_EQ(DecodeAll<String>(Bytes{0, 0, 0, 0}, read), String(""));
  const std::string withNul("a\0b", 3);
  EXPECT_EQ(DecodeAll<String>(Encode([&](Encoder& e) { e.WriteString(withNul); }), read), String(withNul));
}

TEST(UaByteString, NullEmptyAndContentRoundTrip) {
  auto read = [](Decoder& d, ByteString& b) { return d.ReadByteString(b); };
  for (const ByteString& v : {ByteString(), ByteString(std::vector<uint8_t>{}), ByteString({0, 0xFF, 7})}) {
    EXPECT_EQ(DecodeAll<ByteString>(Encode([&](Encoder& e) { e.WriteByteString(v); }), read), v);
  }
  const XmlElement xml{ByteString({'<', 'a', '/', '>'})};
  EXPECT_EQ(DecodeAll<XmlElement>(Encode([&](Encoder& e) { e.WriteXmlElement(xml); }),
                                  [](Decoder& d, XmlElement& x) { return d.ReadXmlElement(x); }),
            xml);
}

TEST(UaGuid, FirstThreeFieldsAreLittleEndianLastEightAreBytes) {
  // 72962B91-FA75-4AE6-8D28-B404DC7DAF63
  const Guid g{0x72962B91, 0xFA75, 0x4AE6, {0x8D, 0x28, 0xB4, 0x04, 0xDC, 0x7D, 0xAF, 0x63}};
  const Bytes expected = {0x91, 0x2B, 0x96, 0x72, 0x75, 0xFA, 0xE6, 0x4A,
                          0x8D, 0x28, 0xB4, 0x04, 0xDC, 0x7D, 0xAF, 0x63};
  EXPECT_EQ(Encode([&](Encoder& e) { e.WriteGuid(g); }), expected);
  EXPECT_EQ(DecodeAll<Guid>(expected, [](Decoder& d, Guid& out) { return d.ReadGuid(out); }), g);
}

TEST(UaQualifiedName, NamespaceThenName) {
  const QualifiedName q{2, std::string("Severity")};
  const Bytes bytes = Encode([&](Encoder& e) { e.WriteQualifiedName(q); });
  EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 6), (Bytes{0x02, 0x00, 0x08, 0x00, 0x00, 0x00}));
  auto read = [](Decoder& d, QualifiedName& out) { return d.ReadQualifiedName(out); };
  EXPECT_EQ(DecodeAll<QualifiedName>(bytes, read), q);
  const QualifiedName nullName{0xFFFF, std::nullopt};
  EXPECT_EQ(DecodeAll<QualifiedName>(Encode([&](Encoder& e) { e.WriteQualifiedName(nullName); }), read), nullName);
}

TEST(UaLocalizedText, EachMaskCombination) {
  struct Case {
    LocalizedText text;
    uint8_t mask;
    size_t size;
  };
  const Case cases[] = {{{std::nullopt, std::nullopt}, 0x00, 1},
                        {{std::string("en"), std::nullopt}, 0x01, 7},
                        {{std::nullopt, std::string("Hi")}, 0x02, 7},
                        {{std::string("de"), std::string("")}, 0x03, 11}};
  for (const Case& c : cases) {
    const Bytes bytes = Encode([&](Encoder& e) { e.WriteLocalizedText(c.text); });
    ASSERT_EQ(bytes.size(), c.size);
    EXPECT_EQ(bytes[0], c.mask);
    EXPECT_EQ(DecodeAll<LocalizedText>(bytes, [](Decoder& d, LocalizedText& t) { return d.ReadLocalizedText(t); }),
              c.text);
  }
}

TEST(UaArrays, NullEmptyAndFilledAreDistinct) {
  auto writeInt = [](Encoder& e) { return [&e](int32_t v) { e.WriteInt32(v); }; };
  EXPECT_EQ(Encode([](Encoder& e) { e.WriteNullArray(); }), (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
  const Bytes three = Encode([&](Encoder& e) { e.WriteArray(std::vector<int32_t>{1, -1, 7}, writeInt(e)); });
  EXPECT_EQ(three.size(), 16u);

  for (const Bytes& bytes : {Bytes{0xFF, 0xFF, 0xFF, 0xFF}, Bytes{0, 0, 0, 0}, three}) {
    Decoder d(bytes);
    std::vector<int32_t> items{99};
    bool isNull = false;
    ASSERT_TRUE(d.ReadArray(items, 4, [&d](int32_t& v) { return d.ReadInt32(v); }, &isNull));
    EXPECT_EQ(isNull, bytes[0] == 0xFF);
    EXPECT_EQ(items.size(), bytes.size() == 16 ? 3u : 0u);
    EXPECT_TRUE(d.AtEnd());
  }
}
