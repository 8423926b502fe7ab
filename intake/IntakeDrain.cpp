// The window side of the intake: timer 1 drains the session's queue into the
// list and announces each record through NewEvent.
#include <chrono>
#include <string>

#include "control/VelmaricAECtrl.h"
#include "intake/OpcAESession.h"
#include "intake/TimedLock.h"
#include "intake/TimestampText.h"

namespace {
constexpr uint32_t kDrainTimer = 1;
constexpr uint32_t kDrainPeriodMs = 500;
// While a flood leaves records over, the timer comes back this soon. A timer
// message is only made when no input or paint is waiting, so the container
// keeps running between the shares.
constexpr uint32_t kCatchUpPeriodMs = 10;
// One tick's share of the work: longer would freeze the container's screen.
constexpr uint32_t kTickBudgetMs = 100;
constexpr std::chrono::milliseconds kLockWait(20);

// The row standing where records were dropped for the queue's bound.
String DroppedText(uint64_t count) {
  const std::string n = std::to_string(count);
  return u"* " + String(n.begin(), n.end()) + (count == 1 ? u" notification" : u" notifications") +
         u" dropped: the list could not keep up *";
}
}  // namespace

int CVelmaricAECtrl::OnCreate() {
  if (COleControl::OnCreate() == -1) return -1;
  m_bBusy = false;
  m_bSizing = false;
  m_bCatchingUp = false;
  Window().SetTimer(kDrainTimer, kDrainPeriodMs);
  return 0;
}

void CVelmaricAECtrl::OnDestroy() {
  COleControl::OnDestroy();
  Window().KillTimer(kDrainTimer);
  m_bCatchingUp = false;
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
  // The session may go away under a handler that destroys the control's
  // window and lets the container release it; ours keeps it alive.
  const std::shared_ptr<OpcAESession> keep = m_pSession;
  OpcAESession& session = *keep;
  if (session.TryTakeQueue(kLockWait)) {
    if (TryLockFor(m_mtxStore, kLockWait)) {
      ConvertTaken(session);
      CheckWatchdog();
      m_mtxStore.unlock();
    } else {
      CheckWatchdog();
    }
  }
  if (!m_bSizing) Window().Invalidate(true);
  ScheduleNextDrain(session.HasTaken());
  m_bDraining = false;
}

void CVelmaricAECtrl::ConvertTaken(OpcAESession& session) {
  TimePort* time = m_platform.time;
  Clock& clock = *m_platform.clock;
  const uint32_t start = clock.GetTickCount();
  // The scroll bar and the view are brought to their final state once for
  // the whole share: per row, a visible window's scroll bar costs
  // milliseconds.
  ScrollBatch scroll = BeginScrollBatch();
  m_pScrollBatch = &scroll;
  // Whatever was dropped came just before the records now taken: the marker
  // goes in their place, like the watchdog row without a NewEvent.
  if (const uint64_t dropped = session.TakeDropCount()) AddMarkerRow(DroppedText(dropped));
  while (session.HasTaken() && clock.GetTickCount() - start < kTickBudgetMs) {
    m_dwWatchdogTimeout = static_cast<uint32_t>(static_cast<int32_t>(m_nWatchdogTimeout) * 1000);
    m_dwWatchdogTick = clock.GetTickCount();
    m_bWatchdogFired = false;

    const std::unique_ptr<OpcAEMessage> record = session.NextTaken();
    const OpcAEMessage& r = *record;
    const uint32_t c = r.category;
    const bool hidden = c == m_nHiddenCategory ||
                        (m_bSuppressAcknEvents && (c & m_nCategoryMask) == m_nAcknCategory) ||
                        (m_bSuppressResetEvents && (c & m_nCategoryMask) == m_nResetCategory);
    String category;
    if (!hidden) {
      session.GetCategoryName(r, category);
      AddEventRow(TimestampText(time, r.time, m_bLocalizeTimestamps != 0), r.source, r.message, category,
                  SeverityText(r.severity));
    }
    FireNewEvent(NewEventDate(time, r.time), r.source, r.message, category,
                 static_cast<int16_t>(r.severity & 0xFFFF));
  }
  m_pScrollBatch = nullptr;
  EndScrollBatch(scroll);
}

void CVelmaricAECtrl::ScheduleNextDrain(bool recordsLeft) {
  if (recordsLeft == m_bCatchingUp || !Window().IsWindow()) return;
  m_bCatchingUp = recordsLeft;
  Window().SetTimer(kDrainTimer, recordsLeft ? kCatchUpPeriodMs : kDrainPeriodMs);
}
