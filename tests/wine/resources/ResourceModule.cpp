#include "ResourceModule.h"

#include <cstdlib>

namespace velmaric_test {

std::wstring UnixToWinePath(const std::string& unixPath) {
    std::wstring path = L"Z:";
    for (char c : unixPath) path.push_back(c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c)));
    return path;
}

std::wstring ModulePath() {
    const char* bin = std::getenv("VELMARIC_BIN");
    std::wstring dir = UnixToWinePath(bin ? bin : ".");
#if VELMARIC_RC_USE_OCX
    return dir + L"\\Velmaric AE.ocx";
#else
    return dir + L"\\velmaric_rc_probe.dll";
#endif
}

std::wstring ResourceSourcePath(const std::wstring& fileName) {
    return UnixToWinePath(VELMARIC_RESOURCES_DIR) + L"\\" + fileName;
}

HMODULE ModuleData() {
    static HMODULE module = LoadLibraryExW(ModulePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    return module;
}

ResourceBytes FindModuleResource(LPCWSTR type, LPCWSTR name) {
    ResourceBytes bytes;
    HMODULE module = ModuleData();
    if (!module) return bytes;
    HRSRC info = FindResourceW(module, name, type);
    if (!info) return bytes;
    HGLOBAL handle = LoadResource(module, info);
    if (!handle) return bytes;
    bytes.data = static_cast<const uint8_t*>(LockResource(handle));
    bytes.size = bytes.data ? SizeofResource(module, info) : 0;
    return bytes;
}

}  // namespace velmaric_test
