// The paint pass: metrics and layout from the current properties, then the
// whole list drawn off screen and copied to the target in one step.
#include "view/EventListView.h"

void EventListView::Draw(Canvas& dc, const Rect& bounds, const Rect& invalid) {
  if (invalid.IsEmpty()) return;

  uintptr_t oldFont = dc.SelectControlFont();
  TextMetrics tm = dc.GetTextMetrics();
  dc.RestoreFont(oldFont);

  m_nRowHeight = tm.height + 4;
  if (m_nRowHeight <= 0) return;
  m_nCharWidth = tm.aveCharWidth;

  ApplyFieldSettings();
  m_store.LayoutFields(m_nCharWidth, m_nRowHeight);
  m_rcBounds = bounds;

  std::unique_ptr<Canvas> memory = dc.CreateMemoryCanvas();
  if (!memory) {
    // No memory context: draw straight on the target (this pass leaves the
    // scroll bars as they are).
    DrawList(dc);
    return;
  }
  UpdateScrollBars();
  if (!memory->SelectCompatibleBitmap(bounds.right, bounds.bottom)) {
    // Without a bitmap the memory context holds only its 1x1 placeholder, and
    // copying that would blank the control.
    memory.reset();
    DrawList(dc);
    return;
  }
  DrawList(*memory);
  dc.CopyFrom(*memory, bounds.right, bounds.bottom);
}

void EventListView::DrawList(Canvas& dc) {
  uintptr_t oldFont = dc.SelectControlFont();
  dc.FillRect(m_rcBounds, TranslateColor(m_control.GetBackColor(), dc));
  DrawHeader(dc);
  DrawRows(dc);
  dc.RestoreFont(oldFont);
}
