// Figures for the event store: sorting a full list by a text column (Source)
// and a numeric one (Severity) with the original quicksort (keys rebuilt for
// every comparison) and with the store's, and a full list of inserts at the
// top versus at the bottom. Prints times; it is not a test.
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "bench/RealisticEvents.h"
#include "model/EventList.h"
#include "tests/native/model/ReferenceQuickSort.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::vector<reference::Row> Rows(const EventList& list) {
  std::vector<reference::Row> rows(static_cast<size_t>(list.GetRowCount()));
  for (int32_t i = 0; i < list.GetRowCount(); ++i)
    for (int f = 0; f < kFieldCount; ++f) rows[i][f] = list.GetCellText(f, i);
  return rows;
}

void BenchSort(const std::vector<Event>& events, int32_t field, int repeats) {
  double refMs = 0, ourMs = 0;
  bool same = true;
  for (int r = 0; r < repeats; ++r) {
    EventList list;
    Fill(list, events, r % 2 == 0);
    std::vector<reference::Row> rows = Rows(list);
    reference::Sorter ref{rows, {0, 1, 2, 3, 4, 5}, {true, false, false, false, false, true}};
    const int32_t direction = r % 2 == 0 ? 1 : -1;

    Clock::time_point start = Clock::now();
    ref.QuickSort(0, static_cast<int32_t>(rows.size()) - 1, field, direction);
    refMs += MsSince(start);

    start = Clock::now();
    list.QuickSort(0, list.GetRowCount() - 1, field, direction);
    ourMs += MsSince(start);

    same = same && Rows(list) == rows;
  }
  std::printf("sort %d rows by %-8s  reference %9.2f ms   store %7.2f ms   ratio %6.1fx   same order: %s\n",
              static_cast<int>(events.size()), std::string(kFieldLabels[field], kFieldLabels[field] + 
              std::char_traits<char16_t>::length(kFieldLabels[field])).c_str(),
              refMs / repeats, ourMs / repeats, refMs / ourMs, same ? "yes" : "NO");
}

void BenchInsert(const std::vector<Event>& events, int repeats) {
  double topMs = 0, bottomMs = 0;
  for (int r = 0; r < repeats; ++r) {
    EventList top, bottom;
    Clock::time_point start = Clock::now();
    Fill(top, events, false);
    topMs += MsSince(start);
    start = Clock::now();
    Fill(bottom, events, true);
    bottomMs += MsSince(start);
  }
  std::printf("%d inserts           at top    %7.2f ms   at bottom %7.2f ms   top/bottom %.2f\n",
              static_cast<int>(events.size()), topMs / repeats, bottomMs / repeats, topMs / bottomMs);
}

}  // namespace

int main() {
  const std::vector<Event> events = MakeEvents(EventList::kCapacity);
  BenchSort(events, kFieldSource, 4);
  BenchSort(events, kFieldSeverity, 4);
  BenchInsert(events, 10);
  return 0;
}
