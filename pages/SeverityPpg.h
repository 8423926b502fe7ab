// The Severity page: the upper bounds of the colour classes A to E (F ends at
// 999). The bounds are not compared with one another.
#pragma once
#include "framework/PropertyPage.h"

class SeverityPpg : public COlePropertyPage {
 public:
  class SeverityPpgFactory;

  SeverityPpg();

  int16_t m_nSeverityA = 0;
  int16_t m_nSeverityB = 0;
  int16_t m_nSeverityC = 0;
  int16_t m_nSeverityD = 0;
  int16_t m_nSeverityE = 0;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
};
