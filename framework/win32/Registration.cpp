#include "framework/win32/Registration.h"

#include <oleauto.h>

#include <cwchar>
#include <string>
#include <vector>

#include "framework/win32/ClassesRoot.h"
#include "framework/win32/ComModule.h"
#include "framework/win32/WinString.h"

namespace {

// Each word size registers its type library under its own platform key.
#ifdef _WIN64
constexpr SYSKIND kOwnSysKind = SYS_WIN64;
#else
constexpr SYSKIND kOwnSysKind = SYS_WIN32;
#endif

using classes_root::CreateKey;
using classes_root::DeleteTree;
using classes_root::SetValue;

std::wstring LoadText(UINT id) {
  wchar_t buf[256] = {};
  int n = LoadStringW(com_module::Instance(), id, buf, 256);
  return std::wstring(buf, n > 0 ? n : 0);
}

}  // namespace

void GuidText(const GUID& guid, wchar_t (&out)[40]) {
  if (!StringFromGUID2(guid, out, 40)) out[0] = 0;
}

bool RegisterControlClass(const ControlClassInfo& info) {
  wchar_t clsid[40], libid[40];
  GuidText(info.clsid, clsid);
  GuidText(info.libid, libid);
  std::wstring key = std::wstring(L"CLSID\\") + clsid;
  std::wstring typeName = LoadText(info.typeNameStringId);
  std::wstring path = W(com_module::ModulePath());
  wchar_t misc[16], version[16];
  swprintf(misc, 16, L"%lu", static_cast<unsigned long>(info.miscStatus));
  swprintf(version, 16, L"%u.%u", info.libMajor, info.libMinor);

  bool ok = SetValue(key, nullptr, typeName) && SetValue(key + L"\\InprocServer32", nullptr, path) &&
            SetValue(key + L"\\InprocServer32", L"ThreadingModel", info.threadingModel) &&
            SetValue(key + L"\\ProgID", nullptr, info.progId) && CreateKey(key + L"\\Control") &&
            SetValue(key + L"\\ToolboxBitmap32", nullptr, path + L", " + std::to_wstring(info.toolboxBitmapId)) &&
            SetValue(key + L"\\MiscStatus", nullptr, L"0") && SetValue(key + L"\\MiscStatus\\1", nullptr, misc) &&
            SetValue(key + L"\\TypeLib", nullptr, libid) && SetValue(key + L"\\Version", nullptr, version) &&
            SetValue(info.progId, nullptr, typeName) && SetValue(std::wstring(info.progId) + L"\\CLSID", nullptr, clsid);
  return ok;
}

bool UnregisterClass(const CLSID& clsid, const wchar_t* progId) {
  wchar_t text[40];
  GuidText(clsid, text);
  bool ok = DeleteTree(std::wstring(L"CLSID\\") + text);
  // After the class keys: the ProgID may be shared with the other word size.
  if (progId) ok = classes_root::RemoveProgId(progId, text) && ok;
  return ok;
}

bool RegisterPropertyPageClass(const CLSID& clsid, UINT typeNameId) {
  wchar_t text[40];
  GuidText(clsid, text);
  std::wstring key = std::wstring(L"CLSID\\") + text;
  return SetValue(key, nullptr, LoadText(typeNameId)) &&
         SetValue(key + L"\\InprocServer32", nullptr, W(com_module::ModulePath()));
}

HRESULT RegisterModuleTypeLib() {
  // REGKIND_NONE then RegisterTypeLib: the registered paths stay plain.
  String path = com_module::ModulePath();
  ITypeLib* lib = nullptr;
  HRESULT hr = LoadTypeLibEx(W(path), REGKIND_NONE, &lib);
  if (FAILED(hr)) return hr;
  hr = RegisterTypeLib(lib, const_cast<LPOLESTR>(W(path)), nullptr);
  lib->Release();
  return hr;
}

HRESULT UnregisterModuleTypeLib(const GUID& libid, WORD major, WORD minor) {
  com_module::ReleaseTypeLib();
  // Asked for locale 0, every locale the library is registered under goes
  // (ours carries 0x0409, which a lookup with locale 0 would not find).
  wchar_t text[40];
  GuidText(libid, text);
  wchar_t version[16];
  swprintf(version, 16, L"%x.%x", major, minor);
  std::wstring key = std::wstring(L"TypeLib\\") + text + L"\\" + version;
  HKEY h = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
    return TYPE_E_LIBNOTREGISTERED;
  std::vector<LCID> locales;
  wchar_t name[64];
  for (DWORD k = 0;; ++k) {
    DWORD len = 64;
    if (RegEnumKeyExW(h, k, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    wchar_t* end = nullptr;
    unsigned long lcid = wcstoul(name, &end, 16);
    if (end != name && *end == 0) locales.push_back(static_cast<LCID>(lcid));
  }
  RegCloseKey(h);
  if (locales.empty()) return TYPE_E_LIBNOTREGISTERED;
  HRESULT result = S_OK;
  for (LCID lcid : locales) {
    HRESULT hr = UnRegisterTypeLib(libid, major, minor, lcid, kOwnSysKind);
    if (FAILED(hr)) result = hr;
  }
  return result;
}
