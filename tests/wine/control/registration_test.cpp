// Self-registration through Wine's own regsvr32: entries, idempotence, removal.
#include <gtest/gtest.h>
#include <ocidl.h>

#include "tests/wine/common/WineTestUtil.h"
#include "tests/wine/common/WordSize.h"

namespace {

const wchar_t* kClsidKey = L"CLSID\\{52B15D1D-2200-4A67-8383-687B5E84A304}";
const wchar_t* kProgId = L"VELMARICAE.VelmaricAECtrl.1";
const wchar_t* kLibKey = L"TypeLib\\{2E0AC21E-E845-4854-82C3-984BBBAE78C9}";

DWORD Regsvr32(const wchar_t* flags) {
  return RunAndWait(std::wstring(L"regsvr32.exe ") + flags + L" \"" + OcxPath() + L"\"");
}

// The four pages: class id, type name, and the ProgID each factory holds but
// never writes.
struct Page {
  const wchar_t* clsid;
  const wchar_t* typeName;
  const wchar_t* progId;
};
const Page kPages[] = {
    {L"{32CCD6FC-F82C-463B-9FC2-45B9A92A8B29}", L"VelmaricAE Property Page", L"VELMARICAE.VelmaricAEPropPage.1"},
    {L"{6E93ECE3-E790-4D8F-AE41-BA783B0A9788}", L"Column widths and positions", L"Velmaric AE.ColumnsPpg"},
    {L"{5F3AD30F-3DC3-4D1A-AA7F-EC97EB1E0A87}", L"Severities / color map", L"Velmaric AE.SeverityPpg"},
    {L"{0EA9C3B6-BDF8-415F-A246-D588ACB0DCC9}", L"Run-mode functions enablement", L"Velmaric AE.HidePpg"},
};

std::wstring Lower(std::wstring s) {
  for (auto& c : s) c = towlower(c);
  return s;
}

void ExpectRegistered() {
  std::wstring clsid = kClsidKey;
  EXPECT_EQ(RegValue(HKEY_CLASSES_ROOT, clsid), L"VelmaricAE Control");
  EXPECT_EQ(Lower(RegValue(HKEY_CLASSES_ROOT, clsid + L"\\InprocServer32")), Lower(OcxPath()));
  EXPECT_EQ(RegValue(HKEY_CLASSES_ROOT, clsid + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
  EXPECT_EQ(RegValue(HKEY_CLASSES_ROOT, clsid + L"\\ProgID"), kProgId);
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, clsid + L"\\Control"));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, clsid + L"\\Insertable"));
  EXPECT_EQ(Lower(RegValue(HKEY_CLASSES_ROOT, clsid + L"\\ToolboxBitmap32")), Lower(OcxPath() + L", 1"));
  EXPECT_EQ(RegValue(HKEY_CLASSES_ROOT, clsid + L"\\MiscStatus\\1"), L"197009");  // 0x30191
  EXPECT_EQ(RegValue(HKEY_CLASSES_ROOT, clsid + L"\\TypeLib"), L"{2E0AC21E-E845-4854-82C3-984BBBAE78C9}");
  EXPECT_EQ(RegValue(HKEY_CLASSES_ROOT, clsid + L"\\Version"), L"1.0");
  EXPECT_EQ(RegValue(HKEY_CLASSES_ROOT, kProgId), L"VelmaricAE Control");
  EXPECT_EQ(RegValue(HKEY_CLASSES_ROOT, std::wstring(kProgId) + L"\\CLSID"),
            L"{52B15D1D-2200-4A67-8383-687B5E84A304}");
  // The type library is registered with a plain path, not a \\?\ one.
  std::wstring tlb = RegValue(HKEY_CLASSES_ROOT, std::wstring(kLibKey) + L"\\1.0\\409\\" + kTypeLibPlatform);
  EXPECT_EQ(Lower(tlb), Lower(OcxPath()));

  for (const Page& p : kPages) {
    const std::wstring key = std::wstring(L"CLSID\\") + p.clsid;
    EXPECT_EQ(RegValue(HKEY_CLASSES_ROOT, key), p.typeName);
    EXPECT_EQ(Lower(RegValue(HKEY_CLASSES_ROOT, key + L"\\InprocServer32")), Lower(OcxPath()));
    EXPECT_EQ(RegValue(HKEY_CLASSES_ROOT, key + L"\\InprocServer32", L"ThreadingModel"), L"<none>") << p.progId;
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, key + L"\\ProgID"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, key + L"\\Control"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, p.progId));
  }
}

TEST(Registration, RegisterTwiceThenUnregister) {
  ASSERT_EQ(Regsvr32(L"/s"), 0u);
  ExpectRegistered();
  ASSERT_EQ(Regsvr32(L"/s"), 0u);  // twice: still one clean set
  ExpectRegistered();

  ASSERT_EQ(Regsvr32(L"/s /u"), 0u);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClsidKey));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kProgId));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, std::wstring(kLibKey) + L"\\1.0"));
  for (const Page& p : kPages) {
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + p.clsid)) << p.progId;
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, p.progId));
  }

  // Later tests run against a registered module.
  ASSERT_EQ(Regsvr32(L"/s"), 0u);
  ExpectRegistered();
}

TEST(Registration, UnregisterWithoutTypeLibReportsTypeLibFailure) {
  HMODULE ocx = LoadLibraryW(OcxPath().c_str());
  ASSERT_NE(ocx, nullptr);
  auto reg = reinterpret_cast<HRESULT(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(ocx, "DllRegisterServer")));
  auto unreg = reinterpret_cast<HRESULT(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(ocx, "DllUnregisterServer")));
  ASSERT_TRUE(reg && unreg);
  EXPECT_EQ(unreg(), S_OK);
  // The type library goes first: a second removal fails there and touches nothing else.
  EXPECT_EQ(unreg(), static_cast<HRESULT>(0x80040200));
  EXPECT_EQ(reg(), S_OK);
  ExpectRegistered();
  FreeLibrary(ocx);
}

// On 64-bit Windows the other word size's build registers the same class in
// its own view and shares the type library key (and, on Windows, ProgIDs).
// Its entries, written here as it would write them, survive our removal and
// our registration, and ours come and go as before.
TEST(Registration, TheOtherWordSizesRegistrationSurvivesOurs) {
#ifdef _WIN64
  const wchar_t* otherPlatform = L"win32";
#else
  const wchar_t* otherPlatform = L"win64";
#endif
  BOOL wow = FALSE;
  if (sizeof(void*) == 4 && (!IsWow64Process(GetCurrentProcess(), &wow) || !wow))
    GTEST_SKIP() << "a 32-bit system has one registry view";
  const std::wstring otherPath = L"C:\\Other\\Velmaric AE.ocx";
  const std::wstring otherTlb = std::wstring(kLibKey) + L"\\1.0\\409\\" + otherPlatform;
  const std::wstring clsidValue = L"{52B15D1D-2200-4A67-8383-687B5E84A304}";
  ASSERT_EQ(Regsvr32(L"/s"), 0u);
  ASSERT_TRUE(other_view::Set(std::wstring(kClsidKey) + L"\\InprocServer32", nullptr, otherPath));
  ASSERT_TRUE(other_view::Set(std::wstring(kProgId) + L"\\CLSID", nullptr, clsidValue));
  ASSERT_TRUE(other_view::Set(otherTlb, nullptr, otherPath));
  ASSERT_NE(RegValue(HKEY_CLASSES_ROOT, kClsidKey + std::wstring(L"\\InprocServer32")), otherPath)
      << "the two views are one";

  auto expectOther = [&](const char* when) {
    EXPECT_EQ(other_view::Get(std::wstring(kClsidKey) + L"\\InprocServer32"), otherPath) << when;
    EXPECT_EQ(other_view::Get(std::wstring(kProgId) + L"\\CLSID"), clsidValue) << when;
    EXPECT_EQ(other_view::Get(otherTlb), otherPath) << when;
  };
  ASSERT_EQ(Regsvr32(L"/s /u"), 0u);
  expectOther("after our removal");
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClsidKey));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, std::wstring(kLibKey) + L"\\1.0\\409\\" + kTypeLibPlatform));
  // The shared type library key keeps the other build's entry.
  EXPECT_EQ(RegValue(HKEY_CLASSES_ROOT, otherTlb), otherPath);

  ASSERT_EQ(Regsvr32(L"/s"), 0u);
  ExpectRegistered();
  expectOther("after our registration");

  other_view::Delete(kClsidKey);
  other_view::Delete(kProgId);
  RegDeleteKeyW(HKEY_CLASSES_ROOT, otherTlb.c_str());
  ASSERT_EQ(Regsvr32(L"/s /u"), 0u);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, std::wstring(kLibKey) + L"\\1.0"));
  ASSERT_EQ(Regsvr32(L"/s"), 0u);
  ExpectRegistered();
}

// A ProgID that an integrator pointed at another class is not ours to remove.
TEST(Registration, RemovalLeavesAProgIdNamingAnotherClass) {
  ASSERT_EQ(Regsvr32(L"/s"), 0u);
  const std::wstring progIdClsid = std::wstring(kProgId) + L"\\CLSID";
  HKEY h = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, progIdClsid.c_str(), 0, KEY_SET_VALUE, &h), ERROR_SUCCESS);
  const wchar_t other[] = L"{00000000-1111-2222-3333-444444444444}";
  ASSERT_EQ(RegSetValueExW(h, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(other), sizeof other), ERROR_SUCCESS);
  RegCloseKey(h);
  ASSERT_EQ(Regsvr32(L"/s /u"), 0u);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClsidKey));
  EXPECT_EQ(RegValue(HKEY_CLASSES_ROOT, progIdClsid), other);
  ASSERT_EQ(Regsvr32(L"/s"), 0u);
  ExpectRegistered();
}

// A frame creates each page on its own, by class id through the registry.
TEST(Registration, EachPageIsCreatableByItsClassId) {
  ASSERT_EQ(Regsvr32(L"/s"), 0u);
  ASSERT_EQ(CoInitialize(nullptr), S_OK);
  for (const Page& p : kPages) {
    CLSID clsid;
    ASSERT_EQ(CLSIDFromString(const_cast<LPOLESTR>(p.clsid), &clsid), S_OK);
    IPropertyPage* page = nullptr;
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IPropertyPage,
                               reinterpret_cast<void**>(&page)),
              S_OK)
        << p.progId;
    if (!page) continue;
    PROPPAGEINFO info = {};
    EXPECT_EQ(page->GetPageInfo(&info), S_OK);
    CoTaskMemFree(info.pszTitle);
    EXPECT_EQ(page->Release(), 0u);
  }
  CoUninitialize();
}

}  // namespace
