#include "model/FieldOrder.h"

#include <algorithm>
#include <iterator>

FieldOrder ValidFieldOrder(const FieldOrder& order) {
  bool seen[kFieldCount] = {};
  for (const int32_t f : order) {
    if (f < 0 || f >= kFieldCount || seen[f]) return FieldOrder{0, 1, 2, 3, 4, 5};
    seen[f] = true;
  }
  return order;
}

FieldOrder FieldOrderFromText(const String& text) {
  FieldOrder order;
  for (size_t p = 0; p < order.size(); ++p)
    order[p] = text.size() == static_cast<size_t>(kFieldCount) ? text[p] - u'0' : -1;
  return ValidFieldOrder(order);
}

ColumnOrder::ColumnOrder(const int32_t (&order)[kFieldCount]) {
  FieldOrder copy;
  std::copy(std::begin(order), std::end(order), copy.begin());
  m_order = ValidFieldOrder(copy);
}
