// What a test expects to differ between the x86 and the x64 build: the type
// library's platform key and kind, the other registry view.
#pragma once

#include <windows.h>
#include <oleauto.h>

#ifdef _WIN64
constexpr const wchar_t* kTypeLibPlatform = L"win64";
constexpr SYSKIND kOwnSysKind = SYS_WIN64;
constexpr REGSAM kOtherRegistryView = KEY_WOW64_32KEY;
#else
constexpr const wchar_t* kTypeLibPlatform = L"win32";
constexpr SYSKIND kOwnSysKind = SYS_WIN32;
constexpr REGSAM kOtherRegistryView = KEY_WOW64_64KEY;
#endif

#include <string>

// The other word size's registry view under HKEY_CLASSES_ROOT, to stand in
// for its build where that build cannot run. On a system with one view these
// reach this build's own keys.
namespace other_view {

inline bool Set(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  HKEY h = nullptr;
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE | kOtherRegistryView, nullptr, &h,
                      nullptr) != ERROR_SUCCESS)
    return false;
  const LONG r = RegSetValueExW(h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(h);
  return r == ERROR_SUCCESS;
}

inline std::wstring Get(const std::wstring& key, const wchar_t* name = nullptr) {
  HKEY h = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_QUERY_VALUE | kOtherRegistryView, &h) != ERROR_SUCCESS)
    return L"<none>";
  wchar_t buf[512] = {};
  DWORD type = 0, size = sizeof buf - sizeof(wchar_t);
  const LONG r = RegQueryValueExW(h, name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
  RegCloseKey(h);
  return r == ERROR_SUCCESS && type == REG_SZ ? std::wstring(buf) : L"<none>";
}

inline void Delete(const std::wstring& key) {
  HKEY h = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_ALL_ACCESS | kOtherRegistryView, &h) == ERROR_SUCCESS) {
    RegDeleteTreeW(h, nullptr);
    RegCloseKey(h);
  }
  RegDeleteKeyExW(HKEY_CLASSES_ROOT, key.c_str(), kOtherRegistryView, 0);
}

}  // namespace other_view
