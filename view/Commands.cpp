// The context menu's own commands: clear, sort, refresh and reset. Clear and
// sort change the store under its lock and request no repaint: the intake's
// periodic repaint shows the change within half a second.
#include "control/VelmaricAECtrl.h"
#include "intake/OpcAESession.h"

void CVelmaricAECtrl::ClearAll() {
  std::lock_guard<std::recursive_timed_mutex> lock(m_mtxStore);
  Store().RemoveAll();
}

void CVelmaricAECtrl::SortRows(int32_t field, int32_t direction) {
  if (field < 0 || field >= kFieldCount) return;
  std::lock_guard<std::recursive_timed_mutex> lock(m_mtxStore);
  const int32_t rows = Store().GetRowCount();
  if (rows < 2) return;
  SetBusy(true);
  Store().QuickSort(0, rows - 1, field, direction);
  SetBusy(false);
}

// While a sort or a search runs, the cursor handler shows the wait cursor.
void CVelmaricAECtrl::SetBusy(bool busy) {
  m_bBusy = busy;
  Ui().SetSystemCursor(busy ? SystemCursor::Wait : SystemCursor::Arrow);
}

// The worker asks the server on its next pass and clears the request.
void CVelmaricAECtrl::RefreshEvents() {
  if (OpcAESession* session = Session()) session->RequestRefresh();
}

// Every property back to its default. The container is told that its saved
// form is out of date and that all properties changed, as after any other
// change the user makes.
void CVelmaricAECtrl::ResetProperties() {
  OnResetState();
  SetModifiedFlag();
  if (ControlHost* host = GetHost()) host->OnPropertyChanged(kDispIdUnknown);
}
