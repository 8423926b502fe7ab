#include "opcserver/EventServer.h"

#include "framework/win32/ComObject.h"
#include "opcserver/ClientWatch.h"
#include "opcserver/ComCall.h"
#include "opcserver/Log.h"
#include "opcserver/Records.h"
#include "opcserver/ServerProcess.h"
#include "opcserver/Subscription.h"

namespace opcsrv {
namespace {

constexpr WORD kMajorVersion = 1;
constexpr WORD kMinorVersion = 10;
constexpr WORD kBuildNumber = 1;
const wchar_t kVendorInfo[] = L"Velmaric simulated OPC AE server";

}  // namespace

HRESULT EventServer::Create(REFIID riid, void** out) {
  auto* s = new (std::nothrow) EventServer();
  if (!s) return E_OUTOFMEMORY;
  // Called from the client's CreateInstance: its process is the caller.
  ClientWatch::Instance().WatchCaller(s->m_session);
  const HRESULT hr = s->QueryInterface(riid, out);
  s->Release();
  return hr;
}

EventServer::EventServer() : m_session(std::make_shared<ClientSession>()) {
  m_session->Add(this);
  // Last: a constructor that throws runs no destructor to release it.
  AddRefServerProcess();
}

EventServer::~EventServer() {
  m_session->Remove(this);
  ReleaseServerProcess();
}

ULONG EventServer::Release() {
  const ULONG n = m_ref.Down();
  if (n == 0) delete this;
  return n;
}

HRESULT EventServer::QueryInterface(REFIID riid, void** out) {
  return QueryInterfaces<IOPCEventServer, IOPCCommon>(this, riid, out);
}

void EventServer::DisconnectClient() { CoDisconnectObject(static_cast<IOPCEventServer*>(this), 0); }

HRESULT EventServer::GetStatus(OPCEVENTSERVERSTATUS** ppEventServerStatus) try {
  if (!ppEventServerStatus) return E_INVALIDARG;
  *ppEventServerStatus = nullptr;
  // Whatever may throw comes before the first allocation for the caller.
  const FILETIME started = ToFileTime(Hub().StartTime()), lastUpdate = ToFileTime(Hub().LastUpdate());
  const std::wstring vendor = kVendorInfo;
  auto* st = CoTaskArray<OPCEVENTSERVERSTATUS>(1);
  if (!st) return E_OUTOFMEMORY;
  st->szVendorInfo = CoTaskString(vendor);
  if (!st->szVendorInfo) {
    CoTaskMemFree(st);
    return E_OUTOFMEMORY;
  }
  st->ftStartTime = started;
  st->ftCurrentTime = ToFileTime(NowFileTime());
  st->ftLastUpdateTime = lastUpdate;
  st->dwServerState = OPCAE_STATUS_RUNNING;
  st->wMajorVersion = kMajorVersion;
  st->wMinorVersion = kMinorVersion;
  st->wBuildNumber = kBuildNumber;
  *ppEventServerStatus = st;
  return S_OK;
} catch (...) {
  return CaughtResult("GetStatus");
}

HRESULT EventServer::CreateEventSubscription(BOOL bActive, DWORD dwBufferTime, DWORD dwMaxSize,
                                             OPCHANDLE hClientSubscription, REFIID riid, LPUNKNOWN* ppUnk,
                                             DWORD* pdwRevisedBufferTime, DWORD* pdwRevisedMaxSize) try {
  if (!ppUnk || !pdwRevisedBufferTime || !pdwRevisedMaxSize) return E_INVALIDARG;
  *ppUnk = nullptr;
  if (riid != IID_IUnknown && riid != IID_IOPCEventSubscriptionMgt && riid != IID_IConnectionPointContainer)
    return E_NOINTERFACE;
  if (Hub().Scripted(wtsim::Call::Subscribe)) {
    Log("CreateEventSubscription fails (scripted)");
    return E_FAIL;
  }
  SubscriptionState st;
  st.active = bActive != FALSE;
  st.bufferTimeMs = dwBufferTime;
  st.maxSize = dwMaxSize;
  st.clientHandle = hClientSubscription;
  ClientWatch::Instance().WatchCaller(m_session);  // in case the activation could not tell
  const HRESULT hr = Subscription::Create(m_session, st, riid, reinterpret_cast<void**>(ppUnk));
  if (FAILED(hr)) return hr;
  *pdwRevisedBufferTime = dwBufferTime;
  *pdwRevisedMaxSize = dwMaxSize;
  Log("subscription for client handle 0x%lx: active %d, buffer %lu ms, max size %lu",
      static_cast<unsigned long>(hClientSubscription), bActive ? 1 : 0, static_cast<unsigned long>(dwBufferTime),
      static_cast<unsigned long>(dwMaxSize));
  return S_OK;
} catch (...) {
  return CaughtResult("CreateEventSubscription");
}

HRESULT EventServer::QueryAvailableFilters(DWORD* pdwFilterMask) {
  if (!pdwFilterMask) return E_INVALIDARG;
  *pdwFilterMask =
      OPC_FILTER_BY_EVENT | OPC_FILTER_BY_CATEGORY | OPC_FILTER_BY_SEVERITY | OPC_FILTER_BY_AREA | OPC_FILTER_BY_SOURCE;
  return S_OK;
}

HRESULT EventServer::QueryEventCategories(DWORD dwEventType, DWORD* pdwCount, DWORD** ppdwEventCategories,
                                          LPWSTR** ppszEventCategoryDescs) try {
  if (!pdwCount || !ppdwEventCategories || !ppszEventCategoryDescs) return E_INVALIDARG;
  *pdwCount = 0;
  *ppdwEventCategories = nullptr;
  *ppszEventCategoryDescs = nullptr;
  if ((dwEventType & OPC_ALL_EVENTS) == 0) return E_INVALIDARG;
  if (Hub().Scripted(wtsim::Call::Query)) {
    Log("QueryEventCategories fails (scripted)");
    return E_FAIL;
  }
  std::vector<DWORD> ids;
  std::vector<String> names;
  for (const wtsim::Category& c : Hub().Categories())
    if (c.eventType & dwEventType) {
      ids.push_back(c.id);
      names.push_back(c.name);
    }
  if (ids.empty()) return S_OK;
  auto* idArray = CoTaskArray<DWORD>(ids.size());
  LPWSTR* nameArray = nullptr;
  if (!idArray || !CoTaskStrings(names, &nameArray)) {
    CoTaskMemFree(idArray);
    return E_OUTOFMEMORY;
  }
  for (size_t i = 0; i < ids.size(); ++i) idArray[i] = ids[i];
  *pdwCount = static_cast<DWORD>(ids.size());
  *ppdwEventCategories = idArray;
  *ppszEventCategoryDescs = nameArray;
  return S_OK;
} catch (...) {
  return CaughtResult("QueryEventCategories");
}

// The plant's notifications carry no vendor attributes.
HRESULT EventServer::QueryEventAttributes(DWORD dwEventCategory, DWORD* pdwCount, DWORD** ppdwAttrIDs,
                                          LPWSTR** ppszAttrDescs, VARTYPE** ppvtAttrTypes) try {
  if (!pdwCount || !ppdwAttrIDs || !ppszAttrDescs || !ppvtAttrTypes) return E_INVALIDARG;
  *pdwCount = 0;
  *ppdwAttrIDs = nullptr;
  *ppszAttrDescs = nullptr;
  *ppvtAttrTypes = nullptr;
  return Hub().Catalog().HasCategory(dwEventCategory) ? S_OK : E_INVALIDARG;
} catch (...) {
  return CaughtResult("QueryEventAttributes");
}

// Not offered, whatever the arguments: E_NOTIMPL is the standard's answer of
// a server without the feature. These take no memory, so no count matters.
HRESULT EventServer::TranslateToItemIDs(LPWSTR, DWORD, LPWSTR, LPWSTR, DWORD, DWORD*, LPWSTR** ppszAttrItemIDs,
                                        LPWSTR** ppszNodeNames, CLSID** ppCLSIDs) {
  if (ppszAttrItemIDs) *ppszAttrItemIDs = nullptr;
  if (ppszNodeNames) *ppszNodeNames = nullptr;
  if (ppCLSIDs) *ppCLSIDs = nullptr;
  return E_NOTIMPL;
}

// Conditions cannot be enabled or disabled: likewise E_NOTIMPL.
HRESULT EventServer::EnableConditionByArea(DWORD, LPWSTR*) { return E_NOTIMPL; }
HRESULT EventServer::EnableConditionBySource(DWORD, LPWSTR*) { return E_NOTIMPL; }
HRESULT EventServer::DisableConditionByArea(DWORD, LPWSTR*) { return E_NOTIMPL; }
HRESULT EventServer::DisableConditionBySource(DWORD, LPWSTR*) { return E_NOTIMPL; }

HRESULT EventServer::CreateAreaBrowser(REFIID, LPUNKNOWN* ppUnk) {
  if (ppUnk) *ppUnk = nullptr;
  return E_NOTIMPL;
}

}  // namespace opcsrv
