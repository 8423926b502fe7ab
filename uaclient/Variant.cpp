// Variant and DataValue comparison and the array-dimension rule shared by encoder and decoder.
#include "uaclient/Variant.h"

#include <type_traits>

#include "uaclient/WireFormat.h"

namespace ua {

size_t Variant::ElementCount() const {
  return std::visit(
      [](const auto& items) -> size_t {
        if constexpr (std::is_same_v<std::decay_t<decltype(items)>, std::monostate>) {
          return 0;
        } else {
          return items.size();
        }
      },
      values);
}

// Floats compare with ==, so a Variant holding NaN is not equal to itself; compare encodings when that matters.
bool Variant::operator==(const Variant& other) const {
  return values == other.values && isArray == other.isArray && nullArray == other.nullArray &&
         dimensions == other.dimensions;
}

bool DataValue::operator==(const DataValue& other) const {
  return value == other.value && status == other.status && sourceTimestamp == other.sourceTimestamp &&
         sourcePicoseconds == other.sourcePicoseconds && serverTimestamp == other.serverTimestamp &&
         serverPicoseconds == other.serverPicoseconds;
}

namespace wire {

bool DimensionsFit(const std::vector<int32_t>& dimensions, size_t count) {
  if (dimensions.empty()) return false;
  // Multiply in 64 bits and stop once past `count`, which is at most kMaxArrayLength, so nothing overflows.
  uint64_t product = 1;
  for (int32_t d : dimensions) {
    if (d < 0) return false;
    product *= static_cast<uint64_t>(d);
    if (product > count) product = static_cast<uint64_t>(count) + 1;
  }
  return product == count;
}

}  // namespace wire
}  // namespace ua
