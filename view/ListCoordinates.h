// List coordinates can lie anywhere in the 32-bit range: the layout clamps
// absurd widths there rather than overflow. Whatever is derived from them
// (scrolled, inset, framed) is worked out in 64 bits and clamped back.
#pragma once
#include <cstdint>

namespace velmaric_view {

inline int32_t Clamp32(int64_t v) {
  return static_cast<int32_t>(v < INT32_MIN ? INT32_MIN : (v > INT32_MAX ? INT32_MAX : v));
}

}  // namespace velmaric_view
