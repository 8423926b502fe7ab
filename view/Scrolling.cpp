// The scroll bars and the two scroll-message handlers: whole rows vertically,
// pixels horizontally.
#include "view/EventListView.h"
#include "view/ListCoordinates.h"

using velmaric_view::Clamp32;

namespace {
// Scroll codes of WM_HSCROLL / WM_VSCROLL.
enum : int {
  kSbLineUp = 0, kSbLineDown = 1, kSbPageUp = 2, kSbPageDown = 3, kSbThumbPosition = 4,
  kSbThumbTrack = 5, kSbTop = 6, kSbBottom = 7, kSbEndScroll = 8
};
}  // namespace

int32_t EventListView::VisibleRows() const {
  if (m_nRowHeight <= 0) return 0;
  const int64_t v = (int64_t{m_rcBounds.bottom} - m_rcBounds.top - m_nRowHeight) / m_nRowHeight;
  // A view lower than the header shows no rows, not a negative number of them.
  return v < 0 ? 0 : Clamp32(v);
}

void EventListView::UpdateScrollBars() {
  WindowPort& wnd = Window();
  const int32_t totalWidth = m_store.m_nTotalWidth;
  if (totalWidth > m_rcBounds.right) {
    wnd.ShowScrollBar(kSbHorz, true);
    // Bounds that end left of 0 would put the range past 32 bits.
    wnd.SetScrollRange(kSbHorz, 0, Clamp32(int64_t{totalWidth} - m_rcBounds.right), true);
  } else {
    wnd.SetScrollPos(kSbHorz, 0, true);
    wnd.ShowScrollBar(kSbHorz, false);
    m_nHScrollPos = 0;
  }

  // Positions are left alone when a range shrinks: the next scroll action,
  // add or find clamps them.
  const int32_t rows = m_store.GetRowCount();
  const int32_t visible = VisibleRows();
  if (rows > visible) {
    wnd.ShowScrollBar(kSbVert, true);
    wnd.SetScrollRange(kSbVert, 0, rows - visible, true);
  } else {
    wnd.SetScrollPos(kSbVert, 0, true);
    wnd.ShowScrollBar(kSbVert, false);
    m_nFirstRow = 0;
  }
}

void EventListView::OnHScroll(int code, int trackPos) {
  WindowPort& wnd = Window();
  int32_t min = 0, max = 0;
  wnd.GetScrollRange(kSbHorz, min, max);
  // A step from a position near the end of a wide list (or of a range that
  // has since shrunk) may pass the 32-bit range before it is clamped.
  int64_t pos = m_nHScrollPos;
  switch (code) {
    case kSbLineUp:  // SB_LINELEFT
      pos -= m_nCharWidth;
      break;
    case kSbLineDown:  // SB_LINERIGHT
      pos += m_nCharWidth;
      if (pos > max) pos = max;
      break;
    case kSbPageUp:  // SB_PAGELEFT: one view width
      pos -= m_rcBounds.right;
      break;
    case kSbPageDown:  // SB_PAGERIGHT
      pos += m_rcBounds.right;
      if (pos > max) pos = max;
      break;
    case kSbThumbTrack:
      pos = trackPos;
      break;
    default:  // thumb released (already tracked), left, right, end: nothing to do
      return;
  }
  m_nHScrollPos = pos < 0 ? 0 : Clamp32(pos);
  wnd.SetScrollPos(kSbHorz, m_nHScrollPos, true);
  wnd.Invalidate(true);
}

void EventListView::OnVScroll(int code, int trackPos) {
  WindowPort& wnd = Window();
  int32_t min = 0, max = 0;
  wnd.GetScrollRange(kSbVert, min, max);
  switch (code) {
    case kSbLineUp:
      m_nFirstRow -= 1;
      break;
    case kSbLineDown:
      m_nFirstRow += 1;
      break;
    case kSbPageUp:
      if (m_nRowHeight == 0) return;  // never painted: no page size yet
      m_nFirstRow -= VisibleRows();
      break;
    case kSbPageDown:
      m_nFirstRow += VisibleRows();
      break;
    case kSbThumbTrack:
      m_nFirstRow = trackPos;
      break;
    case kSbEndScroll:
      break;
    default:  // thumb released (already tracked), top, bottom
      return;
  }
  if (m_nFirstRow < min) m_nFirstRow = min;
  if (m_nFirstRow > max) m_nFirstRow = max;
  wnd.SetScrollPos(kSbVert, m_nFirstRow, true);
  wnd.Invalidate(true);
}
