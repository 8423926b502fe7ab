// The property set: version 1.0, the extent and stock properties, then the 33
// custom properties in the property table's order (part of the stored stream
// format).
#include "control/VelmaricAECtrl.h"
#include "settings/PropertyTable.h"

namespace {
constexpr uint32_t kVersion = 0x00010000;  // 1.0: major in the high word
}

void CVelmaricAECtrl::DoPropExchange(PropExchange& px) {
  ExchangeVersion(px, kVersion);
  COleControl::DoPropExchange(px);

  ExchangeProperties(*this, px);
}

void CVelmaricAECtrl::OnResetState() {
  COleControl::OnResetState();  // runs the exchange in reset mode and redraws
}

void CVelmaricAECtrl::OnPropertyChanged() { SetModifiedFlag(); }
