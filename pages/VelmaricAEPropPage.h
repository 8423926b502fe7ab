// The General page: the watchdog timeout and the four switches of the intake.
#pragma once
#include "framework/PropertyPage.h"

class CVelmaricAEPropPage : public COlePropertyPage {
 public:
  class CVelmaricAEPropPageFactory;

  CVelmaricAEPropPage();

  int16_t m_nWatchdogTimeout = 0;
  int32_t m_bAddNewEventsToBottom = 0;
  int32_t m_bLocalizeTimestamps = 0;
  int32_t m_bSuppressAcknEvents = 0;
  int32_t m_bSuppressResetEvents = 0;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
};
