// The severity classes A to F: each row is drawn in the text and background
// colours of the first class whose threshold its severity meets.
#include "view/EventListView.h"

void EventListView::GetSeverityColors(int32_t severity, ColorRef& text, ColorRef& back, Canvas& dc) const {
  OleColor t, b;
  if (severity <= m_settings.m_nSeverityA) {
    t = m_settings.m_clrTextColorA, b = m_settings.m_clrBackColorA;
  } else if (severity <= m_settings.m_nSeverityB) {
    t = m_settings.m_clrTextColorB, b = m_settings.m_clrBackColorB;
  } else if (severity <= m_settings.m_nSeverityC) {
    t = m_settings.m_clrTextColorC, b = m_settings.m_clrBackColorC;
  } else if (severity <= m_settings.m_nSeverityD) {
    t = m_settings.m_clrTextColorD, b = m_settings.m_clrBackColorD;
  } else if (severity < m_settings.m_nSeverityE) {  // the E threshold is exclusive: equal is class F
    t = m_settings.m_clrTextColorE, b = m_settings.m_clrBackColorE;
  } else {
    t = m_settings.m_clrTextColorF, b = m_settings.m_clrBackColorF;
  }
  text = TranslateColor(t, dc);
  back = TranslateColor(b, dc);
}
