#include "model/ChunkSort.h"

#include <algorithm>
#include <utility>

namespace velmaric_model {
namespace {

struct Entry {
  KeyHead head;  // the key's units from its part's offset on
  int32_t key;
};

struct Part {
  size_t lo, hi;  // [lo, hi)
  size_t offset;  // the units before it are the same in every key of the part
};

// Below this size a part is finished by insertion sort.
constexpr size_t kSmallPart = 12;

// Insertion sort of e[0..n); false on equal keys. An equal pair always meets:
// an element walks left past the greater ones and stops at the first that is
// not greater, which is its equal if it has one.
bool InsertionSort(SortKeys& keys, Entry* e, size_t n, size_t next) {
  for (size_t i = 1; i < n; ++i) {
    const Entry x = e[i];
    size_t j = i;
    for (; j > 0; --j) {
      const Entry& y = e[j - 1];
      int c;
      if (y.head != x.head) {
        c = y.head < x.head ? -1 : 1;
      } else {
        c = keys.CompareFrom(y.key, x.key, next);
        if (c == 0) return false;
      }
      if (c < 0) break;
      e[j] = y;
    }
    e[j] = x;
  }
  return true;
}

// Sorts e[0..n) by the keys' units from `offset` on (the units before are
// the same); false on equal keys, which a sorted order puts side by side.
bool SortByComparison(SortKeys& keys, Entry* e, size_t n, size_t offset) {
  if (n <= kSmallPart) {
    for (size_t k = 0; k < n; ++k) e[k].head = KeyHead{0, 0};
    return InsertionSort(keys, e, n, offset);
  }
  std::sort(e, e + n, [&keys, offset](const Entry& a, const Entry& b) {
    return keys.CompareFrom(a.key, b.key, offset) < 0;
  });
  for (size_t k = 1; k < n; ++k) {
    if (keys.CompareFrom(e[k - 1].key, e[k].key, offset) == 0) return false;
  }
  return true;
}

const KeyHead& Median3(const KeyHead& a, const KeyHead& b, const KeyHead& c) {
  if (a < b) return b < c ? b : (a < c ? c : a);
  return a < c ? a : (b < c ? c : b);
}

KeyHead PivotHead(const Entry* e, size_t n) {
  if (n < 64) return Median3(e[0].head, e[n / 2].head, e[n - 1].head);
  // Ninther: cheap insurance against runs that defeat a plain median of three.
  const size_t s = n / 8;
  return Median3(Median3(e[0].head, e[s].head, e[2 * s].head),
                 Median3(e[n / 2 - s].head, e[n / 2].head, e[n / 2 + s].head),
                 Median3(e[n - 1 - 2 * s].head, e[n - 1 - s].head, e[n - 1].head));
}

}  // namespace

bool SortDistinctKeys(SortKeys& keys, std::vector<int32_t>& order) {
  const size_t n = static_cast<size_t>(keys.Count());
  const size_t step = SortKeys::kHeadUnits;
  std::vector<Entry> entries(n);
  for (size_t k = 0; k < n; ++k) {
    const int32_t key = static_cast<int32_t>(k);
    entries[k] = {keys.FirstHead(key), key};
  }
  Entry* const e = entries.data();

  std::vector<Part> pending;
  pending.push_back({0, n, keys.FirstHeadOffset()});
  while (!pending.empty()) {
    const Part part = pending.back();
    pending.pop_back();
    const size_t size = part.hi - part.lo;
    if (size < 2) continue;
    if (size <= kSmallPart) {
      if (!InsertionSort(keys, e + part.lo, size, part.offset + step)) return false;
      continue;
    }
    // Three-way partition on the head: [lo, lt) less, [lt, gt) equal,
    // [gt, hi) greater.
    const KeyHead pivot = PivotHead(e + part.lo, size);
    size_t lt = part.lo, i = part.lo, gt = part.hi;
    while (i < gt) {
      const KeyHead& h = e[i].head;
      if (h < pivot) {
        std::swap(e[lt++], e[i++]);
      } else if (pivot < h) {
        std::swap(e[i], e[--gt]);
      } else {
        ++i;
      }
    }
    pending.push_back({part.lo, lt, part.offset});
    pending.push_back({gt, part.hi, part.offset});
    if (gt - lt >= 2) {
      // Equal heads with a key ending inside them: zero padding matched
      // zero padding (keys hold no NUL), so those keys are equal.
      const size_t next = part.offset + step;
      if (keys.EndsBefore(e[lt].key, next)) return false;
      bool headsWritten = true;
      for (size_t k = lt; k < gt && headsWritten; ++k) headsWritten = keys.HasHead(e[k].key, next);
      if (!headsWritten) {
        // Heads here would write out the rest of these keys, though the part
        // already written (up to Rank) most likely decides: compare instead.
        if (!SortByComparison(keys, e + lt, gt - lt, next)) return false;
        continue;
      }
      for (size_t k = lt; k < gt; ++k) e[k].head = keys.Head(e[k].key, next);
      pending.push_back({lt, gt, next});
    }
  }

  order.resize(n);
  for (size_t k = 0; k < n; ++k) order[k] = e[k].key;
  return true;
}

}  // namespace velmaric_model
