#include "model/FieldOrder.h"

FieldOrder ValidFieldOrder(const int32_t (&order)[kFieldCount]) {
  FieldOrder valid{};
  bool seen[kFieldCount] = {};
  for (int32_t p = 0; p < kFieldCount; ++p) {
    const int32_t f = order[p];
    if (f < 0 || f >= kFieldCount || seen[f]) {
      for (int32_t q = 0; q < kFieldCount; ++q) valid[static_cast<size_t>(q)] = q;
      return valid;
    }
    seen[f] = true;
    valid[static_cast<size_t>(p)] = f;
  }
  return valid;
}

FieldOrder ValidFieldOrder(const FieldOrder& order) {
  int32_t raw[kFieldCount];
  for (int32_t p = 0; p < kFieldCount; ++p) raw[p] = order[static_cast<size_t>(p)];
  return ValidFieldOrder(raw);
}

FieldOrder FieldOrderFromText(const String& text) {
  int32_t order[kFieldCount];
  for (int32_t p = 0; p < kFieldCount; ++p)
    order[p] = text.size() == static_cast<size_t>(kFieldCount) ? text[static_cast<size_t>(p)] - u'0' : -1;
  return ValidFieldOrder(order);
}
