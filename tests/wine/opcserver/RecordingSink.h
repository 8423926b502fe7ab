// The test's IOPCEventSink: free-threaded (it lives in the MTA, calls come on
// RPC threads) and keeps a deep copy of every OnEvent call so tests can wait
// for and inspect what the server sent.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "../common/TestUnknown.h"
#include "opc_ae.h"

struct EventRecord {
  WORD changeMask = 0, newState = 0, quality = 0;
  std::wstring source, message, condition, subcondition, actor;
  bool nullString = false;  // any string member arrived as NULL
  uint64_t time = 0, activeTime = 0;
  DWORD type = 0, category = 0, severity = 0, cookie = 0, attributes = 0;
  BOOL ackRequired = FALSE;
};

struct SinkCall {
  OPCHANDLE handle = 0;
  BOOL refresh = FALSE, lastRefresh = FALSE;
  DWORD count = 0;
  double atMs = 0;  // arrival, NowMs()
  std::vector<EventRecord> events;
};

class RecordingSink : public TestUnknown<IOPCEventSink> {
 public:
  RecordingSink();
  ~RecordingSink() override;

  STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
  STDMETHODIMP OnEvent(OPCHANDLE hClientSubscription, BOOL bRefresh, BOOL bLastRefresh, DWORD dwCount,
                       ONEVENTSTRUCT* pEvents) override;

  std::vector<SinkCall> Calls() const;
  // Records of ordinary (refresh == false) or refresh calls, in arrival order.
  std::vector<EventRecord> Records(bool refresh = false) const;
  size_t RecordCount(bool refresh = false) const;
  // Waits until at least n ordinary records arrived.
  bool WaitRecords(size_t n, DWORD ms) const;
  // Waits for a refresh call with bLastRefresh set.
  bool WaitLastRefresh(DWORD ms) const;
  void Clear();

  // The next call blocks inside OnEvent until Open() (or 15 s), so a test can
  // act while the server is in the middle of a delivery.
  void HoldNextCall();
  // The next `calls` calls are recorded but answered with `hr`, as a client
  // that could not take a batch answers.
  void RefuseNext(int calls, HRESULT hr);
  bool WaitHeld(DWORD ms) const;
  void Open();

 private:
  bool WaitFor(DWORD ms, bool (*done)(const RecordingSink&, size_t), size_t arg) const;

  mutable CRITICAL_SECTION m_lock;
  mutable CONDITION_VARIABLE m_changed;
  std::vector<SinkCall> m_calls;
  bool m_hold = false;
  int m_refuse = 0;
  HRESULT m_refusal = S_OK;
  HANDLE m_held, m_gate;
};
