// Prints notifications per second from a node-opcua alarm server through our UA client: into the
// library's callback alone, and on to NewEvent in the hosted OCX. The server raises each burst as fast
// as it can, either all at once ("burst": the server raises them, then publishes) or a few at a time while
// it publishes ("flood"); its own time to raise is printed too, since it bounds both figures. Run beside
// the server:
//   scripts/with-ua-peer.sh scripts/wine-run.sh ... uapath_bench.exe [--burst N] [--flood N] [--rounds R]
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "tests/wine/common/HostedControl.h"
#include "tests/wine/common/UaPeer.h"
#include "wtclient/WTclientExports.h"

namespace {

const char kProgId[] = "Velmaric.TamborelOpcDa.1";
const wchar_t kWideProgId[] = L"Velmaric.TamborelOpcDa.1";

double NowMs() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

std::atomic<long> g_records{0};
std::atomic<long long> g_firstUs{0}, g_lastUs{0};

void CALLBACK Count(DWORD_PTR, BOOL refresh, BOOL, DWORD count, ONEVENTSTRUCT*) {
  if (refresh) return;
  const long long us = static_cast<long long>(NowMs() * 1000);
  long long zero = 0;
  g_firstUs.compare_exchange_strong(zero, us);
  g_lastUs = us;
  g_records += static_cast<long>(count);
}

// The peer's reply to a burst comes once it has raised them all: timed on a thread of its own.
struct BurstCommand {
  std::string verb;
  int count = 0;
  double raisedMs = 0;
  std::string reply;
  HANDLE thread = nullptr;
  static DWORD WINAPI Run(void* p) {
    auto* b = static_cast<BurstCommand*>(p);
    const double t = NowMs();
    b->reply = uapeer::Command(b->verb + " " + std::to_string(b->count));
    b->raisedMs = NowMs() - t;
    return 0;
  }
  void Start(const std::string& v, int n) {
    verb = v;
    count = n;
    thread = CreateThread(nullptr, 0, &Run, this, 0, nullptr);
  }
  void Wait() {
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
  }
};

void LibraryRate(const std::string& verb, int burst) {
  HMODULE lib = LoadLibraryW(BinPath(L"WTclient.dll").c_str());
  WTclientExports fn;
  if (!lib || !fn.Resolve(lib)) {
    printf("library: cannot load WTclient.dll\n");
    return;
  }
  fn.CoInit();
  fn.EnableCallback(&Count);
  double t = NowMs();
  HANDLE c = fn.Connect("", kProgId);
  printf("library: connect (Hello to a running subscription) %.1f ms%s\n", NowMs() - t,
         c == INVALID_HANDLE_VALUE ? " FAILED" : "");
  if (c == INVALID_HANDLE_VALUE) return;
  DWORD buffer = 0, size = 0;
  fn.Subscribe(c, 1, &buffer, &size);
  g_records = 0;
  g_firstUs = 0;
  BurstCommand command;
  const double start = NowMs();
  command.Start(verb, burst);
  while (g_records < burst && NowMs() - start < 120000) Sleep(5);
  command.Wait();
  const double seconds = (g_lastUs - g_firstUs) / 1e6;
  const double endToEnd = (g_lastUs / 1000.0 - start) / 1000.0;
  printf("library: %s of %d: %ld delivered, the last %.2f s after the command: %.0f per second end to end "
         "(the server raised them in %.2f s: %.0f per second; delivery from the first took %.3f s)\n",
         verb.c_str(), burst, g_records.load(), endToEnd, endToEnd > 0 ? g_records / endToEnd : 0.0, command.raisedMs / 1000.0,
         burst / (command.raisedMs / 1000.0), seconds);
  t = NowMs();
  fn.Disconnect(c);
  printf("library: disconnect %.1f ms\n", NowMs() - t);
  fn.CoUninit();
  FreeLibrary(lib);
}

void ControlRate(const std::string& verb, int burst) {
  HostedControl control;
  control.sink.keep = false;
  double first = 0, last = 0;
  control.sink.onEvent = [&](size_t n) {
    if (n == 1) first = NowMs();
    last = NowMs();
  };
  if (!control.Create() || !control.Connect()) {
    printf("control: did not connect\n");
    return;
  }
  BurstCommand command;
  const double start = NowMs();
  command.Start(verb, burst);
  PumpUntil(120000, [&] { return control.sink.count >= static_cast<size_t>(burst); });
  command.Wait();
  const double seconds = (last - first) / 1000.0;
  const double endToEnd = (last - start) / 1000.0;
  printf("control: %s of %d: %zu NewEvents, the last %.2f s after the command: %.0f per second end to end "
         "(the server raised them in %.2f s: %.0f per second; NewEvents from the first took %.3f s)\n",
         verb.c_str(), burst, control.sink.count, endToEnd, endToEnd > 0 ? control.sink.count / endToEnd : 0.0,
         command.raisedMs / 1000.0, burst / (command.raisedMs / 1000.0), seconds);
  control.Disconnect();
  control.Destroy();
  PumpUntil(200);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string why = uapeer::Unavailable();
  if (!why.empty()) {
    printf("uapath_bench: no UA server: %s\n", why.c_str());
    return 1;
  }
  uapeer::EndpointMapping::Remove(HKEY_LOCAL_MACHINE, kWideProgId);
  uapeer::EndpointMapping mapping(HKEY_CURRENT_USER, kWideProgId, uapeer::Wide(uapeer::Endpoint()));
  const std::pair<std::string, int> runs[] = {{"burst", IntArg(argc, argv, "--burst", 5000)},
                                              {"flood", IntArg(argc, argv, "--flood", 20000)}};
  const int rounds = IntArg(argc, argv, "--rounds", 3);
  for (const auto& run : runs)
    for (int i = 0; i < rounds; ++i) LibraryRate(run.first, run.second);
  OleInitialize(nullptr);
  if (HostedControl::InitAtl())
    for (const auto& run : runs)
      for (int i = 0; i < rounds; ++i) ControlRate(run.first, run.second);
  OleUninitialize();
  return 0;
}
