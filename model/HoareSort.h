// The list's quicksort (Hoare partitioning, middle pivot) run over a
// permutation of precomputed keys instead of over the rows themselves. It
// visits, compares and swaps exactly as the row-swapping version does, so the
// resulting order, ties included, is the same; each key is built once.
#pragma once
#include <cstdint>
#include <vector>

#include "framework/Types.h"

namespace velmaric_model {

// Sorts perm[first..last] (inclusive) by keys[perm[k]]; direction +1 ascending,
// -1 descending (only its sign matters; 0 compares everything as equal).
// Requires 0 <= first, last < perm.size() and every perm value < keys.size().
void HoareSortPermutation(const std::vector<String>& keys, std::vector<int32_t>& perm, int32_t first,
                          int32_t last, int32_t direction);

}  // namespace velmaric_model
