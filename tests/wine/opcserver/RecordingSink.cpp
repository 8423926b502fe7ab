#include "RecordingSink.h"

#include "OpcTestSupport.h"

namespace {

std::wstring Copy(const wchar_t* s, bool& nullSeen) {
  if (!s) {
    nullSeen = true;
    return {};
  }
  return s;
}

EventRecord CopyRecord(const ONEVENTSTRUCT& e) {
  EventRecord r;
  r.changeMask = e.wChangeMask;
  r.newState = e.wNewState;
  r.quality = e.wQuality;
  r.source = Copy(e.szSource, r.nullString);
  r.message = Copy(e.szMessage, r.nullString);
  r.condition = Copy(e.szConditionName, r.nullString);
  r.subcondition = Copy(e.szSubconditionName, r.nullString);
  r.actor = Copy(e.szActorID, r.nullString);
  r.time = Ft(e.ftTime);
  r.activeTime = Ft(e.ftActiveTime);
  r.type = e.dwEventType;
  r.category = e.dwEventCategory;
  r.severity = e.dwSeverity;
  r.cookie = e.dwCookie;
  r.attributes = e.dwNumEventAttrs;
  r.ackRequired = e.bAckRequired;
  return r;
}

}  // namespace

RecordingSink::RecordingSink() {
  InitializeCriticalSection(&m_lock);
  InitializeConditionVariable(&m_changed);
  m_held = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  m_gate = CreateEventW(nullptr, TRUE, TRUE, nullptr);
}

RecordingSink::~RecordingSink() {
  CloseHandle(m_held);
  CloseHandle(m_gate);
  DeleteCriticalSection(&m_lock);
}

STDMETHODIMP RecordingSink::QueryInterface(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IOPCEventSink) {
    *out = static_cast<IOPCEventSink*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP RecordingSink::OnEvent(OPCHANDLE handle, BOOL refresh, BOOL lastRefresh, DWORD count,
                                    ONEVENTSTRUCT* events) {
  SinkCall call;
  call.handle = handle;
  call.refresh = refresh;
  call.lastRefresh = lastRefresh;
  call.count = count;
  call.atMs = NowMs();
  if (events)
    for (DWORD i = 0; i < count; ++i) call.events.push_back(CopyRecord(events[i]));
  bool hold;
  HRESULT answer = S_OK;
  EnterCriticalSection(&m_lock);
  m_calls.push_back(std::move(call));
  hold = m_hold;
  m_hold = false;
  if (m_refuse > 0) {
    --m_refuse;
    answer = m_refusal;
  }
  if (hold) ResetEvent(m_gate);
  LeaveCriticalSection(&m_lock);
  WakeAllConditionVariable(&m_changed);
  if (hold) {
    SetEvent(m_held);
    WaitForSingleObject(m_gate, 15000);
  }
  return answer;
}

void RecordingSink::RefuseNext(int calls, HRESULT hr) {
  EnterCriticalSection(&m_lock);
  m_refuse = calls;
  m_refusal = hr;
  LeaveCriticalSection(&m_lock);
}

std::vector<SinkCall> RecordingSink::Calls() const {
  EnterCriticalSection(&m_lock);
  std::vector<SinkCall> copy = m_calls;
  LeaveCriticalSection(&m_lock);
  return copy;
}

std::vector<EventRecord> RecordingSink::Records(bool refresh) const {
  std::vector<EventRecord> out;
  for (const SinkCall& c : Calls())
    if ((c.refresh != FALSE) == refresh) out.insert(out.end(), c.events.begin(), c.events.end());
  return out;
}

size_t RecordingSink::RecordCount(bool refresh) const {
  size_t n = 0;
  EnterCriticalSection(&m_lock);
  for (const SinkCall& c : m_calls)
    if ((c.refresh != FALSE) == refresh) n += c.events.size();
  LeaveCriticalSection(&m_lock);
  return n;
}

bool RecordingSink::WaitFor(DWORD ms, bool (*done)(const RecordingSink&, size_t), size_t arg) const {
  const double until = NowMs() + ms;
  EnterCriticalSection(&m_lock);
  bool ok = done(*this, arg);
  while (!ok) {
    const double left = until - NowMs();
    if (left <= 0) break;
    SleepConditionVariableCS(&m_changed, &m_lock, static_cast<DWORD>(left) + 1);
    ok = done(*this, arg);
  }
  LeaveCriticalSection(&m_lock);
  return ok;
}

// Both predicates run under m_lock (the critical section is recursive).
bool RecordingSink::WaitRecords(size_t n, DWORD ms) const {
  return WaitFor(ms, [](const RecordingSink& s, size_t want) { return s.RecordCount(false) >= want; }, n);
}

bool RecordingSink::WaitLastRefresh(DWORD ms) const {
  return WaitFor(
      ms,
      [](const RecordingSink& s, size_t) {
        for (const SinkCall& c : s.m_calls)
          if (c.refresh && c.lastRefresh) return true;
        return false;
      },
      0);
}

void RecordingSink::Clear() {
  EnterCriticalSection(&m_lock);
  m_calls.clear();
  LeaveCriticalSection(&m_lock);
}

void RecordingSink::HoldNextCall() {
  EnterCriticalSection(&m_lock);
  m_hold = true;
  ResetEvent(m_held);
  LeaveCriticalSection(&m_lock);
}

bool RecordingSink::WaitHeld(DWORD ms) const { return WaitForSingleObject(m_held, ms) == WAIT_OBJECT_0; }

void RecordingSink::Open() { SetEvent(m_gate); }
