// CVelmaricAECtrl: the alarm-and-event list control. This header declares the
// whole class; its members are defined by subsystem: control/ (properties,
// persistence, automation), view/ (painting, scrolling, column sizing, the
// context menu and its commands, find, About), intake/ (timer drain, watchdog,
// connect and disconnect).
#pragma once
#include <array>
#include <memory>
#include <mutex>

#include "control/ControlPlatform.h"
#include "framework/OleControl.h"
#include "model/EventList.h"
#include "settings/VelmaricAESettings.h"

class CFindDlg;
class OpcAESession;
struct OpcAEMessage;

// The find dialog is defined with the view; the control only holds it.
struct FindDlgDeleter {
  void operator()(CFindDlg* dialog) const;
};

// The persistent properties are the VelmaricAESettings members it inherits.
class CVelmaricAECtrl : public COleControl, public VelmaricAESettings {
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

  // The commands.
  void RunCommand(uint32_t id, int32_t field);
  void ClearAll();
  void SortRows(int32_t field, int32_t direction);
  void SetBusy(bool busy);
  void RefreshEvents();
  void ResetProperties();
  void OnFind();
  void OnRepeatFind();
  void Search();
  void OnAbout();

  // Column sizing: the field whose column the list x lies inside (-1: none),
  // the field whose header border a client point is on while sizing is
  // possible (-1: none), and the modal drag of that border from `start`.
  int32_t ColumnAt(int32_t listX) const;
  int32_t BorderAt(Point client) const;
  bool IsLaidOut() const { return m_nRowHeight > 0 && m_nCharWidth > 0; }
  void DragBorder(int32_t field, Point start);

  // Painting and scrolling.
  void OnDraw(Canvas& dc, const Rect& bounds, const Rect& invalid) override;
  void ApplyFieldSettings();
  // Field0Width..Field5Width, by field.
  std::array<int16_t*, kFieldCount> FieldWidthProperties();
  void DrawList(Canvas& dc);
  void DrawHeader(Canvas& dc);
  void DrawHeaderCell(Canvas& dc, Rect r, const String& label);
  void DrawRows(Canvas& dc);
  void GetSeverityColors(int32_t severity, ColorRef& text, ColorRef& back, Canvas& dc);
  void UpdateScrollBars();
  int32_t VisibleRows() const;

  // Intake. The session starts with the control and is stopped first when it
  // is destroyed, before the store.
  void StartSession();
  void StopSession();
  void DrainQueue();
  void ConvertTaken(OpcAESession& session);
  void ScheduleNextDrain(bool recordsLeft);
  void AddEventRow(const String& timestamp, const String& source, const String& message,
                   const String& category, const String& severity);
  // A row of the control's own (watchdog, dropped notifications): `*` in
  // every cell but the message, the source "* Velmaric AE *", no NewEvent.
  void AddMarkerRow(const String& message);
  void CheckWatchdog();
  // The vertical scroll bar as the rows added so far would have left it;
  // a drain shows it once, at its end, instead of after every row.
  struct ScrollBatch {
    int32_t min = 0;
    int32_t max = 0;
    bool added = false;  // the range was set
    bool moved = false;  // the view followed a new row
  };
  ScrollBatch BeginScrollBatch();
  void FollowNewRow(ScrollBatch& batch);
  void EndScrollBatch(const ScrollBatch& batch);

  // The NewEvent event (event 1).
  void FireNewEvent(double date, const String& source, const String& message,
                    const String& category, int16_t severity);

  EventList& Store() { return *m_pEventList; }
  OpcAESession* Session() { return m_pSession.get(); }

  // ---- Intake: filter constants, session, store lock, watchdog.
  const uint32_t m_nResetCategory = 1;
  const uint32_t m_nAcknCategory = 3;
  const uint32_t m_nCategoryMask = 0xFF;
  const uint32_t m_nHiddenCategory = 0x8000;

  ControlPlatform m_platform;
  std::unique_ptr<EventList> m_pEventList;
  std::shared_ptr<OpcAESession> m_pSession;
  std::recursive_timed_mutex m_mtxStore;
  uint32_t m_dwWatchdogTimeout = 60000;
  uint32_t m_dwWatchdogTick = 0;
  bool m_bWatchdogFired = false;
  bool m_bDraining = false;  // a NewEvent handler that pumps messages must not re-enter the drain
  bool m_bCatchingUp = false;  // records were left over: the timer runs at its short period
  ScrollBatch* m_pScrollBatch = nullptr;  // set while a drain adds rows

  // ---- View state. Zero until the first paint: no layout, no visible rows.
  int32_t m_nCharWidth = 0;
  int32_t m_nRowHeight = 0;
  Rect m_rcBounds;
  int32_t m_nHScrollPos = 0;
  int32_t m_nFirstRow = 0;
  int32_t m_nFindRow = 0;
  int32_t m_nFindColumn = -1;
  bool m_bBusy = false;
  bool m_bSizing = false;

  // ---- Find: the dialog keeps the last search text from one Find to the next.
  std::unique_ptr<CFindDlg, FindDlgDeleter> m_dlgFind;
  void CreateFindDialog();
};
