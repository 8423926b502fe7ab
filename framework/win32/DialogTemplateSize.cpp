#include "framework/win32/DialogTemplateSize.h"

#include "framework/win32/ComModule.h"

namespace {

// Reads a template in either form (DIALOG or DIALOGEX) up to its font.
class TemplateReader {
 public:
  TemplateReader(const BYTE* data, DWORD size) : m_p(data), m_end(data + size) {}
  bool Word(WORD& w) {
    if (m_end - m_p < 2) return false;
    w = static_cast<WORD>(m_p[0] | (m_p[1] << 8));
    m_p += 2;
    return true;
  }
  bool Dword(DWORD& d) {
    WORD lo, hi;
    if (!Word(lo) || !Word(hi)) return false;
    d = lo | (static_cast<DWORD>(hi) << 16);
    return true;
  }
  bool Skip(size_t n) {
    if (static_cast<size_t>(m_end - m_p) < n) return false;
    m_p += n;
    return true;
  }
  // A string or an ordinal (0xFFFF and one word), or nothing (0).
  bool SkipNameOrOrdinal() {
    WORD w;
    if (!Word(w)) return false;
    if (w == 0xFFFF) return Word(w);
    while (w != 0)
      if (!Word(w)) return false;
    return true;
  }
  bool String(wchar_t* out, size_t cap) {
    size_t n = 0;
    for (WORD w;;) {
      if (!Word(w)) return false;
      if (n + 1 < cap) out[n++] = static_cast<wchar_t>(w);
      if (w == 0) break;
    }
    out[cap - 1] = 0;
    return true;
  }

 private:
  const BYTE* m_p;
  const BYTE* m_end;
};

struct TemplateHead {
  short cx = 0, cy = 0;
  bool hasFont = false;
  WORD pointSize = 0, weight = FW_NORMAL;
  BYTE italic = 0, charset = DEFAULT_CHARSET;
  wchar_t face[LF_FACESIZE] = {};
};

bool ReadHead(const BYTE* data, DWORD size, TemplateHead& head) {
  TemplateReader r(data, size);
  WORD version, signature, items, x, y, cx, cy;
  DWORD style, exStyle, helpId;
  if (!r.Word(version) || !r.Word(signature)) return false;
  const bool extended = version == 1 && signature == 0xFFFF;
  if (extended) {
    if (!r.Dword(helpId) || !r.Dword(exStyle) || !r.Dword(style)) return false;
  } else {
    style = version | (static_cast<DWORD>(signature) << 16);
    if (!r.Dword(exStyle)) return false;
  }
  if (!r.Word(items) || !r.Word(x) || !r.Word(y) || !r.Word(cx) || !r.Word(cy)) return false;
  head.cx = static_cast<short>(cx);
  head.cy = static_cast<short>(cy);
  if (!r.SkipNameOrOrdinal() || !r.SkipNameOrOrdinal() || !r.SkipNameOrOrdinal()) return false;
  head.hasFont = (style & DS_SETFONT) != 0;
  if (!head.hasFont) return true;
  if (!r.Word(head.pointSize)) return false;
  if (extended) {
    WORD italicCharset;
    if (!r.Word(head.weight) || !r.Word(italicCharset)) return false;
    head.italic = LOBYTE(italicCharset);
    head.charset = HIBYTE(italicCharset);
  }
  return r.String(head.face, LF_FACESIZE);
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
