#include "intake/win32/WTclientLibrary.h"

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "framework/win32/WinString.h"
#include "intake/LibrarySearchPath.h"
#include "intake/OpcAESession.h"
#include "wtclient/WTclientExports.h"

// The session pointer is the client handle: the library's DWORD_PTR holds it
// on either word size.
static_assert(sizeof(DWORD_PTR) == sizeof(void*), "the client handle holds a pointer");

namespace {

// The one portable callback of the process (every session registers the same).
std::atomic<AEEventCallbackFn> g_callback{nullptr};

// The library's callback: hand the records on in the portable form, as one
// batch. No lock is taken here: the portable callback copies the records and
// holds the queue lock only to append them.
void CALLBACK ExtendedAECallback(DWORD_PTR clientHandle, BOOL refresh, BOOL lastRefresh, DWORD count,
                                 ONEVENTSTRUCT* events) {
  AEEventCallbackFn callback = g_callback.load();
  if (!callback || clientHandle == 0 || !events) return;
  try {
    std::vector<AEEventRecord> records(count);
    for (DWORD i = 0; i < count; ++i) {
      const ONEVENTSTRUCT& e = events[i];
      AEEventRecord& r = records[i];
      r.ftTime = (static_cast<uint64_t>(e.ftTime.dwHighDateTime) << 32) | e.ftTime.dwLowDateTime;
      r.szSource = reinterpret_cast<const char16_t*>(e.szSource);
      r.szMessage = reinterpret_cast<const char16_t*>(e.szMessage);
      r.dwEventCategory = e.dwEventCategory;
      r.dwSeverity = e.dwSeverity;
    }
    callback(static_cast<uintptr_t>(clientHandle), refresh, lastRefresh, count, records.data());
  } catch (...) {
  }
}

class WTclientLibrary : public AELibrary {
 public:
  explicit WTclientLibrary(HMODULE module) : m_hModule(module) {}
  ~WTclientLibrary() override { FreeLibrary(m_hModule); }

  // All eight exports, or the library is not usable.
  bool Resolve() { return m_fn.Resolve(m_hModule); }

  void WTclientCoInit() override { m_fn.CoInit(); }
  void WTclientCoUninit() override { m_fn.CoUninit(); }
  void EnableExtendedAECallback(AEEventCallbackFn callback) override {
    g_callback.store(callback);
    m_fn.EnableCallback(&ExtendedAECallback);
  }
  uintptr_t ConnectOPC_AE(const char* machine, const char* progId) override {
    HANDLE h = m_fn.Connect(machine, progId);
    return h == INVALID_HANDLE_VALUE ? kConnectFailed : reinterpret_cast<uintptr_t>(h);
  }
  void QueryEventCategories(uintptr_t connection, uint32_t eventType, uint32_t* count, const uint32_t** ids,
                            const char16_t* const** names) override {
    DWORD n = 0;
    DWORD* idArray = nullptr;
    LPWSTR* nameArray = nullptr;
    m_fn.Query(Handle(connection), eventType, &n, &idArray, &nameArray);
    *count = n;
    *ids = reinterpret_cast<const uint32_t*>(idArray);
    *names = reinterpret_cast<const char16_t* const*>(nameArray);
  }
  uintptr_t Create_AE_Subscription(uintptr_t connection, uintptr_t clientHandle, uint32_t* revisedBufferTime,
                                   uint32_t* revisedMaxSize) override {
    DWORD a = *revisedBufferTime, b = *revisedMaxSize;
    HANDLE h = m_fn.Subscribe(Handle(connection), static_cast<DWORD_PTR>(clientHandle), &a, &b);
    *revisedBufferTime = a;
    *revisedMaxSize = b;
    return reinterpret_cast<uintptr_t>(h);
  }
  void Refresh_AE_Subscription(uintptr_t connection, uintptr_t clientHandle) override {
    m_fn.Refresh(Handle(connection), static_cast<DWORD_PTR>(clientHandle));
  }
  void DisconnectOPC_AE(uintptr_t connection) override { m_fn.Disconnect(Handle(connection)); }

 private:
  static HANDLE Handle(uintptr_t v) { return reinterpret_cast<HANDLE>(v); }

  HMODULE m_hModule;
  WTclientExports m_fn;
};

// A module's full file name; empty if it cannot be had.
std::wstring ModulePath(HMODULE module) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(module, &path[0], static_cast<DWORD>(path.size()));
    if (n == 0) return std::wstring();
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);  // truncated: a long path
  }
}

std::wstring FolderOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

// The folder of the module this code is linked into (the control).
std::wstring OwnFolder() {
  HMODULE self = nullptr;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          reinterpret_cast<LPCWSTR>(&OwnFolder), &self))
    return std::wstring();
  return FolderOf(ModulePath(self));
}

std::wstring SystemFolder() {
  wchar_t buf[MAX_PATH];
  const UINT n = GetSystemDirectoryW(buf, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::wstring(buf, n) : std::wstring();
}

std::wstring PathVariable() {
  const DWORD n = GetEnvironmentVariableW(L"PATH", nullptr, 0);
  if (n == 0) return std::wstring();
  std::wstring value(n, L'\0');
  const DWORD got = GetEnvironmentVariableW(L"PATH", &value[0], n);
  value.resize(got < n ? got : 0);
  return value;
}

}  // namespace

// Where the library's own dependencies are searched: its folder and the
// system's (the application's folder, System32), never the current directory
// or PATH. Systems without the search flags (Windows 7 before KB2533623,
// which brought AddDllDirectory) get the altered search path, its folder
// first.
namespace {
DWORD DependencySearchFlags() {
  static const bool safe =
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "AddDllDirectory") != nullptr;
  return safe ? LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS : LOAD_WITH_ALTERED_SEARCH_PATH;
}
}  // namespace

// Never by bare name: LoadLibraryW("WTclient.dll") would also search the
// current directory, where anyone can leave a file. Each candidate is loaded
// by its full path, its own dependencies from its own folder. A file that
// does not load or lacks one of the eight exports is not ours to use: it is
// freed and the next candidate is tried.
std::unique_ptr<AELibrary> WTclientLoader::Load() {
  LibraryFolders folders;
  folders.ocx = FromW(OwnFolder().c_str());
  folders.app = FromW(FolderOf(ModulePath(nullptr)).c_str());
  folders.system = FromW(SystemFolder().c_str());
  folders.path = FromW(PathVariable().c_str());
  DWORD oldMode = 0;
  const BOOL quiet = SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &oldMode);
  std::unique_ptr<AELibrary> found;
  for (const String& candidate : LibraryCandidates(u"WTclient.dll", folders)) {
    const wchar_t* path = W(candidate);
    const DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    HMODULE module = LoadLibraryExW(path, nullptr, DependencySearchFlags());
    if (!module) continue;
    auto library = std::make_unique<WTclientLibrary>(module);
    if (library->Resolve()) {
      found = std::move(library);
      break;
    }
  }
  if (quiet) SetThreadErrorMode(oldMode, nullptr);
  return found;
}

// Pinned, the module (the control) is never unloaded, whatever COM decides:
// a worker still inside a hung library call comes back to code that exists.
void WTclientLoader::KeepLoaded() {
  HMODULE self = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                     reinterpret_cast<LPCWSTR>(&OwnFolder), &self);
}

void WTclientLoader::ReportIntake(uint32_t longestQueueWaitUs, uint64_t discarded) {
  wchar_t path[MAX_PATH];
  const DWORD n = GetEnvironmentVariableW(L"VELMARIC_INTAKE_STATS", path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return;
  HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  const std::string line = "longest_queue_wait_us=" + std::to_string(longestQueueWaitUs) +
                           " discarded=" + std::to_string(discarded) + "\r\n";
  DWORD written = 0;
  WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(file);
}
