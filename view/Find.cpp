// Find and Repeat last find: a case-sensitive substring search over the cells
// in display order, row by row, from just after the last hit. A hit becomes
// the bottom row of the view (or the view goes to the top) and its column is
// scrolled into view; a miss is reported in a message box.
#include "view/EventListView.h"
#include "view/FindDlg.h"

namespace {
const char16_t kNotFound[] = u"The specified text was not found.    ";
const char16_t kFindCaption[] = u"Alarms & Events view";
}  // namespace

void EventListView::OnFind() {
  if (m_store.GetRowCount() == 0 || !m_dlgFind) return;
  if (m_dlgFind->DoModal() != kIdOk) return;  // text and last hit stay as they were
  m_nFindColumn = -1;
  m_nFindRow = 0;
  SetBusy(true);
  Search();
  SetBusy(false);
}

void EventListView::OnRepeatFind() { Search(); }

void EventListView::Search() {
  if (!m_dlgFind) return;
  const String& text = m_dlgFind->m_strFind;
  if (text.empty()) return;
  int32_t p = m_nFindColumn + 1 < 0 ? 0 : m_nFindColumn + 1;
  int32_t r = m_nFindRow < 0 ? 0 : m_nFindRow;
  if (p >= kFieldCount) {
    p = 0;
    ++r;
  }

  // Held until the search ends, the message box included: the drain and the
  // paint that run inside the box's loop take it again on this thread.
  LockGuard<RecursiveTimedMutex> lock(m_storeLock);
  const EventList& store = m_store;
  const int32_t rows = store.GetRowCount();
  for (; r < rows; ++r, p = 0) {
    for (; p < kFieldCount; ++p) {
      const int32_t f = store.m_nFieldOrder[p];
      if (store.CellRef(f, r).find(text) == String::npos) continue;
      m_nFindColumn = p;
      m_nFindRow = r;

      WindowPort& wnd = Window();
      const int32_t visible = VisibleRows();
      if (rows > visible) {
        int32_t min = 0, max = 0;
        wnd.GetScrollRange(kSbVert, min, max);
        int32_t first = r - visible + 1;
        if (first < min) first = min;
        if (first > max) first = max;
        m_nFirstRow = first;
        wnd.SetScrollPos(kSbVert, first, true);
        wnd.Invalidate(true);
      }
      const Rect& col = store.m_rcField[f];
      // In 64 bits: a column can lie at either end of the 32-bit range.
      if (int64_t{col.right} - m_nHScrollPos > m_rcBounds.right ||
          int64_t{col.left} - m_nHScrollPos < m_rcBounds.left) {
        int32_t min = 0, max = 0;
        wnd.GetScrollRange(kSbHorz, min, max);
        int32_t pos = col.left < 0 ? 0 : col.left;
        if (pos > max) pos = max;
        m_nHScrollPos = pos;
        wnd.SetScrollPos(kSbHorz, pos, true);
        wnd.Invalidate(true);
      }
      wnd.Invalidate(true);  // the mark moves to the hit
      return;
    }
  }
  Ui().MessageBox(Window().NativeHandle(), kNotFound, kFindCaption, kMbOk | kMbIconInformation);
}
