#include "intake/win32/WTclientLibrary.h"

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>

#include "intake/OpcAESession.h"
#include "wtclient/WTclient.h"

static_assert(sizeof(void*) == sizeof(DWORD), "the session pointer is the 32-bit client handle");

namespace {

// The one portable callback of the process (every session registers the same).
std::atomic<AEEventCallbackFn> g_callback{nullptr};

// The library's callback: hand the records on in the portable form. Converted
// in stack chunks, so nothing is allocated here; the batch stays one unit in
// the queue because the queue lock (recursive) is held across the chunks.
void CALLBACK ExtendedAECallback(DWORD clientHandle, BOOL refresh, BOOL lastRefresh, DWORD count,
                                 ONEVENTSTRUCT* events) {
  AEEventCallbackFn callback = g_callback.load();
  auto* session = reinterpret_cast<OpcAESession*>(static_cast<uintptr_t>(clientHandle));
  if (!callback || !session || !events) return;
  try {
    std::lock_guard<OpcAESession> lock(*session);
    AEEventRecord chunk[64];
    for (DWORD done = 0; done < count;) {
      DWORD n = 0;
      for (; n < 64 && done + n < count; ++n) {
        const ONEVENTSTRUCT& e = events[done + n];
        chunk[n].ftTime = (static_cast<uint64_t>(e.ftTime.dwHighDateTime) << 32) | e.ftTime.dwLowDateTime;
        chunk[n].szSource = reinterpret_cast<const char16_t*>(e.szSource);
        chunk[n].szMessage = reinterpret_cast<const char16_t*>(e.szMessage);
        chunk[n].dwEventCategory = e.dwEventCategory;
        chunk[n].dwSeverity = e.dwSeverity;
      }
      callback(static_cast<uintptr_t>(clientHandle), refresh, lastRefresh, n, chunk);
      done += n;
    }
  } catch (...) {
  }
}

class WTclientLibrary : public AELibrary {
 public:
  explicit WTclientLibrary(HMODULE module) : m_hModule(module) {}
  ~WTclientLibrary() override { FreeLibrary(m_hModule); }

  // All eight exports, or the library is not usable.
  bool Resolve() {
    return Get(m_coInit, "WTclientCoInit", 0) && Get(m_coUninit, "WTclientCoUninit", 0) &&
           Get(m_enable, "EnableExtendedAECallback", 4) && Get(m_connect, "ConnectOPC_AE", 8) &&
           Get(m_query, "QueryEventCategories", 20) && Get(m_subscribe, "Create_AE_Subscription", 16) &&
           Get(m_refresh, "Refresh_AE_Subscription", 8) && Get(m_disconnect, "DisconnectOPC_AE", 4);
  }

  void WTclientCoInit() override { m_coInit(); }
  void WTclientCoUninit() override { m_coUninit(); }
  void EnableExtendedAECallback(AEEventCallbackFn callback) override {
    g_callback.store(callback);
    m_enable(&ExtendedAECallback);
  }
  uintptr_t ConnectOPC_AE(const char* machine, const char* progId) override {
    HANDLE h = m_connect(machine, progId);
    return h == INVALID_HANDLE_VALUE ? kConnectFailed : reinterpret_cast<uintptr_t>(h);
  }
  void QueryEventCategories(uintptr_t connection, uint32_t eventType, uint32_t* count, const uint32_t** ids,
                            const char16_t* const** names) override {
    DWORD n = 0;
    DWORD* idArray = nullptr;
    LPWSTR* nameArray = nullptr;
    m_query(Handle(connection), eventType, &n, &idArray, &nameArray);
    *count = n;
    *ids = reinterpret_cast<const uint32_t*>(idArray);
    *names = reinterpret_cast<const char16_t* const*>(nameArray);
  }
  uintptr_t Create_AE_Subscription(uintptr_t connection, uintptr_t clientHandle, uint32_t* revisedBufferTime,
                                   uint32_t* revisedMaxSize) override {
    DWORD a = *revisedBufferTime, b = *revisedMaxSize;
    HANDLE h = m_subscribe(Handle(connection), static_cast<DWORD>(clientHandle), &a, &b);
    *revisedBufferTime = a;
    *revisedMaxSize = b;
    return reinterpret_cast<uintptr_t>(h);
  }
  void Refresh_AE_Subscription(uintptr_t connection, uintptr_t clientHandle) override {
    m_refresh(Handle(connection), static_cast<DWORD>(clientHandle));
  }
  void DisconnectOPC_AE(uintptr_t connection) override { m_disconnect(Handle(connection)); }

 private:
  static HANDLE Handle(uintptr_t v) { return reinterpret_cast<HANDLE>(v); }

  // Undecorated as the library exports them; the decorated __stdcall name of
  // a build without a .def file is tried as well.
  template <class Fn>
  bool Get(Fn& fn, const char* name, int argBytes) {
    FARPROC p = GetProcAddress(m_hModule, name);
    if (!p) p = GetProcAddress(m_hModule, ("_" + std::string(name) + "@" + std::to_string(argBytes)).c_str());
    fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(p));
    return p != nullptr;
  }

  HMODULE m_hModule;
  PFN_WTclientCoInit m_coInit = nullptr;
  PFN_WTclientCoUninit m_coUninit = nullptr;
  PFN_EnableExtendedAECallback m_enable = nullptr;
  PFN_ConnectOPC_AE m_connect = nullptr;
  PFN_QueryEventCategories m_query = nullptr;
  PFN_Create_AE_Subscription m_subscribe = nullptr;
  PFN_Refresh_AE_Subscription m_refresh = nullptr;
  PFN_DisconnectOPC_AE m_disconnect = nullptr;
};

// The folder of the module this code is linked into (the control), with a
// trailing backslash; empty if it cannot be found.
std::wstring OwnFolder() {
  HMODULE self = nullptr;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          reinterpret_cast<LPCWSTR>(&OwnFolder), &self))
    return std::wstring();
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(self, &path[0], static_cast<DWORD>(path.size()));
    if (n == 0) return std::wstring();
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);  // truncated: a long path
  }
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

}  // namespace

std::unique_ptr<AELibrary> WTclientLoader::Load() {
  HMODULE module = nullptr;
  const std::wstring folder = OwnFolder();
  if (!folder.empty())
    module = LoadLibraryExW((folder + L"WTclient.dll").c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!module) module = LoadLibraryW(L"WTclient.dll");
  if (!module) return nullptr;
  auto library = std::make_unique<WTclientLibrary>(module);
  if (!library->Resolve()) return nullptr;  // frees the module
  return library;
}
