// Column order and widths from the properties into the store's layout.
#include "model/FieldOrder.h"
#include "view/EventListView.h"

void EventListView::ApplyFieldSettings() {
  // The property keeps what was written; the layout never takes an order
  // that is not a permutation.
  m_store.m_nFieldOrder = ColumnOrder::FromText(m_settings.m_strFieldOrder);

  const std::array<int16_t*, kFieldCount> widths = m_settings.FieldWidthProperties();
  for (int f = 0; f < kFieldCount; ++f) m_store.m_nFieldWidth[f] = *widths[f];
}
