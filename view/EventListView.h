// EventListView: what the operator sees of the list and does to it with the
// mouse. It owns the layout it paints (metrics, bounds, scroll positions), the
// find state and dialog, column sizing and the context menu, and the commands
// that act on the store alone (clear, sort, find). It reads the settings and
// the store, and reaches the window, the user interface and the container
// through the control it paints for. Window thread only.
#pragma once
#include <array>
#include <functional>
#include <memory>

#include "framework/OleControl.h"
#include "framework/ThreadSafety.h"
#include "model/EventList.h"
#include "settings/VelmaricAESettings.h"

class CFindDlg;

class EventListView {
 public:
  // Where the menu's commands that are not the view's own go (refresh,
  // connect, disconnect, About, reset), by id.
  using CommandHandler = std::function<void(uint32_t id)>;

  // `storeLock` guards `store` against a command that runs a message loop
  // (the miss box, a sort's cursor) while the drain or a paint comes in.
  EventListView(COleControl& control, VelmaricAESettings& settings, EventList& store,
                RecursiveTimedMutex& storeLock);
  ~EventListView();
  EventListView(const EventListView&) = delete;
  EventListView& operator=(const EventListView&) = delete;

  void SetCommandHandler(CommandHandler handler) { m_onCommand = std::move(handler); }
  // A new window: no drag or wait in progress.
  void OnWindowCreated();
  // A new find dialog with no text, on the control's user interface as it is now: called once that is
  // set, and again whenever it changes. Find does nothing before the first call.
  void ResetFind();

  // Painting.
  void Draw(Canvas& dc, const Rect& bounds, const Rect& invalid);
  void GetSeverityColors(int32_t severity, ColorRef& text, ColorRef& back, Canvas& dc) const;
  // Rows the view shows below its header; 0 before the first paint.
  int32_t VisibleRows() const;
  bool IsLaidOut() const { return m_nRowHeight > 0 && m_nCharWidth > 0; }
  // A drag is in progress: the drain must not repaint over its tracking line.
  bool IsSizing() const { return m_bSizing; }

  // Scrolling.
  void OnHScroll(int code, int trackPos);
  void OnVScroll(int code, int trackPos);
  // The vertical scroll bar as the rows added so far would have left it;
  // a drain shows it once, at its end, instead of after every row.
  struct ScrollBatch {
    int32_t min = 0;
    int32_t max = 0;
    bool added = false;  // the range was set
    bool moved = false;  // the view followed a new row
  };
  ScrollBatch BeginScrollBatch();
  // After a row was added to the store: the range grows, and the view
  // follows the new row where the add mode says it does.
  void FollowNewRow(ScrollBatch& batch);
  void EndScrollBatch(const ScrollBatch& batch);

  // The mouse: the cursor at the pointer (false: the window's default is
  // wanted), a press (true: it started a column drag, which has ended).
  bool SetCursor();
  bool OnLButtonDown(Point point);
  // The field whose column the list x lies inside (-1: none), the field whose
  // header border a client point is on while sizing is possible (-1: none),
  // and the modal drag of that border from `start`.
  int32_t ColumnAt(int32_t listX) const;
  int32_t BorderAt(Point client) const;
  void DragBorder(int32_t field, Point start);

  // The context menu, built afresh from the settings and the column under
  // the pointer; the chosen command runs before the menu is destroyed.
  void OnContextMenu(uintptr_t window, Point screen);
  // A chosen command; `field` is the column the menu was opened over.
  void RunCommand(uint32_t id, int32_t field);
  bool CanRepeatFind() const { return m_nFindColumn >= 0; }

  // The commands on the store.
  void ClearAll();
  void SortRows(int32_t field, int32_t direction);
  void OnFind();
  void OnRepeatFind();

 private:
  friend struct EventListViewTestPeer;

  WindowPort& Window() { return m_control.Window(); }
  UiPort& Ui() { return m_control.Ui(); }
  void ApplyFieldSettings();
  void DrawList(Canvas& dc);
  void DrawHeader(Canvas& dc);
  void DrawHeaderCell(Canvas& dc, Rect r, const String& label);
  void DrawRows(Canvas& dc);
  void UpdateScrollBars();
  void SetBusy(bool busy);
  void Search();

  COleControl& m_control;
  VelmaricAESettings& m_settings;
  EventList& m_store;
  RecursiveTimedMutex& m_storeLock;
  CommandHandler m_onCommand;

  // Zero until the first paint: no layout, no visible rows.
  int32_t m_nCharWidth = 0;
  int32_t m_nRowHeight = 0;
  Rect m_rcBounds;
  int32_t m_nHScrollPos = 0;
  int32_t m_nFirstRow = 0;
  int32_t m_nFindRow = 0;
  int32_t m_nFindColumn = -1;
  bool m_bBusy = false;
  bool m_bSizing = false;

  // The dialog keeps the last search text from one Find to the next.
  std::unique_ptr<CFindDlg> m_dlgFind;
};
