// The rows: one band per row in its severity colours, cell texts inset six
// pixels from their column's edges, and the last find hit inverted.
#include "view/EventListView.h"
#include "model/SortText.h"
#include "view/Ampersands.h"
#include "view/ListCoordinates.h"

using velmaric_view::Clamp32;

void EventListView::DrawRows(Canvas& dc) {
  dc.SetBkMode(kBkTransparent);

  LockGuard<RecursiveTimedMutex> lock(m_storeLock);
  const EventList& store = m_store;
  const int32_t rowCount = store.GetRowCount();
  const int32_t findField = (m_nFindColumn >= 0 && m_nFindColumn < kFieldCount)
                                ? store.m_nFieldOrder[m_nFindColumn]
                                : -1;
  String scratch;
  // A negative first row (set by a caller) leaves blank bands above row 0
  // rather than reading before the first row.
  for (int32_t row = m_nFirstRow < 0 ? 0 : m_nFirstRow; row < rowCount; ++row) {
    const int64_t k = static_cast<int64_t>(row) - m_nFirstRow;
    const int64_t top = (k + 1) * m_nRowHeight + 2;
    // Rows whose top is at the bottom edge are still drawn; only the next
    // one is not: the loop costs the visible rows only.
    if (top > m_rcBounds.bottom) break;
    const int32_t y0 = static_cast<int32_t>(top);
    const int32_t y1 = Clamp32(top + m_nRowHeight - 2);

    ColorRef text = 0, back = 0;
    GetSeverityColors(velmaric_model::ParseDecimal(store.CellRef(kFieldSeverity, row)), text, back, dc);
    dc.FillRect({m_rcBounds.left, y0, Clamp32(int64_t{m_rcBounds.right} - m_nHScrollPos), y1}, back);
    dc.SetTextColor(text);

    for (int f = 0; f < kFieldCount; ++f) {
      // Columns at the ends of the 32-bit range keep their cells there.
      const Rect& col = store.m_rcField[f];
      const Rect cell{Clamp32(int64_t{col.left} - m_nHScrollPos + 6), y0,
                      Clamp32(int64_t{col.right} - m_nHScrollPos - 6), y1};
      dc.DrawText(velmaric_view::DoubleAmpersands(store.CellRef(f, row), scratch), cell, kDtEndEllipsis);
      if (row == m_nFindRow && f == findField) dc.InvertRect(cell);
    }
  }
}
