// A window's picture as a 32-bpp BMP file, read back from its window DC (it
// works headless under Wine's null graphics driver).
#pragma once
#include <windows.h>

#include <string>

// The client area, or with `withFrame` the whole window with its caption
// and border. Child windows are part of the picture.
bool SaveWindowBitmap(HWND hwnd, const std::wstring& file, bool withFrame = false);
