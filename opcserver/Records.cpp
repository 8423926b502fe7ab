#include "opcserver/Records.h"

#include <cstring>

namespace opcsrv {

uint64_t FromFileTime(const FILETIME& ft) { return (uint64_t{ft.dwHighDateTime} << 32) | ft.dwLowDateTime; }

String FromWide(const wchar_t* s) {
  String out;
  if (s)
    for (; *s; ++s) out.push_back(static_cast<char16_t>(*s));
  return out;
}

LPWSTR CoTaskString(const std::wstring& s) {
  const size_t bytes = (s.size() + 1) * sizeof(wchar_t);
  auto* p = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
  if (p) std::memcpy(p, s.c_str(), bytes);
  return p;
}

void FreeCoTaskStrings(LPWSTR* array, size_t count) {
  if (!array) return;
  for (size_t i = 0; i < count; ++i) CoTaskMemFree(array[i]);
  CoTaskMemFree(array);
}

bool CoTaskStrings(const std::vector<String>& in, LPWSTR** out) {
  *out = nullptr;
  if (in.empty()) return true;
  auto* arr = CoTaskArray<LPWSTR>(in.size());
  if (!arr) return false;
  for (size_t i = 0; i < in.size(); ++i) {
    try {
      arr[i] = CoTaskString(Wide(in[i]));
    } catch (...) {
      arr[i] = nullptr;
    }
    if (!arr[i]) {
      FreeCoTaskStrings(arr, i);
      return false;
    }
  }
  *out = arr;
  return true;
}

}  // namespace opcsrv
