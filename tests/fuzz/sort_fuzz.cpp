// The store's sort on any cell texts, display orders, numeric flags, ranges
// and directions, against the original row-swapping quicksort: after every
// sort the rows stand in exactly the reference's order, ties included.
// Only EventList's public interface is used.
#include <algorithm>

#include "model/EventList.h"
#include "tests/fuzz/FuzzInput.h"
#include "tests/native/model/ReferenceQuickSort.h"

using namespace fuzz;

namespace {

std::vector<reference::Row> Rows(const EventList& list) {
  std::vector<reference::Row> rows(static_cast<size_t>(list.GetRowCount()));
  for (int32_t i = 0; i < list.GetRowCount(); ++i)
    for (int f = 0; f < kFieldCount; ++f) rows[i][f] = list.GetCellText(f, i);
  return rows;
}

bool IsPermutation(const int32_t (&order)[kFieldCount]) {
  bool seen[kFieldCount] = {};
  for (int32_t f : order) {
    if (f < 0 || f >= kFieldCount || seen[f]) return false;
    seen[f] = true;
  }
  return true;
}

bool IsCSpace(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

// Whether the cell begins with a number of 2^64 or more. The reference reads
// numbers with sscanf("%u"), which saturates there, while the sort keys take
// every number modulo 2^32: for such cells the reference is no guide.
bool HasHugeNumber(const String& cell) {
  size_t i = 0;
  while (i < cell.size() && IsCSpace(cell[i])) ++i;
  if (i < cell.size() && (cell[i] == u'+' || cell[i] == u'-')) ++i;
  unsigned __int128 v = 0;
  for (; i < cell.size() && cell[i] >= u'0' && cell[i] <= u'9'; ++i) {
    v = v * 10 + (cell[i] - u'0');
    if (v >> 64) return true;
  }
  return false;
}

// The sort key by the rules: the sort field's text, then the others in
// display order; a numeric field's leading number (C white space, a sign,
// digits, modulo 2^32) as eight lowercase hex digits.
String KeyText(const String& cell, bool numeric) {
  if (!numeric) return cell;
  size_t i = 0;
  while (i < cell.size() && IsCSpace(cell[i])) ++i;
  bool negative = false;
  if (i < cell.size() && (cell[i] == u'+' || cell[i] == u'-')) negative = cell[i++] == u'-';
  if (i >= cell.size() || cell[i] < u'0' || cell[i] > u'9') return cell;
  uint32_t v = 0;
  for (; i < cell.size() && cell[i] >= u'0' && cell[i] <= u'9'; ++i) v = v * 10u + (cell[i] - u'0');
  if (negative) v = 0u - v;
  char hex[9];
  std::snprintf(hex, sizeof hex, "%08x", v);
  return String(hex, hex + 8);
}

String Key(const reference::Row& r, int32_t field, const reference::Sorter& ref) {
  String key = KeyText(r[field], ref.numeric[field]);
  for (int32_t g : ref.order)
    if (g != field) key += KeyText(r[g], ref.numeric[g]);
  return key;
}

// wcscmp: up to the first NUL.
int CompareC(const String& a, const String& b) {
  const char16_t* pa = a.c_str();
  const char16_t* pb = b.c_str();
  while (*pa != 0 && *pa == *pb) ++pa, ++pb;
  return *pa < *pb ? -1 : (*pa > *pb ? 1 : 0);
}

String Cell(Input& in) {
  switch (in.Pick(4)) {
    case 0: return in.Text(12);
    case 1: {  // a number, with the odd prefix
      String s;
      if (in.Bool()) s += in.Bool() ? u" " : u"-";
      const size_t digits = in.Int<size_t>(1, 24);
      for (size_t k = 0; k < digits; ++k) s += static_cast<char16_t>(u'0' + in.Int(0, 9));
      if (in.Bool()) s += in.Unit();
      return s;
    }
    default: return in.Word();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in(data, size);
  EventList list;
  int32_t order[kFieldCount] = {0, 1, 2, 3, 4, 5};
  if (in.Pick(4) == 0) {
    for (int32_t& f : order) f = in.Edgy<int32_t>() % 8;
  } else {
    for (int p = kFieldCount - 1; p > 0; --p) std::swap(order[p], order[in.Pick(p + 1)]);
  }
  list.m_nFieldOrder = ColumnOrder(order);
  if (in.Pick(4) == 0)
    for (uint8_t& n : list.m_bNumericField) n = in.Bool() ? 0 : in.Any<uint8_t>();

  std::vector<reference::Row> rows;
  reference::Sorter ref{rows, {}, {}};
  for (int p = 0; p < kFieldCount; ++p) ref.order[p] = IsPermutation(order) ? order[p] : p;
  for (int f = 0; f < kFieldCount; ++f) ref.numeric[f] = list.m_bNumericField[f] != 0;

  const int sorts = in.Int(1, 6);
  for (int s = 0; s < sorts && !in.Empty(); ++s) {
    // Rows added between sorts go to either end, as in the control.
    const int add = in.Int(0, s == 0 ? 160 : 16);
    for (int k = 0; k < add && !in.Empty(); ++k)
      list.AddEvent(Cell(in), Cell(in), Cell(in), Cell(in), Cell(in), in.Bool());
    rows = Rows(list);
    const int32_t count = list.GetRowCount();
    const int32_t field = in.Int(0, kFieldCount - 1);
    const int32_t direction = in.Edgy<int32_t>();
    int32_t first = 0, last = count - 1;
    if (count > 0 && in.Pick(3) == 0) {
      first = in.Int(0, count - 1);
      last = in.Int(0, count - 1);
    }

    const int d = direction > 0 ? 1 : direction < 0 ? -1 : 0;
    bool huge = false;
    for (int32_t k = first; k <= last; ++k)
      for (int f = 0; f < kFieldCount; ++f) huge = huge || (ref.numeric[f] && HasHugeNumber(rows[k][f]));

    list.QuickSort(first, last, field, direction);
    const std::vector<reference::Row> got = Rows(list);
    FUZZ_CHECK(got.size() == rows.size());
    if (huge) {
      // No exact order to compare with: the range must be a sorted
      // permutation of what it held, the rest untouched.
      std::vector<reference::Row> a(rows.begin() + first, rows.begin() + last + 1);
      std::vector<reference::Row> b(got.begin() + first, got.begin() + last + 1);
      for (int32_t k = first; k < last; ++k)
        FUZZ_CHECK(d * CompareC(Key(got[k], field, ref), Key(got[k + 1], field, ref)) <= 0);
      std::sort(a.begin(), a.end());
      std::sort(b.begin(), b.end());
      FUZZ_CHECK(a == b);
      for (int32_t k = 0; k < count; ++k)
        if (k < first || k > last) FUZZ_CHECK(got[k] == rows[k]);
      continue;
    }
    if (first < last) ref.QuickSort(first, last, field, d);
    for (size_t k = 0; k < got.size(); ++k) {
      if (got[k] == rows[k]) continue;
      std::fprintf(stderr, "sort of field %d, direction %d, rows %d..%d of %d: row %zu differs\n", field, direction,
                   first, last, count, k);
      for (int f = 0; f < kFieldCount; ++f)
        std::fprintf(stderr, "  field %d: '%s' expected '%s'\n", f, Narrow(got[k][f]).c_str(),
                     Narrow(rows[k][f]).c_str());
      FUZZ_CHECK(!"the sort's order is the reference's");
    }
  }
  return 0;
}
