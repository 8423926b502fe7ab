// UTF-16 String <-> wchar_t / BSTR: the same code units on Windows.
#pragma once
#include <windows.h>
#include <oleauto.h>

#include "framework/Types.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "wchar_t is UTF-16 on Windows");

inline const wchar_t* W(const String& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }
inline const wchar_t* W(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }
inline String FromW(const wchar_t* s) {
  return s ? String(reinterpret_cast<const char16_t*>(s)) : String();
}
inline String FromBstr(BSTR b) {
  return b ? String(reinterpret_cast<const char16_t*>(b), SysStringLen(b)) : String();
}
inline BSTR ToBstr(const String& s) {
  return SysAllocStringLen(W(s), static_cast<UINT>(s.size()));
}
