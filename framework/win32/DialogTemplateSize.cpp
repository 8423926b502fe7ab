#include "framework/win32/DialogTemplateSize.h"

#include "framework/ByteStream.h"
#include "framework/win32/ComModule.h"

namespace {

// A string or an ordinal (0xFFFF and one word), or nothing (0).
bool SkipNameOrOrdinal(ByteReader& r) {
  uint16_t w;
  if (!r.U16(w)) return false;
  if (w == 0xFFFF) return r.U16(w);
  while (w != 0)
    if (!r.U16(w)) return false;
  return true;
}

// A zero-terminated string, cut to fit `out`.
bool ReadString(ByteReader& r, wchar_t* out, size_t cap) {
  size_t n = 0;
  for (uint16_t w;;) {
    if (!r.U16(w)) return false;
    if (n + 1 < cap) out[n++] = static_cast<wchar_t>(w);
    if (w == 0) break;
  }
  out[cap - 1] = 0;
  return true;
}

struct TemplateHead {
  short cx = 0, cy = 0;
  bool hasFont = false;
  uint16_t pointSize = 0, weight = FW_NORMAL;
  BYTE italic = 0, charset = DEFAULT_CHARSET;
  wchar_t face[LF_FACESIZE] = {};
};

// Reads a template in either form (DIALOG or DIALOGEX) up to its font.
bool ReadHead(const BYTE* data, DWORD size, TemplateHead& head) {
  ByteReader r(data, size);
  uint16_t version, signature, items, x, y, cx, cy;
  uint32_t style, exStyle, helpId;
  if (!r.U16(version) || !r.U16(signature)) return false;
  const bool extended = version == 1 && signature == 0xFFFF;
  if (extended) {
    if (!r.U32(helpId) || !r.U32(exStyle) || !r.U32(style)) return false;
  } else {
    style = version | (static_cast<uint32_t>(signature) << 16);
    if (!r.U32(exStyle)) return false;
  }
  if (!r.U16(items) || !r.U16(x) || !r.U16(y) || !r.U16(cx) || !r.U16(cy)) return false;
  head.cx = static_cast<short>(cx);
  head.cy = static_cast<short>(cy);
  if (!SkipNameOrOrdinal(r) || !SkipNameOrOrdinal(r) || !SkipNameOrOrdinal(r)) return false;
  head.hasFont = (style & DS_SETFONT) != 0;
  if (!head.hasFont) return true;
  if (!r.U16(head.pointSize)) return false;
  if (extended) {
    uint16_t italicCharset;
    if (!r.U16(head.weight) || !r.U16(italicCharset)) return false;
    head.italic = LOBYTE(italicCharset);
    head.charset = HIBYTE(italicCharset);
  }
  return ReadString(r, head.face, LF_FACESIZE);
}

// The dialog base units of a font: average width of the alphabet (rounded)
// and the font's height.
SIZE BaseUnits(HDC dc, const TemplateHead& head) {
  if (!head.hasFont) {
    const LONG units = GetDialogBaseUnits();
    return SIZE{LOWORD(units), HIWORD(units)};
  }
  HFONT font = CreateFontW(-MulDiv(head.pointSize, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, head.weight,
                           head.italic, FALSE, FALSE, head.charset, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                           DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, head.face);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICW tm = {};
  GetTextMetricsW(dc, &tm);
  static const wchar_t kAlphabet[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  SIZE extent = {};
  GetTextExtentPoint32W(dc, kAlphabet, 52, &extent);
  SelectObject(dc, old);
  DeleteObject(font);
  return SIZE{(extent.cx / 26 + 1) / 2, tm.tmHeight};
}

}  // namespace

bool DialogTemplateSize(UINT templateId, SIZE& pixels) {
  HMODULE module = com_module::Instance();
  HRSRC res = FindResourceW(module, MAKEINTRESOURCEW(templateId), MAKEINTRESOURCEW(5) /* RT_DIALOG */);
  HGLOBAL loaded = res ? LoadResource(module, res) : nullptr;
  const BYTE* data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
  TemplateHead head;
  if (!data || !ReadHead(data, SizeofResource(module, res), head)) return false;
  HDC dc = GetDC(nullptr);
  const SIZE base = BaseUnits(dc, head);
  ReleaseDC(nullptr, dc);
  pixels.cx = MulDiv(head.cx, base.cx, 4);
  pixels.cy = MulDiv(head.cy, base.cy, 8);
  return true;
}
