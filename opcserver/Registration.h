// The server's registry entries: class, ProgIDs, LocalServer32 and the
// OPC AE 1.0 component category.
#pragma once
#include <string>

namespace opcsrv {

// exePath: the full path of this program; scenario and logFile: empty or
// full paths for COM-started instances. Returns a failure text, empty on
// success.
std::string RegisterServer(const std::wstring& exePath, const std::wstring& scenario, const std::wstring& logFile);
// Removes our keys only; the category key stays (other servers share it).
std::string UnregisterServer();

}  // namespace opcsrv
