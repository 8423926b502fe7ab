// What an operator waits for the sort command on a full list: a right-click,
// "Sort by ... (Ascending)" or "(Descending)" chosen, the command carried out
// through the control's real path (menu, update handlers, lock, busy cursor,
// store sort). Prints times; it is not a test.
#include <chrono>
#include <cstdio>
#include <string>

#include "bench/RealisticEvents.h"
#include "control/VelmaricAECtrl.h"
#include "framework/headless/HeadlessUi.h"
#include "framework/headless/HeadlessWindow.h"
#include "framework/headless/RecordingCanvas.h"
#include "resources/resource.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Operator {
  Operator() : ctrl(Platform()) {
    wnd.m_bIsWindow = true;
    wnd.m_rcClient = {0, 0, 1280, 1024};
    ctrl.AttachWindow(&wnd);
    ui.send = [this](uint32_t msg, uintptr_t w, intptr_t l) {
      intptr_t r = 0;
      if (!ctrl.OnWndMsg(msg, w, l, r)) r = wnd.DefaultProc(msg, w, l);
      return r;
    };
    RecordingCanvas dc;
    ctrl.OnDraw(dc, wnd.m_rcClient, wnd.m_rcClient);  // the layout the menu finds columns in
  }
  ~Operator() { ctrl.AttachWindow(nullptr); }
  ControlPlatform Platform() {
    ControlPlatform p = ControlPlatform::Default();
    p.ui = &ui;
    return p;
  }
  // Right-click over the column of `field`, choosing `command`.
  double SortMs(int32_t field, uint32_t command) {
    const Rect& col = ctrl.Store().m_rcField[field];
    ui.chooseMenuItem = [command](const HeadlessUi::Tracked&) { return command; };
    intptr_t r = 0;
    const Clock::time_point start = Clock::now();
    ctrl.OnWndMsg(kWmContextMenu, wnd.m_hwnd, MakePointLParam(Point{(col.left + col.right) / 2, 40}), r);
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  }

  HeadlessUi ui;
  CVelmaricAECtrl ctrl;
  HeadlessWindow wnd;
};

}  // namespace

int main() {
  const std::vector<Event> events = MakeEvents(EventList::kCapacity);
  Operator op;
  const int kRepeats = 4;
  for (int32_t field = 0; field < kFieldCount; ++field) {
    double ascending = 0, descending = 0;
    for (int r = 0; r < kRepeats; ++r) {
      op.ctrl.Store().RemoveAll();
      Fill(op.ctrl.Store(), events, r % 2 == 0);
      ascending += op.SortMs(field, ID_SORT_ASCENDING);
      descending += op.SortMs(field, ID_SORT_DESCENDING);  // from the ascending order
    }
    const String& label = kFieldLabels[field];
    std::printf("sort command, %d rows, by %-9s  ascending %7.2f ms   descending (sorted input) %7.2f ms\n",
                op.ctrl.Store().GetRowCount(), std::string(label.begin(), label.end()).c_str(),
                ascending / kRepeats, descending / kRepeats);
  }
  return 0;
}
