// CVelmaricAECtrl: the alarm-and-event list control. It composes the
// property set (the VelmaricAESettings it inherits), the store and its lock,
// the view that paints and works the list, and the intake that fills it. Its
// message map forwards to the view and the intake; its automation methods
// and the menu's connection, refresh, reset and About commands call their
// faces. As the intake's sink it adds rows to the store with the view
// following them, and fires NewEvent.
#pragma once
#include <cstdint>
#include <optional>

#include "framework/ControlPlatform.h"
#include "framework/OleControl.h"
#include "framework/ThreadSafety.h"
#include "intake/Intake.h"
#include "intake/IntakeSink.h"
#include "model/EventList.h"
#include "settings/VelmaricAESettings.h"
#include "view/EventListView.h"

class CVelmaricAECtrl : public COleControl, public VelmaricAESettings, private IntakeSink {
 public:
  class CVelmaricAECtrlFactory;  // the COM class factory (win32 shell)

  explicit CVelmaricAECtrl(const ControlPlatform& platform = ControlPlatform::Default());
  ~CVelmaricAECtrl() override;

  // Tables: dispatch (DispId order), message map, property exchange.
  const DispTable& GetDispatchTable() const override;
  const MessageMap& GetMessageMap() const override;
  void DoPropExchange(PropExchange& px) override;
  void OnResetState() override;

  // The shared change notification of every custom property.
  void OnPropertyChanged();

  // Automation methods.
  Bool32 ConnectOpc();
  void DisconnectOpc();

  // Window message handlers.
  int OnCreate() override;
  void OnDestroy() override;
  void OnTimer(uint32_t id);
  void OnHScroll(int code, int trackPos);
  void OnVScroll(int code, int trackPos);
  bool OnSetCursor(uintptr_t window, int hitTest, int mouseMsg);
  void OnLButtonDown(uint32_t flags, Point point);
  void OnContextMenu(uintptr_t window, Point screen);
  void OnDraw(Canvas& dc, const Rect& bounds, const Rect& invalid) override;

  // Command-update handlers of the context menu, one per command.
  void OnUpdateRefreshEvents(CCmdUI* pCmdUI);
  void OnUpdateClearAll(CCmdUI* pCmdUI);
  void OnUpdateConnect(CCmdUI* pCmdUI);
  void OnUpdateDisconnect(CCmdUI* pCmdUI);
  void OnUpdateSortAscending(CCmdUI* pCmdUI);
  void OnUpdateSortDescending(CCmdUI* pCmdUI);
  void OnUpdateFind(CCmdUI* pCmdUI);
  void OnUpdateRepeatFind(CCmdUI* pCmdUI);
  void OnUpdateAbout(CCmdUI* pCmdUI);
  void OnUpdateResetProperties(CCmdUI* pCmdUI);

  // The menu's commands that are the control's own.
  void RunCommand(uint32_t id);
  void ResetProperties();
  void OnAbout();

  // A row added to the store, the view following it (one drain's rows are
  // shown together at its end).
  void AddEventRow(const String& timestamp, const String& source, const String& message, const String& category,
                   const String& severity) override;
  // The NewEvent event (event 1).
  void FireNewEvent(double date, const String& source, const String& message, const String& category,
                    int16_t severity);

  EventList& Store() { return m_store; }
  RecursiveTimedMutex& StoreLock() { return m_storeLock; }
  EventListView& View() { return m_view; }
  Intake& GetIntake() { return m_intake; }
  ControlPlatform& Platform() { return m_platform; }

 private:
  // IntakeSink
  WindowPort& TimerWindow() override { return Window(); }
  void BeginRows() override;
  void EndRows() override;
  void Announce(double date, const String& source, const String& message, const String& category,
                int16_t severity) override;
  void Drained() override;

  ControlPlatform m_platform;
  EventList m_store;
  // Taken on the window thread only, by the commands, the drain and painting
  // around their work on the rows: never for another thread, only so that a
  // modal loop inside one (the miss box, a NewEvent handler) finds the rows
  // whole. Recursive, since the drain and painting then come in on the same
  // thread.
  RecursiveTimedMutex m_storeLock;
  EventListView m_view;
  std::optional<EventListView::ScrollBatch> m_rows;  // while a drain adds rows
  // Last: the session stops before anything it delivers into goes.
  Intake m_intake;
};
