// The commands that are the control's own: connection, refresh, reset and
// About, from the menu or automation; and the menu's enabling, by the state
// each command acts on (the session, the number of rows, the last find hit).
#include "control/VelmaricAECtrl.h"
#include "intake/OpcAESession.h"
#include "resources/resource.h"

Bool32 CVelmaricAECtrl::ConnectOpc() { return m_intake.Connect(); }
void CVelmaricAECtrl::DisconnectOpc() { m_intake.Disconnect(); }

void CVelmaricAECtrl::RunCommand(uint32_t id) {
  switch (id) {
    case ID_REFRESH_EVENTS: m_intake.Refresh(); break;
    case ID_CONNECT: ConnectOpc(); break;  // the outcome shows in the list and the next menu
    case ID_DISCONNECT: DisconnectOpc(); break;
    case ID_ABOUT: OnAbout(); break;
    case ID_RESET_PROPERTIES: ResetProperties(); break;
    default: break;
  }
}

// Every property back to its default. The container is told that its saved
// form is out of date and that all properties changed, as after any other
// change the user makes.
void CVelmaricAECtrl::ResetProperties() {
  OnResetState();
  SetModifiedFlag();
  if (ControlHost* host = GetHost()) host->OnPropertyChanged(kDispIdUnknown);
}

void CVelmaricAECtrl::OnUpdateRefreshEvents(CCmdUI* pCmdUI) { pCmdUI->Enable(m_intake.State() == Connected); }
void CVelmaricAECtrl::OnUpdateClearAll(CCmdUI* pCmdUI) { pCmdUI->Enable(m_store.GetRowCount() >= 1); }
void CVelmaricAECtrl::OnUpdateConnect(CCmdUI* pCmdUI) { pCmdUI->Enable(m_intake.State() == Idle); }
void CVelmaricAECtrl::OnUpdateDisconnect(CCmdUI* pCmdUI) { pCmdUI->Enable(m_intake.State() == Connected); }
void CVelmaricAECtrl::OnUpdateSortAscending(CCmdUI* pCmdUI) { pCmdUI->Enable(m_store.GetRowCount() >= 2); }
void CVelmaricAECtrl::OnUpdateSortDescending(CCmdUI* pCmdUI) { pCmdUI->Enable(m_store.GetRowCount() >= 2); }
void CVelmaricAECtrl::OnUpdateFind(CCmdUI* pCmdUI) { pCmdUI->Enable(m_store.GetRowCount() >= 1); }
void CVelmaricAECtrl::OnUpdateRepeatFind(CCmdUI* pCmdUI) { pCmdUI->Enable(m_view.CanRepeatFind()); }
void CVelmaricAECtrl::OnUpdateAbout(CCmdUI* pCmdUI) { pCmdUI->Enable(true); }
void CVelmaricAECtrl::OnUpdateResetProperties(CCmdUI* pCmdUI) { pCmdUI->Enable(true); }
