// Sorting of the store: keys are built once per row and the rows are ordered
// through a permutation, then moved into place once.
#include <cassert>
#include <vector>

#include "model/EventList.h"
#include "model/FieldOrder.h"
#include "model/HoareSort.h"
#include "model/SortText.h"

using velmaric_model::AppendSortText;

String EventList::GetSortKey(int32_t field, int32_t row) const {
  assert(field >= 0 && field < kFieldCount && IsRow(row));
  if (field < 0 || field >= kFieldCount || !IsRow(row)) return String();
  const Row& r = m_arrRows[static_cast<size_t>(row)];
  size_t length = 0;
  for (const String& cell : r) length += cell.size() < 8 ? 8 : cell.size();
  String key;
  key.reserve(length);
  AppendSortText(key, r[static_cast<size_t>(field)], m_bNumericField[field] != 0);
  for (int32_t g : ValidFieldOrder(m_nFieldOrder)) {
    if (g != field) AppendSortText(key, r[static_cast<size_t>(g)], m_bNumericField[g] != 0);
  }
  return key;
}

void EventList::QuickSort(int32_t first, int32_t last, int32_t field, int32_t direction) {
  // An empty or one-row range is already sorted (the menu sorts an empty
  // list as 0..-1).
  if (first >= last) return;
  assert(field >= 0 && field < kFieldCount && first >= 0 && last < GetRowCount());
  if (field < 0 || field >= kFieldCount || first < 0 || last >= GetRowCount()) return;

  const int32_t n = last - first + 1;
  std::vector<String> keys(static_cast<size_t>(n));
  std::vector<int32_t> perm(static_cast<size_t>(n));
  for (int32_t k = 0; k < n; ++k) {
    keys[static_cast<size_t>(k)] = GetSortKey(field, first + k);
    perm[static_cast<size_t>(k)] = k;
  }
  velmaric_model::HoareSortPermutation(keys, perm, 0, n - 1, direction);

  std::vector<Row> sorted;
  sorted.reserve(static_cast<size_t>(n));
  for (int32_t k : perm) sorted.push_back(std::move(m_arrRows[static_cast<size_t>(first + k)]));
  for (int32_t k = 0; k < n; ++k) m_arrRows[static_cast<size_t>(first + k)] = std::move(sorted[static_cast<size_t>(k)]);
}
