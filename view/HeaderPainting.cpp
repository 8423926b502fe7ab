// The header: one raised button-face cell per column, at the column's
// rectangle, and a filler cell from the last column to past the right edge.
#include "view/EventListView.h"
#include "view/Ampersands.h"
#include "view/ListCoordinates.h"

using velmaric_view::Clamp32;

void EventListView::DrawHeader(Canvas& dc) {
  const int32_t right = Clamp32(int64_t{m_rcBounds.right} + m_nHScrollPos + 2);
  dc.FillRect({m_rcBounds.left, 0, right, m_nRowHeight}, dc.GetSysColor(kColorBtnFace));
  dc.SetTextColor(dc.GetSysColor(kColorBtnText));

  const EventList& store = m_store;
  for (int f = 0; f < kFieldCount; ++f) DrawHeaderCell(dc, store.m_rcField[f], kFieldLabels[f]);
  // Its right-hand frame lies two pixels past the edge, so it is never seen.
  DrawHeaderCell(dc, {store.m_nTotalWidth, 0, right, m_nRowHeight}, String());
}

void EventListView::DrawHeaderCell(Canvas& dc, Rect r, const String& label) {
  if (r.left > r.right) return;
  // A column at the end of the 32-bit range still shrinks and insets.
  int64_t left = int64_t{r.left} - m_nHScrollPos, top = r.top;
  int64_t right = int64_t{r.right} - m_nHScrollPos, bottom = r.bottom;
  auto cell = [&] { return Rect{Clamp32(left), Clamp32(top), Clamp32(right), Clamp32(bottom)}; };

  auto shrink = [&] {
    ++left, ++top, --right, --bottom;
    return left <= right;
  };
  dc.Draw3dRect(cell(), dc.GetSysColor(kColorBtnHighlight), dc.GetSysColor(kColorWindowFrame));
  if (!shrink()) return;
  dc.Draw3dRect(cell(), dc.GetSysColor(kColorBtnFace), dc.GetSysColor(kColorBtnShadow));
  if (!shrink()) return;
  // Leaves button face as the text background; the mode is still opaque, so
  // the label is drawn on it.
  dc.FillSolidRect(cell(), dc.GetSysColor(kColorBtnFace));

  left += 4;
  right -= 4;
  bottom = m_nRowHeight;
  if (left > right) return;
  String scratch;
  dc.DrawText(velmaric_view::DoubleAmpersands(label, scratch), cell(), kDtEndEllipsis);
}
