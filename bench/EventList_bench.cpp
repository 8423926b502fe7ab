// Figures for the event store: sorting a full list of realistic rows by a
// text column (Source) and a numeric one (Severity), and a full list of
// inserts at the top versus at the bottom. Prints times; it is not a test.
//
// Sorts compared, each on the same rows:
//   reference  the original quicksort: keys rebuilt for every comparison,
//              rows swapped (tests/native/model/ReferenceQuickSort.h);
//   std::sort  the baseline: the store's key building (SortKeys, written up
//              to Rank), std::sort of a permutation with the ordinal
//              comparison of those keys (SortKeys::Compare: eight cached
//              units, then wcscmp four units at a time), the rows moved into
//              order; on a deque of rows like the store's;
//   ours       EventList::QuickSort as the control calls it, timed whole; its
//              phases (keys, ordering, moving rows) are also timed on their
//              own from the same building blocks.
// Figures are medians of the runs (with the fastest run beside the totals,
// steadier on a shared machine); runs alternate the direction and the side
// rows were added at. Two states of the list: rows as added (the
// cells lie in memory in row order) and after an earlier sort by Message (as
// after an operator's sorts: reading the rows in order jumps around memory).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "bench/RealisticEvents.h"
#include "model/ChunkSort.h"
#include "model/EventList.h"
#include "model/FieldOrder.h"
#include "model/MoveIntoOrder.h"
#include "model/SortKeys.h"
#include "tests/native/model/ReferenceQuickSort.h"

namespace {

using Clock = std::chrono::steady_clock;
using velmaric_model::SortKeys;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Fastest(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

std::vector<reference::Row> Rows(const EventList& list) {
  std::vector<reference::Row> rows(static_cast<size_t>(list.GetRowCount()));
  for (int32_t i = 0; i < list.GetRowCount(); ++i)
    for (int f = 0; f < kFieldCount; ++f) rows[i][f] = list.GetCellText(f, i);
  return rows;
}

std::string Label(int32_t field) {
  const char16_t* label = kFieldLabels[field];
  return std::string(label, label + std::char_traits<char16_t>::length(label));
}

struct Phases {
  std::vector<double> keys, order, move;
  double Total(size_t r) const { return keys[r] + order[r] + move[r]; }
  std::vector<double> Totals() const {
    std::vector<double> t;
    for (size_t r = 0; r < keys.size(); ++r) t.push_back(Total(r));
    return t;
  }
};

const uint8_t kNumeric[kFieldCount] = {1, 0, 0, 0, 0, 1};
const FieldOrder kIdentity = {0, 1, 2, 3, 4, 5};

// Orders a deque of rows as the store does (the order only; how is up to the
// caller).
template <class Order>
void Sort(std::deque<reference::Row>& rows, int32_t field, Order order) {
  std::vector<const String*> cells(rows.size());
  for (size_t k = 0; k < rows.size(); ++k) cells[k] = rows[k].data();
  SortKeys keys(std::move(cells), field, ValidFieldOrder(kIdentity), kNumeric, kFieldRank);
  std::vector<int32_t> perm = order(keys);
  velmaric_model::MoveIntoOrder(rows, 0, perm);
}

std::vector<int32_t> Ascending(SortKeys& keys) {
  std::vector<int32_t> perm;
  if (!velmaric_model::SortDistinctKeys(keys, perm)) std::printf("  (equal keys: not this benchmark's case)\n");
  return perm;
}

// The rows of a list filled like the store (added at one side, ranked 1..n)
// and laid out in memory the same way, also after the earlier sort.
std::deque<reference::Row> StoreLikeRows(const std::vector<Event>& events, bool atBottom, bool sortedBefore) {
  std::deque<reference::Row> rows;
  int rank = 0;
  for (const Event& e : events) {
    reference::Row row{Ascii(std::to_string(++rank)), e.timestamp, e.source, e.message, e.category, e.severity};
    if (atBottom) {
      rows.push_back(std::move(row));
    } else {
      rows.push_front(std::move(row));
    }
  }
  if (sortedBefore) Sort(rows, kFieldMessage, Ascending);
  return rows;
}

// Keys, ordering, moving rows into place, each timed.
template <class Order>
void TimePhases(std::deque<reference::Row>& rows, int32_t field, Phases& phases, Order order) {
  Clock::time_point t = Clock::now();
  std::vector<const String*> cells(rows.size());
  for (size_t k = 0; k < rows.size(); ++k) cells[k] = rows[k].data();
  SortKeys keys(std::move(cells), field, ValidFieldOrder(kIdentity), kNumeric, kFieldRank);
  phases.keys.push_back(MsSince(t));

  t = Clock::now();
  std::vector<int32_t> perm = order(keys);
  phases.order.push_back(MsSince(t));

  t = Clock::now();
  velmaric_model::MoveIntoOrder(rows, 0, perm);
  phases.move.push_back(MsSince(t));
}

void BenchSort(const std::vector<Event>& events, int32_t field, bool sortedBefore, int runs) {
  std::vector<double> refMs, oursMs;
  Phases baseline, ours;
  bool same = true;
  for (int r = 0; r < runs; ++r) {
    const bool atBottom = r % 2 == 0;
    const int32_t direction = r % 2 == 0 ? 1 : -1;
    EventList list;
    Fill(list, events, atBottom);
    if (sortedBefore) list.QuickSort(0, list.GetRowCount() - 1, kFieldMessage, 1);
    std::vector<reference::Row> expected = Rows(list);

    std::deque<reference::Row> rows = StoreLikeRows(events, atBottom, sortedBefore);
    same = same && std::equal(rows.begin(), rows.end(), expected.begin(), expected.end());
    TimePhases(rows, field, baseline, [direction](SortKeys& keys) {
      std::vector<int32_t> perm(static_cast<size_t>(keys.Count()));
      for (int32_t k = 0; k < keys.Count(); ++k) perm[static_cast<size_t>(k)] = k;
      std::sort(perm.begin(), perm.end(),
                [&keys, direction](int32_t a, int32_t b) { return direction * keys.Compare(a, b) < 0; });
      return perm;
    });
    const std::deque<reference::Row> byBaseline = std::move(rows);

    rows = StoreLikeRows(events, atBottom, sortedBefore);
    TimePhases(rows, field, ours, [direction](SortKeys& keys) {
      std::vector<int32_t> perm = Ascending(keys);
      if (direction < 0) std::reverse(perm.begin(), perm.end());
      return perm;
    });

    Clock::time_point t = Clock::now();
    list.QuickSort(0, list.GetRowCount() - 1, field, direction);
    oursMs.push_back(MsSince(t));

    reference::Sorter ref{expected, {0, 1, 2, 3, 4, 5}, {true, false, false, false, false, true}};
    t = Clock::now();
    ref.QuickSort(0, static_cast<int32_t>(expected.size()) - 1, field, direction);
    refMs.push_back(MsSince(t));

    same = same && Rows(list) == expected && std::equal(rows.begin(), rows.end(), expected.begin(), expected.end()) &&
           std::equal(byBaseline.begin(), byBaseline.end(), expected.begin(), expected.end());
  }
  const double refM = Median(refMs), ourM = Median(oursMs), baseM = Median(baseline.Totals());
  const double refF = Fastest(refMs), ourF = Fastest(oursMs), baseF = Fastest(baseline.Totals());
  std::printf("sort %d rows by %s, %s (median of %d runs, both directions; fastest run in brackets)\n",
              static_cast<int>(events.size()), Label(field).c_str(),
              sortedBefore ? "after a sort by Message" : "rows as added", runs);
  std::printf("  reference             %8.2f ms [%7.2f]\n", refM, refF);
  std::printf("  std::sort baseline    %8.2f ms [%7.2f]   = keys %5.2f + std::sort %5.2f + move rows %5.2f\n", baseM,
              baseF, Median(baseline.keys), Median(baseline.order), Median(baseline.move));
  std::printf("  ours (QuickSort)      %8.2f ms [%7.2f]   phases: keys %5.2f + chunk sort %5.2f + move rows %5.2f\n",
              ourM, ourF, Median(ours.keys), Median(ours.order), Median(ours.move));
  std::printf("  ours/std::sort %.2f [%.2f] (sort phase %.2f)   reference/ours %.1fx [%.1fx]   same order: %s\n",
              ourM / baseM, ourF / baseF, Median(ours.order) / Median(baseline.order), refM / ourM, refF / ourF,
              same ? "yes" : "NO");
}

void BenchInsert(const std::vector<Event>& events, int runs) {
  std::vector<double> topMs, bottomMs;
  for (int r = 0; r < runs; ++r) {
    EventList top, bottom;
    Clock::time_point start = Clock::now();
    Fill(top, events, false);
    topMs.push_back(MsSince(start));
    start = Clock::now();
    Fill(bottom, events, true);
    bottomMs.push_back(MsSince(start));
  }
  std::printf("%d inserts   at top %7.2f ms   at bottom %7.2f ms   top/bottom %.2f\n", static_cast<int>(events.size()),
              Median(topMs), Median(bottomMs), Median(topMs) / Median(bottomMs));
}

}  // namespace

int main() {
  const std::vector<Event> events = MakeEvents(EventList::kCapacity);
  for (bool sortedBefore : {false, true}) {
    BenchSort(events, kFieldSource, sortedBefore, 15);
    BenchSort(events, kFieldSeverity, sortedBefore, 15);
  }
  BenchInsert(events, 9);
  return 0;
}
