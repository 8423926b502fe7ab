#include "wtclient/server/Registration.h"

#include <windows.h>
#include <comcat.h>
#include <objbase.h>

// The category id is a DEFINE_GUID of the IDL that no library defines.
#include <initguid.h>

#include "opc_ae.h"
#include "wtclient/server/ClassFactory.h"
#include "wtclient/server/Log.h"
#include "wtclient/server/Records.h"
#include "wtclient/server/core/CommandLine.h"

namespace opcsrv {
namespace {

const wchar_t kClassName[] = L"Velmaric simulated OPC AE server";
const wchar_t kProgId[] = L"Velmaric.TamborelOpcDa.1";
const wchar_t kVersionlessProgId[] = L"Velmaric.TamborelOpcDa";

std::wstring GuidText(const GUID& g) {
  wchar_t buf[40];
  StringFromGUID2(g, buf, 40);
  return buf;
}

// Sets the default value (name null) or a named value of HKCR\key.
bool SetValue(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  HKEY k = nullptr;
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr) !=
      ERROR_SUCCESS)
    return false;
  const LONG r = RegSetValueExW(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(k);
  return r == ERROR_SUCCESS;
}

bool CreateKey(const std::wstring& key) {
  HKEY k = nullptr;
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr) !=
      ERROR_SUCCESS)
    return false;
  RegCloseKey(k);
  return true;
}

bool DeleteTree(const std::wstring& key) {
  const LONG r = RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
  if (r == ERROR_FILE_NOT_FOUND) return true;
  if (r != ERROR_SUCCESS) return false;
  // Some registries leave the emptied key itself behind.
  const LONG d = RegDeleteKeyW(HKEY_CLASSES_ROOT, key.c_str());
  return d == ERROR_SUCCESS || d == ERROR_FILE_NOT_FOUND;
}

// Through the system's category manager where it works, else by hand.
bool RegisterCategory(const CLSID& clsid) {
  ICatRegister* cats = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER, IID_ICatRegister,
                                 reinterpret_cast<void**>(&cats)))) {
    CATEGORYINFO info = {};
    info.catid = CATID_OPCAEServer10;
    info.lcid = 0x409;
    lstrcpynW(info.szDescription, OPC_CATEGORY_DESCRIPTION_AE10, 128);
    CATID catid = CATID_OPCAEServer10;
    const bool ok = SUCCEEDED(cats->RegisterCategories(1, &info)) &&
                    SUCCEEDED(cats->RegisterClassImplCategories(clsid, 1, &catid));
    cats->Release();
    if (ok) return true;
    Log("category manager refused the category; writing the keys by hand");
  }
  const std::wstring cat = GuidText(CATID_OPCAEServer10);
  return SetValue(L"Component Categories\\" + cat, L"409", OPC_CATEGORY_DESCRIPTION_AE10) &&
         CreateKey(L"CLSID\\" + GuidText(clsid) + L"\\Implemented Categories\\" + cat);
}

}  // namespace

std::string RegisterServer(const std::wstring& exePath, const std::wstring& scenario, const std::wstring& logFile) {
  const std::wstring clsidKey = L"CLSID\\" + GuidText(CLSID_VelmaricOpcAEServer);
  const std::wstring command = Wide(LocalServerCommand(FromWide(exePath.c_str()), FromWide(scenario.c_str()), FromWide(logFile.c_str())));
  const std::wstring clsid = GuidText(CLSID_VelmaricOpcAEServer);
  const bool ok = SetValue(clsidKey, nullptr, kClassName) &&
                  SetValue(clsidKey + L"\\LocalServer32", nullptr, command) &&
                  SetValue(clsidKey + L"\\ProgID", nullptr, kProgId) &&
                  SetValue(clsidKey + L"\\VersionIndependentProgID", nullptr, kVersionlessProgId) &&
                  SetValue(kProgId, nullptr, kClassName) && SetValue(std::wstring(kProgId) + L"\\CLSID", nullptr, clsid) &&
                  SetValue(kVersionlessProgId, nullptr, kClassName) &&
                  SetValue(std::wstring(kVersionlessProgId) + L"\\CLSID", nullptr, clsid) &&
                  SetValue(std::wstring(kVersionlessProgId) + L"\\CurVer", nullptr, kProgId);
  if (!ok) return "cannot write the class keys (no access to HKEY_CLASSES_ROOT?)";
  if (!RegisterCategory(CLSID_VelmaricOpcAEServer)) return "cannot register the OPC AE component category";
  Log("registered: %ls", command.c_str());
  return std::string();
}

std::string UnregisterServer() {
  const bool ok = DeleteTree(L"CLSID\\" + GuidText(CLSID_VelmaricOpcAEServer)) && DeleteTree(kProgId) &&
                  DeleteTree(kVersionlessProgId);
  if (!ok) return "cannot remove the class keys";
  Log("unregistered");
  return std::string();
}

}  // namespace opcsrv
