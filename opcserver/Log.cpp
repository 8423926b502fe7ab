#include "opcserver/Log.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>

namespace opcsrv {
namespace {

HANDLE g_file = INVALID_HANDLE_VALUE;
CRITICAL_SECTION g_lock;

}  // namespace

void OpenLog(const std::wstring& path) {
  InitializeCriticalSection(&g_lock);
  g_file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

void Log(const char* format, ...) {
  if (g_file == INVALID_HANDLE_VALUE) return;
  SYSTEMTIME t;
  GetLocalTime(&t);
  char line[1024];
  int n = std::snprintf(line, sizeof line, "%02u:%02u:%02u.%03u [%lu %lu] ", t.wHour, t.wMinute, t.wSecond,
                        t.wMilliseconds, GetCurrentProcessId(), GetCurrentThreadId());
  va_list args;
  va_start(args, format);
  const int m = std::vsnprintf(line + n, sizeof line - n - 2, format, args);
  va_end(args);
  n = m < 0 ? n : std::min<int>(n + m, sizeof line - 3);
  line[n++] = '\r';
  line[n++] = '\n';
  EnterCriticalSection(&g_lock);
  DWORD written = 0;
  WriteFile(g_file, line, static_cast<DWORD>(n), &written, nullptr);
  LeaveCriticalSection(&g_lock);
}

}  // namespace opcsrv
