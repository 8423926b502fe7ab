// A library another one imports, for the test of where a WTclient.dll's own
// dependencies are taken from. Loading it leaves "<its path>.loaded".
#include <windows.h>

#include <string>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(instance, path, MAX_PATH);
    if (n > 0 && n < MAX_PATH) {
      HANDLE h = CreateFileW((std::wstring(path, n) + L".loaded").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             0, nullptr);
      if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
  }
  return TRUE;
}

extern "C" __declspec(dllexport) int WINAPI VelmaricDependencyValue(void) { return 7; }
