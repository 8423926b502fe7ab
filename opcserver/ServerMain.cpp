// VelmaricOpcServer.exe: registers, unregisters, or serves the simulated
// plant to OPC AE clients until the last of their objects is released.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

#include "opcserver/ClassFactory.h"
#include "opcserver/Log.h"
#include "opcserver/Records.h"
#include "opcserver/Registration.h"
#include "opcserver/ServerProcess.h"
#include "opcserver/core/CommandLine.h"

namespace opcsrv {
namespace {

// Started by COM under Wine, the standard handles are the client's (a test
// runner's pipe): let go of them at once.
void DropStandardHandles() {
  const DWORD ids[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
  for (DWORD id : ids) {
    HANDLE h = GetStdHandle(id);
    HANDLE nul = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, nullptr);
    SetStdHandle(id, nul);
    if (h && h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
}

bool Exists(const std::wstring& p) { return GetFileAttributesW(p.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A Unix path ("/tmp/s.txt", from a Wine host shell) is tried on Z: (the
// file, or for a log yet to be made its folder), and any path is made
// absolute: a COM-started server runs in another directory.
std::wstring ResolvePath(const std::wstring& path) {
  std::wstring p = path;
  if (!p.empty() && p[0] == L'/' && !Exists(p)) {
    std::wstring z = L"Z:" + p;
    for (wchar_t& c : z)
      if (c == L'/') c = L'\\';
    if (Exists(z) || Exists(z.substr(0, z.rfind(L'\\') + 1))) p = z;
  }
  wchar_t full[MAX_PATH * 2];
  const DWORD n = GetFullPathNameW(p.c_str(), MAX_PATH * 2, full, nullptr);
  return n > 0 && n < MAX_PATH * 2 ? std::wstring(full, n) : p;
}

std::string Ansi(const std::wstring& s) {
  const int n = WideCharToMultiByte(CP_ACP, 0, s.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? n - 1 : 0, '\0');
  if (n > 1) WideCharToMultiByte(CP_ACP, 0, s.c_str(), -1, &out[0], n, nullptr, nullptr);
  return out;
}

std::wstring ExePath() {
  wchar_t buf[MAX_PATH * 2];
  const DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH * 2);
  return std::wstring(buf, n);
}

// The scenario to serve; a file that cannot be used makes every connect
// fail, so that clients see a clean error rather than a timeout.
wtsim::Scenario LoadScenario(const std::wstring& path) {
  if (path.empty()) return wtsim::Scenario::Plant();
  const wtsim::ParseResult r = wtsim::LoadScenarioFile(Ansi(ResolvePath(path)));
  if (r.ok) {
    Log("scenario %ls", path.c_str());
    return r.scenario;
  }
  Log("scenario file %ls, line %d: %s; every connect will fail", path.c_str(), r.line, r.error.c_str());
  wtsim::Scenario failing = wtsim::Scenario::Plant();
  failing.Mode(wtsim::Call::Connect).failCount = -1;
  return failing;
}

int Serve(const ServerOptions& opt) {
  HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  if (FAILED(hr)) {
    Log("CoInitializeEx failed: 0x%08lx", static_cast<unsigned long>(hr));
    return 3;
  }
  const wtsim::Scenario scenario = LoadScenario(Wide(opt.scenario));
  const uint64_t seed = scenario.seed ? scenario.seed : (NowFileTime() ^ GetCurrentProcessId());
  auto hub = std::make_unique<PlantHub>(scenario, seed);
  InitServerProcess(hub.get());

  static ClassFactory factory;
  DWORD registration = 0;
  hr = CoRegisterClassObject(CLSID_VelmaricOpcAEServer, &factory, CLSCTX_LOCAL_SERVER,
                             REGCLS_MULTIPLEUSE | REGCLS_SUSPENDED, &registration);
  if (SUCCEEDED(hr)) hr = CoResumeClassObjects();
  if (FAILED(hr)) {
    Log("cannot register the class object: 0x%08lx", static_cast<unsigned long>(hr));
    CoUninitialize();
    return 4;
  }
  Log("serving%s", opt.embedding ? " (started by COM)" : "");
  if (!opt.readyEvent.empty()) {
    const std::wstring name = Wide(opt.readyEvent);
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, name.c_str());
    if (ready) {
      SetEvent(ready);
      // Kept open: the event must outlive the test's wait even if it opens it late.
    } else {
      Log("cannot create ready event %ls", name.c_str());
    }
  }
  // Started by COM, a server nobody holds an object of (its connects
  // failed) leaves after a while; started by hand it serves until killed
  // or until the last object of its clients went.
  constexpr DWORD kIdleExitMs = 10000;
  // The last object went: leave once no object is held or being created
  // for a short grace, so that a client inside CreateInstance at that moment
  // is served, not left with a server that vanished under it.
  constexpr DWORD kExitGraceMs = 300;
  for (;;) {
    if (WaitForSingleObject(ServerExitEvent(), 500) == WAIT_OBJECT_0) {
      if (IdleFor(kExitGraceMs)) break;
      KeepServingIfInUse();
      Sleep(50);
      continue;
    }
    if (opt.embedding && IdleFor(kIdleExitMs)) {
      Log("no client for %lu ms", static_cast<unsigned long>(kIdleExitMs));
      break;
    }
  }
  CoRevokeClassObject(registration);
  Log("leaving");
  // Delivery threads may still sit in calls to clients that hang, and use
  // the plant when they return: the process ends without waiting for
  // them, and the plant is never destroyed under them.
  hub.release();
  ExitProcess(0);
}

int Run() {
  DropStandardHandles();
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<String> args;
  for (int i = 1; argv && i < argc; ++i) args.push_back(FromWide(argv[i]));
  if (argv) LocalFree(argv);

  ServerOptions opt;
  std::string error;
  const bool parsed = ParseCommandLine(args, opt, error);
  if (!opt.logFile.empty()) OpenLog(ResolvePath(Wide(opt.logFile)));
  if (!parsed) {
    Log("command line: %s", error.c_str());
    return 2;
  }
  if (opt.action == ServerOptions::Serve) return Serve(opt);

  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  auto full = [](const String& p) { return p.empty() ? std::wstring() : ResolvePath(Wide(p)); };
  const std::string failure = opt.action == ServerOptions::Register
                                  ? RegisterServer(ExePath(), full(opt.scenario), full(opt.logFile))
                                  : UnregisterServer();
  CoUninitialize();
  if (!failure.empty()) {
    Log("%s", failure.c_str());
    return 1;
  }
  return 0;
}

}  // namespace
}  // namespace opcsrv

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return opcsrv::Run(); }
