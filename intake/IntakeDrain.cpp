// The window side of the intake: timer 1 drains the session's queue into the
// list and announces each record through NewEvent.
#include <chrono>

#include "control/VelmaricAECtrl.h"
#include "intake/OpcAESession.h"
#include "intake/TimedLock.h"
#include "intake/TimestampText.h"

namespace {
constexpr uint32_t kDrainTimer = 1;
constexpr uint32_t kDrainPeriodMs = 500;
constexpr std::chrono::milliseconds kLockWait(20);
}  // namespace

int CVelmaricAECtrl::OnCreate() {
  if (COleControl::OnCreate() == -1) return -1;
  m_bBusy = false;
  m_bSizing = false;
  Window().SetTimer(kDrainTimer, kDrainPeriodMs);
  return 0;
}

void CVelmaricAECtrl::OnDestroy() {
  COleControl::OnDestroy();
  Window().KillTimer(kDrainTimer);
}

void CVelmaricAECtrl::OnTimer(uint32_t id) {
  if (id == kDrainTimer) DrainQueue();
}

void CVelmaricAECtrl::FireNewEvent(double date, const String& source, const String& message,
                                   const String& category, int16_t severity) {
  COleControl::FireEvent(1, {Value::Date(date), Value::Str(source), Value::Str(message),
                             Value::Str(category), Value::I2(severity)});
}

void CVelmaricAECtrl::DrainQueue() {
  // A NewEvent handler that pumps messages lets the timer fire inside the
  // drain; the recursive locks would let that nested tick in.
  if (m_bDraining || !m_pSession) return;
  m_bDraining = true;
  OpcAESession& session = *m_pSession;
  const bool haveQueue = TryLockFor(session, kLockWait);
  if (haveQueue) {
    if (TryLockFor(m_mtxStore, kLockWait)) {
      TimePort* time = m_platform.time;
      while (!session.m_arrQueue.empty()) {
        m_dwWatchdogTimeout = static_cast<uint32_t>(static_cast<int32_t>(m_nWatchdogTimeout) * 1000);
        m_dwWatchdogTick = m_platform.clock->GetTickCount();
        m_bWatchdogFired = false;

        const OpcAEMessage& r = *session.m_arrQueue.front();
        const uint32_t c = r.category;
        const bool hidden = c == m_nHiddenCategory ||
                            (m_bSuppressAcknEvents && (c & m_nCategoryMask) == m_nAcknCategory) ||
                            (m_bSuppressResetEvents && (c & m_nCategoryMask) == m_nResetCategory);
        String category;
        if (!hidden) {
          session.GetCategoryName(r, category);
          AddEventRow(TimestampText(time, r.time, m_bLocalizeTimestamps != 0), r.source, r.message,
                      category, SeverityText(r.severity));
        }
        FireNewEvent(NewEventDate(time, r.time), r.source, r.message, category,
                     static_cast<int16_t>(r.severity & 0xFFFF));
        session.m_arrQueue.pop_front();
      }
      CheckWatchdog();
      m_mtxStore.unlock();
    } else {
      CheckWatchdog();
    }
  }
  if (!m_bSizing) Window().Invalidate(true);
  if (haveQueue) session.unlock();
  m_bDraining = false;
}
