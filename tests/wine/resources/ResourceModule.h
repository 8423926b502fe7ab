// Access to the module under test: "Velmaric AE.ocx" when the build has it,
// otherwise the probe DLL built from the same resource script.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace velmaric_test {

// A unix path as Wine's drive Z: sees it.
std::wstring UnixToWinePath(const std::string& unixPath);

// Full Windows path of the module under test (in VELMARIC_BIN).
std::wstring ModulePath();

// Windows path of a file in the source tree's resources folder.
std::wstring ResourceSourcePath(const std::wstring& fileName);

// The module mapped as a data file, loaded once for the whole test program.
HMODULE ModuleData();

struct ResourceBytes {
    const uint8_t* data = nullptr;
    size_t size = 0;
    explicit operator bool() const { return data != nullptr; }
};

// The raw bytes of one resource of the module, or empty when it is missing.
ResourceBytes FindModuleResource(LPCWSTR type, LPCWSTR name);

}  // namespace velmaric_test
