// VelmaricOpcAEps.dll's registration beside another product's proxies: an
// interface some other DLL already marshals keeps that registration, both when
// ours registers and when it unregisters; the others are ours and go again.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/wine/common/WineTestUtil.h"

namespace {

const wchar_t kOurs[] = L"{FB8421BD-2EF3-420A-96D0-9F15FB7B5AA3}";
const wchar_t kForeign[] = L"{0C0FFEE0-1234-4321-ABCD-0123456789AB}";
const wchar_t kSink[] = L"Interface\\{6516885F-5783-11D1-84A0-00608CB8A7E9}";
const wchar_t kCommon[] = L"Interface\\{F31DFDE2-07B6-11D2-B2D8-0060083BA1FB}";
const std::vector<std::wstring> kOthers = {
    L"Interface\\{65168851-5783-11D1-84A0-00608CB8A7E9}",  // IOPCEventServer
    L"Interface\\{65168855-5783-11D1-84A0-00608CB8A7E9}",  // IOPCEventSubscriptionMgt
    L"Interface\\{65168857-5783-11D1-84A0-00608CB8A7E9}",  // IOPCEventAreaBrowser
    L"Interface\\{F31DFDE1-07B6-11D2-B2D8-0060083BA1FB}",  // IOPCShutdown
};

std::wstring Proxy(const std::wstring& iface) {
  return RegValue(HKEY_CLASSES_ROOT, iface + L"\\ProxyStubClsid32");
}

void SetProxy(const std::wstring& iface, const wchar_t* clsid) {
  RegSetKeyValueW(HKEY_CLASSES_ROOT, (iface + L"\\ProxyStubClsid32").c_str(), nullptr, REG_SZ, clsid,
                  static_cast<DWORD>((lstrlenW(clsid) + 1) * sizeof(wchar_t)));
}

class ProxyRegistration : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dll = LoadLibraryW(BinPath(L"VelmaricOpcAEps.dll").c_str());
    ASSERT_NE(m_dll, nullptr);
    m_register = reinterpret_cast<HRESULT(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(m_dll, "DllRegisterServer")));
    m_unregister =
        reinterpret_cast<HRESULT(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(m_dll, "DllUnregisterServer")));
    ASSERT_TRUE(m_register && m_unregister);
  }
  void TearDown() override {
    // The prefix ends as the fixture left it: every interface ours.
    for (const wchar_t* key : {kSink, kCommon}) RegDeleteTreeW(HKEY_CLASSES_ROOT, key);
    if (m_register) {
      EXPECT_EQ(m_register(), S_OK);
    }
    if (m_dll) FreeLibrary(m_dll);
  }
  HMODULE m_dll = nullptr;
  HRESULT(WINAPI* m_register)() = nullptr;
  HRESULT(WINAPI* m_unregister)() = nullptr;
};

TEST_F(ProxyRegistration, AnotherProductsProxiesAreNeitherReplacedNorRemoved) {
  ASSERT_EQ(m_register(), S_OK);
  for (const std::wstring& key : kOthers) EXPECT_EQ(Proxy(key), kOurs) << std::string(key.begin(), key.end());

  // Another product marshals two of the interfaces.
  SetProxy(kSink, kForeign);
  SetProxy(kCommon, kForeign);
  ASSERT_EQ(m_register(), S_OK);
  EXPECT_EQ(Proxy(kSink), kForeign);
  EXPECT_EQ(Proxy(kCommon), kForeign);
  for (const std::wstring& key : kOthers) EXPECT_EQ(Proxy(key), kOurs);

  ASSERT_EQ(m_unregister(), S_OK);
  EXPECT_EQ(Proxy(kSink), kForeign);
  EXPECT_EQ(Proxy(kCommon), kForeign);
  for (const std::wstring& key : kOthers) EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, key));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + kOurs));
}

TEST_F(ProxyRegistration, OurEntriesNameOurProxyClassAndTheMethodCounts) {
  ASSERT_EQ(m_register(), S_OK);
  const std::wstring server = RegValue(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + kOurs + L"\\InprocServer32");
  EXPECT_NE(server.find(L"VelmaricOpcAEps.dll"), std::wstring::npos);
  EXPECT_EQ(RegValue(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + kOurs + L"\\InprocServer32", L"ThreadingModel"),
            L"Both");
  EXPECT_EQ(RegValue(HKEY_CLASSES_ROOT, std::wstring(kSink) + L"\\NumMethods"), L"4");
  EXPECT_EQ(RegValue(HKEY_CLASSES_ROOT, kSink), L"IOPCEventSink");
  EXPECT_EQ(RegValue(HKEY_CLASSES_ROOT, std::wstring(kOthers[0]) + L"\\NumMethods"), L"19");  // IOPCEventServer: 3 + 16
}

}  // namespace
