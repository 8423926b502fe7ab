// The control's own child window while it is in-place active: a thin wrapper
// over the HWND that implements the window port, routes messages through the
// control's message map (and the site's simple-frame filters), and paints
// through the control's drawing entry.
#pragma once
#include <windows.h>
#include <ocidl.h>

#include "framework/WindowPort.h"

class OleControlObject;

class ControlWindow : public WindowPort {
 public:
  explicit ControlWindow(OleControlObject& owner);
  ~ControlWindow() override;
  ControlWindow(const ControlWindow&) = delete;
  ControlWindow& operator=(const ControlWindow&) = delete;

  bool Create(HWND parent, const RECT& pos);
  void Destroy();
  HWND Handle() const { return m_hwnd; }
  void Move(const RECT& pos);
  void SetSimpleFrameSite(ISimpleFrameSite* site);

  // WindowPort
  bool IsWindow() const override { return m_hwnd != nullptr; }
  uintptr_t NativeHandle() const override { return reinterpret_cast<uintptr_t>(m_hwnd); }
  Rect GetClientRect() override;
  void ShowScrollBar(int bar, bool show) override;
  void GetScrollRange(int bar, int32_t& min, int32_t& max) override;
  void SetScrollRange(int bar, int32_t min, int32_t max, bool redraw) override;
  void SetScrollPos(int bar, int32_t pos, bool redraw) override;
  void Invalidate(bool erase) override;
  bool SetTimer(uint32_t id, uint32_t ms) override;
  void KillTimer(uint32_t id) override;
  intptr_t DefaultProc(uint32_t msg, uintptr_t wParam, intptr_t lParam) override;
  Point ScreenToClient(Point p) override;
  Point ClientToScreen(Point p) override;
  void SetCapture() override;
  void ReleaseCapture() override;
  bool HasCapture() override;
  std::unique_ptr<Canvas> GetClientCanvas() override;

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l);
  LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l);
  LRESULT Dispatch(UINT msg, WPARAM w, LPARAM l);
  void Paint();

  OleControlObject& m_owner;
  HWND m_hwnd = nullptr;
  ISimpleFrameSite* m_pSimpleFrame = nullptr;
};
