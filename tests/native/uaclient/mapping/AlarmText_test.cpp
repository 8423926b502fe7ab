// UA strings as the control's text, and NodeId text forms.
#include <gtest/gtest.h>

#include "uaclient/AlarmText.h"

using namespace ua;

namespace {

TEST(AlarmUtf8, NullStringIsEmpty) {
  EXPECT_EQ(ToAeString(std::nullopt), u"");
  EXPECT_EQ(ToAeString(std::string("x")), u"x");
}

TEST(AlarmNodeIdText, EveryIdType) {
  EXPECT_EQ(NodeIdToText(NodeId::Numeric(0, 2041)), "i=2041");
  EXPECT_EQ(NodeIdToText(NodeId::Numeric(2, 5001)), "ns=2;i=5001");
  EXPECT_EQ(NodeIdToText(NodeId::Text(2, "MyType")), "ns=2;s=MyType");
  EXPECT_EQ(NodeIdToText(NodeId::Text(0, "T")), "s=T");
  Guid g;
  g.data1 = 0x09087E75;
  g.data2 = 0x8E5E;
  g.data3 = 0x499B;
  g.data4 = {0x95, 0x4F, 0xF2, 0xA9, 0x60, 0x3D, 0xB2, 0x8A};
  EXPECT_EQ(NodeIdToText(NodeId::FromGuid(1, g)), "ns=1;g=09087e75-8e5e-499b-954f-f2a9603db28a");
  EXPECT_EQ(NodeIdToText(NodeId::Opaque(3, {'M', 'a', 'n'})), "ns=3;b=TWFu");
  EXPECT_EQ(NodeIdToText(NodeId::Opaque(3, {'M', 'a'})), "ns=3;b=TWE=");
  EXPECT_EQ(NodeIdToText(NodeId::Opaque(3, {'M'})), "ns=3;b=TQ==");
  EXPECT_EQ(NodeIdToText(NodeId::Opaque(3, {})), "ns=3;b=");
}

}  // namespace
