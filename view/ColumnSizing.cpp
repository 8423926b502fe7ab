// Column sizing with the mouse: the sizing cursor over a header border, and
// the modal drag of that border with a clipped pointer and an inverted
// tracking line. The new width goes straight into the width properties.
#include "view/EventListView.h"
#include "resources/resource.h"
#include "view/ListCoordinates.h"

using velmaric_view::Clamp32;

int32_t EventListView::BorderAt(Point client) const {
  // Before the first paint there is no header to hit.
  if (m_settings.m_bDisableColumnSizing || !IsLaidOut() || client.y > m_nRowHeight) return -1;
  return m_store.HitTestBorder(Clamp32(int64_t{client.x} + m_nHScrollPos));
}

bool EventListView::SetCursor() {
  UiPort& ui = Ui();
  if (m_bBusy) {
    ui.SetSystemCursor(SystemCursor::Wait);
    return false;
  }
  const Point p = Window().ScreenToClient(ui.GetCursorPos());
  if (BorderAt(p) >= 0) {
    ui.SetModuleCursor(IDC_SIZE_COLUMN);
    return true;
  }
  if (m_rcBounds.Contains(p.x, p.y)) {
    ui.SetSystemCursor(SystemCursor::Arrow);
    return true;
  }
  return false;
}

bool EventListView::OnLButtonDown(Point point) {
  const int32_t field = BorderAt(point);
  if (field < 0) return false;
  DragBorder(field, point);
  return true;
}

void EventListView::DragBorder(int32_t field, Point start) {
  UiPort& ui = Ui();
  Window().SetCapture();

  // Sideways only, at the click's height, from six pixels right of the
  // column's drawn left edge to the control's right edge.
  const Rect& column = m_store.m_rcField[field];
  const Point clipFrom =
      Window().ClientToScreen(Point{Clamp32(int64_t{column.left} - m_nHScrollPos + 6), start.y});
  const Point clipTo = Window().ClientToScreen(Point{m_rcBounds.right, start.y});
  const Rect clip{clipFrom.x, clipFrom.y, clipTo.x, clipTo.y};
  ui.ClipCursor(&clip);

  std::unique_ptr<Canvas> dc = Window().GetClientCanvas();
  auto invertLine = [&](int32_t x) {
    if (dc) dc->InvertRect(Rect{x, 0, x + 1, m_rcBounds.bottom});
  };
  int32_t x = start.x;
  invertLine(x);
  m_bSizing = true;

  // Mouse messages are the drag's own and are never dispatched; everything
  // else (timers, paints, the intake) runs as usual. The window may lose the
  // capture, or be destroyed, while a message is dispatched: then the width
  // at the line last drawn is kept.
  UiMessage msg;
  for (;;) {
    if (!ui.GetMessage(msg)) {
      // WM_QUIT ends the drag and is put back for the loop that owns it.
      invertLine(x);
      ui.PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (msg.message < kWmMouseFirst || msg.message > kWmMouseLast) {
      ui.DispatchMessage(msg);
      if (Window().HasCapture()) continue;
    }
    invertLine(x);
    if (!Window().HasCapture()) break;
    x = static_cast<int16_t>(static_cast<uintptr_t>(msg.lParam) & 0xFFFF);
    if (msg.message == kWmLButtonUp) break;
    invertLine(x);
  }

  m_bSizing = false;
  ui.ClipCursor(nullptr);
  Window().ReleaseCapture();
  dc.reset();

  // The drag only starts once the layout exists; a paint during the drag
  // measures again, and a font without a width leaves the width as it was.
  EventList& store = m_store;
  if (m_nCharWidth > 0) {
    const int64_t pixels = static_cast<int64_t>(x) + m_nHScrollPos - store.m_rcField[field].left;
    store.m_nFieldWidth[field] = static_cast<int32_t>(pixels / m_nCharWidth);
  }
  // Written directly: no change notification, and the control is not marked modified.
  const std::array<int16_t*, kFieldCount> widths = m_settings.FieldWidthProperties();
  for (int f = 0; f < kFieldCount; ++f) *widths[f] = static_cast<int16_t>(store.m_nFieldWidth[f]);
  m_control.InvalidateControl();
}
