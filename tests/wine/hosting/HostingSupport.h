// Pieces shared by the hosting tests: a reference-counted base for the test's
// COM objects, a plain top-level window to host in, a 32-bit DIB section to
// draw into and read back, and the control's known identifiers.
#pragma once
#include "tests/wine/common/TestUnknown.h"
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <cstdint>
#include <string>
#include <vector>

const wchar_t kProgId[] = L"VELMARICAE.VelmaricAECtrl.1";


template <class I>
I* QueryAs(IUnknown* unk, REFIID iid) {
  I* p = nullptr;
  if (!unk || FAILED(unk->QueryInterface(iid, reinterpret_cast<void**>(&p)))) return nullptr;
  return p;
}

// Runs whatever is queued for this thread; never waits.
inline void PumpPending() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// A visible top-level window with a given client size, standing in for a
// container's form.
inline HWND CreateFormWindow(int clientWidth, int clientHeight, const wchar_t* title = L"hosting test form") {
  static const wchar_t kClass[] = L"VelmaricHostingForm";
  WNDCLASSW wc = {};
  if (!GetClassInfoW(GetModuleHandleW(nullptr), kClass, &wc)) {
    wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = kClass;
    RegisterClassW(&wc);
  }
  RECT r = {0, 0, clientWidth, clientHeight};
  const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  AdjustWindowRect(&r, style, FALSE);
  HWND hwnd = CreateWindowExW(0, kClass, title, style, 20, 20, r.right - r.left, r.bottom - r.top, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
  if (hwnd) ShowWindow(hwnd, SW_SHOWNA);
  return hwnd;
}

// A window's rectangle in its parent's client coordinates.
inline RECT RectInParent(HWND hwnd) {
  RECT r = {};
  GetWindowRect(hwnd, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// 32 bits per pixel, top-down, selected into its own memory context.
class Dib {
 public:
  Dib(int width, int height) : m_width(width), m_height(height) {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    m_dc = CreateCompatibleDC(nullptr);
    m_bitmap = CreateDIBSection(m_dc, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_bits), nullptr, 0);
    if (m_bitmap) m_old = SelectObject(m_dc, m_bitmap);
  }
  ~Dib() {
    if (m_old) SelectObject(m_dc, m_old);
    if (m_bitmap) DeleteObject(m_bitmap);
    if (m_dc) DeleteDC(m_dc);
  }
  Dib(const Dib&) = delete;
  Dib& operator=(const Dib&) = delete;

  bool Ok() const { return m_bits != nullptr; }
  HDC Dc() const { return m_dc; }
  int Width() const { return m_width; }
  int Height() const { return m_height; }

  // As a COLORREF (0x00BBGGRR), so that it compares with GDI colours.
  COLORREF Pixel(int x, int y) const {
    uint32_t v = m_bits[static_cast<size_t>(y) * m_width + x];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
  }
  void Fill(COLORREF c) {
    GdiFlush();
    uint32_t v = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
    for (size_t k = 0; k < static_cast<size_t>(m_width) * m_height; ++k) m_bits[k] = v;
  }
  // Pixels of a rectangle (clipped to the bitmap) that are not `c`.
  int CountNot(const RECT& r, COLORREF c) const {
    GdiFlush();
    int n = 0;
    for (int y = r.top < 0 ? 0 : r.top; y < r.bottom && y < m_height; ++y)
      for (int x = r.left < 0 ? 0 : r.left; x < r.right && x < m_width; ++x)
        if (Pixel(x, y) != c) ++n;
    return n;
  }
  int Count(const RECT& r, COLORREF c) const {
    RECT cl = r;
    if (cl.left < 0) cl.left = 0;
    if (cl.top < 0) cl.top = 0;
    if (cl.right > m_width) cl.right = m_width;
    if (cl.bottom > m_height) cl.bottom = m_height;
    int area = (cl.right > cl.left && cl.bottom > cl.top) ? (cl.right - cl.left) * (cl.bottom - cl.top) : 0;
    return area - CountNot(cl, c);
  }

  bool SaveBmp(const wchar_t* file) const {
    GdiFlush();
    BITMAPFILEHEADER fh = {};
    BITMAPINFOHEADER ih = {};
    ih.biSize = sizeof ih;
    ih.biWidth = m_width;
    ih.biHeight = -m_height;
    ih.biPlanes = 1;
    ih.biBitCount = 32;
    ih.biCompression = BI_RGB;
    const DWORD size = static_cast<DWORD>(m_width) * m_height * 4;
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof ih;
    fh.bfSize = fh.bfOffBits + size;
    HANDLE f = CreateFileW(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD n = 0;
    bool ok = WriteFile(f, &fh, sizeof fh, &n, nullptr) && WriteFile(f, &ih, sizeof ih, &n, nullptr) &&
              WriteFile(f, m_bits, size, &n, nullptr);
    CloseHandle(f);
    return ok;
  }

 private:
  int m_width, m_height;
  HDC m_dc = nullptr;
  HBITMAP m_bitmap = nullptr;
  HGDIOBJ m_old = nullptr;
  uint32_t* m_bits = nullptr;
};

// Draws the control's content aspect into a DIB at the given bounds.
inline HRESULT DrawInto(IUnknown* control, const Dib& dib, RECTL bounds) {
  IViewObject* view = QueryAs<IViewObject>(control, IID_IViewObject);
  if (!view) return E_NOINTERFACE;
  HRESULT hr = view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dib.Dc(), &bounds, nullptr, nullptr, 0);
  view->Release();
  GdiFlush();
  return hr;
}

inline COLORREF Invert(COLORREF c) { return c ^ 0x00FFFFFF; }
