// Adding a row to the list with the view following it, and the watchdog row
// written after a silence.
#include "control/VelmaricAECtrl.h"

void CVelmaricAECtrl::AddEventRow(const String& timestamp, const String& source,
                                  const String& message, const String& category,
                                  const String& severity) {
  m_pEventList->AddEvent(timestamp, source, message, category, severity, m_bAddNewEventsToBottom);
  if (m_pScrollBatch) {
    FollowNewRow(*m_pScrollBatch);
    return;
  }
  ScrollBatch one = BeginScrollBatch();
  FollowNewRow(one);
  EndScrollBatch(one);
}

CVelmaricAECtrl::ScrollBatch CVelmaricAECtrl::BeginScrollBatch() {
  ScrollBatch batch;
  Window().GetScrollRange(kSbVert, batch.min, batch.max);
  return batch;
}

void CVelmaricAECtrl::FollowNewRow(ScrollBatch& batch) {
  const int32_t oldMax = batch.max;
  const int32_t rows = m_pEventList->GetRowCount();
  const int32_t v = VisibleRows();
  batch.min = 0;
  batch.max = rows - v > 0 ? rows - v : 0;
  batch.added = true;

  // Bottom mode follows a view on (or, before a paint clamped it, beyond) the
  // last page; top mode keeps a scrolled view on the rows it showed.
  const bool follow = m_bAddNewEventsToBottom ? m_nFirstRow >= oldMax : m_nFirstRow > 0;
  if (!follow) return;
  int32_t first = m_nFirstRow + 1;
  if (first > batch.max) first = batch.max;
  if (first < batch.min) first = batch.min;
  m_nFirstRow = first;
  batch.moved = true;
}

void CVelmaricAECtrl::EndScrollBatch(const ScrollBatch& batch) {
  if (!batch.added) return;
  WindowPort& wnd = Window();
  wnd.SetScrollRange(kSbVert, 0, batch.max, true);
  if (!batch.moved) return;
  wnd.SetScrollPos(kSbVert, m_nFirstRow, true);
  wnd.Invalidate(true);
}

void CVelmaricAECtrl::AddMarkerRow(const String& message) {
  AddEventRow(u"*", u"* Velmaric AE *", message, u"*", u"*");
}

void CVelmaricAECtrl::CheckWatchdog() {
  if (m_dwWatchdogTimeout == 0) return;
  const uint32_t silence = m_platform.clock->GetTickCount() - m_dwWatchdogTick;
  if (silence > m_dwWatchdogTimeout && !m_bWatchdogFired) {
    m_bWatchdogFired = true;
    AddMarkerRow(u"* Watchdog timed out  - not receiving alarms & events *");
  }
}
