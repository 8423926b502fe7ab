// The window port: what the control asks of its own window. win32: a thin
// wrapper over the HWND. Without a window: DetachedWindow. Tests:
// HeadlessWindow, which keeps state like a real window and records the rest.
#pragma once
#include <memory>

#include "framework/Canvas.h"
#include "framework/Types.h"

enum : int { kSbHorz = 0, kSbVert = 1 };

class WindowPort {
 public:
  virtual ~WindowPort() = default;
  virtual bool IsWindow() const = 0;
  // The HWND, for owning menus and message boxes; 0 without a window.
  virtual uintptr_t NativeHandle() const = 0;
  virtual Rect GetClientRect() = 0;

  virtual void ShowScrollBar(int bar, bool show) = 0;
  virtual void GetScrollRange(int bar, int32_t& min, int32_t& max) = 0;
  virtual void SetScrollRange(int bar, int32_t min, int32_t max, bool redraw) = 0;
  virtual void SetScrollPos(int bar, int32_t pos, bool redraw) = 0;
  virtual void Invalidate(bool erase) = 0;
  virtual bool SetTimer(uint32_t id, uint32_t ms) = 0;
  virtual void KillTimer(uint32_t id) = 0;

  // Default window processing of a message (DefWindowProc).
  virtual intptr_t DefaultProc(uint32_t msg, uintptr_t wParam, intptr_t lParam) = 0;
  virtual Point ScreenToClient(Point p) = 0;
  virtual Point ClientToScreen(Point p) = 0;
  // Mouse capture. ReleaseCapture gives it up only while this window holds it.
  virtual void SetCapture() = 0;
  virtual void ReleaseCapture() = 0;
  virtual bool HasCapture() = 0;
  // A device context for the client area (GetDC), released with the canvas;
  // null without a window.
  virtual std::unique_ptr<Canvas> GetClientCanvas() = 0;
};
