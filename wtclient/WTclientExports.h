// The eight exports of an OPC client library with WTclient.dll's interface,
// resolved from a loaded module: the one loader of the control's adapter and
// of the tests that drive the library directly.
#pragma once
#include <windows.h>

#include <string>

#include "wtclient/WTclient.h"

struct WTclientExports {
  PFN_WTclientCoInit CoInit = nullptr;
  PFN_WTclientCoUninit CoUninit = nullptr;
  PFN_EnableExtendedAECallback EnableCallback = nullptr;
  PFN_ConnectOPC_AE Connect = nullptr;
  PFN_QueryEventCategories Query = nullptr;
  PFN_Create_AE_Subscription Subscribe = nullptr;
  PFN_Refresh_AE_Subscription Refresh = nullptr;
  PFN_DisconnectOPC_AE Disconnect = nullptr;

  // All eight, or false: a library without one of them is not usable.
  bool Resolve(HMODULE module) {
    return Get(module, CoInit, "WTclientCoInit", 0) && Get(module, CoUninit, "WTclientCoUninit", 0) &&
           Get(module, EnableCallback, "EnableExtendedAECallback", 4) && Get(module, Connect, "ConnectOPC_AE", 8) &&
           Get(module, Query, "QueryEventCategories", 20) && Get(module, Subscribe, "Create_AE_Subscription", 16) &&
           Get(module, Refresh, "Refresh_AE_Subscription", 8) && Get(module, Disconnect, "DisconnectOPC_AE", 4);
  }

 private:
  // Undecorated as the library exports them; the decorated __stdcall name of
  // an x86 build without a .def file is tried as well.
  template <class Fn>
  static bool Get(HMODULE module, Fn& fn, const char* name, int argBytes) {
    FARPROC p = GetProcAddress(module, name);
    if (!p) p = GetProcAddress(module, ("_" + std::string(name) + "@" + std::to_string(argBytes)).c_str());
    fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(p));
    return p != nullptr;
  }
};
