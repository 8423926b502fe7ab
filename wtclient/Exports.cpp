// The eight exports of WTclient.dll over the simulated AE server.
#include <windows.h>

#include "wtclient/Connection.h"
#include "wtclient/Registry.h"
#include "wtclient/WTclient.h"

using wtclient::Connection;
using wtclient::Registry;
using wtsim::Call;

namespace {

const char kServerProgId[] = "Velmaric.TamborelOpcDa.1";

bool IsLocalMachine(LPCSTR name) {
  if (!name || !*name) return true;
  while (*name == '\\') ++name;
  if (lstrcmpiA(name, "localhost") == 0 || lstrcmpiA(name, ".") == 0 || lstrcmpiA(name, "127.0.0.1") == 0)
    return true;
  char computer[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = sizeof computer;
  return GetComputerNameA(computer, &size) && lstrcmpiA(name, computer) == 0;
}

// The scripted outcome of a call: it first hangs if asked, then fails or not.
bool Fails(Connection& c, Call call) {
  uint32_t hangMs = 0;
  const bool fail = Registry::Get().TakeFailure(c.Source(), call, hangMs);
  if (hangMs) Sleep(hangMs);
  return fail;
}

}  // namespace

extern "C" {

BOOL WINAPI WTclientCoInit(void) {
  Registry::Get().ThreadInit();
  return TRUE;
}

BOOL WINAPI WTclientCoUninit(void) { return Registry::Get().ThreadUninit() ? TRUE : FALSE; }

BOOL WINAPI EnableExtendedAECallback(PFN_ExtendedAECallback callback) {
  Registry::Get().SetCallback(callback);
  return callback ? TRUE : FALSE;
}

HANDLE WINAPI ConnectOPC_AE(LPCSTR machineName, LPCSTR serverProgId) {
  Registry& reg = Registry::Get();
  std::shared_ptr<wtclient::ScenarioSource> src = reg.CurrentScenario();
  uint32_t hangMs = 0;
  const bool scriptedFailure = reg.TakeFailure(*src, Call::Connect, hangMs);
  if (hangMs) Sleep(hangMs);
  // Like a COM client library, nothing works on a thread that did not
  // initialise the library.
  if (!reg.ThreadInitialised() || !src->ok || scriptedFailure || !IsLocalMachine(machineName) || !serverProgId ||
      lstrcmpiA(serverProgId, kServerProgId) != 0)
    return INVALID_HANDLE_VALUE;
  const uint64_t seed = src->scenario.seed ? src->scenario.seed
                                           : (GetTickCount64() * 0x9E3779B97F4A7C15ULL) ^ reg.NextSerial();
  return reg.Add(std::make_shared<Connection>(src, seed));
}

BOOL WINAPI QueryEventCategories(HANDLE connection, DWORD eventType, DWORD* count, DWORD** categoryIds,
                                 LPWSTR** categoryNames) {
  if (count) *count = 0;
  if (categoryIds) *categoryIds = nullptr;
  if (categoryNames) *categoryNames = nullptr;
  std::shared_ptr<Connection> c = Registry::Get().Find(connection);
  if (!c || !count || !categoryIds || !categoryNames) return FALSE;
  if (Fails(*c, Call::Query)) return FALSE;
  c->QueryCategories(eventType, count, categoryIds, categoryNames);
  return TRUE;
}

HANDLE WINAPI Create_AE_Subscription(HANDLE connection, DWORD clientHandle, DWORD* revisedBufferTime,
                                     DWORD* revisedMaxSize) {
  std::shared_ptr<Connection> c = Registry::Get().Find(connection);
  if (!c || Fails(*c, Call::Subscribe)) return nullptr;
  // Both may point to the same variable; each is written once.
  if (revisedBufferTime) *revisedBufferTime = wtsim::EventEngine::kBufferTimeMs;
  if (revisedMaxSize) *revisedMaxSize = wtsim::EventEngine::kMaxBatch;
  return c->Subscribe(clientHandle);
}

BOOL WINAPI Refresh_AE_Subscription(HANDLE connection, DWORD clientHandle) {
  std::shared_ptr<Connection> c = Registry::Get().Find(connection);
  if (!c || Fails(*c, Call::Refresh)) return FALSE;
  return c->Refresh(clientHandle) ? TRUE : FALSE;
}

BOOL WINAPI DisconnectOPC_AE(HANDLE connection) {
  std::shared_ptr<Connection> c = Registry::Get().Find(connection);
  if (!c) return FALSE;
  Fails(*c, Call::Disconnect);  // only its hang applies
  // Removed first so that a second disconnect of the handle fails at once.
  c = Registry::Get().Remove(connection);
  if (!c) return FALSE;
  c->Close();
  return TRUE;
}

}  // extern "C"
