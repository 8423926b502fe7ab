// The fake server DLL's entry points: its class factory for COM, and the
// exports a test steers it with and fires notifications through.
#include <cstring>

#include "tests/wine/wtclient/fake/FakeState.h"

namespace fake {

State& Get() {
  static State* s = [] {
    auto* st = new State;
    InitializeCriticalSection(&st->cs);
    return st;
  }();
  return *s;
}

namespace {

const CLSID kClsid = {0x25C294D4, 0x3F7E, 0x4697, {0xB1, 0x91, 0x0A, 0x34, 0xDA, 0xAE, 0x59, 0xA9}};

class Factory : public IClassFactory {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
      *ppv = this;
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    *ppv = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return CreateServer(riid, ppv);
  }
  STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};
Factory g_factory;

wchar_t g_source[] = L"Area1.Fake.TI100";
wchar_t g_message[] = L"fake message";
wchar_t g_condition[] = L"LEVEL";

ONEVENTSTRUCT Record(DWORD severity) {
  ONEVENTSTRUCT r;
  ZeroMemory(&r, sizeof r);
  r.szSource = g_source;
  r.szMessage = g_message;
  r.szConditionName = g_condition;
  r.szSubconditionName = g_condition;
  r.szActorID = g_message;
  r.dwEventType = OPC_SIMPLE_EVENT;
  r.dwEventCategory = 0x101;
  r.dwSeverity = severity;
  r.ftTime.dwLowDateTime = 0x12345678;
  r.ftTime.dwHighDateTime = 0x01DA0000;
  return r;
}

}  // namespace
}  // namespace fake

using namespace fake;

extern "C" {

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
  if (!IsEqualCLSID(clsid, kClsid)) return CLASS_E_CLASSNOTAVAILABLE;
  return g_factory.QueryInterface(riid, ppv);
}

// Stays loaded: the test holds it and reads its counters.
STDAPI DllCanUnloadNow(void) { return S_FALSE; }

void WINAPI FakeReset(DWORD mode) {
  State& s = Get();
  // A status call hung by the last mode goes on first.
  if (s.unhang) SetEvent(s.unhang);
  else s.unhang = CreateEventW(nullptr, TRUE, TRUE, nullptr);
  s.serversMade = 0;
  if (mode == kFakeFirstStatusHangs) ResetEvent(s.unhang);
  s.mode = mode;
  s.dead = false;
  s.statusCalls = 0;
  s.refreshCookie = 0;
  EnterCriticalSection(&s.cs);
  if (s.sink) s.sink->Release();
  s.sink = nullptr;
  s.lastSubscription = {};
  s.clientName[0] = 0;
  LeaveCriticalSection(&s.cs);
}

void WINAPI FakeDie(void) { Get().dead = true; }

LONG WINAPI FakeLiveObjects(void) { return Get().liveObjects; }
LONG WINAPI FakeStatusCalls(void) { return Get().statusCalls; }
LONG WINAPI FakeAdviseCookie(void) { return Get().adviseCookie; }
LONG WINAPI FakeRefreshCookie(void) { return Get().refreshCookie; }

void WINAPI FakeLastSubscription(FakeSubscriptionArgs* args) {
  EnterCriticalSection(&Get().cs);
  *args = Get().lastSubscription;
  LeaveCriticalSection(&Get().cs);
}

void WINAPI FakeClientName(wchar_t* buffer, DWORD chars) {
  EnterCriticalSection(&Get().cs);
  lstrcpynW(buffer, Get().clientName, static_cast<int>(chars));
  LeaveCriticalSection(&Get().cs);
}

// Calls the last advised sink on the calling thread, as a server's
// notification thread would; E_UNEXPECTED when none is advised.
HRESULT WINAPI FakeFire(DWORD kind) {
  State& s = Get();
  EnterCriticalSection(&s.cs);
  IOPCEventSink* sink = s.sink;
  if (sink) sink->AddRef();
  const DWORD handle = s.sinkSubscription;
  LeaveCriticalSection(&s.cs);
  if (!sink) return E_UNEXPECTED;
  ONEVENTSTRUCT two[2] = {Record(500), Record(700)};
  HRESULT hr = E_FAIL;
  switch (kind) {
    case kFireGood:
      hr = sink->OnEvent(handle, FALSE, FALSE, 2, two);
      break;
    case kFireRefresh:
      hr = sink->OnEvent(handle, TRUE, TRUE, 1, two);
      break;
    case kFireNullStrings: {
      ONEVENTSTRUCT r;
      ZeroMemory(&r, sizeof r);
      r.dwSeverity = 1;
      r.dwNumEventAttrs = 3;
      hr = sink->OnEvent(handle, FALSE, FALSE, 1, &r);
      break;
    }
    case kFireWrongHandle:
      hr = sink->OnEvent(handle + 1, FALSE, FALSE, 2, two);
      break;
    case kFireNullEvents:
      hr = sink->OnEvent(handle, FALSE, FALSE, 2, nullptr);
      break;
    case kFireAbsurdCount:
      hr = sink->OnEvent(handle, FALSE, FALSE, 0xFFFFFFF0u, two);
      break;
    default:
      break;
  }
  sink->Release();
  return hr;
}

}  // extern "C"
