// The automation interface _DVelmaricAE: every custom property of the
// property table in dispatch-id order, then the two methods. AboutBox (-552)
// is declared in the type library only: it has no entry here, so calling it
// fails with member-not-found.
#include "control/VelmaricAECtrl.h"

#include <array>
#include <utility>

#include "settings/PropertyTable.h"

namespace {

using C = CVelmaricAECtrl;

// Property K in dispatch-id order (id K + 1), read and written through the
// property table; every write runs the shared change notification.
template <size_t K>
Value GetNth(COleControl& c) {
  return GetProperty(static_cast<C&>(c), kPropertyRows[kRowsByDispId[K]]);
}
template <size_t K>
void PutNth(COleControl& c, const Value& v) {
  C& self = static_cast<C&>(c);
  PutProperty(self, kPropertyRows[kRowsByDispId[K]], v);
  self.OnPropertyChanged();
}

template <size_t K>
constexpr DispEntry PropertyEntry() {
  const PropertyRow& row = kPropertyRows[kRowsByDispId[K]];
  return DispEntry{row.name, row.dispid, row.type, false, &GetNth<K>, &PutNth<K>};
}

template <size_t... K>
constexpr std::array<DispEntry, kPropertyCount + 2> MakeEntries(std::index_sequence<K...>) {
  return {{PropertyEntry<K>()...,
           DispMethod<&C::ConnectOpc, VType::Bool>(u"ConnectOpc", 34),
           DispMethod<&C::DisconnectOpc, VType::Empty>(u"DisconnectOpc", 35)}};
}

constexpr std::array<DispEntry, kPropertyCount + 2> kDispatchEntries =
    MakeEntries(std::make_index_sequence<kPropertyCount>());

const DispTable kDispatchTable{kDispatchEntries.data(), kDispatchEntries.size()};

}  // namespace

const DispTable& CVelmaricAECtrl::GetDispatchTable() const { return kDispatchTable; }
