#include "wtclient/client/EventSink.h"

#include <vector>

#include "wtclient/Registry.h"
#include "wtclient/WTclient.h"

namespace wtclient {
namespace {

wchar_t g_empty[1] = {0};

LPWSTR OrEmpty(LPWSTR s) { return s ? s : g_empty; }

}  // namespace

EventSink::EventSink(std::shared_ptr<DeliveryGate> gate, OPCHANDLE serverHandle, DWORD_PTR clientHandle)
    : m_gate(std::move(gate)), m_serverHandle(serverHandle), m_clientHandle(clientHandle) {}

STDMETHODIMP EventSink::OnEvent(OPCHANDLE hClientSubscription, BOOL bRefresh, BOOL bLastRefresh, DWORD dwCount,
                                ONEVENTSTRUCT* pEvents) {
  // A batch we cannot pass on is dropped and counted, and the call still
  // succeeds: a server may take any failure for a dead client and stop
  // delivering for good, which would lose every later alarm too.
  // The control takes its client handle for a pointer: only the handle we
  // gave this subscription's server lets a call through.
  if (dwCount > kMaxRecords || (dwCount > 0 && !pEvents) || hClientSubscription != m_serverHandle) {
    m_gate->Dropped(dwCount);
    return S_OK;
  }
  // Our copy: the callback never sees a null string, nor attributes whose
  // count and array disagree.
  std::vector<ONEVENTSTRUCT> records;
  try {
    records.assign(pEvents, pEvents + dwCount);
  } catch (...) {
    m_gate->Dropped(dwCount);
    return S_OK;
  }
  for (ONEVENTSTRUCT& r : records) {
    r.szSource = OrEmpty(r.szSource);
    r.szMessage = OrEmpty(r.szMessage);
    r.szConditionName = OrEmpty(r.szConditionName);
    r.szSubconditionName = OrEmpty(r.szSubconditionName);
    r.szActorID = OrEmpty(r.szActorID);
    if (r.dwNumEventAttrs > kMaxAttributes || (r.dwNumEventAttrs > 0) != (r.pEventAttributes != nullptr)) {
      r.dwNumEventAttrs = 0;
      r.pEventAttributes = nullptr;
    }
  }
  PFN_ExtendedAECallback cb = Registry::Get().Callback();
  if (!cb || !m_gate->Enter()) return S_OK;
  const LONGLONG begin = m_gate->Begin();
  cb(m_clientHandle, bRefresh, bLastRefresh, dwCount, records.empty() ? nullptr : records.data());
  m_gate->Leave(begin, dwCount);
  return S_OK;
}

}  // namespace wtclient
