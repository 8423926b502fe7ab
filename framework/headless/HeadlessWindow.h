// A window without a screen, for the native tests: keeps scroll bars, timers,
// capture and its place on the screen like a real window, and records what
// goes to default processing, invalidations and the lines inverted on its
// client-area device context.
#pragma once
#include <map>
#include <vector>

#include "framework/DetachedWindow.h"

class HeadlessWindow : public DetachedWindow {
 public:
  struct DefaultCall {
    uint32_t msg;
    uintptr_t wParam;
    intptr_t lParam;
  };

  bool IsWindow() const override { return m_bIsWindow; }
  uintptr_t NativeHandle() const override { return m_bIsWindow ? m_hwnd : 0; }
  Rect GetClientRect() override { return m_rcClient; }
  void Invalidate(bool) override { ++m_nInvalidations; }
  bool SetTimer(uint32_t id, uint32_t ms) override {
    m_timers[id] = ms;
    return true;
  }
  void KillTimer(uint32_t id) override { m_timers.erase(id); }
  intptr_t DefaultProc(uint32_t msg, uintptr_t wParam, intptr_t lParam) override {
    m_defaultCalls.push_back({msg, wParam, lParam});
    return m_defaultResult;
  }
  // Points far outside the screen (clamped list coordinates) stay at the
  // ends of the 32-bit range rather than overflow.
  Point ScreenToClient(Point p) override {
    return Point{Shift(p.x, -int64_t{m_screenOrigin.x}), Shift(p.y, -int64_t{m_screenOrigin.y})};
  }
  Point ClientToScreen(Point p) override {
    return Point{Shift(p.x, m_screenOrigin.x), Shift(p.y, m_screenOrigin.y)};
  }
  void SetCapture() override { m_bCapture = m_bIsWindow; }
  void ReleaseCapture() override { m_bCapture = false; }
  bool HasCapture() override { return m_bCapture; }
  std::unique_ptr<Canvas> GetClientCanvas() override {
    if (!m_bIsWindow) return nullptr;
    return std::make_unique<ClientDc>(*this);
  }

  bool m_bIsWindow = false;
  uintptr_t m_hwnd = 0x1000;
  Rect m_rcClient;
  Point m_screenOrigin;  // the client area's top-left corner on the screen
  std::map<uint32_t, uint32_t> m_timers;
  int m_nInvalidations = 0;
  std::vector<DefaultCall> m_defaultCalls;
  intptr_t m_defaultResult = 0;
  bool m_bCapture = false;
  std::vector<Rect> m_inverted;  // InvertRect on client-area contexts, in order
  int m_nClientDcs = 0;          // client-area contexts not yet released

 private:
  static int32_t Shift(int32_t v, int64_t by) {
    const int64_t r = v + by;
    return static_cast<int32_t>(r < INT32_MIN ? INT32_MIN : (r > INT32_MAX ? INT32_MAX : r));
  }
  class ClientDc : public Canvas {
   public:
    explicit ClientDc(HeadlessWindow& w) : m_w(w) { ++m_w.m_nClientDcs; }
    ~ClientDc() override { --m_w.m_nClientDcs; }
    void InvertRect(const Rect& r) override { m_w.m_inverted.push_back(r); }
    uintptr_t SelectControlFont() override { return 0; }
    void RestoreFont(uintptr_t) override {}
    TextMetrics GetTextMetrics() override { return {}; }
    void FillRect(const Rect&, ColorRef) override {}
    void FillSolidRect(const Rect&, ColorRef) override {}
    void Draw3dRect(const Rect&, ColorRef, ColorRef) override {}
    void DrawText(const String&, const Rect&, uint32_t) override {}
    void SetTextColor(ColorRef) override {}
    void SetBkMode(int) override {}
    ColorRef GetSysColor(int) override { return 0; }
    std::unique_ptr<Canvas> CreateMemoryCanvas() override { return nullptr; }
    bool SelectCompatibleBitmap(int32_t, int32_t) override { return false; }
    void CopyFrom(Canvas&, int32_t, int32_t) override {}

   private:
    HeadlessWindow& m_w;
  };
};
