// The store's sort keys: the units they hold, their comparison, their common
// prefix and first heads, for keys written whole and written in part (the
// rest is written when a comparison reaches it).
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "model/SortKeys.h"
#include "tests/native/model/SortTestRows.h"

namespace {

using velmaric_model::SortKeys;
using namespace sort_test;

const uint8_t kNumeric[kFieldCount] = {1, 0, 0, 0, 0, 1};

reference::Sorter SorterFor(std::vector<reference::Row>& rows, const FieldOrder& order) {
  return reference::Sorter{rows, order, {true, false, false, false, false, true}};
}

TEST(SortKeys, CompareIsWcscmpOfTheReferenceKeysHowEverMuchIsWritten) {
  std::mt19937 rng(31);
  for (int round = 0; round < 40; ++round) {
    std::vector<reference::Row> rows = round % 2 ? TieRows(60, rng, round % 4 == 1) : PlantRows(60, rng);
    const FieldOrder order = RandomOrder(rng);
    const reference::Sorter sorter = SorterFor(rows, order);
    const std::vector<const String*> cells = Cells(rows);
    const int32_t field = static_cast<int32_t>(rng() % 6);
    const int32_t n = static_cast<int32_t>(rows.size());
    std::vector<String> expectedKeys;
    for (int32_t k = 0; k < n; ++k) expectedKeys.push_back(ReferenceKey(sorter, field, k));
    // -1 writes keys whole; a field writes them up to it.
    for (int32_t stopAfter = -1; stopAfter < kFieldCount; ++stopAfter) {
      SCOPED_TRACE(testing::Message() << "round " << round << " field " << field << " stop after " << stopAfter);
      SortKeys keys(cells, field, order, kNumeric, stopAfter);
      ASSERT_EQ(keys.Count(), n);
      // Comparisons first, while keys are still written in part.
      for (int32_t a = 0; a < n; ++a) {
        for (int32_t b = 0; b < n; ++b) {
          const int expected = Sign(reference::Sorter::Compare(expectedKeys[a], expectedKeys[b]));
          ASSERT_EQ(keys.Compare(a, b), expected) << "keys " << a << " and " << b;
        }
      }
      for (int32_t k = 0; k < n; ++k) ASSERT_EQ(keys.Text(k), expectedKeys[k]) << "key " << k;
    }
  }
}

TEST(SortKeys, CommonPrefixIsTheLongestStartOfAllKeys) {
  std::vector<reference::Row> rows = {
      {u"1", u"", u"Plant1.Area3.Pump12", u"", u"", u"5"},
      {u"2", u"", u"Plant1.Area0.Tank1", u"", u"", u"5"},
      {u"3", u"", u"Plant1.Area3.Pump12", u"", u"", u"5"},
  };
  const FieldOrder order = {0, 1, 2, 3, 4, 5};
  {
    SortKeys keys(Cells(rows), kFieldSource, order, kNumeric, kFieldRank);
    EXPECT_EQ(keys.CommonPrefix(), 11u);  // "Plant1.Area"
  }
  {
    // The same source twice: the prefix goes on into the rank's hex digits.
    std::vector<reference::Row> two(rows.begin(), rows.begin() + 1);
    two.push_back(rows[2]);
    SortKeys keys(Cells(two), kFieldSource, order, kNumeric, kFieldRank);
    EXPECT_EQ(keys.CommonPrefix(), 19u + 7u);  // the source, then "0000000" of ranks 1 and 3
  }
  // A key that is the start of the others bounds the prefix; an empty key
  // leaves none.
  rows.push_back({u"", u"", u"Plant1", u"", u"", u""});
  {
    SortKeys keys(Cells(rows), kFieldSource, order, kNumeric, kFieldRank);
    EXPECT_EQ(keys.CommonPrefix(), 6u);
  }
  rows.push_back({u"", u"", String(u"\0Plant", 6), u"x", u"", u""});
  SortKeys keys(Cells(rows), kFieldSource, order, kNumeric, kFieldRank);
  EXPECT_EQ(keys.CommonPrefix(), 0u);
  EXPECT_EQ(keys.Text(4), u"");
}

TEST(SortKeys, WrittenPartAndEndsAreReportedHonestly) {
  const std::vector<reference::Row> rows = {{u"7", u"", u"abc", u"message", u"", u""},
                                            {u"8", u"", String(u"ab\0c", 4), u"message", u"", u""}};
  const FieldOrder order = {0, 1, 2, 3, 4, 5};
  SortKeys keys(Cells(rows), kFieldSource, order, kNumeric, kFieldRank);
  // Key 0 is written as "abc" + rank; its message is still to come, so it
  // is not known to end anywhere, and a head past the written part is not
  // there yet.
  EXPECT_FALSE(keys.EndsBefore(0, 12));
  EXPECT_TRUE(keys.HasHead(0, 3));
  EXPECT_FALSE(keys.HasHead(0, 4));
  // Key 1 ends at the NUL: whole, two units long.
  EXPECT_TRUE(keys.EndsBefore(1, 3));
  EXPECT_FALSE(keys.EndsBefore(1, 2));
  EXPECT_TRUE(keys.HasHead(1, 2));
  EXPECT_EQ(keys.Text(1), u"ab");
  // Reading the head writes the rest.
  keys.Head(0, 4);
  EXPECT_TRUE(keys.HasHead(0, 10));
  EXPECT_TRUE(keys.EndsBefore(0, 19));
  EXPECT_FALSE(keys.EndsBefore(0, 18));
  EXPECT_EQ(keys.Text(0), u"abc00000007message");
}

TEST(SortKeys, FirstHeadsStayWithinTheWrittenParts) {
  // Keys written up to Rank must not be written whole for their first head,
  // even when the common prefix leaves less than a head of written units.
  std::vector<reference::Row> rows;
  for (int n = 1; n <= 300; ++n) rows.push_back({Ascii(std::to_string(n)), u"ts", u"src", u"msg", u"cat", u"500"});
  const FieldOrder order = {0, 1, 2, 3, 4, 5};
  {
    // By Rank: eight written units, "00000" shared.
    SortKeys keys(Cells(rows), kFieldRank, order, kNumeric, kFieldRank);
    EXPECT_EQ(keys.CommonPrefix(), 5u);
    EXPECT_EQ(keys.FirstHeadOffset(), 0u);
    for (int32_t k = 0; k < 300; ++k) ASSERT_FALSE(keys.HasHead(k, 1)) << "key " << k << " was written whole";
  }
  {
    // By Severity, all equal: sixteen written units, thirteen shared.
    SortKeys keys(Cells(rows), kFieldSeverity, order, kNumeric, kFieldRank);
    EXPECT_EQ(keys.CommonPrefix(), 13u);
    EXPECT_EQ(keys.FirstHeadOffset(), 8u);
    for (int32_t k = 0; k < 300; ++k) ASSERT_FALSE(keys.HasHead(k, 9)) << "key " << k << " was written whole";
  }
  // A key whose written part is shorter than a head (a rank that is no
  // number) starts the heads at 0.
  rows[7][kFieldRank] = u"x";
  SortKeys keys(Cells(rows), kFieldRank, order, kNumeric, kFieldRank);
  EXPECT_EQ(keys.FirstHeadOffset(), 0u);
}

}  // namespace
