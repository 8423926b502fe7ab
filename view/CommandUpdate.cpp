// When the context menu opens, each command is enabled or greyed by the state
// it acts on: the session, the number of rows, the last find hit.
#include "control/VelmaricAECtrl.h"
#include "intake/OpcAESession.h"

namespace {
int32_t StateOf(OpcAESession* session) { return session ? session->State() : Idle; }
}  // namespace

void CVelmaricAECtrl::OnUpdateRefreshEvents(CCmdUI* pCmdUI) { pCmdUI->Enable(StateOf(Session()) == Connected); }
void CVelmaricAECtrl::OnUpdateClearAll(CCmdUI* pCmdUI) { pCmdUI->Enable(Store().GetRowCount() >= 1); }
void CVelmaricAECtrl::OnUpdateConnect(CCmdUI* pCmdUI) { pCmdUI->Enable(StateOf(Session()) == Idle); }
void CVelmaricAECtrl::OnUpdateDisconnect(CCmdUI* pCmdUI) { pCmdUI->Enable(StateOf(Session()) == Connected); }
void CVelmaricAECtrl::OnUpdateSortAscending(CCmdUI* pCmdUI) { pCmdUI->Enable(Store().GetRowCount() >= 2); }
void CVelmaricAECtrl::OnUpdateSortDescending(CCmdUI* pCmdUI) { pCmdUI->Enable(Store().GetRowCount() >= 2); }
void CVelmaricAECtrl::OnUpdateFind(CCmdUI* pCmdUI) { pCmdUI->Enable(Store().GetRowCount() >= 1); }
void CVelmaricAECtrl::OnUpdateRepeatFind(CCmdUI* pCmdUI) { pCmdUI->Enable(m_nFindColumn >= 0); }
void CVelmaricAECtrl::OnUpdateAbout(CCmdUI* pCmdUI) { pCmdUI->Enable(true); }
void CVelmaricAECtrl::OnUpdateResetProperties(CCmdUI* pCmdUI) { pCmdUI->Enable(true); }
