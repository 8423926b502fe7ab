// Orders sort keys ascending by their units taken eight at a time (a head),
// from near the end of the prefix all keys share: a multikey quicksort,
// three-way partitions on the head, the equal part goes on with the next
// eight units.
//
// When no two keys are equal every correct sort gives the same order, so this
// one may be as fast as it can; when two keys are equal the order of the
// equal ones is the original quicksort's business, so this one gives up as
// soon as it meets them.
#pragma once
#include <cstdint>
#include <vector>

#include "model/SortKeys.h"

namespace velmaric_model {

// On success `order` holds every key index 0..Count()-1 in ascending key order
// and the result is true. False when two keys are equal; `order` is then
// left as it was.
bool SortDistinctKeys(SortKeys& keys, std::vector<int32_t>& order);

}  // namespace velmaric_model
