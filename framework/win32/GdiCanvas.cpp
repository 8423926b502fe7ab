#include "framework/win32/GdiCanvas.h"

namespace {
RECT ToRect(const Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }
}  // namespace

GdiCanvas::~GdiCanvas() {
  if (!m_hParent) return;  // a borrowed context
  if (m_hOldBitmap) SelectObject(m_hdc, m_hOldBitmap);
  if (m_hBitmap) DeleteObject(m_hBitmap);
  DeleteDC(m_hdc);
}

uintptr_t GdiCanvas::SelectControlFont() {
  HGDIOBJ font = m_hFont ? static_cast<HGDIOBJ>(m_hFont) : GetStockObject(DEFAULT_GUI_FONT);
  return reinterpret_cast<uintptr_t>(SelectObject(m_hdc, font));
}

void GdiCanvas::RestoreFont(uintptr_t previous) {
  if (previous) SelectObject(m_hdc, reinterpret_cast<HGDIOBJ>(previous));
}

TextMetrics GdiCanvas::GetTextMetrics() {
  TEXTMETRICW tm{};
  if (!::GetTextMetricsW(m_hdc, &tm)) return {};
  return {tm.tmHeight, tm.tmAveCharWidth};
}

void GdiCanvas::FillRect(const Rect& r, ColorRef color) {
  HBRUSH brush = CreateSolidBrush(color);
  if (!brush) return;
  RECT rc = ToRect(r);
  ::FillRect(m_hdc, &rc, brush);
  DeleteObject(brush);
}

void GdiCanvas::FillSolidRect(const Rect& r, ColorRef color) {
  // As MFC's CDC::FillSolidRect: the colour stays as the text background.
  ::SetBkColor(m_hdc, color);
  RECT rc = ToRect(r);
  ExtTextOutW(m_hdc, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
}

void GdiCanvas::Draw3dRect(const Rect& r, ColorRef topLeft, ColorRef bottomRight) {
  // As MFC's CDC::Draw3dRect: top and left lines stop one pixel short of the
  // far corners, right and bottom lines run the full length.
  const int32_t l = r.left, t = r.top, rt = r.right, b = r.bottom;
  FillSolidRect({l, t, rt - 1, t + 1}, topLeft);
  FillSolidRect({l, t, l + 1, b - 1}, topLeft);
  FillSolidRect({rt - 1, t, rt, b}, bottomRight);
  FillSolidRect({l, b - 1, rt, b}, bottomRight);
}

void GdiCanvas::DrawText(const String& text, const Rect& r, uint32_t format) {
  RECT rc = ToRect(r);
  ::DrawTextW(m_hdc, reinterpret_cast<const wchar_t*>(text.c_str()), static_cast<int>(text.size()), &rc,
            format);
}

void GdiCanvas::SetTextColor(ColorRef color) { ::SetTextColor(m_hdc, color); }

void GdiCanvas::SetBkMode(int mode) { ::SetBkMode(m_hdc, mode); }

void GdiCanvas::InvertRect(const Rect& r) {
  PatBlt(m_hdc, r.left, r.top, r.right - r.left, r.bottom - r.top, DSTINVERT);
}

ColorRef GdiCanvas::GetSysColor(int index) { return ::GetSysColor(index); }

std::unique_ptr<Canvas> GdiCanvas::CreateMemoryCanvas() {
  HDC memory = CreateCompatibleDC(m_hdc);
  if (!memory) return nullptr;
  return std::unique_ptr<Canvas>(new GdiCanvas(memory, m_hdc, m_hFont));
}

bool GdiCanvas::SelectCompatibleBitmap(int32_t width, int32_t height) {
  if (!m_hParent || m_hBitmap) return false;
  // Compatible with the target: a memory context's own bitmap is 1x1 mono.
  m_hBitmap = CreateCompatibleBitmap(m_hParent, width, height);
  if (!m_hBitmap) return false;
  m_hOldBitmap = SelectObject(m_hdc, m_hBitmap);
  return m_hOldBitmap != nullptr;
}

void GdiCanvas::CopyFrom(Canvas& memory, int32_t width, int32_t height) {
  auto* source = dynamic_cast<GdiCanvas*>(&memory);
  if (!source) return;
  BitBlt(m_hdc, 0, 0, width, height, source->m_hdc, 0, 0, SRCCOPY);
}
