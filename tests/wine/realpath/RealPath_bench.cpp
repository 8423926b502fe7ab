// Prints what crossing the process boundary costs: the first connect to a
// server COM has to start (Wine's rpcss waits a fixed second before it asks
// the new process again) and a second connect to the running one; then
// notifications per second from our OPC AE server to NewEvent in the hosted
// OCX, with the server sending batches of 1, 100 and 1000 as fast as it can.
//   realpath_bench [--total-1 N] [--total-100 N] [--total-1000 N]
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>

#include "tests/wine/common/OpcServerProcess.h"
#include "tests/wine/common/HostedControl.h"
#include "wtclient/WTclientExports.h"

namespace {

double NowMs() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

void CALLBACK Ignore(DWORD_PTR, BOOL, BOOL, DWORD, ONEVENTSTRUCT*) {}

// Two connects through WTclient.dll to a server COM starts from its
// registration (no scenario: the plant), timed one after the other, on a
// thread of their own as the control's worker makes them.
DWORD WINAPI FirstConnect(void*) {
  SetEnvironmentVariableA("WTCLIENT_SIM_SCENARIO", nullptr);
  SetEnvironmentVariableA("WTCLIENT_INPROCESS", nullptr);
  HMODULE lib = LoadLibraryW(BinPath(L"WTclient.dll").c_str());
  if (!lib) {
    printf("first connect: cannot load WTclient.dll\n");
    return 0;
  }
  WTclientExports fn;
  if (!fn.Resolve(lib)) {
    printf("first connect: WTclient.dll lacks an export\n");
    FreeLibrary(lib);
    return 0;
  }
  fn.CoInit();
  fn.EnableCallback(&Ignore);
  double t = NowMs();
  HANDLE a = fn.Connect("", "Velmaric.TamborelOpcDa.1");
  const double first = NowMs() - t;
  t = NowMs();
  HANDLE b = fn.Connect("", "Velmaric.TamborelOpcDa.1");
  const double second = NowMs() - t;
  printf("first connect (COM starts the server): %.0f ms%s\n", first, a == INVALID_HANDLE_VALUE ? " FAILED" : "");
  printf("second connect (server running): %.1f ms%s\n", second, b == INVALID_HANDLE_VALUE ? " FAILED" : "");
  if (a != INVALID_HANDLE_VALUE) fn.Disconnect(a);
  if (b != INVALID_HANDLE_VALUE) fn.Disconnect(b);
  fn.CoUninit();
  FreeLibrary(lib);
  return 0;
}

std::string Scenario(int total, int batch) {
  std::ostringstream s;
  s << "category 1 0x104 Process message\n";
  for (int i = 0; i < total; ++i) {
    s << "event now 0x104 500 Area9.Bench.S" << i % 37 << " b" << i << "\n";
    if (i % batch == batch - 1) s << "batch\n";
  }
  s << "silence 600000\n";
  return s.str();
}

void Rate(int batch, int total) {
  OpcServerProcess server;
  if (!server.Start("bench" + std::to_string(batch), Scenario(total, batch))) {
    printf("batches of %d: the server did not start\n", batch);
    return;
  }
  HostedControl control;
  control.sink.keep = false;
  double first = 0, last = 0;
  control.sink.onEvent = [&](size_t n) {
    if (n == 1) first = NowMs();
    last = NowMs();
  };
  if (!control.Create() || !control.Connect()) {
    printf("batches of %d: the control did not connect\n", batch);
    return;
  }
  const double start = NowMs();
  // Every notification arrives or is counted in the server's notice of a loss.
  const auto delivered = [&] { return control.sink.count - control.sink.lostNotices; };
  PumpUntil(300000, [&] { return delivered() + control.sink.lost >= static_cast<size_t>(total); });
  const double seconds = (last - first) / 1000.0;
  printf("batches of %4d: %zu of %d notifications in %.2f s after the first: %.0f per second"
         " (%.2f s from ConnectOpc's return); %llu told lost in %zu notice(s)%s\n",
         batch, delivered(), total, seconds, seconds > 0 ? delivered() / seconds : 0.0, (last - start) / 1000.0,
         static_cast<unsigned long long>(control.sink.lost), control.sink.lostNotices,
         delivered() + control.sink.lost == static_cast<size_t>(total) ? "" : " NOT ALL ACCOUNTED FOR");
  control.Disconnect();
  control.Destroy();
  PumpUntil(200);
  server.Stop(10000);
}

}  // namespace

int main(int argc, char** argv) {
  OleInitialize(nullptr);
  HANDLE worker = CreateThread(nullptr, 0, &FirstConnect, nullptr, 0, nullptr);
  WaitForSingleObject(worker, INFINITE);
  CloseHandle(worker);
  Sleep(2000);  // the COM-started server leaves once both connections are gone
  Rate(1, IntArg(argc, argv, "--total-1", 10000));
  Rate(100, IntArg(argc, argv, "--total-100", 200000));
  Rate(1000, IntArg(argc, argv, "--total-1000", 400000));
  OleUninitialize();
  return 0;
}
