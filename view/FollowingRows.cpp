// The view following rows as they are added: the vertical range grows, and
// the first row moves with the new row where the add mode says it does.
#include "view/EventListView.h"

EventListView::ScrollBatch EventListView::BeginScrollBatch() {
  ScrollBatch batch;
  Window().GetScrollRange(kSbVert, batch.min, batch.max);
  return batch;
}

void EventListView::FollowNewRow(ScrollBatch& batch) {
  const int32_t oldMax = batch.max;
  const int32_t rows = m_store.GetRowCount();
  const int32_t v = VisibleRows();
  batch.min = 0;
  batch.max = rows - v > 0 ? rows - v : 0;
  batch.added = true;

  // Bottom mode follows a view on (or, before a paint clamped it, beyond) the
  // last page; top mode keeps a scrolled view on the rows it showed.
  const bool follow = m_settings.m_bAddNewEventsToBottom ? m_nFirstRow >= oldMax : m_nFirstRow > 0;
  if (!follow) return;
  int32_t first = m_nFirstRow + 1;
  if (first > batch.max) first = batch.max;
  if (first < batch.min) first = batch.min;
  m_nFirstRow = first;
  batch.moved = true;
}

void EventListView::EndScrollBatch(const ScrollBatch& batch) {
  if (!batch.added) return;
  WindowPort& wnd = Window();
  wnd.SetScrollRange(kSbVert, 0, batch.max, true);
  if (!batch.moved) return;
  wnd.SetScrollPos(kSbVert, m_nFirstRow, true);
  wnd.Invalidate(true);
}
