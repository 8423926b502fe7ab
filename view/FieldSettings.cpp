// Column order and widths from the properties into the store's layout.
#include "control/VelmaricAECtrl.h"
#include "model/FieldOrder.h"

void CVelmaricAECtrl::ApplyFieldSettings() {
  EventList& store = Store();
  // The property keeps what was written; the layout never takes an order
  // that is not a permutation.
  const FieldOrder order = FieldOrderFromText(m_strFieldOrder);
  for (int p = 0; p < kFieldCount; ++p) store.m_nFieldOrder[p] = order[static_cast<size_t>(p)];

  const std::array<int16_t*, kFieldCount> widths = FieldWidthProperties();
  for (int f = 0; f < kFieldCount; ++f) store.m_nFieldWidth[f] = *widths[f];
}

std::array<int16_t*, kFieldCount> CVelmaricAECtrl::FieldWidthProperties() {
  return {&m_nField0Width, &m_nField1Width, &m_nField2Width, &m_nField3Width, &m_nField4Width, &m_nField5Width};
}
