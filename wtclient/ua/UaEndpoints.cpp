#include "wtclient/ua/UaEndpoints.h"

#include <vector>

#include "wtclient/AnsiText.h"

namespace wtclient {
namespace {

constexpr wchar_t kKeyPath[] = L"Software\\Velmaric\\WTclient\\UA Endpoints";

// The URL as UTF-8 (URLs are ASCII, but a path may not be), "" when the value is missing or not a string.
std::string ReadUrl(HKEY root, REGSAM view, const std::wstring& progId) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, kKeyPath, 0, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS) return std::string();
  std::string url;
  DWORD type = 0;
  DWORD bytes = 0;
  if (RegQueryValueExW(key, progId.c_str(), nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS && type == REG_SZ &&
      bytes > 0 && bytes < 64 * 1024) {
    std::vector<wchar_t> text(bytes / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key, progId.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &bytes) ==
        ERROR_SUCCESS) {
      // The stored string need not end in a terminator; the extra element gives it one.
      const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), -1, nullptr, 0, nullptr, nullptr);
      if (n > 1) {
        url.resize(static_cast<size_t>(n - 1));
        WideCharToMultiByte(CP_UTF8, 0, text.data(), -1, &url[0], n, nullptr, nullptr);
      }
    }
  }
  RegCloseKey(key);
  // Surrounding blanks are a typing slip, not part of a URL.
  const size_t first = url.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  return url.substr(first, url.find_last_not_of(" \t") - first + 1);
}

}  // namespace

std::string UaEndpointFor(LPCSTR serverProgId) {
  if (!serverProgId || !*serverProgId) return std::string();
  const std::wstring progId = WideFromAnsi(serverProgId);
  std::string url = ReadUrl(HKEY_CURRENT_USER, 0, progId);
  if (url.empty()) url = ReadUrl(HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY, progId);
  return url;
}

}  // namespace wtclient
