// The automation interface _DVelmaricAE: every custom property in dispatch-id
// order, each a plain member with the shared change notification, then the
// two methods. AboutBox (-552) is declared in the type library only: it has no
// entry here, so calling it fails with member-not-found.
#include "control/VelmaricAECtrl.h"

namespace {

using C = CVelmaricAECtrl;
constexpr auto kNotify = &C::OnPropertyChanged;

template <auto Member, VType Type>
constexpr DispEntry Prop(const char16_t* name, DispId id) {
  return DispProperty<Member, Type, kNotify>(name, id);
}

const DispEntry kDispatchEntries[] = {
    Prop<&C::m_nWatchdogTimeout, VType::I2>(u"WatchdogTimeout", 1),
    Prop<&C::m_bAddNewEventsToBottom, VType::Bool>(u"AddNewEventsToBottom", 2),
    Prop<&C::m_bLocalizeTimestamps, VType::Bool>(u"LocalizeTimestamps", 3),
    Prop<&C::m_bSuppressAcknEvents, VType::Bool>(u"SuppressAcknEvents", 4),
    Prop<&C::m_bSuppressResetEvents, VType::Bool>(u"SuppressResetEvents", 5),
    Prop<&C::m_strFieldOrder, VType::BStr>(u"FieldOrder", 6),
    Prop<&C::m_nField0Width, VType::I2>(u"Field0Width", 7),
    Prop<&C::m_nField1Width, VType::I2>(u"Field1Width", 8),
    Prop<&C::m_nField2Width, VType::I2>(u"Field2Width", 9),
    Prop<&C::m_nField3Width, VType::I2>(u"Field3Width", 10),
    Prop<&C::m_nField4Width, VType::I2>(u"Field4Width", 11),
    Prop<&C::m_nField5Width, VType::I2>(u"Field5Width", 12),
    Prop<&C::m_clrTextColorA, VType::Color>(u"TextColorA", 13),
    Prop<&C::m_clrTextColorB, VType::Color>(u"TextColorB", 14),
    Prop<&C::m_clrTextColorC, VType::Color>(u"TextColorC", 15),
    Prop<&C::m_clrTextColorD, VType::Color>(u"TextColorD", 16),
    Prop<&C::m_clrTextColorE, VType::Color>(u"TextColorE", 17),
    Prop<&C::m_clrTextColorF, VType::Color>(u"TextColorF", 18),
    Prop<&C::m_clrBackColorA, VType::Color>(u"BackColorA", 19),
    Prop<&C::m_clrBackColorB, VType::Color>(u"BackColorB", 20),
    Prop<&C::m_clrBackColorC, VType::Color>(u"BackColorC", 21),
    Prop<&C::m_clrBackColorD, VType::Color>(u"BackColorD", 22),
    Prop<&C::m_clrBackColorE, VType::Color>(u"BackColorE", 23),
    Prop<&C::m_clrBackColorF, VType::Color>(u"BackColorF", 24),
    Prop<&C::m_nSeverityA, VType::I2>(u"SeverityA", 25),
    Prop<&C::m_nSeverityB, VType::I2>(u"SeverityB", 26),
    Prop<&C::m_nSeverityC, VType::I2>(u"SeverityC", 27),
    Prop<&C::m_nSeverityD, VType::I2>(u"SeverityD", 28),
    Prop<&C::m_nSeverityE, VType::I2>(u"SeverityE", 29),
    Prop<&C::m_bHideClearAllMenuItem, VType::Bool>(u"HideClearAllMenuItem", 30),
    Prop<&C::m_bHideResetPropertiesMenuItem, VType::Bool>(u"HideResetPropertiesMenuItem", 31),
    Prop<&C::m_bHideConnectionMenuItems, VType::Bool>(u"HideConnectionMenuItems", 32),
    Prop<&C::m_bDisableColumnSizing, VType::Bool>(u"DisableColumnSizing", 33),
    DispMethod<&C::ConnectOpc, VType::Bool>(u"ConnectOpc", 34),
    DispMethod<&C::DisconnectOpc, VType::Empty>(u"DisconnectOpc", 35),
};

const DispTable kDispatchTable{kDispatchEntries, sizeof kDispatchEntries / sizeof kDispatchEntries[0]};

}  // namespace

const DispTable& CVelmaricAECtrl::GetDispatchTable() const { return kDispatchTable; }
