// A font as the portable code knows it; the win32 backend turns it into a
// standard font object and back.
#pragma once
#include "framework/Types.h"

struct FontDesc {
  String name = u"MS Sans Serif";
  int64_t size = 80000;  // points in CY units (1/10000 pt): 8 pt
  int16_t weight = 400;
  int16_t charset = 0;
  bool italic = false;
  bool underline = false;
  bool strikethrough = false;

  bool operator==(const FontDesc& o) const {
    return name == o.name && size == o.size && weight == o.weight && charset == o.charset &&
           italic == o.italic && underline == o.underline && strikethrough == o.strikethrough;
  }
  bool operator!=(const FontDesc& o) const { return !(*this == o); }
};
