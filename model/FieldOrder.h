// Display orders of the six fields. Painting, layout, sorting, find and the
// Columns page index six-entry tables with an order, so an order that does not
// name each field exactly once is read as the natural order 0..5.
#pragma once
#include <array>
#include <cstddef>

#include "model/Fields.h"

using FieldOrder = std::array<int32_t, kFieldCount>;

// `order` itself when it is a permutation of 0..5, else 0..5.
FieldOrder ValidFieldOrder(const FieldOrder& order);
// The order a FieldOrder text names, one digit per display position ("012345").
FieldOrder FieldOrderFromText(const String& text);

// The columns' display order, which can only hold a permutation: whatever it
// is made from is checked here, once, and taken as 0..5 when it is not one.
class ColumnOrder {
 public:
  ColumnOrder() : m_order{0, 1, 2, 3, 4, 5} {}
  explicit ColumnOrder(const FieldOrder& order) : m_order(ValidFieldOrder(order)) {}
  explicit ColumnOrder(const int32_t (&order)[kFieldCount]);
  static ColumnOrder FromText(const String& text) { return ColumnOrder(FieldOrderFromText(text)); }

  // The field at a display position, 0..5.
  int32_t operator[](size_t position) const { return m_order[position]; }
  FieldOrder::const_iterator begin() const { return m_order.begin(); }
  FieldOrder::const_iterator end() const { return m_order.end(); }
  const FieldOrder& Order() const { return m_order; }
  bool operator==(const ColumnOrder& other) const { return m_order == other.m_order; }

 private:
  FieldOrder m_order;
};
