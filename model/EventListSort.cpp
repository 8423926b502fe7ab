// Sorting of the store: keys are built once per row into a few large blocks,
// the rows are ordered through a permutation (distinct keys by a multikey
// quicksort, equal ones by the original quicksort), then moved into place
// once.
#include <algorithm>
#include <cassert>
#include <numeric>
#include <utility>
#include <vector>

#include "model/ChunkSort.h"
#include "model/EventList.h"
#include "model/FieldOrder.h"
#include "model/HoareSort.h"
#include "model/MoveIntoOrder.h"
#include "model/SortKeys.h"
#include "model/SortText.h"

using velmaric_model::HoareSortBy;
using velmaric_model::SortDistinctKeys;
using velmaric_model::SortKeys;

void EventList::QuickSort(int32_t first, int32_t last, int32_t field, int32_t direction) {
  // An empty or one-row range is already sorted (the menu sorts an empty
  // list as 0..-1).
  if (first >= last) return;
  assert(field >= 0 && field < kFieldCount && first >= 0 && last < GetRowCount());
  if (field < 0 || field >= kFieldCount || first < 0 || last >= GetRowCount()) return;

  const int32_t n = last - first + 1;
  std::vector<const String*> cells(static_cast<size_t>(n));
  for (int32_t k = 0; k < n; ++k) cells[static_cast<size_t>(k)] = m_arrRows[static_cast<size_t>(first + k)].data();
  // Ranks are unique, so in practice the parts up to Rank decide every
  // comparison: the rest of a key is written only if one reaches it.
  SortKeys keys(std::move(cells), field, m_nFieldOrder.Order(), m_bNumericField, kFieldRank);

  // Distinct keys have one sorted order, whoever sorts them. Equal keys (a
  // NUL cuts two keys short, or direction 0 makes all equal) end in an order
  // only the original quicksort knows, so that case runs it.
  std::vector<int32_t> perm;
  if (direction != 0 && SortDistinctKeys(keys, perm)) {
    if (direction < 0) std::reverse(perm.begin(), perm.end());
  } else {
    perm.resize(static_cast<size_t>(n));
    std::iota(perm.begin(), perm.end(), 0);
    HoareSortBy(perm, 0, n - 1, direction, [&keys](int32_t a, int32_t b) { return keys.Compare(a, b); });
  }

  velmaric_model::MoveIntoOrder(m_arrRows, static_cast<size_t>(first), perm);
}
