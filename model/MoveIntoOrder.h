// Puts a sorted permutation into effect on a random-access sequence.
#pragma once
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace velmaric_model {

// The cycle's next element is known one move ahead: asking for its memory
// early hides most of a random access's wait.
template <class Sequence>
inline void PrefetchElement(Sequence& items, size_t first, int32_t index) {
#if defined(__GNUC__)
  if (index < 0) return;
  const char* p = reinterpret_cast<const char*>(&items[first + static_cast<size_t>(index)]);
  for (size_t line = 0; line < sizeof items[0]; line += 64) __builtin_prefetch(p + line);
#else
  (void)items, (void)first, (void)index;
#endif
}

// Position first + k takes the element that was at first + perm[k]. Each cycle
// of the permutation is walked once, so every element moves once (plus one
// move per cycle), with no second copy of the range. perm is used up (its
// entries are overwritten as they are done).
template <class Sequence>
void MoveIntoOrder(Sequence& items, size_t first, std::vector<int32_t>& perm) {
  const int32_t n = static_cast<int32_t>(perm.size());
  for (int32_t s = 0; s < n; ++s) {
    if (perm[static_cast<size_t>(s)] < 0) continue;
    int32_t at = s;
    auto held = std::move(items[first + static_cast<size_t>(s)]);
    for (;;) {
      const int32_t from = perm[static_cast<size_t>(at)];
      perm[static_cast<size_t>(at)] = -1;
      if (from == s) {
        items[first + static_cast<size_t>(at)] = std::move(held);
        break;
      }
      PrefetchElement(items, first, perm[static_cast<size_t>(from)]);
      items[first + static_cast<size_t>(at)] = std::move(items[first + static_cast<size_t>(from)]);
      at = from;
    }
  }
}

}  // namespace velmaric_model
