// The header: one raised button-face cell per column, at the column's
// rectangle, and a filler cell from the last column to past the right edge.
#include "control/VelmaricAECtrl.h"
#include "view/Ampersands.h"

void CVelmaricAECtrl::DrawHeader(Canvas& dc) {
  const int32_t right = m_rcBounds.right + m_nHScrollPos + 2;
  dc.FillRect({m_rcBounds.left, 0, right, m_nRowHeight}, dc.GetSysColor(kColorBtnFace));
  dc.SetTextColor(dc.GetSysColor(kColorBtnText));

  const EventList& store = Store();
  for (int f = 0; f < kFieldCount; ++f) DrawHeaderCell(dc, store.m_rcField[f], kFieldLabels[f]);
  // Its right-hand frame lies two pixels past the edge, so it is never seen.
  DrawHeaderCell(dc, {store.m_nTotalWidth, 0, right, m_nRowHeight}, String());
}

void CVelmaricAECtrl::DrawHeaderCell(Canvas& dc, Rect r, const String& label) {
  if (r.left > r.right) return;
  r.left -= m_nHScrollPos;
  r.right -= m_nHScrollPos;

  auto shrink = [&r] {
    ++r.left, ++r.top, --r.right, --r.bottom;
    return r.left <= r.right;
  };
  dc.Draw3dRect(r, dc.GetSysColor(kColorBtnHighlight), dc.GetSysColor(kColorWindowFrame));
  if (!shrink()) return;
  dc.Draw3dRect(r, dc.GetSysColor(kColorBtnFace), dc.GetSysColor(kColorBtnShadow));
  if (!shrink()) return;
  // Leaves button face as the text background; the mode is still opaque, so
  // the label is drawn on it.
  dc.FillSolidRect(r, dc.GetSysColor(kColorBtnFace));

  r.left += 4;
  r.right -= 4;
  r.bottom = m_nRowHeight;
  if (r.left > r.right) return;
  String scratch;
  dc.DrawText(velmaric_view::DoubleAmpersands(label, scratch), r, kDtEndEllipsis);
}
