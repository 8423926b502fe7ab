// The version block, the manifest and the embedded type library of the module.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "ResourceModule.h"
#include "resources/resource.h"

using namespace velmaric_test;

namespace {

std::vector<BYTE> ReadVersionBlock() {
    std::wstring path = ModulePath();
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
    std::vector<BYTE> block(size);
    if (size == 0 || !GetFileVersionInfoW(path.c_str(), 0, size, block.data())) block.clear();
    return block;
}

std::wstring VersionString(std::vector<BYTE>& block, const wchar_t* name) {
    std::wstring query = std::wstring(L"\\StringFileInfo\\040904b0\\") + name;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), query.c_str(), &value, &length) || !value) return L"<missing>";
    std::wstring text(static_cast<const wchar_t*>(value), length);
    while (!text.empty() && text.back() == L'\0') text.pop_back();  // some versions count the terminator
    return text;
}

}  // namespace

TEST(VersionResource, TranslationAndFixedVersion) {
    std::vector<BYTE> block = ReadVersionBlock();
    ASSERT_FALSE(block.empty()) << "no version block; last error " << GetLastError();

    // The About command takes the first translation entry to name the string block.
    DWORD* translation = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    ASSERT_GE(length, 4u);
    EXPECT_EQ(LOWORD(*translation), 0x0409);
    EXPECT_EQ(HIWORD(*translation), 0x04B0);

    VS_FIXEDFILEINFO* fixed = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010001u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00020000u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010001u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00020000u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));
}

TEST(VersionResource, StringValues) {
    std::vector<BYTE> block = ReadVersionBlock();
    ASSERT_FALSE(block.empty());
    EXPECT_EQ(VersionString(block, L"FileVersion"), L"1.1.2.0");
    EXPECT_EQ(VersionString(block, L"ProductVersion"), L"1.1.2.0");
    EXPECT_EQ(VersionString(block, L"FileDescription"), L"Velmaric Alarms&Events ActiveX component");
    EXPECT_EQ(VersionString(block, L"ProductName"), L"Velmaric Alarms&Events ActiveX component");
    EXPECT_EQ(VersionString(block, L"InternalName"), L"Velmaric AE.ocx");
    EXPECT_EQ(VersionString(block, L"OriginalFilename"), L"Velmaric AE.ocx");
    EXPECT_EQ(VersionString(block, L"CompanyName"), L"Velmaric");
    EXPECT_NE(VersionString(block, L"LegalCopyright"), L"<missing>");
}

TEST(ManifestResource, AsInvokerAndDpiAware) {
    ResourceBytes manifest = FindModuleResource(RT_MANIFEST, MAKEINTRESOURCEW(IDR_MANIFEST));
    ASSERT_TRUE(manifest) << "manifest 2";
    std::string text(reinterpret_cast<const char*>(manifest.data), manifest.size);
    EXPECT_NE(text.find("<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>"), std::string::npos);
    EXPECT_NE(text.find(">true</dpiAware>"), std::string::npos);
    // The loader reads only one manifest of a DLL: no process manifest (1) beside it.
    EXPECT_FALSE(FindModuleResource(RT_MANIFEST, MAKEINTRESOURCEW(1)));
}

TEST(ManifestResource, ModuleLoadsWithItsManifest) {
    // A malformed manifest makes the loader refuse the whole module.
    HMODULE module = LoadLibraryW(ModulePath().c_str());
    ASSERT_NE(module, nullptr) << "last error " << GetLastError();
    FreeLibrary(module);
}

TEST(TypeLibraryResource, EmbeddedLibraryIsVelmaricAELib) {
    ITypeLib* lib = nullptr;
    HRESULT hr = LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, &lib);
    ASSERT_EQ(hr, S_OK);
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(lib->GetLibAttr(&attr), S_OK);
    const GUID libId = {0x2E0AC21E, 0xE845, 0x4854, {0x82, 0xC3, 0x98, 0x4B, 0xBB, 0xAE, 0x78, 0xC9}};
    EXPECT_TRUE(IsEqualGUID(attr->guid, libId));
    EXPECT_EQ(attr->wMajorVerNum, 1);
    EXPECT_EQ(attr->wMinorVerNum, 0);
    EXPECT_EQ(attr->lcid, 0x0409u);
    lib->ReleaseTLibAttr(attr);

    BSTR name = nullptr;
    ASSERT_EQ(lib->GetDocumentation(-1, &name, nullptr, nullptr, nullptr), S_OK);
    EXPECT_STREQ(name, L"VelmaricAELib");
    SysFreeString(name);
    lib->Release();
}
