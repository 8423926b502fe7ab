// A thread of ours that may outlive the caller's last use of the library
// holds a reference on this module and ends with FreeLibraryAndExitThread,
// so the module is never unloaded under it.
#pragma once
#include <windows.h>

namespace wtclient {

// This module with one more reference, or null.
inline HMODULE HoldThisModule() {
  HMODULE module = nullptr;
  static const int anchor = 0;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&anchor), &module))
    return nullptr;
  return module;
}

// Starts `main(arg)` on a thread holding the module; false if it could not.
// `main` must end with ExitHeldThread.
inline bool StartHeldThread(LPTHREAD_START_ROUTINE main, void* arg) {
  HMODULE module = HoldThisModule();
  if (!module) return false;
  HANDLE t = CreateThread(nullptr, 0, main, arg, 0, nullptr);
  if (!t) {
    FreeLibrary(module);
    return false;
  }
  CloseHandle(t);
  return true;
}

// Drops the reference StartHeldThread took and ends the thread.
[[noreturn]] inline void ExitHeldThread() {
  HMODULE module = nullptr;
  static const int anchor = 0;
  if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&anchor), &module))
    FreeLibraryAndExitThread(module, 0);
  ExitThread(0);
}

}  // namespace wtclient
