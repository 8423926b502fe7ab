#include "opcserver/ServerProcess.h"

#include <objbase.h>

#include <atomic>

#include "opcserver/Log.h"

namespace opcsrv {
namespace {

PlantHub* g_hub = nullptr;
HANDLE g_exit = nullptr;
std::atomic<long> g_objects{0};
std::atomic<ULONGLONG> g_lastActivity{0};

}  // namespace

void InitServerProcess(PlantHub* hub) {
  g_hub = hub;
  g_exit = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  g_lastActivity = GetTickCount64();
}

PlantHub& Hub() { return *g_hub; }

void AddRefServerProcess() {
  ++g_objects;
  CoAddRefServerProcess();
}

void ReleaseServerProcess() {
  --g_objects;
  g_lastActivity = GetTickCount64();
  if (CoReleaseServerProcess() == 0) {
    Log("last object released");
    SetEvent(g_exit);
  }
}

HANDLE ServerExitEvent() { return g_exit; }

void KeepServingIfInUse() {
  if (g_objects.load() == 0) return;
  Log("an object was made after the last one went: serving on");
  ResetEvent(g_exit);
  // Released again between the look and the reset: the signal stands.
  if (g_objects.load() == 0) SetEvent(g_exit);
}

void BeginActivation() { ++g_objects; }

void EndActivation() {
  g_lastActivity = GetTickCount64();
  --g_objects;
}

bool IdleFor(DWORD idleMs) { return g_objects.load() == 0 && GetTickCount64() - g_lastActivity.load() >= idleMs; }

Delivery::Hooks MtaThreadHooks() {
  Delivery::Hooks h;
  h.threadStart = [] { CoInitializeEx(nullptr, COINIT_MULTITHREADED); };
  h.threadEnd = [] { CoUninitialize(); };
  return h;
}

}  // namespace opcsrv
