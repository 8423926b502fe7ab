// A window without a screen: keeps scroll bars (visibility, range, position)
// and timers like a real window, and counts invalidations. It stands in while
// the control has no window of its own, and in the native tests.
#pragma once
#include <map>

#include "framework/WindowPort.h"

class HeadlessWindow : public WindowPort {
 public:
  struct Bar {
    bool visible = false;
    int32_t min = 0, max = 0, pos = 0;
  };

  bool IsWindow() const override { return m_bIsWindow; }
  Rect GetClientRect() override { return m_rcClient; }
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
  void Invalidate(bool) override { ++m_nInvalidations; }
  bool SetTimer(uint32_t id, uint32_t ms) override {
    m_timers[id] = ms;
    return true;
  }
  void KillTimer(uint32_t id) override { m_timers.erase(id); }

  Bar m_bars[2];
  Rect m_rcClient;
  std::map<uint32_t, uint32_t> m_timers;
  int m_nInvalidations = 0;
  bool m_bIsWindow = false;
};
