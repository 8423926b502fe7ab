// NodeId and ExpandedNodeId: every form's exact bytes, shortest-form choice, and refusal of bad forms.
#include <gtest/gtest.h>

#include "tests/native/uaclient/CodecTestUtil.h"

using namespace ua;
using ua_test::Bytes;
using ua_test::DecodeAll;
using ua_test::Encode;

namespace {

const Guid kSampleGuid{0x72962B91, 0xFA75, 0x4AE6, {0x8D, 0x28, 0xB4, 0x04, 0xDC, 0x7D, 0xAF, 0x63}};

Bytes EncodeNodeId(const NodeId& id) {
  return Encode([&](Encoder& e) { e.WriteNodeId(id); });
}

NodeId DecodeNodeId(const Bytes& bytes) {
  return DecodeAll<NodeId>(bytes, [](Decoder& d, NodeId& n) { return d.ReadNodeId(n); });
}

DecodeError NodeIdError(const Bytes& bytes) {
  return ua_test::ErrorAfterDecode<NodeId>(bytes, [](Decoder& d, NodeId& n) { return d.ReadNodeId(n); });
}

}  // namespace

TEST(UaNodeId, EachFormHasItsKnownBytes) {
  struct Case {
    NodeId id;
    Bytes bytes;
  };
  const Case cases[] = {
      {NodeId::Numeric(0, 0x72), {0x00, 0x72}},
      {NodeId::Numeric(5, 1025), {0x01, 0x05, 0x01, 0x04}},
      {NodeId::Numeric(0, 256), {0x01, 0x00, 0x00, 0x01}},
      {NodeId::Numeric(0, 0x10000), {0x02, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00}},
      {NodeId::Numeric(256, 1), {0x02, 0x00, 0x01, 0x01, 0x00, 0x00, 0x00}},
      {NodeId::Text(1, "Hot\xE6\xB0\xB4"), {0x03, 0x01, 0x00, 0x06, 0x00, 0x00, 0x00, 'H', 'o', 't', 0xE6, 0xB0, 0xB4}},
      {NodeId::FromGuid(1, kSampleGuid), {0x04, 0x01, 0x00, 0x91, 0x2B, 0x96, 0x72, 0x75, 0xFA, 0xE6, 0x4A, 0x8D, 0x28,
                                          0xB4, 0x04, 0xDC, 0x7D, 0xAF, 0x63}},
      {NodeId::Opaque(2, {0x01, 0x02}), {0x05, 0x02, 0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0x02}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EncodeNodeId(c.id), c.bytes);
    EXPECT_EQ(DecodeNodeId(c.bytes), c.id);
  }
}

TEST(UaNodeId, ShortestFormBoundaries) {
  EXPECT_EQ(EncodeNodeId(NodeId::Numeric(0, 255)).size(), 2u);
  EXPECT_EQ(EncodeNodeId(NodeId::Numeric(1, 0)).size(), 4u);
  EXPECT_EQ(EncodeNodeId(NodeId::Numeric(255, 65535)).size(), 4u);
  EXPECT_EQ(EncodeNodeId(NodeId::Numeric(255, 65536)).size(), 7u);
  EXPECT_EQ(EncodeNodeId(NodeId::Numeric(65535, 0xFFFFFFFF)).size(), 7u);
  EXPECT_EQ(DecodeNodeId(EncodeNodeId(NodeId::Numeric(65535, 0xFFFFFFFF))), NodeId::Numeric(65535, 0xFFFFFFFF));
}

TEST(UaNodeId, LongerFormsThanNeededAreStillAccepted) {
  EXPECT_EQ(DecodeNodeId({0x02, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00}), NodeId::Numeric(0, 5));
  EXPECT_EQ(DecodeNodeId({0x01, 0x00, 0x05, 0x00}), NodeId::Numeric(0, 5));
}

TEST(UaNodeId, NullStringIdentifierReadsAsEmpty) {
  EXPECT_EQ(DecodeNodeId({0x03, 0x04, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}), NodeId::Text(4, ""));
  EXPECT_EQ(DecodeNodeId({0x05, 0x04, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}), NodeId::Opaque(4, {}));
}

TEST(UaNodeId, UnknownFormsAndExpandedFlagsAreRefused) {
  EXPECT_EQ(NodeIdError({0x06, 0x00, 0x00}), DecodeError::BadEncoding);
  EXPECT_EQ(NodeIdError({0x3F, 0x00, 0x00}), DecodeError::BadEncoding);
  EXPECT_EQ(NodeIdError({0x80, 0x01}), DecodeError::BadEncoding);
  EXPECT_EQ(NodeIdError({0x40, 0x01}), DecodeError::BadEncoding);
}

TEST(UaExpandedNodeId, FlagsAddUriAndServerIndex) {
  ExpandedNodeId id;
  id.nodeId = NodeId::Numeric(0, 5);
  id.namespaceUri = "u";
  id.serverIndex = 3;
  const Bytes bytes = {0xC0, 0x05, 0x01, 0x00, 0x00, 0x00, 'u', 0x03, 0x00, 0x00, 0x00};
  EXPECT_EQ(Encode([&](Encoder& e) { e.WriteExpandedNodeId(id); }), bytes);

  auto read = [](Decoder& d, ExpandedNodeId& out) { return d.ReadExpandedNodeId(out); };
  EXPECT_EQ(DecodeAll<ExpandedNodeId>(bytes, read), id);

  ExpandedNodeId onlyServer;
  onlyServer.nodeId = NodeId::Text(3, "Tank");
  onlyServer.serverIndex = 1;
  const Bytes serverBytes = Encode([&](Encoder& e) { e.WriteExpandedNodeId(onlyServer); });
  EXPECT_EQ(serverBytes[0], 0x43);
  EXPECT_EQ(DecodeAll<ExpandedNodeId>(serverBytes, read), onlyServer);

  ExpandedNodeId plain;
  plain.nodeId = NodeId::FromGuid(9, kSampleGuid);
  EXPECT_EQ(Encode([&](Encoder& e) { e.WriteExpandedNodeId(plain); }), EncodeNodeId(plain.nodeId));
}

TEST(UaNodeIdOfType, WritesShortestNamespaceZeroId) {
  // 631 = 0x0277 needs the four-byte form.
  EXPECT_EQ(Encode([](Encoder& e) { e.WriteNodeIdOfType(631); }), (Bytes{0x01, 0x00, 0x77, 0x02}));
  uint32_t id = 0;
  const Bytes bytes = {0x01, 0x00, 0x77, 0x02};
  Decoder d(bytes);
  EXPECT_TRUE(d.ReadNodeIdOfType(id));
  EXPECT_EQ(id, 631u);
}

TEST(UaNodeIdOfType, RefusesOtherNamespacesAndNonNumericIds) {
  for (const NodeId& bad : {NodeId::Numeric(1, 631), NodeId::Text(0, "631")}) {
    const Bytes bytes = EncodeNodeId(bad);
    Decoder d(bytes);
    uint32_t id = 0;
    EXPECT_FALSE(d.ReadNodeIdOfType(id));
    EXPECT_EQ(d.error(), DecodeError::BadEncoding);
  }
}
