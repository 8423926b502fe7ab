// The list's sort as it was first written: six texts per row, the sort key
// rebuilt from the cells for every comparison, rows swapped in place. Built
// on the C library (sscanf "%u", snprintf "%.8x") and a plain wcscmp loop
// rather than on the store's helpers, so it checks them as well. Used by the tests as the order
// to match and by the benchmark as the cost to beat.
#pragma once
#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "framework/Types.h"

namespace reference {

using Row = std::array<String, 6>;

inline String SortText(const String& cell, bool numeric) {
  if (!numeric) return cell;
  std::string narrow;
  for (char16_t c : cell) {
    if (c == 0) break;
    narrow.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  }
  unsigned value = 0;
  if (std::sscanf(narrow.c_str(), "%u", &value) != 1) return cell;
  char hex[16];
  std::snprintf(hex, sizeof hex, "%.8x", value);
  return String(hex, hex + std::char_traits<char>::length(hex));
}

struct Sorter {
  std::vector<Row>& rows;
  std::array<int32_t, 6> order;
  std::array<bool, 6> numeric;

  String Key(int32_t f, int32_t row) const {
    String key = SortText(rows[row][f], numeric[f]);
    for (int32_t g : order) {
      if (g != f) key += SortText(rows[row][g], numeric[g]);
    }
    return key;
  }

  // wcscmp over the NUL-terminated 16-bit units.
  static int Compare(const String& a, const String& b) {
    const char16_t* pa = a.c_str();
    const char16_t* pb = b.c_str();
    while (*pa != 0 && *pa == *pb) ++pa, ++pb;
    return static_cast<int>(*pa) - static_cast<int>(*pb);
  }

  void QuickSort(int32_t first, int32_t last, int32_t f, int32_t d) {
    const String pivot = Key(f, (first + last) / 2);
    int32_t i = first;
    int32_t j = last;
    do {
      while (d * Compare(pivot, Key(f, i)) > 0) ++i;
      while (d * Compare(pivot, Key(f, j)) < 0) --j;
      if (j < i) break;
      std::swap(rows[i], rows[j]);
      ++i;
      --j;
    } while (i < j);
    if (first < j) QuickSort(first, j, f, d);
    if (i < last) QuickSort(i, last, f, d);
  }
};

}  // namespace reference
