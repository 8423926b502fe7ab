// Adding a row to the list with the view following it, and the watchdog row
// written after a silence.
#include "control/VelmaricAECtrl.h"

void CVelmaricAECtrl::AddEventRow(const String& timestamp, const String& source,
                                  const String& message, const String& category,
                                  const String& severity) {
  const bool atBottom = m_bAddNewEventsToBottom != 0;
  m_pEventList->AddEvent(timestamp, source, message, category, severity, m_bAddNewEventsToBottom);

  WindowPort& wnd = Window();
  int32_t min = 0, oldMax = 0;
  wnd.GetScrollRange(kSbVert, min, oldMax);
  const int32_t rows = m_pEventList->GetRowCount();
  const int32_t v = VisibleRows();
  wnd.SetScrollRange(kSbVert, 0, rows - v > 0 ? rows - v : 0, true);

  // Bottom mode follows a view on (or, before a paint clamped it, beyond) the
  // last page; top mode keeps a scrolled view on the rows it showed.
  const bool follow = atBottom ? m_nFirstRow >= oldMax : m_nFirstRow > 0;
  if (!follow) return;
  int32_t max = 0;
  wnd.GetScrollRange(kSbVert, min, max);
  int32_t first = m_nFirstRow + 1;
  if (first > max) first = max;
  if (first < min) first = min;
  m_nFirstRow = first;
  wnd.SetScrollPos(kSbVert, m_nFirstRow, true);
  wnd.Invalidate(true);
}

void CVelmaricAECtrl::CheckWatchdog() {
  if (m_dwWatchdogTimeout == 0) return;
  const uint32_t silence = m_platform.clock->GetTickCount() - m_dwWatchdogTick;
  if (silence > m_dwWatchdogTimeout && !m_bWatchdogFired) {
    m_bWatchdogFired = true;
    AddEventRow(u"*", u"* Velmaric AE *", u"* Watchdog timed out  - not receiving alarms & events *",
                u"*", u"*");
  }
}
