#include "framework/win32/Win32Version.h"

#include <windows.h>

#include <cwchar>
#include <vector>

#include "framework/win32/ComModule.h"
#include "framework/win32/WinString.h"

namespace {

class Block : public VersionInfo {
 public:
  explicit Block(std::vector<BYTE> data) : m_data(std::move(data)) {}
  bool QueryTranslation(uint32_t& first) override {
    void* p = nullptr;
    UINT len = 0;
    if (!VerQueryValueW(m_data.data(), L"\\VarFileInfo\\Translation", &p, &len) || !p || len < sizeof(DWORD))
      return false;
    first = *static_cast<const DWORD*>(p);
    return true;
  }
  bool QueryString(const String& subBlock, String& value) override {
    void* p = nullptr;
    UINT len = 0;  // characters, the terminating null included
    if (!VerQueryValueW(m_data.data(), W(subBlock), &p, &len) || !p) return false;
    const wchar_t* s = static_cast<const wchar_t*>(p);
    value.assign(reinterpret_cast<const char16_t*>(s), wcsnlen(s, len));
    return true;
  }

 private:
  std::vector<BYTE> m_data;
};

class Win32VersionPort : public VersionPort {
 public:
  String ModuleFileName() override {
    wchar_t path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameW(com_module::Instance(), path, MAX_PATH);
    // A path cut at MAX_PATH names another file: treat it as unknown.
    if (n == 0 || n >= MAX_PATH) return String();
    return FromW(path);
  }
  std::unique_ptr<VersionInfo> Read(const String& path) override {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(W(path), &ignored);
    if (size == 0) return nullptr;
    std::vector<BYTE> data(size);
    if (!GetFileVersionInfoW(W(path), 0, size, data.data())) return nullptr;
    return std::make_unique<Block>(std::move(data));
  }
};

}  // namespace

VersionPort& Win32Version() {
  static Win32VersionPort port;
  return port;
}
