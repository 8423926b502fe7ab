// The sort for distinct keys: the order of sorted reference keys whenever no
// two keys are equal, and a refusal whenever two are.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <vector>

#include "model/ChunkSort.h"
#include "model/SortKeys.h"
#include "tests/native/model/SortTestRows.h"

namespace {

using velmaric_model::SortDistinctKeys;
using velmaric_model::SortKeys;
using namespace sort_test;

const uint8_t kNumeric[kFieldCount] = {1, 0, 0, 0, 0, 1};

struct Case {
  std::vector<reference::Row> rows;
  FieldOrder order;
  int32_t field;
  int32_t stopAfter;
};

// The keys sorted by the reference comparison; whether two are equal.
std::vector<int32_t> ReferenceOrder(Case& c, bool& equalKeys) {
  const reference::Sorter sorter{c.rows, c.order, {true, false, false, false, false, true}};
  std::vector<String> keys;
  for (size_t k = 0; k < c.rows.size(); ++k) keys.push_back(ReferenceKey(sorter, c.field, static_cast<int32_t>(k)));
  std::vector<int32_t> order(keys.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&keys](int32_t a, int32_t b) { return reference::Sorter::Compare(keys[a], keys[b]) < 0; });
  equalKeys = false;
  for (size_t k = 1; k < order.size(); ++k)
    equalKeys = equalKeys || reference::Sorter::Compare(keys[order[k - 1]], keys[order[k]]) == 0;
  return order;
}

void Check(Case& c, const std::string& what) {
  SCOPED_TRACE(what);
  bool equalKeys = false;
  const std::vector<int32_t> expected = ReferenceOrder(c, equalKeys);
  const std::vector<const String*> cells = Cells(c.rows);
  SortKeys keys(cells, c.field, c.order, kNumeric, c.stopAfter);
  std::vector<int32_t> got;
  const bool sorted = SortDistinctKeys(keys, got);
  ASSERT_EQ(sorted, !equalKeys);
  if (sorted) {
    ASSERT_EQ(got, expected);
  }
}

TEST(SortDistinctKeys, OrdersDistinctKeysAsTheReference) {
  // Unique ranks make every key distinct; sizes from one key to enough for
  // several levels of partitions; keys written whole and up to each field.
  std::mt19937 rng(11);
  for (int n : {1, 2, 3, 12, 13, 40, 300, 2500}) {
    for (int round = 0; round < 6; ++round) {
      Case c{round % 2 ? PlantRows(n, rng) : TieRows(n, rng, true), RandomOrder(rng),
             static_cast<int32_t>(rng() % 6), static_cast<int32_t>(rng() % 7) - 1};
      // Keys are only distinct while the rank comes before any NUL.
      if (round % 2 == 0) c.order = {0, 1, 2, 3, 4, 5}, c.field = kFieldRank;
      Check(c, "n " + std::to_string(n) + " round " + std::to_string(round));
    }
  }
}

TEST(SortDistinctKeys, OrdersKeysWithLongSharedStartsAndPrefixKeys) {
  // Sources that share many heads' worth of units, or are the start of one
  // another, so that the sort goes on through several heads and meets keys
  // that end exactly at the end of a head.
  std::mt19937 rng(3);
  const String start(37, u'S');
  for (int32_t stopAfter : {int32_t{-1}, int32_t{kFieldRank}, int32_t{kFieldSource}}) {
    std::vector<reference::Row> rows;
    for (int n = 1; n <= 600; ++n) {
      const String source = start.substr(0, rng() % 38) + (rng() % 2 ? u"x" : u"");
      rows.push_back({Ascii(std::to_string(n)), u"", source, Ascii(std::to_string(rng() % 7)), u"", u""});
    }
    Case c{rows, {2, 0, 1, 3, 4, 5}, kFieldSource, stopAfter};
    Check(c, "rank after source, stop after " + std::to_string(stopAfter));
    c.order = {2, 3, 1, 4, 5, 0};  // the rank last: every key is long
    Check(c, "rank last, stop after " + std::to_string(stopAfter));
  }
}

TEST(SortDistinctKeys, ComparesWhereHeadsWouldPassTheWrittenPart) {
  // Keys written up to Source, sources of nine to twelve units that share
  // their first nine: all first heads are equal, and the next head would lie
  // past the written part of the shortest keys, so the sort compares there.
  std::mt19937 rng(8);
  std::vector<reference::Row> rows;
  for (int n = 1; n <= 400; ++n) {
    String source = u"Kxxxxxxxx";
    for (unsigned extra = rng() % 4; extra > 0; --extra) source += rng() % 2 ? u'a' : u'b';
    rows.push_back({Ascii(std::to_string(n)), u"ts", source, u"msg", u"cat", u"7"});
  }
  Case c{rows, {0, 1, 2, 3, 4, 5}, kFieldSource, kFieldSource};
  Check(c, "distinct");
  // Two rows made equal in everything: the refusal must come from there.
  c.rows[399] = c.rows[123];
  Check(c, "one equal pair");
}

TEST(SortDistinctKeys, RefusesWheneverTwoKeysAreEqual) {
  // Small sets of cells (NULs, empty cells, repeated ranks) give equal keys
  // often but not always; the answer must be exact either way.
  std::mt19937 rng(19);
  int refused = 0, sorted = 0;
  for (int round = 0; round < 400; ++round) {
    const int n = 2 + static_cast<int>(rng() % (round % 4 == 0 ? 400 : 30));
    Case c{TieRows(n, rng, rng() % 2 == 0), RandomOrder(rng), static_cast<int32_t>(rng() % 6),
           static_cast<int32_t>(rng() % 7) - 1};
    Check(c, "round " + std::to_string(round));
    if (HasFatalFailure()) return;
    bool equalKeys = false;
    ReferenceOrder(c, equalKeys);
    (equalKeys ? refused : sorted)++;
  }
  // Both answers were put to the test.
  EXPECT_GT(refused, 50);
  EXPECT_GT(sorted, 50);
}

TEST(SortDistinctKeys, FindsOneEqualPairAmongManyDistinctKeys) {
  // One duplicated row among distinct plant rows, wherever it lands: in a
  // small part, in a partition's equal range, at either end.
  std::mt19937 rng(23);
  for (int round = 0; round < 30; ++round) {
    const int n = 20 + static_cast<int>(rng() % 3000);
    Case c{PlantRows(n, rng), RandomOrder(rng), static_cast<int32_t>(rng() % 6), kFieldRank};
    c.rows[rng() % n] = c.rows[rng() % n];
    Check(c, "round " + std::to_string(round));
  }
}

}  // namespace
