// The window port of a control without a window of its own (not in-place
// active, or drawn only through the container's view). Scroll bars are kept
// as state like a real window's, so that adding rows and scrolling give the
// same positions either way; everything that needs a screen does nothing.
#pragma once
#include "framework/WindowPort.h"

class DetachedWindow : public WindowPort {
 public:
  struct Bar {
    bool visible = false;
    int32_t min = 0, max = 0, pos = 0;
  };

  bool IsWindow() const override { return false; }
  uintptr_t NativeHandle() const override { return 0; }
  Rect GetClientRect() override { return Rect{}; }
  void ShowScrollBar(int bar, bool show) override { m_bars[bar & 1].visible = show; }
  void GetScrollRange(int bar, int32_t& min, int32_t& max) override {
    min = m_bars[bar & 1].min;
    max = m_bars[bar & 1].max;
  }
  void SetScrollRange(int bar, int32_t min, int32_t max, bool) override {
    Bar& b = m_bars[bar & 1];
    b.min = min;
    b.max = max;
    // Like USER: the position stays inside the range.
    if (b.pos < min) b.pos = min;
    if (b.pos > max) b.pos = max;
  }
  void SetScrollPos(int bar, int32_t pos, bool) override {
    Bar& b = m_bars[bar & 1];
    b.pos = pos < b.min ? b.min : (pos > b.max ? b.max : pos);
  }
  void Invalidate(bool) override {}
  bool SetTimer(uint32_t, uint32_t) override { return false; }
  void KillTimer(uint32_t) override {}
  intptr_t DefaultProc(uint32_t, uintptr_t, intptr_t) override { return 0; }
  Point ScreenToClient(Point p) override { return p; }
  Point ClientToScreen(Point p) override { return p; }
  void SetCapture() override {}
  void ReleaseCapture() override {}
  bool HasCapture() override { return false; }
  std::unique_ptr<Canvas> GetClientCanvas() override { return nullptr; }

  Bar m_bars[2];
};
