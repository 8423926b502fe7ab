#include "framework/win32/ComModule.h"

#include <mutex>

#include "framework/win32/WinString.h"

namespace com_module {
namespace {
HINSTANCE g_instance = nullptr;
LONG g_objects = 0;
LONG g_locks = 0;
std::mutex g_typeLibMutex;
ITypeLib* g_typeLib = nullptr;
}  // namespace

HINSTANCE Instance() {
  if (!g_instance) {
    // Not set by DllMain (a static test program): the module holding this code.
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&Instance), &g_instance);
  }
  return g_instance;
}
void SetInstance(HINSTANCE instance) { g_instance = instance; }

String ModulePath() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(Instance(), path, MAX_PATH);
  return FromW(path);
}

void ObjectCreated() { InterlockedIncrement(&g_objects); }
void ObjectDestroyed() { InterlockedDecrement(&g_objects); }
void Lock(bool lock) {
  if (lock)
    InterlockedIncrement(&g_locks);
  else
    InterlockedDecrement(&g_locks);
}
bool CanUnload() { return g_objects == 0 && g_locks == 0; }
LONG ObjectCount() { return g_objects; }

HRESULT GetTypeLib(const GUID& libid, WORD major, WORD minor, LCID lcid, ITypeLib** out) {
  std::lock_guard<std::mutex> lock(g_typeLibMutex);
  if (!g_typeLib) {
    HRESULT hr = LoadRegTypeLib(libid, major, minor, lcid, &g_typeLib);
    if (FAILED(hr)) hr = LoadTypeLibEx(W(ModulePath()), REGKIND_NONE, &g_typeLib);
    if (FAILED(hr)) {
      g_typeLib = nullptr;
      return hr;
    }
  }
  g_typeLib->AddRef();
  *out = g_typeLib;
  return S_OK;
}

void ReleaseTypeLib() {
  std::lock_guard<std::mutex> lock(g_typeLibMutex);
  if (g_typeLib) g_typeLib->Release();
  g_typeLib = nullptr;
}

}  // namespace com_module
