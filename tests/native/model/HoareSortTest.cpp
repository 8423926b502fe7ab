// The permutation sort against the row-swapping quicksort on keys with many
// duplicates: the arrangement of equal keys must be the same, not only the
// key order.
#include <gtest/gtest.h>

#include <numeric>
#include <random>
#include <utility>
#include <vector>

#include "model/HoareSort.h"
#include "model/SortText.h"

namespace {

using velmaric_model::CompareOrdinal;
using velmaric_model::HoareSortPermutation;

// Items carry their starting position so that equal keys stay distinguishable.
using Item = std::pair<String, int32_t>;

void ReferenceSort(std::vector<Item>& a, int32_t first, int32_t last, int32_t d) {
  const String pivot = a[(first + last) / 2].first;
  int32_t i = first, j = last;
  do {
    while (d * CompareOrdinal(pivot, a[i].first) > 0) ++i;
    while (d * CompareOrdinal(pivot, a[j].first) < 0) --j;
    if (j < i) break;
    std::swap(a[i], a[j]);
    ++i;
    --j;
  } while (i < j);
  if (first < j) ReferenceSort(a, first, j, d);
  if (i < last) ReferenceSort(a, i, last, d);
}

void ExpectSameOrder(const std::vector<String>& keys, int32_t first, int32_t last, int32_t d) {
  std::vector<Item> items;
  for (size_t k = 0; k < keys.size(); ++k) items.emplace_back(keys[k], static_cast<int32_t>(k));
  ReferenceSort(items, first, last, d);
  std::vector<int32_t> perm(keys.size());
  std::iota(perm.begin(), perm.end(), 0);
  HoareSortPermutation(keys, perm, first, last, d);
  for (size_t k = 0; k < keys.size(); ++k) ASSERT_EQ(perm[k], items[k].second) << "position " << k;
}

TEST(HoareSortPermutation, MatchesReferenceWithDuplicateKeys) {
  std::mt19937 rng(7);
  for (int round = 0; round < 200; ++round) {
    const size_t n = 1 + rng() % 300;
    const unsigned distinct = 1 + rng() % 6;  // from all-equal to a few values
    std::vector<String> keys;
    for (size_t k = 0; k < n; ++k) keys.push_back(String(1 + rng() % 2, static_cast<char16_t>(u'a' + rng() % distinct)));
    for (int32_t d : {1, -1}) {
      SCOPED_TRACE(testing::Message() << "round " << round << " n " << n << " d " << d);
      ExpectSameOrder(keys, 0, static_cast<int32_t>(n) - 1, d);
    }
  }
}

TEST(HoareSortPermutation, MatchesReferenceOnPresortedAndReversedInput) {
  std::vector<String> keys;
  for (int k = 0; k < 500; ++k) keys.push_back(String(1, static_cast<char16_t>(u'A' + k / 20)));
  ExpectSameOrder(keys, 0, 499, 1);
  ExpectSameOrder(keys, 0, 499, -1);
  ExpectSameOrder(keys, 37, 411, 1);
}

}  // namespace
