#include "model/HoareSort.h"

#include <utility>

#include "model/SortText.h"

namespace velmaric_model {

void HoareSortPermutation(const std::vector<String>& keys, std::vector<int32_t>& perm, int32_t first,
                          int32_t last, int32_t direction) {
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
    const String& pivot = keys[perm[lo + (hi - lo) / 2]];
    int32_t i = lo;
    int32_t j = hi;
    for (;;) {
      // The bounds checks never fire for a consistent ordering; they only
      // keep the scan inside the range.
      while (i < hi && d * CompareOrdinal(pivot, keys[perm[i]]) > 0) ++i;
      while (j > lo && d * CompareOrdinal(pivot, keys[perm[j]]) < 0) --j;
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

}  // namespace velmaric_model
