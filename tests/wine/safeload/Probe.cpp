// A stand-in WTclient.dll for the safe-load test: the eight exports of the
// library, connecting to nothing. Loading it leaves "<its path>.loaded" next
// to it and a connect leaves "<its path>.connected", so the test sees from
// the files which copy was loaded and which one was used.
#include <windows.h>

#include <string>

#include "wtclient/WTclient.h"

namespace {

HMODULE g_self = nullptr;

void Mark(const wchar_t* suffix) {
  wchar_t path[MAX_PATH];
  const DWORD n = GetModuleFileNameW(g_self, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return;
  const std::wstring marker = std::wstring(path, n) + suffix;
  HANDLE h = CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_self = instance;
    DisableThreadLibraryCalls(instance);
    Mark(L".loaded");
  }
  return TRUE;
}

extern "C" {
BOOL WINAPI WTclientCoInit(void) { return TRUE; }
BOOL WINAPI WTclientCoUninit(void) { return TRUE; }
BOOL WINAPI EnableExtendedAECallback(PFN_ExtendedAECallback) { return TRUE; }
#ifdef VELMARIC_PROBE_DEPENDENT
// The dependent stand-in imports this; it loads only where the dependency is found.
__declspec(dllimport) int WINAPI VelmaricDependencyValue(void);
#endif
HANDLE WINAPI ConnectOPC_AE(LPCSTR, LPCSTR) {
#ifdef VELMARIC_PROBE_DEPENDENT
  if (VelmaricDependencyValue() != 7) return INVALID_HANDLE_VALUE;
#endif
  Mark(L".connected");
  return reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(0x51));
}
BOOL WINAPI QueryEventCategories(HANDLE, DWORD, DWORD* count, DWORD** ids, LPWSTR** names) {
  *count = 0;
  *ids = nullptr;
  *names = nullptr;
  return TRUE;
}
HANDLE WINAPI Create_AE_Subscription(HANDLE, DWORD_PTR, DWORD*, DWORD*) {
  return reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(0x52));
}
BOOL WINAPI Refresh_AE_Subscription(HANDLE, DWORD_PTR) { return TRUE; }
BOOL WINAPI DisconnectOPC_AE(HANDLE) { return TRUE; }
}
