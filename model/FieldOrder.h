// Display orders of the six fields. Painting, layout, sorting, find and the
// Columns page index six-entry tables with an order, so an order that does not
// name each field exactly once is read as the natural order 0..5.
#pragma once
#include <array>

#include "model/EventList.h"

using FieldOrder = std::array<int32_t, kFieldCount>;

// `order` itself when it is a permutation of 0..5, else 0..5.
FieldOrder ValidFieldOrder(const int32_t (&order)[kFieldCount]);
// The order a FieldOrder text names, one digit per display position ("012345").
FieldOrder FieldOrderFromText(const String& text);
