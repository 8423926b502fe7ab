// Helpers for the Windows test programs that run under Wine.
#pragma once
#include <windows.h>
#include <objbase.h>

#include <cstdlib>
#include <cstring>
#include <string>

// Windows path of a file in the build tree's top folder, where the OCX and
// WTclient.dll are built. VELMARIC_BIN holds that folder as a unix path; Wine
// maps the unix root to drive Z:.
inline std::wstring WinPathOf(const char* unixPath) {
  std::wstring path = L"Z:";
  for (const char* p = unixPath; *p; ++p) path += (*p == '/') ? L'\\' : static_cast<wchar_t>(*p);
  return path;
}

inline std::wstring BinPath(const wchar_t* file) {
  const char* bin = std::getenv("VELMARIC_BIN");
  std::wstring path = WinPathOf(bin ? bin : ".");
  if (path.back() != L'\\') path += L'\\';
  return path + file;
}

inline std::wstring OcxPath() { return BinPath(L"Velmaric AE.ocx"); }

// Runs a command line, waits, returns its exit code (or -1).
inline DWORD RunAndWait(std::wstring cmd, DWORD timeoutMs = 60000) {
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return static_cast<DWORD>(-1);
  DWORD code = static_cast<DWORD>(-1);
  if (WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return code;
}

inline std::wstring RegValue(HKEY root, const std::wstring& key, const wchar_t* name = nullptr) {
  wchar_t buf[1024] = {};
  DWORD size = sizeof buf;
  if (RegGetValueW(root, key.c_str(), name, RRF_RT_REG_SZ, nullptr, buf, &size) != ERROR_SUCCESS) return L"<none>";
  return buf;
}

inline bool KeyExists(HKEY root, const std::wstring& key) {
  HKEY h;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
  RegCloseKey(h);
  return true;
}

// COM initialised for the test's thread (apartment, like a container's UI thread).
struct ComScope {
  ComScope() { CoInitialize(nullptr); }
  ~ComScope() { CoUninitialize(); }
};

// A benchmark's "--name N" option, or the fallback.
inline int IntArg(int argc, char** argv, const char* name, int fallback) {
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], name) == 0) return std::atoi(argv[i + 1]);
  return fallback;
}
