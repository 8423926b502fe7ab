// The control's construction and its window: each message goes to the view
// or the intake that it concerns.
#include "control/VelmaricAECtrl.h"

CVelmaricAECtrl::CVelmaricAECtrl(const ControlPlatform& platform)
    : m_platform(platform),
      m_view(*this, *this, m_store, m_storeLock),
      m_intake(*m_platform.clock, m_platform.time, m_platform.aeLibrary, *this, m_storeLock, *this) {
  SetUiPort(m_platform.ui);
  m_view.ResetFind();  // its dialog shows on the interface just set
  m_view.SetCommandHandler([this](uint32_t id) { RunCommand(id); });
  // A control that no container initialises (a script's CreateObject) is
  // still a new control: every property at its default.
  ResetExchange px;
  DoPropExchange(px);
}

CVelmaricAECtrl::~CVelmaricAECtrl() = default;

int CVelmaricAECtrl::OnCreate() {
  if (COleControl::OnCreate() == -1) return -1;
  m_view.OnWindowCreated();
  m_intake.OnWindowCreated();
  return 0;
}

void CVelmaricAECtrl::OnDestroy() {
  COleControl::OnDestroy();
  m_intake.OnWindowDestroyed();
}

void CVelmaricAECtrl::OnTimer(uint32_t id) { m_intake.OnTimer(id); }
void CVelmaricAECtrl::OnHScroll(int code, int trackPos) { m_view.OnHScroll(code, trackPos); }
void CVelmaricAECtrl::OnVScroll(int code, int trackPos) { m_view.OnVScroll(code, trackPos); }

bool CVelmaricAECtrl::OnSetCursor(uintptr_t, int, int) { return m_view.SetCursor() || Default() != 0; }

void CVelmaricAECtrl::OnLButtonDown(uint32_t flags, Point point) {
  m_view.OnLButtonDown(point);
  COleControl::OnLButtonDown(flags, point);
}

void CVelmaricAECtrl::OnContextMenu(uintptr_t window, Point screen) { m_view.OnContextMenu(window, screen); }

void CVelmaricAECtrl::OnDraw(Canvas& dc, const Rect& bounds, const Rect& invalid) {
  m_view.Draw(dc, bounds, invalid);
}
