// A device context for a window's client area (GetDC), released with the
// canvas. Nothing is drawn once the window is gone: its context would then
// draw on whatever is at that place of the screen.
#pragma once
#include <windows.h>

#include <memory>

#include "framework/win32/GdiCanvas.h"

class ClientDC : public GdiCanvas {
 public:
  static std::unique_ptr<ClientDC> Get(HWND hwnd);
  ~ClientDC() override;
  void InvertRect(const Rect& r) override;

 private:
  ClientDC(HWND hwnd, HDC hdc) : GdiCanvas(hdc, nullptr), m_hwnd(hwnd) {}
  HWND m_hwnd;
};
