// Sorting of the store: numeric and ordinal keys, tie-breaking by display
// order, and the exact order of the original row-swapping quicksort.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "model/EventList.h"
#include "model/FieldOrder.h"
#include "tests/native/model/ReferenceQuickSort.h"
#include "tests/native/model/SortTestRows.h"

namespace {

String Ascii(const std::string& s) { return String(s.begin(), s.end()); }

std::vector<String> Column(const EventList& list, int32_t field) {
  std::vector<String> out;
  for (int32_t i = 0; i < list.GetRowCount(); ++i) out.push_back(list.GetCellText(field, i));
  return out;
}

void SortAll(EventList& list, int32_t field, int32_t direction) {
  list.QuickSort(0, list.GetRowCount() - 1, field, direction);
}

TEST(EventListSort, SeverityIsNumericAndStarComesFirst) {
  EventList list;
  for (const char16_t* severity : {u"1000", u"200", u"*", u"5", u" 30", u"abc"})
    list.AddEvent(u"", u"", u"", u"", severity, 1);
  SortAll(list, kFieldSeverity, 1);
  // "*" and "abc" keep their text; numbers become eight hex digits.
  EXPECT_EQ(Column(list, kFieldSeverity), (std::vector<String>{u"*", u"5", u" 30", u"200", u"1000", u"abc"}));
  SortAll(list, kFieldSeverity, -1);
  EXPECT_EQ(Column(list, kFieldSeverity), (std::vector<String>{u"abc", u"1000", u"200", u" 30", u"5", u"*"}));
}

TEST(EventListSort, RankIsNumeric) {
  EventList list;
  for (int n = 0; n < 120; ++n) list.AddEvent(u"", u"", u"", u"", u"", n % 2);
  SortAll(list, kFieldRank, 1);
  for (int32_t i = 0; i < list.GetRowCount(); ++i) ASSERT_EQ(list.GetCellText(kFieldRank, i), Ascii(std::to_string(i + 1)));
  SortAll(list, kFieldRank, -1);
  EXPECT_EQ(list.GetCellText(kFieldRank, 0), u"120");
  EXPECT_EQ(list.GetCellText(kFieldRank, 119), u"1");
}

TEST(EventListSort, TextIsOrdinalAndCaseSensitive) {
  EventList list;
  for (const char16_t* source : {u"alpha", u"Zeta", u"\u00e9t\u00e9", u"beta", u"Alpha", u"10", u"*"})
    list.AddEvent(u"", source, u"", u"", u"", 1);
  SortAll(list, kFieldSource, 1);
  EXPECT_EQ(Column(list, kFieldSource),
            (std::vector<String>{u"*", u"10", u"Alpha", u"Zeta", u"alpha", u"beta", u"\u00e9t\u00e9"}));
}

TEST(EventListSort, TiesFallToOtherFieldsInDisplayOrder) {
  EventList list;
  list.AddEvent(u"t2", u"same", u"m1", u"c", u"1", 1);  // rank 1
  list.AddEvent(u"t1", u"same", u"m2", u"c", u"1", 1);  // rank 2
  // Display order puts Message before Rank and Timestamp.
  const int32_t order[] = {3, 2, 0, 1, 4, 5};
  list.m_nFieldOrder = ColumnOrder(order);
  SortAll(list, kFieldSource, -1);
  EXPECT_EQ(Column(list, kFieldMessage), (std::vector<String>{u"m2", u"m1"}));
  // With the default order Rank breaks the tie first.
  list.m_nFieldOrder = ColumnOrder();
  SortAll(list, kFieldSource, -1);
  EXPECT_EQ(Column(list, kFieldRank), (std::vector<String>{u"2", u"1"}));
}

TEST(EventListSort, BadOrderBreaksTiesAsIdentity) {
  EventList list;
  list.AddEvent(u"b", u"same", u"", u"", u"", 1);  // rank 1
  list.AddEvent(u"a", u"same", u"", u"", u"", 1);  // rank 2
  // Read as 0..5, so Rank breaks the tie before Timestamp.
  const int32_t bad[] = {1, 1, 1, 1, 1, 1};
  list.m_nFieldOrder = ColumnOrder(bad);
  SortAll(list, kFieldSource, 1);
  EXPECT_EQ(Column(list, kFieldRank), (std::vector<String>{u"1", u"2"}));
}

TEST(EventListSort, PrefixComparesOnIntoTheNextField) {
  EventList list;
  // Keys "ab" + rank vs "abc" + rank: 'c' (0x63) sorts after '0' so "ab" wins
  // only because the next field's hex digits are compared against 'c'.
  list.AddEvent(u"", u"abc", u"", u"", u"", 1);
  list.AddEvent(u"", u"ab", u"", u"", u"", 1);
  SortAll(list, kFieldSource, 1);
  EXPECT_EQ(Column(list, kFieldSource), (std::vector<String>{u"ab", u"abc"}));
  // Message "~" after a short source outranks a longer source's letter.
  EventList tilde;
  const int32_t order[] = {2, 3, 0, 1, 4, 5};
  tilde.m_nFieldOrder = ColumnOrder(order);
  tilde.AddEvent(u"", u"ab", u"~", u"", u"", 1);
  tilde.AddEvent(u"", u"abc", u"", u"", u"", 1);
  SortAll(tilde, kFieldSource, 1);
  EXPECT_EQ(Column(tilde, kFieldSource), (std::vector<String>{u"abc", u"ab"}));
}

TEST(EventListSort, SingleRowAndEmptyListAreLeftAlone) {
  EventList list;
  SortAll(list, kFieldSource, 1);  // 0..-1
  EXPECT_EQ(list.GetRowCount(), 0);
  list.AddEvent(u"ts", u"src", u"msg", u"cat", u"9", 1);
  list.QuickSort(0, 0, kFieldSeverity, -1);
  EXPECT_EQ(list.GetCellText(kFieldSource, 0), u"src");
  EXPECT_EQ(list.GetCellText(kFieldRank, 0), u"1");
}

TEST(EventListSort, SubRangeLeavesOtherRowsInPlace) {
  EventList list;
  for (const char16_t* s : {u"e", u"d", u"c", u"b", u"a"}) list.AddEvent(u"", s, u"", u"", u"", 1);
  list.QuickSort(1, 3, kFieldSource, 1);
  EXPECT_EQ(Column(list, kFieldSource), (std::vector<String>{u"e", u"b", u"c", u"d", u"a"}));
}

TEST(EventListSort, RanksMoveWithRowsAndAddsStillGoToTheEdge) {
  EventList list;
  list.AddEvent(u"", u"b", u"", u"", u"", 1);
  list.AddEvent(u"", u"a", u"", u"", u"", 1);
  SortAll(list, kFieldSource, 1);
  list.AddEvent(u"", u"0", u"", u"", u"", 1);
  EXPECT_EQ(Column(list, kFieldRank), (std::vector<String>{u"2", u"1", u"3"}));
  EXPECT_EQ(Column(list, kFieldSource), (std::vector<String>{u"a", u"b", u"0"}));
}

// Random rows with many duplicates in every column, some numbers, some
// non-numbers, and some texts with an embedded NUL (the comparison stops
// there, so those keys tie completely and the tie arrangement is checked).
void AddRandomRows(EventList& list, int count, std::mt19937& rng) {
  const std::vector<String> sources = {u"Area1.Pump", u"Area1.pump", u"Area2.Valve", u"Area1", u"",
                                       String(u"Dup\0a", 5), String(u"Dup\0b", 5), u"\u00c4rea"};
  const std::vector<String> severities = {u"1", u"200", u"1000", u"*", u"500", u" 42", u"-1", u"x",
                                          u"4294967297", u"999"};
  auto pick = [&rng](const std::vector<String>& v) { return v[rng() % v.size()]; };
  for (int n = 0; n < count; ++n) {
    const String ts = Ascii("2024-01-0" + std::to_string(rng() % 3) + " 10:00:0" + std::to_string(rng() % 4));
    const String msg = (rng() % 4 == 0) ? String(u"Tie\0", 4) + Ascii(std::to_string(n)) : Ascii("m" + std::to_string(rng() % 5));
    list.AddEvent(ts, pick(sources), msg, pick({u"Level", u"Ack", u"Reset"}), pick(severities), rng() % 3 != 0);
  }
}

std::vector<reference::Row> Rows(const EventList& list) {
  std::vector<reference::Row> rows(static_cast<size_t>(list.GetRowCount()));
  for (int32_t i = 0; i < list.GetRowCount(); ++i)
    for (int f = 0; f < kFieldCount; ++f) rows[i][f] = list.GetCellText(f, i);
  return rows;
}

// Index of the first row that differs, or -1.
int FirstDifference(const std::vector<reference::Row>& a, const std::vector<reference::Row>& b) {
  if (a.size() != b.size()) return 0;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i]) return static_cast<int>(i);
  return -1;
}

bool IsPermutation(const int32_t (&order)[6]) {
  bool seen[6] = {};
  for (int32_t f : order) {
    if (f < 0 || f > 5 || seen[f]) return false;
    seen[f] = true;
  }
  return true;
}

TEST(EventListSort, MatchesReferenceQuickSortExactly) {
  std::mt19937 rng(12345);
  const int32_t orders[][6] = {{0, 1, 2, 3, 4, 5}, {3, 5, 2, 4, 1, 0}, {0, 0, 0, 0, 0, 0}};
  for (const auto& order : orders) {
    EventList list;
    list.m_nFieldOrder = ColumnOrder(order);
    AddRandomRows(list, 1200, rng);
    std::vector<reference::Row> rows = Rows(list);
    reference::Sorter ref{rows, {}, {}};
    // A bad order is read as 0..5.
    for (int p = 0; p < 6; ++p) ref.order[p] = IsPermutation(order) ? order[p] : p;
    for (int f = 0; f < 6; ++f) ref.numeric[f] = list.m_bNumericField[f] != 0;
    // Successive sorts start from the previous order, as in the control.
    for (int32_t field = 0; field < kFieldCount; ++field) {
      for (int32_t direction : {1, -1}) {
        SCOPED_TRACE(testing::Message() << "field " << field << " direction " << direction);
        ref.QuickSort(0, static_cast<int32_t>(ref.rows.size()) - 1, field, direction);
        SortAll(list, field, direction);
        ASSERT_EQ(FirstDifference(Rows(list), rows), -1);
      }
    }
    // A sub-range sort as well.
    ref.QuickSort(100, 900, kFieldSource, 1);
    list.QuickSort(100, 900, kFieldSource, 1);
    ASSERT_EQ(FirstDifference(Rows(list), rows), -1);
  }
}

// The list and the original quicksort side by side: the same rows, sorted by
// the same calls, with the list's display order.
struct SideBySide {
  EventList list;
  std::vector<reference::Row> rows;

  // Adds the rows' cells (all but Rank, which the list assigns) at random
  // sides.
  SideBySide(const std::vector<reference::Row>& cells, std::mt19937& rng) {
    for (const reference::Row& r : cells) list.AddEvent(r[1], r[2], r[3], r[4], r[5], rng() % 3 != 0);
    rows = Rows(list);
  }
  void SetOrder(const FieldOrder& order) { list.m_nFieldOrder = ColumnOrder(order); }
  // Sorts both; the index of the first row where they differ, or -1.
  int Sort(int32_t first, int32_t last, int32_t field, int32_t direction) {
    reference::Sorter ref{rows, list.m_nFieldOrder.Order(), {true, false, false, false, false, true}};
    ref.QuickSort(first, last, field, direction);
    list.QuickSort(first, last, field, direction);
    return FirstDifference(Rows(list), rows);
  }
  int32_t Last() const { return static_cast<int32_t>(rows.size()) - 1; }
};

// Display orders that put Rank first, in the middle and last (then every
// other field comes into a key before the rank does).
const FieldOrder kOrders[] = {{0, 1, 2, 3, 4, 5}, {2, 3, 0, 1, 5, 4}, {5, 4, 3, 2, 1, 0}, {1, 2, 3, 4, 5, 0}};

TEST(EventListSortMatchesReference, DistinctPlantRowsEveryFieldBothDirectionsAfterOrderChanges) {
  // No two keys equal: the fast path. Each sort starts from the order the
  // previous one left, and the display order changes between rounds.
  std::mt19937 rng(101);
  SideBySide both(sort_test::PlantRows(800, rng), rng);
  for (const FieldOrder& order : kOrders) {
    both.SetOrder(order);
    for (int32_t field = 0; field < kFieldCount; ++field) {
      for (int32_t direction : {1, -1}) {
        SCOPED_TRACE(testing::Message() << "order " << order[0] << order[1] << order[2] << order[3] << order[4]
                                        << order[5] << " field " << field << " direction " << direction);
        ASSERT_EQ(both.Sort(0, both.Last(), field, direction), -1);
      }
    }
  }
}

TEST(EventListSortMatchesReference, TiesFromNulsEmptyCellsAndNonNumbersInEveryDirection) {
  // Cells cut short by a NUL, empty cells, non-numbers and numbers spelled
  // several ways: with the rank late in the key many keys are equal, and the
  // arrangement of equal keys must be the original one. Direction 0 makes
  // every key equal.
  std::mt19937 rng(202);
  SideBySide both(sort_test::TieRows(400, rng, true), rng);
  for (const FieldOrder& order : kOrders) {
    both.SetOrder(order);
    for (int32_t field = 0; field < kFieldCount; ++field) {
      for (int32_t direction : {1, -1, 0}) {
        SCOPED_TRACE(testing::Message() << "order " << order[0] << order[1] << order[2] << order[3] << order[4]
                                        << order[5] << " field " << field << " direction " << direction);
        ASSERT_EQ(both.Sort(0, both.Last(), field, direction), -1);
      }
    }
  }
}

TEST(EventListSortMatchesReference, DirectionZeroOnDistinctRows) {
  // Distinct keys, but direction 0 compares them all as equal: the rows
  // end where the original quicksort's swaps put them.
  std::mt19937 rng(303);
  SideBySide both(sort_test::PlantRows(999, rng), rng);
  for (int32_t field : {kFieldSource, kFieldSeverity, kFieldRank}) {
    SCOPED_TRACE(testing::Message() << "field " << field);
    ASSERT_EQ(both.Sort(0, both.Last(), field, 0), -1);
  }
}

TEST(EventListSortMatchesReference, SubRangesLeaveTheRestAndMatchInside) {
  std::mt19937 rng(404);
  for (bool ties : {false, true}) {
    SideBySide both(ties ? sort_test::TieRows(900, rng, true) : sort_test::PlantRows(900, rng), rng);
    for (int round = 0; round < 40; ++round) {
      both.SetOrder(kOrders[rng() % 4]);
      const int32_t first = 1 + static_cast<int32_t>(rng() % 880);
      const int32_t last = first + 1 + static_cast<int32_t>(rng() % static_cast<uint32_t>(both.Last() - 1 - first));
      const int32_t field = static_cast<int32_t>(rng() % 6);
      const int32_t direction = static_cast<int32_t>(rng() % 3) - 1;
      SCOPED_TRACE(testing::Message() << (ties ? "ties" : "distinct") << " rows " << first << ".." << last
                                      << " field " << field << " direction " << direction);
      ASSERT_EQ(both.Sort(first, last, field, direction), -1);
    }
  }
}

}  // namespace
