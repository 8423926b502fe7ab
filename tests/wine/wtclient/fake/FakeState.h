// The fake server's process-wide state, shared by its objects and the
// exports a test steers it with.
#pragma once
#include "opc_ae.h"

#include <atomic>

#include "tests/wine/wtclient/fake/FakeServerControl.h"

namespace fake {

struct State {
  std::atomic<DWORD> mode{kFakeGood};
  std::atomic<bool> dead{false};
  std::atomic<LONG> liveObjects{0};
  std::atomic<LONG> statusCalls{0};
  std::atomic<LONG> adviseCookie{0};
  std::atomic<LONG> refreshCookie{0};
  std::atomic<LONG> serversMade{0};  // since the last reset
  HANDLE unhang = nullptr;           // manual-reset: set by a reset, releases a hung GetStatus
  CRITICAL_SECTION cs;  // guards the fields below
  IOPCEventSink* sink = nullptr;
  DWORD sinkSubscription = 0;
  FakeSubscriptionArgs lastSubscription = {};
  wchar_t clientName[64] = {};
};

State& Get();

// The answer of every call once the fake "died": what a client sees of a
// server process that is gone.
const HRESULT kGone = static_cast<HRESULT>(0x800706BAL);

// Counts the fake's own COM objects (not the client's sinks).
struct Counted {
  Counted() { ++Get().liveObjects; }
  ~Counted() { --Get().liveObjects; }
};

// IOPCEventServer (with IOPCCommon) for a new client.
HRESULT CreateServer(REFIID riid, void** ppv);
// The object CreateEventSubscription returns, shaped by the mode.
IUnknown* CreateSubscription(DWORD clientSubscription);

}  // namespace fake
