// The window side of the intake: timer 1 drains the session's queue into the
// sink's rows and announces each record through NewEvent; the watchdog writes
// its row after a silence.
#include <chrono>
#include <string>

#include "intake/Intake.h"
#include "intake/OpcAESession.h"
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

void Intake::OnWindowCreated() {
  m_bCatchingUp = false;
  m_sink.TimerWindow().SetTimer(kDrainTimer, kDrainPeriodMs);
}

void Intake::OnWindowDestroyed() {
  m_sink.TimerWindow().KillTimer(kDrainTimer);
  m_bCatchingUp = false;
}

void Intake::OnTimer(uint32_t id) {
  if (id == kDrainTimer) Drain();
}

void Intake::Drain() {
  // A NewEvent handler that pumps messages lets the timer fire inside the
  // drain; the recursive locks would let that nested tick in.
  if (m_bDraining || !m_pSession) return;
  m_bDraining = true;
  // The session may go away under a handler that destroys the control's
  // window and lets the container release it; ours keeps it alive.
  const std::shared_ptr<OpcAESession> keep = m_pSession;
  OpcAESession& session = *keep;
  if (session.TryTakeQueue(kLockWait)) {
    if (m_storeLock.TryLockFor(kLockWait)) {
      ConvertTaken(session);
      CheckWatchdog();
      m_storeLock.unlock();
    } else {
      CheckWatchdog();
    }
  }
  m_sink.Drained();
  ScheduleNextDrain(session.HasTaken());
  m_bDraining = false;
}

void Intake::ConvertTaken(OpcAESession& session) {
  const uint32_t start = m_clock.GetTickCount();
  // The sink shows the rows once for the whole share: per row, a visible
  // window's scroll bar costs milliseconds.
  m_sink.BeginRows();
  // Whatever was dropped came just before the records now taken: the marker
  // goes in their place, like the watchdog row without a NewEvent.
  if (const uint64_t dropped = session.TakeDropCount()) AddMarkerRow(DroppedText(dropped));
  while (session.HasTaken() && m_clock.GetTickCount() - start < kTickBudgetMs) {
    m_dwWatchdogTimeout = static_cast<uint32_t>(static_cast<int32_t>(m_settings.m_nWatchdogTimeout) * 1000);
    m_dwWatchdogTick = m_clock.GetTickCount();
    m_bWatchdogFired = false;

    const std::unique_ptr<OpcAEMessage> record = session.NextTaken();
    const OpcAEMessage& r = *record;
    const uint32_t c = r.category;
    const bool hidden = c == kHiddenCategory ||
                        (m_settings.m_bSuppressAcknEvents && (c & kCategoryMask) == kAcknCategory) ||
                        (m_settings.m_bSuppressResetEvents && (c & kCategoryMask) == kResetCategory);
    String category;
    if (!hidden) {
      session.GetCategoryName(r, category);
      m_sink.AddEventRow(TimestampText(m_time, r.time, m_settings.m_bLocalizeTimestamps != 0), r.source, r.message,
                         category, SeverityText(r.severity));
    }
    m_sink.Announce(NewEventDate(m_time, r.time), r.source, r.message, category,
                    static_cast<int16_t>(r.severity & 0xFFFF));
  }
  m_sink.EndRows();
}

void Intake::ScheduleNextDrain(bool recordsLeft) {
  WindowPort& wnd = m_sink.TimerWindow();
  if (recordsLeft == m_bCatchingUp || !wnd.IsWindow()) return;
  m_bCatchingUp = recordsLeft;
  wnd.SetTimer(kDrainTimer, recordsLeft ? kCatchUpPeriodMs : kDrainPeriodMs);
}

void Intake::AddMarkerRow(const String& message) {
  m_sink.AddEventRow(u"*", u"* Velmaric AE *", message, u"*", u"*");
}

void Intake::CheckWatchdog() {
  if (m_dwWatchdogTimeout == 0) return;
  const uint32_t silence = m_clock.GetTickCount() - m_dwWatchdogTick;
  if (silence > m_dwWatchdogTimeout && !m_bWatchdogFired) {
    m_bWatchdogFired = true;
    AddMarkerRow(u"* Watchdog timed out  - not receiving alarms & events *");
  }
}
