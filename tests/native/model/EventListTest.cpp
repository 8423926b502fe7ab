// Rows, ranks, trimming, layout and hit testing of the event store.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "model/EventList.h"

namespace {

String Num(int n) {
  const std::string s = std::to_string(n);
  return String(s.begin(), s.end());
}

// Adds a row whose Timestamp, Source and Message name its arrival number.
void AddNumbered(EventList& list, int n, bool atBottom) {
  list.AddEvent(u"T" + Num(n), u"S" + Num(n), u"M" + Num(n), u"Cat", Num(n % 1000), atBottom);
}

void Fill(EventList& list, int count, bool atBottom) {
  for (int n = 1; n <= count; ++n) AddNumbered(list, n, atBottom);
}

TEST(FieldLabels, NameEveryFieldInIndexOrder) {
  const String expected[] = {u"Rank", u"Timestamp", u"Source", u"Message", u"Category", u"Severity"};
  for (int f = 0; f < kFieldCount; ++f) EXPECT_EQ(String(kFieldLabels[f]), expected[f]);
}

TEST(EventList, StartsEmptyWithInitialLayout) {
  EventList list;
  EXPECT_EQ(list.GetRowCount(), 0);
  const int32_t widths[] = {8, 40, 40, 48, 32, 12};
  const uint8_t numeric[] = {1, 0, 0, 0, 0, 1};
  for (int f = 0; f < kFieldCount; ++f) {
    EXPECT_EQ(list.m_nFieldOrder[f], f);
    EXPECT_EQ(list.m_nFieldWidth[f], widths[f]);
    EXPECT_EQ(list.m_bNumericField[f], numeric[f]);
    EXPECT_EQ(list.m_rcField[f], Rect{});
  }
  EXPECT_EQ(list.m_nTotalWidth, 0);
}

TEST(EventList, FirstRowGetsRankOneAtIndexZeroOnEitherSide) {
  for (Bool32 atBottom : {0, 1}) {
    EventList list;
    EXPECT_EQ(list.AddEvent(u"ts", u"src", u"msg", u"cat", u"500", atBottom), 0);
    ASSERT_EQ(list.GetRowCount(), 1);
    const String row[] = {u"1", u"ts", u"src", u"msg", u"cat", u"500"};
    for (int f = 0; f < kFieldCount; ++f) EXPECT_EQ(list.GetCellText(f, 0), row[f]);
  }
}

TEST(EventList, RanksCountArrivalOnBothInsertionSides) {
  EventList top;
  EXPECT_EQ(top.AddEvent(u"a", u"", u"", u"", u"", 0), 0);
  EXPECT_EQ(top.AddEvent(u"b", u"", u"", u"", u"", 0), 0);
  EXPECT_EQ(top.AddEvent(u"c", u"", u"", u"", u"", 0), 0);
  EventList bottom;
  EXPECT_EQ(bottom.AddEvent(u"a", u"", u"", u"", u"", 1), 0);
  EXPECT_EQ(bottom.AddEvent(u"b", u"", u"", u"", u"", -7), 1);  // any nonzero is true
  EXPECT_EQ(bottom.AddEvent(u"c", u"", u"", u"", u"", 1), 2);
  const String topRanks[] = {u"3", u"2", u"1"}, topTimes[] = {u"c", u"b", u"a"};
  const String bottomRanks[] = {u"1", u"2", u"3"}, bottomTimes[] = {u"a", u"b", u"c"};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(top.GetCellText(kFieldRank, i), topRanks[i]);
    EXPECT_EQ(top.GetCellText(kFieldTimestamp, i), topTimes[i]);
    EXPECT_EQ(bottom.GetCellText(kFieldRank, i), bottomRanks[i]);
    EXPECT_EQ(bottom.GetCellText(kFieldTimestamp, i), bottomTimes[i]);
  }
}

TEST(EventList, MixedSidesKeepArrivalRanks) {
  EventList list;
  list.AddEvent(u"a", u"", u"", u"", u"", 1);
  list.AddEvent(u"b", u"", u"", u"", u"", 0);
  list.AddEvent(u"c", u"", u"", u"", u"", 1);
  EXPECT_EQ(list.GetCellText(kFieldRank, 0), u"2");
  EXPECT_EQ(list.GetCellText(kFieldRank, 1), u"1");
  EXPECT_EQ(list.GetCellText(kFieldRank, 2), u"3");
}

TEST(EventListTrim, BelowCapacityNothingIsTrimmed) {
  EventList list;
  Fill(list, EventList::kCapacity - 1, true);
  AddNumbered(list, EventList::kCapacity, true);
  ASSERT_EQ(list.GetRowCount(), 20000);
  EXPECT_EQ(list.GetCellText(kFieldRank, 0), u"1");
  EXPECT_EQ(list.GetCellText(kFieldSource, 0), u"S1");
  EXPECT_EQ(list.GetCellText(kFieldRank, 19999), u"20000");
}

TEST(EventListTrim, FullListIsHalvedWithMarkerRow) {
  for (bool atBottom : {true, false}) {
    SCOPED_TRACE(atBottom ? "bottom" : "top");
    EventList list;
    Fill(list, EventList::kCapacity, atBottom);
    const int32_t index = list.AddEvent(u"Tnew", u"Snew", u"Mnew", u"Cnew", u"7", atBottom);
    ASSERT_EQ(list.GetRowCount(), 10001);
    EXPECT_EQ(index, atBottom ? 10000 : 0);
    // The survivors are former ranks 10001..20000 in their old order, renamed
    // 1..10000; the new row takes 10001.
    for (int32_t i = 0; i < list.GetRowCount(); ++i) {
      const int32_t rank = std::stoi(std::string(list.CellRef(kFieldRank, i).begin(), list.CellRef(kFieldRank, i).end()));
      const int32_t expected = atBottom ? i + 1 : 10001 - i;
      ASSERT_EQ(rank, expected) << "row " << i;
      if (rank > 1 && rank <= 10000) {
        ASSERT_EQ(list.GetCellText(kFieldSource, i), u"S" + Num(rank + 10000));
      }
    }
    const int32_t marker = atBottom ? 0 : 10000;
    EXPECT_EQ(list.GetCellText(kFieldRank, marker), u"1");
    EXPECT_EQ(list.GetCellText(kFieldTimestamp, marker), u"T10001");
    EXPECT_EQ(list.GetCellText(kFieldSource, marker), u"* Velmaric AE *");
    EXPECT_EQ(list.GetCellText(kFieldMessage, marker), u"* Removed lower ranked events and re-ranked list *");
    EXPECT_EQ(list.GetCellText(kFieldCategory, marker), u"*");
    EXPECT_EQ(list.GetCellText(kFieldSeverity, marker), u"*");
    const int32_t added = atBottom ? 10000 : 0;
    EXPECT_EQ(list.GetCellText(kFieldRank, added), u"10001");
    EXPECT_EQ(list.GetCellText(kFieldSource, added), u"Snew");
  }
}

TEST(EventListTrim, SecondFillTrimsAgainAndLeavesOneMarkerRow) {
  EventList list;
  Fill(list, EventList::kCapacity + 1, true);
  Fill(list, EventList::kCapacity - 10001, true);  // back at 20000 rows
  ASSERT_EQ(list.GetRowCount(), 20000);
  AddNumbered(list, 0, true);
  ASSERT_EQ(list.GetRowCount(), 10001);
  int markers = 0;
  for (int32_t i = 0; i < list.GetRowCount(); ++i) markers += list.CellRef(kFieldSource, i) == u"* Velmaric AE *";
  EXPECT_EQ(markers, 1);
  EXPECT_EQ(list.GetCellText(kFieldRank, 0), u"1");
  EXPECT_EQ(list.GetCellText(kFieldSource, 0), u"* Velmaric AE *");
}

TEST(EventListTrim, AfterSortRemovesByRankAndKeepsSortedPositions) {
  EventList list;
  // Sources that scatter the ranks when sorted.
  for (int n = 1; n <= EventList::kCapacity; ++n)
    list.AddEvent(u"T", u"S" + Num((n * 7919) % 20011), u"M", u"C", u"1", 1);
  list.QuickSort(0, list.GetRowCount() - 1, kFieldSource, 1);
  std::vector<std::pair<int, String>> survivors;  // (old rank, source) in sorted order
  for (int32_t i = 0; i < list.GetRowCount(); ++i) {
    const int rank = std::stoi(std::string(list.CellRef(kFieldRank, i).begin(), list.CellRef(kFieldRank, i).end()));
    if (rank > 10000) survivors.emplace_back(rank, list.GetCellText(kFieldSource, i));
  }
  ASSERT_EQ(survivors.size(), 10000u);
  list.AddEvent(u"T", u"new", u"M", u"C", u"1", 1);
  ASSERT_EQ(list.GetRowCount(), 10001);
  for (int32_t i = 0; i < 10000; ++i) {
    ASSERT_EQ(list.GetCellText(kFieldRank, i), Num(survivors[i].first - 10000)) << "row " << i;
    const String expected = survivors[i].first == 10001 ? String(u"* Velmaric AE *") : survivors[i].second;
    ASSERT_EQ(list.GetCellText(kFieldSource, i), expected) << "row " << i;
  }
  EXPECT_EQ(list.GetCellText(kFieldRank, 10000), u"10001");
}

TEST(EventList, RemoveAllRestartsRanksAndKeepsLayout) {
  EventList list;
  Fill(list, 5, true);
  const int32_t swapped[] = {5, 1, 2, 3, 4, 0};
  list.m_nFieldOrder = ColumnOrder(swapped);
  list.m_nFieldWidth[2] = 3;
  list.LayoutFields(7, 13);
  const Rect source = list.m_rcField[kFieldSource];
  const int32_t total = list.m_nTotalWidth;
  list.RemoveAll();
  EXPECT_EQ(list.GetRowCount(), 0);
  EXPECT_EQ(list.m_nFieldOrder[0], 5);
  EXPECT_EQ(list.m_nFieldWidth[2], 3);
  EXPECT_EQ(list.m_rcField[kFieldSource], source);
  EXPECT_EQ(list.m_nTotalWidth, total);
  list.AddEvent(u"", u"", u"", u"", u"", 0);
  EXPECT_EQ(list.GetCellText(kFieldRank, 0), u"1");
}

TEST(EventListLayout, InitialWidthsWithCharWidthSeven) {
  EventList list;
  list.LayoutFields(7, 16);
  const Rect expected[] = {{0, 0, 56, 16},    {57, 0, 337, 16},   {338, 0, 618, 16},
                           {619, 0, 955, 16}, {956, 0, 1180, 16}, {1181, 0, 1265, 16}};
  for (int f = 0; f < kFieldCount; ++f) EXPECT_EQ(list.m_rcField[f], expected[f]) << "field " << f;
  EXPECT_EQ(list.m_nTotalWidth, 1266);
}

TEST(EventListLayout, FollowsDisplayOrder) {
  EventList list;
  const int32_t order[] = {5, 2, 0, 1, 4, 3};
  list.m_nFieldOrder = ColumnOrder(order);
  list.LayoutFields(2, 10);
  EXPECT_EQ(list.m_rcField[kFieldSeverity], (Rect{0, 0, 24, 10}));
  EXPECT_EQ(list.m_rcField[kFieldSource], (Rect{25, 0, 105, 10}));
  EXPECT_EQ(list.m_rcField[kFieldRank], (Rect{106, 0, 122, 10}));
  EXPECT_EQ(list.m_rcField[kFieldMessage].right, list.m_nTotalWidth - 1);
  EXPECT_EQ(list.m_nTotalWidth, 2 * (8 + 40 + 40 + 48 + 32 + 12) + 6);
}

TEST(EventListLayout, BadOrderIsReadAsIdentity) {
  const int32_t bad[][6] = {{0, 0, 1, 2, 3, 4}, {0, 1, 2, 3, 4, 6}, {-1, 1, 2, 3, 4, 5}, {5, 5, 5, 5, 5, 5}};
  EventList reference;
  reference.LayoutFields(7, 16);
  for (const auto& order : bad) {
    EventList list;
    list.m_nFieldOrder = ColumnOrder(order);
    list.LayoutFields(7, 16);
    for (int f = 0; f < kFieldCount; ++f) EXPECT_EQ(list.m_rcField[f], reference.m_rcField[f]);
    EXPECT_EQ(list.m_nTotalWidth, 1266);
  }
}

TEST(EventListLayout, HugeWidthsDoNotOverflow) {
  EventList list;
  for (int f = 0; f < kFieldCount; ++f) list.m_nFieldWidth[f] = INT32_MAX;
  list.LayoutFields(INT32_MAX, 16);
  EXPECT_EQ(list.m_rcField[kFieldRank].right, INT32_MAX);
  EXPECT_EQ(list.m_nTotalWidth, INT32_MAX);
}

TEST(EventListHitTest, BorderReachIsStrict) {
  EventList list;
  list.LayoutFields(7, 16);  // Rank right 56, Timestamp right 337
  EXPECT_EQ(list.HitTestBorder(52), -1);
  EXPECT_EQ(list.HitTestBorder(53), kFieldRank);
  EXPECT_EQ(list.HitTestBorder(56), kFieldRank);
  EXPECT_EQ(list.HitTestBorder(59), kFieldRank);
  EXPECT_EQ(list.HitTestBorder(60), -1);
  EXPECT_EQ(list.HitTestBorder(334), kFieldTimestamp);
  EXPECT_EQ(list.HitTestBorder(1268), kFieldSeverity);
  EXPECT_EQ(list.HitTestBorder(1269), -1);
  EXPECT_EQ(list.HitTestBorder(-100), -1);
}

TEST(EventListHitTest, LowerFieldIndexWinsNotDisplayPosition) {
  EventList list;
  const int32_t order[] = {1, 0, 2, 3, 4, 5};
  list.m_nFieldOrder = ColumnOrder(order);
  list.m_nFieldWidth[kFieldTimestamp] = 0;
  list.m_nFieldWidth[kFieldRank] = 0;
  list.LayoutFields(7, 16);  // Timestamp 0..0, Rank 1..1
  ASSERT_EQ(list.m_rcField[kFieldTimestamp].right, 0);
  ASSERT_EQ(list.m_rcField[kFieldRank].right, 1);
  EXPECT_EQ(list.HitTestBorder(2), kFieldRank);
  EXPECT_EQ(list.HitTestBorder(-3), kFieldTimestamp);
  EXPECT_EQ(list.HitTestBorder(4), kFieldRank);
}

// Out-of-range indexes assert in debug builds; release builds must stay
// inside the rows and answer with empty text or do nothing.
TEST(EventListDeathTest, OutOfRangeCellReads) {
  EventList list;
  list.AddEvent(u"ts", u"src", u"msg", u"cat", u"1", 1);
  const std::pair<int32_t, int32_t> bad[] = {{-1, 0}, {6, 0}, {0, -1}, {0, 1}, {INT32_MAX, INT32_MIN}};
  for (auto [field, row] : bad) {
    EXPECT_DEBUG_DEATH(EXPECT_EQ(list.GetCellText(field, row), u""), "") << field << "," << row;
    EXPECT_DEBUG_DEATH(EXPECT_EQ(list.CellRef(field, row), u""), "");
  }
}

TEST(EventListDeathTest, OutOfRangeSortDoesNothing) {
  EventList list;
  list.AddEvent(u"", u"b", u"", u"", u"", 1);
  list.AddEvent(u"", u"a", u"", u"", u"", 1);
  EXPECT_DEBUG_DEATH(list.QuickSort(0, 2, kFieldSource, 1), "");
  EXPECT_DEBUG_DEATH(list.QuickSort(-1, 1, kFieldSource, 1), "");
  EXPECT_DEBUG_DEATH(list.QuickSort(0, 1, 6, 1), "");
  EXPECT_EQ(list.GetCellText(kFieldSource, 0), u"b");
  EXPECT_EQ(list.GetCellText(kFieldSource, 1), u"a");
}

}  // namespace
