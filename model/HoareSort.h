// The list's quicksort (Hoare partitioning, middle pivot) run over a
// permutation of precomputed keys instead of over the rows themselves. It
// visits, compares and swaps exactly as the row-swapping version does, so the
// resulting order, ties included, is the same; each key is built once.
#pragma once
#include <cstdint>
#include <utility>
#include <vector>

#include "framework/Types.h"

namespace velmaric_model {

// Sorts perm[first..last] (inclusive) by the keys that perm's values name;
// compare(a, b) gives the sign of the ordinal comparison of keys a and b.
// direction +1 ascending, -1 descending (only its sign matters; 0 compares
// everything as equal). Requires 0 <= first, last < perm.size().
template <class Compare>
void HoareSortBy(std::vector<int32_t>& perm, int32_t first, int32_t last, int32_t direction, Compare compare) {
  const int d = direction > 0 ? 1 : (direction < 0 ? -1 : 0);
  // An explicit stack instead of recursion: a bad pivot sequence can nest as
  // deep as the row count, too deep for a window thread's stack. Popping the
  // left part first keeps the recursive visiting order, which matters because
  // the two parts may share their boundary row.
  std::vector<std::pair<int32_t, int32_t>> pending;
  pending.emplace_back(first, last);
  while (!pending.empty()) {
    const auto [lo, hi] = pending.back();
    pending.pop_back();
    const int32_t pivot = perm[lo + (hi - lo) / 2];
    int32_t i = lo;
    int32_t j = hi;
    for (;;) {
      // The bounds checks never fire for a consistent ordering; they only
      // keep the scan inside the range.
      while (i < hi && d * compare(pivot, perm[i]) > 0) ++i;
      while (j > lo && d * compare(pivot, perm[j]) < 0) --j;
      if (j < i) break;
      std::swap(perm[i], perm[j]);
      ++i;
      --j;
      if (!(i < j)) break;
    }
    if (i < hi) pending.emplace_back(i, hi);
    if (lo < j) pending.emplace_back(lo, j);
  }
}

// The same over keys held as strings: perm's values index `keys`.
void HoareSortPermutation(const std::vector<String>& keys, std::vector<int32_t>& perm, int32_t first,
                          int32_t last, int32_t direction);

}  // namespace velmaric_model
