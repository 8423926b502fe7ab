#include "framework/win32/ClassesRoot.h"

namespace classes_root {

namespace {

#ifdef _WIN64
constexpr REGSAM kOtherView = KEY_WOW64_32KEY;
#else
constexpr REGSAM kOtherView = KEY_WOW64_64KEY;
#endif
// Written for a moment to tell a shared key from one per view.
constexpr wchar_t kProbe[] = L"VelmaricViewProbe";

HKEY Open(const std::wstring& key, REGSAM access) {
  HKEY h = nullptr;
  return RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, access, &h) == ERROR_SUCCESS ? h : nullptr;
}

// A key's default string value in a view (0: this build's own); empty if none.
std::wstring ReadDefault(const std::wstring& key, REGSAM view) {
  HKEY h = Open(key, KEY_QUERY_VALUE | view);
  if (!h) return std::wstring();
  wchar_t buf[128] = {};
  DWORD type = 0, size = sizeof buf - sizeof(wchar_t);
  const LONG r = RegQueryValueExW(h, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
  RegCloseKey(h);
  return r == ERROR_SUCCESS && type == REG_SZ ? std::wstring(buf) : std::wstring();
}

// True if the other view opens the very key this build sees (a shared key).
bool SharedWithOtherView(const std::wstring& key) {
  HKEY mine = Open(key, KEY_SET_VALUE);
  if (!mine) return false;
  const DWORD one = 1;
  bool shared = false;
  if (RegSetValueExW(mine, kProbe, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one) == ERROR_SUCCESS) {
    if (HKEY other = Open(key, KEY_QUERY_VALUE | kOtherView)) {
      shared = RegQueryValueExW(other, kProbe, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
      RegCloseKey(other);
    }
    RegDeleteValueW(mine, kProbe);
  }
  RegCloseKey(mine);
  return shared;
}

}  // namespace

bool SetValue(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  HKEY h = nullptr;
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr) !=
      ERROR_SUCCESS)
    return false;
  const LONG r = RegSetValueExW(h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(h);
  return r == ERROR_SUCCESS;
}

std::wstring GetText(const std::wstring& key) { return ReadDefault(key, 0); }

bool CreateKey(const std::wstring& key) {
  HKEY h = nullptr;
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr) !=
      ERROR_SUCCESS)
    return false;
  RegCloseKey(h);
  return true;
}

bool DeleteTree(const std::wstring& key) {
  LONG r = RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
  if (r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND) {
    // Some registries leave the emptied key itself behind.
    r = RegDeleteKeyW(HKEY_CLASSES_ROOT, key.c_str());
    return r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND;
  }
  return false;
}

bool OtherViewRegisters(const std::wstring& clsid) {
  // With one view the flag is ignored and this build's own (already removed)
  // keys are looked at.
  HKEY h = Open(L"CLSID\\" + clsid, KEY_READ | kOtherView);
  if (!h) return false;
  RegCloseKey(h);
  return true;
}

bool RemoveProgId(const std::wstring& progId, const std::wstring& clsid) {
  const std::wstring named = ReadDefault(progId + L"\\CLSID", 0);
  if (!named.empty() && CompareStringOrdinal(named.c_str(), -1, clsid.c_str(), -1, TRUE) != CSTR_EQUAL) return true;
  if (OtherViewRegisters(clsid) && SharedWithOtherView(progId)) return true;
  return DeleteTree(progId);
}

}  // namespace classes_root
