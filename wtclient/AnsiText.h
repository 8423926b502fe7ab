// The caller's ANSI strings (machine names, ProgIDs) as UTF-16 for the wide Windows calls.
#pragma once
#include <windows.h>

#include <string>

namespace wtclient {

// "" for null or text the code page cannot convert.
std::wstring WideFromAnsi(LPCSTR s);

}  // namespace wtclient
