// The window port: what the control asks of its own window. win32: a thin
// wrapper over the HWND. Headless: HeadlessWindow, which keeps scroll-bar and
// timer state like a real window and counts invalidations.
#pragma once
#include "framework/Types.h"

enum : int { kSbHorz = 0, kSbVert = 1 };

class WindowPort {
 public:
  virtual ~WindowPort() = default;
  virtual bool IsWindow() const = 0;
  virtual Rect GetClientRect() = 0;
  virtual void ShowScrollBar(int bar, bool show) = 0;
  virtual void GetScrollRange(int bar, int32_t& min, int32_t& max) = 0;
  virtual void SetScrollRange(int bar, int32_t min, int32_t max, bool redraw) = 0;
  virtual void SetScrollPos(int bar, int32_t pos, bool redraw) = 0;
  virtual void Invalidate(bool erase) = 0;
  virtual bool SetTimer(uint32_t id, uint32_t ms) = 0;
  virtual void KillTimer(uint32_t id) = 0;
};
