// Column order and widths from the properties into the store's layout.
#include "control/VelmaricAECtrl.h"

namespace {

// True when `order` names each of the six fields exactly once.
bool IsFieldPermutation(const String& order) {
  if (order.size() != kFieldCount) return false;
  bool seen[kFieldCount] = {};
  for (char16_t ch : order) {
    int f = ch - u'0';
    if (f < 0 || f >= kFieldCount || seen[f]) return false;
    seen[f] = true;
  }
  return true;
}

}  // namespace

void CVelmaricAECtrl::ApplyFieldSettings() {
  EventList& store = Store();
  // The store, sorting, sizing and find index their tables with these
  // values, so anything but a permutation lays out in the natural order. The
  // property keeps what was written.
  const bool valid = IsFieldPermutation(m_strFieldOrder);
  for (int p = 0; p < kFieldCount; ++p)
    store.m_nFieldOrder[p] = valid ? m_strFieldOrder[p] - u'0' : p;

  const int16_t widths[kFieldCount] = {m_nField0Width, m_nField1Width, m_nField2Width,
                                       m_nField3Width, m_nField4Width, m_nField5Width};
  for (int f = 0; f < kFieldCount; ++f) store.m_nFieldWidth[f] = widths[f];
}
