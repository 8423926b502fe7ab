// Small deterministic generator (splitmix64): the same seed gives the same
// plant traffic on every platform, which the tests rely on.
#pragma once
#include <cstdint>

namespace wtsim {

class Random {
 public:
  explicit Random(uint64_t seed) : m_state(seed) {}
  uint64_t Next() {
    uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  // 0 .. n-1; n must be positive.
  uint32_t Below(uint32_t n) { return static_cast<uint32_t>(Next() % n); }
  // lo .. hi inclusive.
  uint32_t Between(uint32_t lo, uint32_t hi) { return lo + Below(hi - lo + 1); }
  // [0, 1)
  double Real() { return static_cast<double>(Next() >> 11) / 9007199254740992.0; }

 private:
  uint64_t m_state;
};

}  // namespace wtsim
