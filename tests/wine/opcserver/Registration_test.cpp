// What a client finds in the registry: the ProgIDs, the local server, the
// OPC AE category and the proxies of the interfaces it marshals.
#include <comcat.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>

#include "OpcTestSupport.h"

namespace {

std::wstring RegText(const std::wstring& key, const wchar_t* name = nullptr) {
  wchar_t buf[1024] = {};
  DWORD size = sizeof buf;
  if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name, RRF_RT_REG_SZ, nullptr, buf, &size) != ERROR_SUCCESS)
    return L"<none>";
  return buf;
}

std::wstring GuidText(const GUID& g) {
  wchar_t text[40];
  StringFromGUID2(g, text, 40);
  return text;
}

std::wstring Lower(std::wstring s) {
  std::transform(s.begin(), s.end(), s.begin(), [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
  return s;
}

// The program of a command line: quoted, or up to the first " -" or " /".
std::wstring ProgramOf(const std::wstring& cmd) {
  if (!cmd.empty() && cmd[0] == L'"') return cmd.substr(1, cmd.find(L'"', 1) - 1);
  size_t end = cmd.size();
  for (const wchar_t* sep : {L" -", L" /"}) end = std::min(end, cmd.find(sep));
  return cmd.substr(0, end);
}

// opc_ae.h only declares CATID_OPCAEServer10; the value is the standard's.
constexpr CATID kCatAeServer10 = {0x58E13251, 0xAC87, 0x11d1, {0x84, 0xD5, 0x00, 0x60, 0x8C, 0xB8, 0xA7, 0xE9}};

const std::wstring kClsidKey = L"CLSID\\" + GuidText(kServerClsid);

}  // namespace

TEST(Registration, ProgIdsLeadToTheServerClass) {
  CLSID clsid = {};
  ASSERT_EQ(S_OK, CLSIDFromProgID(kProgId, &clsid));
  EXPECT_TRUE(IsEqualCLSID(clsid, kServerClsid)) << Narrow(GuidText(clsid));
  ASSERT_EQ(S_OK, CLSIDFromProgID(kVersionIndependentProgId, &clsid));
  EXPECT_TRUE(IsEqualCLSID(clsid, kServerClsid));
  EXPECT_EQ(std::wstring(kProgId), RegText(std::wstring(kVersionIndependentProgId) + L"\\CurVer"));

  LPOLESTR progId = nullptr;
  ASSERT_EQ(S_OK, ProgIDFromCLSID(kServerClsid, &progId));
  EXPECT_STREQ(kProgId, progId);
  CoTaskMemFree(progId);
  EXPECT_EQ(L"Velmaric simulated OPC AE server", RegText(kClsidKey));
  EXPECT_EQ(std::wstring(kVersionIndependentProgId), RegText(kClsidKey + L"\\VersionIndependentProgID"));
}

TEST(Registration, LocalServerIsOurExecutable) {
  const std::wstring cmd = RegText(kClsidKey + L"\\LocalServer32");
  ASSERT_NE(L"<none>", cmd);
  const std::wstring program = ProgramOf(cmd);
  EXPECT_EQ(Lower(BinFile(kServerExe)), Lower(program)) << Narrow(cmd);
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(program.c_str())) << Narrow(program);
  // An out-of-process server must not also claim to load in-process.
  HKEY key;
  const bool inproc = RegOpenKeyExW(HKEY_CLASSES_ROOT, (kClsidKey + L"\\InprocServer32").c_str(), 0, KEY_READ,
                                    &key) == ERROR_SUCCESS;
  if (inproc) RegCloseKey(key);
  EXPECT_FALSE(inproc);
}

TEST(Registration, ImplementsTheAeServerCategory) {
  HKEY key;
  const std::wstring implemented = kClsidKey + L"\\Implemented Categories\\" + GuidText(kCatAeServer10);
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CLASSES_ROOT, implemented.c_str(), 0, KEY_READ, &key));
  RegCloseKey(key);

  ComPtr<ICatInformation> cats;
  ASSERT_EQ(S_OK, CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_ICatInformation, reinterpret_cast<void**>(cats.GetAddressOf())));
  LPWSTR desc = nullptr;
  ASSERT_EQ(S_OK, cats->GetCategoryDesc(kCatAeServer10, 0x409, &desc));
  EXPECT_STREQ(OPC_CATEGORY_DESCRIPTION_AE10, desc);
  CoTaskMemFree(desc);

  CATID wanted = kCatAeServer10;
  ComPtr<IEnumGUID> classes;
  const HRESULT hr = cats->EnumClassesOfCategories(1, &wanted, static_cast<ULONG>(-1), nullptr, &classes);
  if (hr == E_NOTIMPL) {
    std::printf("[ note ] Wine's EnumClassesOfCategories returns E_NOTIMPL; registry check only\n");
    return;
  }
  ASSERT_EQ(S_OK, hr);
  bool found = false;
  GUID g;
  ULONG n = 0;
  while (classes->Next(1, &g, &n) == S_OK && n == 1) found = found || IsEqualCLSID(g, kServerClsid);
  EXPECT_TRUE(found) << "EnumClassesOfCategories(CATID_OPCAEServer10) does not list the server";
}

TEST(Registration, InterfacesHaveProxies) {
  const struct {
    const IID* iid;
    const char* name;
  } interfaces[] = {{&IID_IOPCEventServer, "IOPCEventServer"},
                    {&IID_IOPCEventSubscriptionMgt, "IOPCEventSubscriptionMgt"},
                    {&IID_IOPCEventAreaBrowser, "IOPCEventAreaBrowser"},
                    {&IID_IOPCEventSink, "IOPCEventSink"},
                    {&IID_IOPCCommon, "IOPCCommon"},
                    {&IID_IOPCShutdown, "IOPCShutdown"}};
  for (const auto& i : interfaces) {
    SCOPED_TRACE(i.name);
    CLSID ps = {};
    ASSERT_EQ(S_OK, CoGetPSClsid(*i.iid, &ps));
    const std::wstring dll = RegText(L"CLSID\\" + GuidText(ps) + L"\\InprocServer32");
    ASSERT_NE(L"<none>", dll);
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(dll.c_str())) << Narrow(dll);
  }
}

namespace {

DWORD RunServer(const wchar_t* args) {
  std::wstring cmd = L"\"" + BinFile(kServerExe) + L"\" " + args;
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return ~0u;
  DWORD code = ~0u;
  if (WaitForSingleObject(pi.hProcess, 30000) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return code;
}

bool SetText(const std::wstring& key, const std::wstring& value) {
  return RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, REG_SZ, value.c_str(),
                         static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

const wchar_t kOtherVendor[] = L"{0A1B2C3D-4E5F-4061-8273-8495A6B7C8D9}";

}  // namespace

// A site that pointed our ProgIDs at another vendor's server keeps it when
// our server is removed: only keys that name our class are ours to delete.
TEST(Registration, RemovalKeepsProgIdsThatNameAnotherServer) {
  const std::wstring progIdClsid = std::wstring(kProgId) + L"\\CLSID";
  const std::wstring plainClsid = std::wstring(kVersionIndependentProgId) + L"\\CLSID";
  ASSERT_TRUE(SetText(progIdClsid, kOtherVendor));
  ASSERT_TRUE(SetText(plainClsid, kOtherVendor));
  EXPECT_EQ(0u, RunServer(L"/UnregServer"));
  EXPECT_EQ(std::wstring(kOtherVendor), RegText(progIdClsid));
  EXPECT_EQ(std::wstring(kOtherVendor), RegText(plainClsid));
  EXPECT_EQ(L"<none>", RegText(kClsidKey + L"\\LocalServer32"));
  ASSERT_EQ(0u, RunServer(L"/RegServer"));
  EXPECT_EQ(GuidText(kServerClsid), RegText(progIdClsid));
}

// A TreatAs under our class sends our ProgID to another vendor's server:
// removing our server takes only our own program, the redirection stays.
TEST(Registration, RemovalKeepsATreatAsThatPointsElsewhere) {
  const std::wstring treatAs = kClsidKey + L"\\TreatAs";
  ASSERT_TRUE(SetText(treatAs, kOtherVendor));
  EXPECT_EQ(0u, RunServer(L"/UnregServer"));
  EXPECT_EQ(std::wstring(kOtherVendor), RegText(treatAs));
  EXPECT_EQ(L"<none>", RegText(kClsidKey + L"\\LocalServer32"));
  EXPECT_EQ(GuidText(kServerClsid), RegText(std::wstring(kProgId) + L"\\CLSID")) << "the ProgID still leads there";
  RegDeleteTreeW(HKEY_CLASSES_ROOT, kClsidKey.c_str());
  ASSERT_EQ(0u, RunServer(L"/RegServer"));
  EXPECT_EQ(L"<none>", RegText(treatAs));
  EXPECT_NE(L"<none>", RegText(kClsidKey + L"\\LocalServer32"));
}
