// The control's side of the session: its creation and stop, and the two
// automation methods that ask the worker to connect or disconnect.
#include "control/VelmaricAECtrl.h"
#include "intake/OpcAESession.h"

void CVelmaricAECtrl::StartSession() {
  m_pSession = std::make_shared<OpcAESession>(*m_platform.clock, m_platform.aeLibrary);
  OpcAESession::Start(m_pSession);
}

void CVelmaricAECtrl::StopSession() {
  if (!m_pSession) return;
  // If the worker did not stop in time it still holds the session; dropping
  // our reference then leaves it alive until the worker ends.
  m_pSession->Stop();
  m_pSession->DropTaken();  // handed over but not drained: never announced now
  if (m_platform.aeLibrary) {
    // Never announced: lost to a disconnect or dropped for the queue's bound.
    const OpcAESession::Figures f = m_pSession->IntakeFigures();
    m_platform.aeLibrary->ReportIntake(f.longestQueueWaitUs, f.lost);
  }
  m_pSession.reset();
}

Bool32 CVelmaricAECtrl::ConnectOpc() {
  if (!m_pSession) return 0;
  OpcAESession& s = *m_pSession;
  if (s.State() == Connected) return 1;
  if (!s.RequestConnect()) return 0;
  // The wait does not end early on failure: only Connected ends it.
  for (int i = 0; i < OpcAESession::kPollCount; ++i) {
    m_platform.clock->Sleep(OpcAESession::kPollMs);
    if (s.State() == Connected) return 1;
  }
  return 0;
}

void CVelmaricAECtrl::DisconnectOpc() {
  if (!m_pSession) return;
  OpcAESession& s = *m_pSession;
  if (s.State() == Idle) return;
  if (!s.RequestDisconnect()) return;
  for (int i = 0; i < OpcAESession::kPollCount; ++i) {
    m_platform.clock->Sleep(OpcAESession::kPollMs);
    if (s.State() == Idle) return;
  }
}
