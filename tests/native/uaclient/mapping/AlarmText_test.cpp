// UTF-8 to UTF-16 conversion with replacement, and NodeId text forms.
#include <gtest/gtest.h>

#include "uaclient/AlarmText.h"

using namespace ua;

namespace {

const char16_t kFffd = 0xFFFD;

TEST(AlarmUtf8, ValidTextOfEveryLength) {
  EXPECT_EQ(Utf8ToUtf16("Tank 1"), u"Tank 1");
  EXPECT_EQ(Utf8ToUtf16("\xC3\xA9t\xC3\xA9"), u"\u00E9t\u00E9");         // 2-byte
  EXPECT_EQ(Utf8ToUtf16("\xE2\x82\xAC"), u"\u20AC");                     // 3-byte
  EXPECT_EQ(Utf8ToUtf16("\xEF\xBF\xBF"), ::String(1, char16_t(0xFFFF)));  // top of the BMP
  EXPECT_EQ(Utf8ToUtf16(std::string_view("a\0b", 3)), ::String(u"a\0b", 3));
  EXPECT_EQ(Utf8ToUtf16(""), u"");
}

TEST(AlarmUtf8, NonBmpBecomesSurrogatePair) {
  ::String s = Utf8ToUtf16("\xF0\x9F\x94\xA5!");  // U+1F525
  ASSERT_EQ(s.size(), 3u);
  EXPECT_EQ(s[0], 0xD83D);
  EXPECT_EQ(s[1], 0xDD25);
  EXPECT_EQ(s[2], u'!');
  EXPECT_EQ(Utf8ToUtf16("\xF0\x90\x80\x80"), ::String({char16_t(0xD800), char16_t(0xDC00)}));  // U+10000
  EXPECT_EQ(Utf8ToUtf16("\xF4\x8F\xBF\xBF"), ::String({char16_t(0xDBFF), char16_t(0xDFFF)}));  // U+10FFFF
}

TEST(AlarmUtf8, InvalidBytesBecomeOneReplacementPerMaximalSubpart) {
  EXPECT_EQ(Utf8ToUtf16("a\x80z"), ::String({u'a', kFffd, u'z'}));              // stray continuation
  EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), ::String({kFffd, kFffd}));               // overlong lead
  EXPECT_EQ(Utf8ToUtf16("\xE0\x80\x80"), ::String({kFffd, kFffd, kFffd}));    // overlong 3-byte
  EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), ::String({kFffd, kFffd, kFffd}));    // encoded surrogate
  EXPECT_EQ(Utf8ToUtf16("\xF4\x90\x80\x80"), ::String(4, kFffd));              // above U+10FFFF
  EXPECT_EQ(Utf8ToUtf16("\xF5\xFF"), ::String({kFffd, kFffd}));
  EXPECT_EQ(Utf8ToUtf16("\xE2\x82"), ::String({kFffd}));                      // truncated at the end
  EXPECT_EQ(Utf8ToUtf16("\xE2\x82z"), ::String({kFffd, u'z'}));               // truncated mid-text
  // The byte that broke a sequence starts the next one.
  EXPECT_EQ(Utf8ToUtf16("\xE2\xC3\xA9"), ::String({kFffd, char16_t(0xE9)}));
  EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x94"), ::String({kFffd}));
}

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
