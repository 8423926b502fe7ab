// The commands on the store: clear and sort. Both change the store under its
// lock and request no repaint: the intake's periodic repaint shows the change
// within half a second.
#include "view/EventListView.h"

void EventListView::ClearAll() {
  LockGuard<RecursiveTimedMutex> lock(m_storeLock);
  m_store.RemoveAll();
}

void EventListView::SortRows(int32_t field, int32_t direction) {
  if (field < 0 || field >= kFieldCount) return;
  LockGuard<RecursiveTimedMutex> lock(m_storeLock);
  const int32_t rows = m_store.GetRowCount();
  if (rows < 2) return;
  SetBusy(true);
  m_store.QuickSort(0, rows - 1, field, direction);
  SetBusy(false);
}

// While a sort or a search runs, the cursor handler shows the wait cursor.
void EventListView::SetBusy(bool busy) {
  m_bBusy = busy;
  Ui().SetSystemCursor(busy ? SystemCursor::Wait : SystemCursor::Arrow);
}
