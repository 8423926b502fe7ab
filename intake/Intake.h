// Intake: the control's way in for notifications. It owns the session (the
// worker, the queue and its bound), the drain that a window timer runs and
// the watchdog, and hands what it takes to its sink: a row for each listed
// record, a marker row for a gap or a silence, a NewEvent for each record.
// Everything here but the session's own threads runs on the window thread.
#pragma once
#include <cstdint>
#include <memory>

#include "framework/AELibrary.h"
#include "framework/Clock.h"
#include "framework/ThreadSafety.h"
#include "framework/TimePort.h"
#include "intake/IntakeSink.h"
#include "settings/VelmaricAESettings.h"

class OpcAESession;

class Intake {
 public:
  // The session starts at once. `storeLock` is the lock of whatever the
  // sink adds rows to: the drain skips a tick rather than wait long for it.
  Intake(Clock& clock, TimePort* time, AELibraryLoader* library, const VelmaricAESettings& settings,
         RecursiveTimedMutex& storeLock, IntakeSink& sink);
  // Stops the session first: nothing is delivered into a control going away.
  ~Intake();
  Intake(const Intake&) = delete;
  Intake& operator=(const Intake&) = delete;

  // The window's life: the drain timer runs while it exists.
  void OnWindowCreated();
  void OnWindowDestroyed();
  void OnTimer(uint32_t id);
  void Drain();

  // The automation methods and the menu's connection commands: each waits
  // up to a minute for the worker to reach the state it asked for.
  Bool32 Connect();
  void Disconnect();
  // The worker refreshes the subscription at its next pass.
  void Refresh();
  // Idle when there is no session.
  int32_t State() const;

  const std::shared_ptr<OpcAESession>& Session() const { return m_pSession; }

 private:
  void Stop();
  void ConvertTaken(OpcAESession& session);
  void ScheduleNextDrain(bool recordsLeft);
  // A row of the control's own (watchdog, dropped notifications): `*` in
  // every cell but the message, the source "* Velmaric AE *", no NewEvent.
  void AddMarkerRow(const String& message);
  void CheckWatchdog();

  // Category filters: the low byte says reset or acknowledgement.
  static constexpr uint32_t kResetCategory = 1;
  static constexpr uint32_t kAcknCategory = 3;
  static constexpr uint32_t kCategoryMask = 0xFF;
  static constexpr uint32_t kHiddenCategory = 0x8000;

  Clock& m_clock;
  TimePort* m_time;
  AELibraryLoader* m_pLibrary;
  const VelmaricAESettings& m_settings;
  RecursiveTimedMutex& m_storeLock;
  IntakeSink& m_sink;
  std::shared_ptr<OpcAESession> m_pSession;

  uint32_t m_dwWatchdogTimeout = 60000;
  uint32_t m_dwWatchdogTick = 0;
  bool m_bWatchdogFired = false;
  bool m_bDraining = false;    // a NewEvent handler that pumps messages must not re-enter the drain
  bool m_bCatchingUp = false;  // records were left over: the timer runs at its short period
};
