// The Run-mode functions page: which context-menu items the user gets and
// whether columns can be sized with the mouse.
#pragma once
#include "framework/PropertyPage.h"

class HidePpg : public COlePropertyPage {
 public:
  class HidePpgFactory;

  HidePpg();

  int32_t m_bHideClearAll = 0;
  int32_t m_bHideReset = 1;
  int32_t m_bDisableSizing = 0;
  int32_t m_bHideConnection = 0;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
};
