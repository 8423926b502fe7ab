// The drawing port: just the device-context operations the list painter uses.
// win32: GdiCanvas over an HDC. Headless: RecordingCanvas, which records every
// operation with its rectangle, colours and text for exact assertions.
#pragma once
#include <memory>

#include "framework/Types.h"

// windows.h maps DrawText and GetTextMetrics to their A/W functions; here they
// are the port's members and must have one name in every translation unit.
// Win32 code calls DrawTextW and GetTextMetricsW by name.
#undef DrawText
#undef GetTextMetrics

// DrawText format flags and system colour indexes, with their Win32 values.
enum : uint32_t { kDtEndEllipsis = 0x00008000 };
enum : int { kColorWindow = 5, kColorWindowFrame = 6, kColorBtnFace = 15, kColorBtnShadow = 16,
             kColorBtnText = 18, kColorBtnHighlight = 20 };
enum : int { kBkTransparent = 1, kBkOpaque = 2 };

struct TextMetrics {
  int32_t height = 0;
  int32_t aveCharWidth = 0;
};

class Canvas {
 public:
  virtual ~Canvas() = default;

  // The control's stock font; SelectControlFont returns a token for RestoreFont.
  virtual uintptr_t SelectControlFont() = 0;
  virtual void RestoreFont(uintptr_t previous) = 0;
  // Metrics of the font currently selected.
  virtual TextMetrics GetTextMetrics() = 0;

  // FillRect with a solid brush: leaves the text background colour alone.
  virtual void FillRect(const Rect& r, ColorRef color) = 0;
  // Solid fill that leaves `color` as the text background colour.
  virtual void FillSolidRect(const Rect& r, ColorRef color) = 0;
  // One-pixel frame: top and left in topLeft, right and bottom in bottomRight
  // (drawn with FillSolidRect, so bottomRight is left as the background colour).
  virtual void Draw3dRect(const Rect& r, ColorRef topLeft, ColorRef bottomRight) = 0;
  // DrawText: "&" marks a mnemonic, so callers double a literal one.
  virtual void DrawText(const String& text, const Rect& r, uint32_t format) = 0;
  virtual void SetTextColor(ColorRef color) = 0;
  virtual void SetBkMode(int mode) = 0;
  virtual void InvertRect(const Rect& r) = 0;  // PatBlt DSTINVERT
  virtual ColorRef GetSysColor(int index) = 0;

  // Off-screen pass. A memory context compatible with this one, with its own
  // default state (null when none can be had); on it, a bitmap compatible with
  // the context it was made from is created and selected (false on failure).
  // The memory canvas puts back its original bitmap and frees both when it is
  // destroyed. CopyFrom copies it to this context at (0, 0) with SRCCOPY.
  virtual std::unique_ptr<Canvas> CreateMemoryCanvas() = 0;
  virtual bool SelectCompatibleBitmap(int32_t width, int32_t height) = 0;
  virtual void CopyFrom(Canvas& memory, int32_t width, int32_t height) = 0;
};

// OLE colour to GDI colour, without a palette: system colour references
// resolve through the canvas.
inline ColorRef TranslateColor(OleColor c, Canvas& dc) {
  if ((c & 0xFF000000u) == 0x80000000u) return dc.GetSysColor(static_cast<int>(c & 0xFF));
  return c & 0x00FFFFFFu;
}
