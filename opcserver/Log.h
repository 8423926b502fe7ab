// The server's log file. The server never writes to its standard handles:
// started by COM under Wine it would inherit its client's stdout.
#pragma once
#include <string>

namespace opcsrv {

void OpenLog(const std::wstring& path);
void Log(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace opcsrv
