// The control's persistent property set as one value: what the container
// stores, the pages edit and automation reads and writes. The members keep
// the names the rest of the control uses; their defaults, ids, stored order
// and page bounds are in PropertyTable.h, nowhere else.
#pragma once
#include <array>

#include "framework/Types.h"

struct VelmaricAESettings {
  int16_t m_nWatchdogTimeout = 0;
  Bool32 m_bAddNewEventsToBottom = 0;
  Bool32 m_bLocalizeTimestamps = 0;
  Bool32 m_bSuppressAcknEvents = 0;
  Bool32 m_bSuppressResetEvents = 0;
  String m_strFieldOrder;
  int16_t m_nField0Width = 0;
  int16_t m_nField1Width = 0;
  int16_t m_nField2Width = 0;
  int16_t m_nField3Width = 0;
  int16_t m_nField4Width = 0;
  int16_t m_nField5Width = 0;
  OleColor m_clrTextColorA = 0;
  OleColor m_clrTextColorB = 0;
  OleColor m_clrTextColorC = 0;
  OleColor m_clrTextColorD = 0;
  OleColor m_clrTextColorE = 0;
  OleColor m_clrTextColorF = 0;
  OleColor m_clrBackColorA = 0;
  OleColor m_clrBackColorB = 0;
  OleColor m_clrBackColorC = 0;
  OleColor m_clrBackColorD = 0;
  OleColor m_clrBackColorE = 0;
  OleColor m_clrBackColorF = 0;
  int16_t m_nSeverityA = 0;
  int16_t m_nSeverityB = 0;
  int16_t m_nSeverityC = 0;
  int16_t m_nSeverityD = 0;
  int16_t m_nSeverityE = 0;
  Bool32 m_bHideClearAllMenuItem = 0;
  Bool32 m_bHideResetPropertiesMenuItem = 0;
  Bool32 m_bHideConnectionMenuItems = 0;
  Bool32 m_bDisableColumnSizing = 0;

  // Field0Width..Field5Width, by field.
  std::array<int16_t*, 6> FieldWidthProperties() {
    return {&m_nField0Width, &m_nField1Width, &m_nField2Width, &m_nField3Width, &m_nField4Width, &m_nField5Width};
  }
};
