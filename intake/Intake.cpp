// The intake's session: its start and stop, and the requests that ask the
// worker to connect, disconnect or refresh.
#include "intake/Intake.h"

#include "intake/OpcAESession.h"

Intake::Intake(Clock& clock, TimePort* time, AELibraryLoader* library, const VelmaricAESettings& settings,
               RecursiveTimedMutex& storeLock, IntakeSink& sink)
    : m_clock(clock), m_time(time), m_pLibrary(library), m_settings(settings), m_storeLock(storeLock), m_sink(sink) {
  m_dwWatchdogTick = m_clock.GetTickCount();
  m_pSession = std::make_shared<OpcAESession>(m_clock, m_pLibrary);
  OpcAESession::Start(m_pSession);
}

Intake::~Intake() { Stop(); }

void Intake::Stop() {
  if (!m_pSession) return;
  // If the worker did not stop in time it still holds the session; dropping
  // our reference then leaves it alive until the worker ends.
  m_pSession->Stop();
  m_pSession->DropTaken();  // handed over but not drained: never announced now
  if (m_pLibrary) {
    // Never announced: lost to a disconnect or dropped for the queue's bound.
    const OpcAESession::Figures f = m_pSession->IntakeFigures();
    m_pLibrary->ReportIntake(f.longestQueueWaitUs, f.lost);
  }
  m_pSession.reset();
}

int32_t Intake::State() const { return m_pSession ? m_pSession->State() : Idle; }

void Intake::Refresh() {
  if (m_pSession) m_pSession->RequestRefresh();
}

Bool32 Intake::Connect() {
  if (!m_pSession) return 0;
  OpcAESession& s = *m_pSession;
  if (s.State() == Connected) return 1;
  if (!s.RequestConnect()) return 0;
  // The wait does not end early on failure: only Connected ends it.
  for (int i = 0; i < OpcAESession::kPollCount; ++i) {
    m_clock.Sleep(OpcAESession::kPollMs);
    if (s.State() == Connected) return 1;
  }
  return 0;
}

void Intake::Disconnect() {
  if (!m_pSession) return;
  OpcAESession& s = *m_pSession;
  if (s.State() == Idle) return;
  if (!s.RequestDisconnect()) return;
  for (int i = 0; i < OpcAESession::kPollCount; ++i) {
    m_clock.Sleep(OpcAESession::kPollMs);
    if (s.State() == Idle) return;
  }
}
