// A small automation value: what crosses the dispatch table, the property
// exchange and event firing. The win32 backend maps it to VARIANT.
#pragma once
#include "framework/FontDesc.h"
#include "framework/Types.h"

enum class VType : uint8_t { Empty, I2, I4, Bool, BStr, Color, Date, Font };

struct Value {
  VType type = VType::Empty;
  int32_t i = 0;  // I2, I4, Bool (0 or 1), Color (bit pattern)
  double d = 0;   // Date
  String s;       // BStr
  FontDesc font;  // Font

  static Value I2(int16_t v) { Value r; r.type = VType::I2; r.i = v; return r; }
  static Value I4(int32_t v) { Value r; r.type = VType::I4; r.i = v; return r; }
  static Value Bool(bool v) { Value r; r.type = VType::Bool; r.i = v ? 1 : 0; return r; }
  static Value Color(OleColor v) { Value r; r.type = VType::Color; r.i = static_cast<int32_t>(v); return r; }
  static Value Date(double v) { Value r; r.type = VType::Date; r.d = v; return r; }
  static Value Str(String v) { Value r; r.type = VType::BStr; r.s = std::move(v); return r; }
  static Value Font(FontDesc f) { Value r; r.type = VType::Font; r.font = std::move(f); return r; }

  bool operator==(const Value& o) const {
    if (type != o.type) return false;
    switch (type) {
      case VType::Empty: return true;
      case VType::BStr: return s == o.s;
      case VType::Date: return d == o.d;
      case VType::Font: return font == o.font;
      default: return i == o.i;
    }
  }
};
