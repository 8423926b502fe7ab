// The property set: version 1.0, the extent and stock properties, then the 33
// custom properties. The order below is part of the stored stream format.
#include "control/VelmaricAECtrl.h"

namespace {
constexpr uint32_t kVersion = 0x00010000;  // 1.0: major in the high word
}

void CVelmaricAECtrl::DoPropExchange(PropExchange& px) {
  ExchangeVersion(px, kVersion);
  COleControl::DoPropExchange(px);

  px.Bool(u"HideConnectionMenuItems", m_bHideConnectionMenuItems, 0);
  px.Bool(u"HideClearAllMenuItem", m_bHideClearAllMenuItem, 0);
  px.Bool(u"HideResetPropertiesMenuItem", m_bHideResetPropertiesMenuItem, 1);
  px.Bool(u"DisableColumnSizing", m_bDisableColumnSizing, 0);
  px.Short(u"WatchdogTimeout", m_nWatchdogTimeout, 15);
  px.Bool(u"AddNewEventsToBottom", m_bAddNewEventsToBottom, 0);
  px.Bool(u"LocalizeTimestamps", m_bLocalizeTimestamps, 0);
  px.Bool(u"SuppressAcknEvents", m_bSuppressAcknEvents, 0);
  px.Bool(u"SuppressResetEvents", m_bSuppressResetEvents, 0);
  px.Str(u"FieldOrder", m_strFieldOrder, u"012345");
  px.Short(u"Field0Width", m_nField0Width, 8);
  px.Short(u"Field1Width", m_nField1Width, 40);
  px.Short(u"Field2Width", m_nField2Width, 40);
  px.Short(u"Field3Width", m_nField3Width, 48);
  px.Short(u"Field4Width", m_nField4Width, 32);
  px.Short(u"Field5Width", m_nField5Width, 12);
  px.Color(u"BackColorA", m_clrBackColorA, 0xFFFFFF);
  px.Color(u"BackColorB", m_clrBackColorB, 0xFFFFFF);
  px.Color(u"BackColorC", m_clrBackColorC, 0xFFFFFF);
  px.Color(u"BackColorD", m_clrBackColorD, 0xFFFFFF);
  px.Color(u"BackColorE", m_clrBackColorE, 0xFFFFFF);
  px.Color(u"BackColorF", m_clrBackColorF, 0xFFFFFF);
  px.Color(u"TextColorA", m_clrTextColorA, 0x000000);
  px.Color(u"TextColorB", m_clrTextColorB, 0x000000);
  px.Color(u"TextColorC", m_clrTextColorC, 0x000000);
  px.Color(u"TextColorD", m_clrTextColorD, 0x000000);
  px.Color(u"TextColorE", m_clrTextColorE, 0x000000);
  px.Color(u"TextColorF", m_clrTextColorF, 0x000000);
  px.Short(u"SeverityA", m_nSeverityA, 1);
  px.Short(u"SeverityB", m_nSeverityB, 200);
  px.Short(u"SeverityC", m_nSeverityC, 400);
  px.Short(u"SeverityD", m_nSeverityD, 600);
  px.Short(u"SeverityE", m_nSeverityE, 800);
}

void CVelmaricAECtrl::OnResetState() {
  COleControl::OnResetState();  // runs the exchange in reset mode and redraws
}

void CVelmaricAECtrl::OnPropertyChanged() { SetModifiedFlag(); }
