// The C-library-compatible readings behind ranks and sort keys.
#include <gtest/gtest.h>

#include "model/SortText.h"

namespace {

using namespace velmaric_model;

TEST(ParseDecimal, ReadsLikeWcstol) {
  EXPECT_EQ(ParseDecimal(u"10001"), 10001);
  EXPECT_EQ(ParseDecimal(u"  \t+42x"), 42);
  EXPECT_EQ(ParseDecimal(u"-17"), -17);
  EXPECT_EQ(ParseDecimal(u""), 0);
  EXPECT_EQ(ParseDecimal(u"*"), 0);
  EXPECT_EQ(ParseDecimal(u"- 5"), 0);
  EXPECT_EQ(ParseDecimal(u"x5"), 0);
  EXPECT_EQ(ParseDecimal(u"99999999999999999999"), INT32_MAX);
  EXPECT_EQ(ParseDecimal(u"-2147483648"), INT32_MIN);
  EXPECT_EQ(ParseDecimal(u"-99999999999"), INT32_MIN);
}

TEST(ReadUnsigned32, ReadsLikeScanfPercentU) {
  EXPECT_EQ(ReadUnsigned32(u"500"), 500u);
  EXPECT_EQ(ReadUnsigned32(u"\n 12abc"), 12u);
  EXPECT_EQ(ReadUnsigned32(u"+7"), 7u);
  EXPECT_EQ(ReadUnsigned32(u"-1"), 0xFFFFFFFFu);
  EXPECT_EQ(ReadUnsigned32(u"4294967296"), 0u);  // modulo 2^32
  EXPECT_EQ(ReadUnsigned32(u"4294967301"), 5u);
  EXPECT_FALSE(ReadUnsigned32(u"*"));
  EXPECT_FALSE(ReadUnsigned32(u""));
  EXPECT_FALSE(ReadUnsigned32(u"  "));
  EXPECT_FALSE(ReadUnsigned32(u"-"));
  EXPECT_FALSE(ReadUnsigned32(u"\u0661"));  // only ASCII digits count
}

TEST(SortTextOf, NumericFieldsBecomeEightHexDigits) {
  EXPECT_EQ(SortTextOf(u"500", true), u"000001f4");
  EXPECT_EQ(SortTextOf(u"12", true), u"0000000c");
  EXPECT_EQ(SortTextOf(u"4294967295", true), u"ffffffff");
  EXPECT_EQ(SortTextOf(u"*", true), u"*");
  EXPECT_EQ(SortTextOf(u"500", false), u"500");
  String key = u"x";
  AppendSortText(key, u"200", true);
  AppendSortText(key, u"Ab", false);
  EXPECT_EQ(key, u"x000000c8Ab");
}

TEST(CompareOrdinal, CodeUnitOrderLikeWcscmp) {
  EXPECT_EQ(CompareOrdinal(u"abc", u"abc"), 0);
  EXPECT_LT(CompareOrdinal(u"Z", u"a"), 0);
  EXPECT_LT(CompareOrdinal(u"*", u"0"), 0);
  EXPECT_LT(CompareOrdinal(u"ab", u"abc"), 0);
  EXPECT_GT(CompareOrdinal(u"abc", u"ab"), 0);
  EXPECT_LT(CompareOrdinal(u"", u"a"), 0);
  // Units, not code points: the surrogate pair of U+1F600 sorts before U+E000.
  EXPECT_LT(CompareOrdinal(u"\U0001F600", u"\uE000"), 0);
  EXPECT_GT(CompareOrdinal(u"\uFFFF", u"\u00FF"), 0);
  // The comparison ends at a NUL, as for C strings.
  EXPECT_EQ(CompareOrdinal(String(u"ab\0x", 4), String(u"ab\0y", 4)), 0);
  EXPECT_EQ(CompareOrdinal(String(u"ab\0x", 4), u"ab"), 0);
  EXPECT_LT(CompareOrdinal(String(u"a\0z", 3), u"ab"), 0);
}

}  // namespace
