// WTclient.dll with its exports resolved as the control resolves them, and a
// recorder for its notification callback, for the tests that drive the library.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "tests/wine/common/WineTestUtil.h"
#include "wtclient/WTclientExports.h"

namespace harness {

// WTclient.dll beside the tests, its exports resolved by the control's loader.
struct Lib : WTclientExports {
  HMODULE module = nullptr;
  bool Load() {
    module = LoadLibraryW(BinPath(L"WTclient.dll").c_str());
    return module && Resolve(module);
  }
};

// One callback call, with the records' values copied out.
struct Call {
  DWORD thread;
  DWORD_PTR client;
  BOOL refresh, last;
  DWORD count;
  std::vector<std::wstring> sources, messages, conditions, actors;
  std::vector<DWORD> categories, severities, types, attributeCounts;
  std::vector<bool> attributesNull;
  std::vector<ULONGLONG> times;
  std::vector<WORD> changeMasks, newStates;
  std::vector<bool> ackRequired;
};

class Recorder {
 public:
  Recorder() { InitializeCriticalSection(&m_cs); }
  void Add(const Call& c, std::function<void(DWORD_PTR)>& hook) {
    EnterCriticalSection(&m_cs);
    m_calls.push_back(c);
    hook = m_hook;
    LeaveCriticalSection(&m_cs);
  }
  size_t Count() {
    EnterCriticalSection(&m_cs);
    const size_t n = m_calls.size();
    LeaveCriticalSection(&m_cs);
    return n;
  }
  size_t Records() {
    size_t n = 0;
    for (const Call& c : Copy()) n += c.sources.size();
    return n;
  }
  std::vector<Call> Copy() {
    EnterCriticalSection(&m_cs);
    std::vector<Call> r = m_calls;
    LeaveCriticalSection(&m_cs);
    return r;
  }
  void SetHook(std::function<void(DWORD_PTR)> hook) {
    EnterCriticalSection(&m_cs);
    m_hook = std::move(hook);
    LeaveCriticalSection(&m_cs);
  }
  void Clear() {
    EnterCriticalSection(&m_cs);
    m_calls.clear();
    m_hook = nullptr;
    LeaveCriticalSection(&m_cs);
  }
  std::atomic<int> inside{0};

 private:
  CRITICAL_SECTION m_cs;
  std::vector<Call> m_calls;
  std::function<void(DWORD_PTR)> m_hook;
};

// A client handle that uses the whole DWORD_PTR (a pointer on x64), and one
// that differs from it only above bit 31 there: the library must keep and
// compare all of it, never a truncated DWORD.
#ifdef _WIN64
constexpr DWORD_PTR kWideClient = 0x123456789ABCDEF0ULL;
constexpr DWORD_PTR kWideClientTwin = 0x923456789ABCDEF0ULL;
#else
constexpr DWORD_PTR kWideClient = 0x9ABCDEF0;
constexpr DWORD_PTR kWideClientTwin = 0x9ABCDEF1;
#endif

inline Recorder& Rec() {
  static Recorder* r = new Recorder;
  return *r;
}

inline void CALLBACK OnEvents(DWORD_PTR client, BOOL refresh, BOOL last, DWORD count, ONEVENTSTRUCT* ev) {
  ++Rec().inside;
  Call c{GetCurrentThreadId(), client, refresh, last, count, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}};
  for (DWORD i = 0; i < count; ++i) {
    c.sources.push_back(ev[i].szSource);
    c.messages.push_back(ev[i].szMessage);
    c.conditions.push_back(ev[i].szConditionName);
    c.actors.push_back(ev[i].szActorID);
    c.categories.push_back(ev[i].dwEventCategory);
    c.severities.push_back(ev[i].dwSeverity);
    c.types.push_back(ev[i].dwEventType);
    c.attributeCounts.push_back(ev[i].dwNumEventAttrs);
    c.attributesNull.push_back(ev[i].pEventAttributes == nullptr);
    c.times.push_back((ULONGLONG(ev[i].ftTime.dwHighDateTime) << 32) | ev[i].ftTime.dwLowDateTime);
    c.changeMasks.push_back(ev[i].wChangeMask);
    c.newStates.push_back(ev[i].wNewState);
    c.ackRequired.push_back(ev[i].bAckRequired != FALSE);
  }
  std::function<void(DWORD_PTR)> hook;
  Rec().Add(c, hook);
  if (hook) hook(client);
  --Rec().inside;
}

inline bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  while (!done()) {
    if (GetTickCount64() > end) return false;
    Sleep(10);
  }
  return true;
}

inline DWORD WINAPI RunFunction(void* fn) {
  (*static_cast<const std::function<void()>*>(fn))();
  return 0;
}

// Runs fn on a new thread and waits for it.
inline void OnOtherThread(const std::function<void()>& fn) {
  HANDLE t = CreateThread(nullptr, 0, &RunFunction, const_cast<std::function<void()>*>(&fn), 0, nullptr);
  WaitForSingleObject(t, INFINITE);
  CloseHandle(t);
}

}  // namespace harness
