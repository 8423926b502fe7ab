// The drawing port over a GDI device context. Each operation maps onto one
// GDI call (or the MFC-style composite named beside it). The canvas does not
// own a context it is given; a memory canvas owns its context and bitmap.
#pragma once
#include <windows.h>

#include "framework/Canvas.h"

class GdiCanvas : public Canvas {
 public:
  // `font` is what SelectControlFont selects: the control's stock font.
  GdiCanvas(HDC hdc, HFONT font) : m_hdc(hdc), m_hFont(font) {}
  ~GdiCanvas() override;
  GdiCanvas(const GdiCanvas&) = delete;
  GdiCanvas& operator=(const GdiCanvas&) = delete;

  HDC Handle() const { return m_hdc; }

  uintptr_t SelectControlFont() override;
  void RestoreFont(uintptr_t previous) override;
  TextMetrics GetTextMetrics() override;
  void FillRect(const Rect& r, ColorRef color) override;
  void FillSolidRect(const Rect& r, ColorRef color) override;
  void Draw3dRect(const Rect& r, ColorRef topLeft, ColorRef bottomRight) override;
  void DrawText(const String& text, const Rect& r, uint32_t format) override;
  void SetTextColor(ColorRef color) override;
  void SetBkMode(int mode) override;
  void InvertRect(const Rect& r) override;
  ColorRef GetSysColor(int index) override;
  std::unique_ptr<Canvas> CreateMemoryCanvas() override;
  bool SelectCompatibleBitmap(int32_t width, int32_t height) override;
  void CopyFrom(Canvas& memory, int32_t width, int32_t height) override;

 private:
  // A memory context made from `parent`: owned, and freed with its bitmap.
  GdiCanvas(HDC memory, HDC parent, HFONT font) : m_hdc(memory), m_hFont(font), m_hParent(parent) {}

  HDC m_hdc;
  HFONT m_hFont;
  HDC m_hParent = nullptr;  // set only on a memory canvas
  HBITMAP m_hBitmap = nullptr;
  HGDIOBJ m_hOldBitmap = nullptr;
};
