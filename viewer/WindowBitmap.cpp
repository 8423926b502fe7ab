#include "viewer/WindowBitmap.h"

bool SaveWindowBitmap(HWND hwnd, const std::wstring& file, bool withFrame) {
  RECT r;
  if (withFrame) {
    GetWindowRect(hwnd, &r);
    OffsetRect(&r, -r.left, -r.top);
  } else {
    GetClientRect(hwnd, &r);
  }
  int w = r.right, h = r.bottom;
  if (w <= 0 || h <= 0) return false;
  HDC wdc = withFrame ? GetWindowDC(hwnd) : GetDC(hwnd);
  HDC mem = CreateCompatibleDC(wdc);
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(wdc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bmp);
  // Child windows (the control, a property page) paint into the same surface:
  // their pixels are in this window's DC.
  BitBlt(mem, 0, 0, w, h, wdc, 0, 0, SRCCOPY);
  SelectObject(mem, old);
  bool ok = false;
  HANDLE f = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f != INVALID_HANDLE_VALUE && bits) {
    BITMAPFILEHEADER fh = {};
    DWORD size = static_cast<DWORD>(w) * h * 4;
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
    fh.bfSize = fh.bfOffBits + size;
    DWORD n;
    ok = WriteFile(f, &fh, sizeof fh, &n, nullptr) && WriteFile(f, &bi.bmiHeader, sizeof bi.bmiHeader, &n, nullptr) &&
         WriteFile(f, bits, size, &n, nullptr);
  }
  if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(hwnd, wdc);
  return ok;
}
