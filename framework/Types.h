// Basic value types shared by the portable code and the backends.
#pragma once
#include <cstdint>
#include <string>

// Text is UTF-16 everywhere; on Windows it is the same code units as wchar_t.
using String = std::u16string;

// OLE colour: 0x00BBGGRR, or 0x80000000 | system colour index.
using OleColor = uint32_t;
// GDI colour: 0x00BBGGRR.
using ColorRef = uint32_t;
// Windows BOOL: 32 bits, nonzero is true.
using Bool32 = int32_t;
using DispId = int32_t;

struct Rect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  int32_t Width() const { return right - left; }
  int32_t Height() const { return bottom - top; }
  bool IsEmpty() const { return right <= left || bottom <= top; }
  bool Contains(int32_t x, int32_t y) const { return x >= left && x < right && y >= top && y < bottom; }
  bool operator==(const Rect& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
  bool operator!=(const Rect& o) const { return !(*this == o); }
};

struct Point {
  int32_t x = 0, y = 0;
};

struct Size {
  int32_t cx = 0, cy = 0;
  bool operator==(const Size& o) const { return cx == o.cx && cy == o.cy; }
};
