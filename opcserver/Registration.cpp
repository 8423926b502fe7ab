#include "opcserver/Registration.h"

#include <windows.h>
#include <comcat.h>
#include <objbase.h>

#include "opc_ae.h"
#include "framework/win32/ClassesRoot.h"
#include "opcserver/ClassFactory.h"
#include "opcserver/Log.h"
#include "opcserver/Records.h"
#include "opcserver/core/CommandLine.h"

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

using classes_root::CreateKey;
using classes_root::DeleteTree;
using classes_root::SetValue;

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
  const std::wstring clsid = GuidText(CLSID_VelmaricOpcAEServer);
  const std::wstring treatAs = classes_root::GetText(L"CLSID\\" + clsid + L"\\TreatAs");
  if (!treatAs.empty() && CompareStringOrdinal(treatAs.c_str(), -1, clsid.c_str(), -1, TRUE) != CSTR_EQUAL) {
    // A site sends our class to another vendor's server: the class key, its
    // ProgIDs and the redirection stay in use; only our program goes.
    if (!DeleteTree(L"CLSID\\" + clsid + L"\\LocalServer32") ||
        !DeleteTree(L"CLSID\\" + clsid + L"\\Implemented Categories"))
      return "cannot remove the server's program key";
    Log("unregistered our program; the class stays, treated as %ls", treatAs.c_str());
    return std::string();
  }
  // The class keys first: the ProgIDs may be shared with the other word
  // size's server, and one naming another class is not ours.
  const bool ok = DeleteTree(L"CLSID\\" + clsid) && classes_root::RemoveProgId(kProgId, clsid) &&
                  classes_root::RemoveProgId(kVersionlessProgId, clsid);
  if (!ok) return "cannot remove the class keys";
  Log("unregistered");
  return std::string();
}

}  // namespace opcsrv
