// UTF-8 to UTF-16 with the recommended replacement of malformed input.
#include <gtest/gtest.h>

#include "framework/Utf8.h"

namespace {

const char16_t kFffd = 0xFFFD;

TEST(Utf8, ValidTextOfEveryLength) {
  EXPECT_EQ(utf8::ToUtf16("Tank 1"), u"Tank 1");
  EXPECT_EQ(utf8::ToUtf16("\xC3\xA9t\xC3\xA9"), u"\u00E9t\u00E9");         // 2-byte
  EXPECT_EQ(utf8::ToUtf16("\xE2\x82\xAC"), u"\u20AC");                     // 3-byte
  EXPECT_EQ(utf8::ToUtf16("\xEF\xBF\xBF"), ::String(1, char16_t(0xFFFF)));  // top of the BMP
  EXPECT_EQ(utf8::ToUtf16(std::string_view("a\0b", 3)), ::String(u"a\0b", 3));
  EXPECT_EQ(utf8::ToUtf16(""), u"");
}

TEST(Utf8, NonBmpBecomesSurrogatePair) {
  ::String s = utf8::ToUtf16("\xF0\x9F\x94\xA5!");  // U+1F525
  ASSERT_EQ(s.size(), 3u);
  EXPECT_EQ(s[0], 0xD83D);
  EXPECT_EQ(s[1], 0xDD25);
  EXPECT_EQ(s[2], u'!');
  EXPECT_EQ(utf8::ToUtf16("\xF0\x90\x80\x80"), ::String({char16_t(0xD800), char16_t(0xDC00)}));  // U+10000
  EXPECT_EQ(utf8::ToUtf16("\xF4\x8F\xBF\xBF"), ::String({char16_t(0xDBFF), char16_t(0xDFFF)}));  // U+10FFFF
}

TEST(Utf8, InvalidBytesBecomeOneReplacementPerMaximalSubpart) {
  EXPECT_EQ(utf8::ToUtf16("a\x80z"), ::String({u'a', kFffd, u'z'}));              // stray continuation
  EXPECT_EQ(utf8::ToUtf16("\xC0\xAF"), ::String({kFffd, kFffd}));               // overlong lead
  EXPECT_EQ(utf8::ToUtf16("\xE0\x80\x80"), ::String({kFffd, kFffd, kFffd}));    // overlong 3-byte
  EXPECT_EQ(utf8::ToUtf16("\xED\xA0\x80"), ::String({kFffd, kFffd, kFffd}));    // encoded surrogate
  EXPECT_EQ(utf8::ToUtf16("\xF4\x90\x80\x80"), ::String(4, kFffd));              // above U+10FFFF
  EXPECT_EQ(utf8::ToUtf16("\xF5\xFF"), ::String({kFffd, kFffd}));
  EXPECT_EQ(utf8::ToUtf16("\xE2\x82"), ::String({kFffd}));                      // truncated at the end
  EXPECT_EQ(utf8::ToUtf16("\xE2\x82z"), ::String({kFffd, u'z'}));               // truncated mid-text
  // The byte that broke a sequence starts the next one.
  EXPECT_EQ(utf8::ToUtf16("\xE2\xC3\xA9"), ::String({kFffd, char16_t(0xE9)}));
  EXPECT_EQ(utf8::ToUtf16("\xF0\x9F\x94"), ::String({kFffd}));
}

}  // namespace
