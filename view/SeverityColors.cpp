// The severity classes A to F: each row is drawn in the text and background
// colours of the first class whose threshold its severity meets.
#include "control/VelmaricAECtrl.h"

void CVelmaricAECtrl::GetSeverityColors(int32_t severity, ColorRef& text, ColorRef& back, Canvas& dc) {
  OleColor t, b;
  if (severity <= m_nSeverityA) {
    t = m_clrTextColorA, b = m_clrBackColorA;
  } else if (severity <= m_nSeverityB) {
    t = m_clrTextColorB, b = m_clrBackColorB;
  } else if (severity <= m_nSeverityC) {
    t = m_clrTextColorC, b = m_clrBackColorC;
  } else if (severity <= m_nSeverityD) {
    t = m_clrTextColorD, b = m_clrBackColorD;
  } else if (severity < m_nSeverityE) {  // the E threshold is exclusive: equal is class F
    t = m_clrTextColorE, b = m_clrBackColorE;
  } else {
    t = m_clrTextColorF, b = m_clrBackColorF;
  }
  text = TranslateColor(t, dc);
  back = TranslateColor(b, dc);
}
