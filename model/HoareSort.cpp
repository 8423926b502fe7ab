#include "model/HoareSort.h"

#include "model/SortText.h"

namespace velmaric_model {

void HoareSortPermutation(const std::vector<String>& keys, std::vector<int32_t>& perm, int32_t first,
                          int32_t last, int32_t direction) {
  HoareSortBy(perm, first, last, direction, [&keys](int32_t a, int32_t b) {
    return CompareOrdinal(keys[static_cast<size_t>(a)], keys[static_cast<size_t>(b)]);
  });
}

}  // namespace velmaric_model
