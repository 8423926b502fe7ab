#include "opcserver/Subscription.h"

#include <olectl.h>

#include <atomic>

#include "framework/win32/ComObject.h"
#include "opc/TransportFailure.h"
#include "opcserver/ComCall.h"
#include "opcserver/Log.h"
#include "opcserver/Records.h"
#include "opcserver/ServerProcess.h"
#include "opcserver/core/RequestLimits.h"

namespace opcsrv {
namespace {

std::atomic<DWORD> g_nextCookie{0x1000};

// The client's sink, released when the last sink call using it is over.
struct SinkHolder {
  explicit SinkHolder(IOPCEventSink* s) : sink(s) {}
  ~SinkHolder() { sink->Release(); }
  IOPCEventSink* sink;
  opc::FailureCount failures;  // the delivery thread's
};

// Takes over the reference on sink, also when it throws.
std::shared_ptr<SinkFn> MakeSinkFn(IOPCEventSink* sink) {
  std::shared_ptr<SinkHolder> holder;
  try {
    holder = std::make_shared<SinkHolder>(sink);
  } catch (...) {
    sink->Release();
    throw;
  }
  return std::make_shared<SinkFn>(
      [holder](uint32_t handle, bool refresh, bool last, const wtsim::Batch& batch) {
        EventRecords records(batch);
        const HRESULT hr = holder->sink->OnEvent(handle, refresh ? TRUE : FALSE, last ? TRUE : FALSE,
                                                 records.Count(), records.Data());
        if (FAILED(hr)) {
          // A client that refused one batch (it could not take it) is still
          // there; one whose calls no longer arrive is not.
          const bool gone = holder->failures.Failed(hr);
          Log("OnEvent to client handle 0x%lx failed: 0x%08lx%s", static_cast<unsigned long>(handle),
              static_cast<unsigned long>(hr), gone ? "; the client is given up" : "; the batch is lost for it");
          return !gone;
        }
        holder->failures.Succeeded();
        Hub().NoteSent();
        return true;
      });
}

}  // namespace

HRESULT Subscription::Create(const std::shared_ptr<ClientSession>& session, const SubscriptionState& state,
                             REFIID riid, void** out) {
  auto* s = new (std::nothrow) Subscription(session, state);
  if (!s) return E_OUTOFMEMORY;
  HRESULT hr = E_OUTOFMEMORY;
  try {
    if (s->m_delivery->Start()) {
      Hub().Attach(s->m_delivery);
      hr = s->QueryInterface(riid, out);
    }
  } catch (...) {
    s->Release();
    throw;
  }
  s->Release();
  return hr;
}

Subscription::Subscription(const std::shared_ptr<ClientSession>& session, const SubscriptionState& state)
    : m_session(session), m_point(*this) {
  Delivery::Hooks hooks = MtaThreadHooks();
  std::weak_ptr<ClientSession> weak = session;
  hooks.sinkFailed = [weak] {
    if (std::shared_ptr<ClientSession> s = weak.lock()) s->DisconnectAll();
  };
  m_delivery = std::make_shared<Delivery>(state, std::move(hooks));
  m_session->Add(this);
  // Last: a constructor that throws runs no destructor to release it.
  AddRefServerProcess();
}

Subscription::~Subscription() {
  m_session->Remove(this);
  Hub().Detach(m_delivery.get());
  m_delivery->Stop();
  ReleaseServerProcess();
}

ULONG Subscription::Release() {
  const ULONG n = m_ref.Down();
  if (n == 0) delete this;
  return n;
}

HRESULT Subscription::QueryInterface(REFIID riid, void** out) {
  return QueryInterfaces<IOPCEventSubscriptionMgt, IConnectionPointContainer>(this, riid, out);
}

bool Subscription::CategoryKnown(DWORD category) const {
  for (const wtsim::Category& c : Hub().Categories())
    if (c.id == category) return true;
  return false;
}

HRESULT Subscription::SetFilter(DWORD dwEventType, DWORD dwNumCategories, DWORD* pdwEventCategories,
                                DWORD dwLowSeverity, DWORD dwHighSeverity, DWORD dwNumAreas, LPWSTR* pszAreaList,
                                DWORD dwNumSources, LPWSTR* pszSourceList) try {
  if ((dwNumCategories && !pdwEventCategories) || (dwNumAreas && !pszAreaList) || (dwNumSources && !pszSourceList))
    return E_INVALIDARG;
  if (!CountAllowed(ClientList::FilterCategories, dwNumCategories) ||
      !CountAllowed(ClientList::FilterAreas, dwNumAreas) || !CountAllowed(ClientList::FilterSources, dwNumSources))
    return E_INVALIDARG;
  EventFilter f;
  f.eventTypes = dwEventType;
  f.categories.assign(pdwEventCategories, pdwEventCategories + dwNumCategories);
  f.lowSeverity = dwLowSeverity;
  f.highSeverity = dwHighSeverity;
  for (DWORD i = 0; i < dwNumAreas; ++i) {
    if (!pszAreaList[i]) return E_INVALIDARG;
    f.areas.push_back(FromWide(pszAreaList[i]));
  }
  for (DWORD i = 0; i < dwNumSources; ++i) {
    if (!pszSourceList[i]) return E_INVALIDARG;
    f.sources.push_back(FromWide(pszSourceList[i]));
  }
  if (Validate(f, Hub().Categories()) != FilterError::None) return E_INVALIDARG;
  m_delivery->SetFilter(f);
  return S_OK;
} catch (...) {
  return CaughtResult("SetFilter");
}

HRESULT Subscription::GetFilter(DWORD* pdwEventType, DWORD* pdwNumCategories, DWORD** ppdwEventCategories,
                                DWORD* pdwLowSeverity, DWORD* pdwHighSeverity, DWORD* pdwNumAreas,
                                LPWSTR** ppszAreaList, DWORD* pdwNumSources, LPWSTR** ppszSourceList) try {
  if (!pdwEventType || !pdwNumCategories || !ppdwEventCategories || !pdwLowSeverity || !pdwHighSeverity ||
      !pdwNumAreas || !ppszAreaList || !pdwNumSources || !ppszSourceList)
    return E_INVALIDARG;
  const EventFilter f = m_delivery->Filter();
  DWORD* categories = nullptr;
  if (!f.categories.empty()) {
    categories = CoTaskArray<DWORD>(f.categories.size());
    if (!categories) return E_OUTOFMEMORY;
    for (size_t i = 0; i < f.categories.size(); ++i) categories[i] = f.categories[i];
  }
  LPWSTR* areas = nullptr;
  LPWSTR* sources = nullptr;
  if (!CoTaskStrings(f.areas, &areas) || !CoTaskStrings(f.sources, &sources)) {
    CoTaskMemFree(categories);
    FreeCoTaskStrings(areas, f.areas.size());
    return E_OUTOFMEMORY;
  }
  *pdwEventType = f.eventTypes;
  *pdwNumCategories = static_cast<DWORD>(f.categories.size());
  *ppdwEventCategories = categories;
  *pdwLowSeverity = f.lowSeverity;
  *pdwHighSeverity = f.highSeverity;
  *pdwNumAreas = static_cast<DWORD>(f.areas.size());
  *ppszAreaList = areas;
  *pdwNumSources = static_cast<DWORD>(f.sources.size());
  *ppszSourceList = sources;
  return S_OK;
} catch (...) {
  return CaughtResult("GetFilter");
}

// The plant's notifications carry no attributes: none can be selected.
HRESULT Subscription::SelectReturnedAttributes(DWORD dwEventCategory, DWORD dwCount, DWORD* dwAttributeIDs) try {
  if (!CountAllowed(ClientList::AttributeIds, dwCount) || !CategoryKnown(dwEventCategory) ||
      (dwCount && !dwAttributeIDs))
    return E_INVALIDARG;
  return dwCount == 0 ? S_OK : E_INVALIDARG;
} catch (...) {
  return CaughtResult("SelectReturnedAttributes");
}

HRESULT Subscription::GetReturnedAttributes(DWORD dwEventCategory, DWORD* pdwCount, DWORD** ppdwAttributeIDs) try {
  if (!pdwCount || !ppdwAttributeIDs) return E_INVALIDARG;
  *pdwCount = 0;
  *ppdwAttributeIDs = nullptr;
  return CategoryKnown(dwEventCategory) ? S_OK : E_INVALIDARG;
} catch (...) {
  return CaughtResult("GetReturnedAttributes");
}

HRESULT Subscription::Refresh(DWORD dwConnection) try {
  {
    std::lock_guard<std::mutex> lock(m_adviseMutex);
    if (m_cookie == 0 || dwConnection != m_cookie) return E_INVALIDARG;
  }
  if (Hub().Scripted(wtsim::Call::Refresh)) {
    Log("Refresh fails (scripted)");
    return E_FAIL;
  }
  switch (m_delivery->StartRefresh(Hub().Snapshot())) {
    case Delivery::RefreshError::None: return S_OK;
    case Delivery::RefreshError::Busy: return OPC_E_BUSY;
    default: return E_INVALIDARG;  // unadvised meanwhile
  }
} catch (...) {
  return CaughtResult("Refresh");
}

HRESULT Subscription::CancelRefresh(DWORD dwConnection) try {
  {
    std::lock_guard<std::mutex> lock(m_adviseMutex);
    if (m_cookie == 0 || dwConnection != m_cookie) return E_INVALIDARG;
  }
  return m_delivery->CancelRefresh() == Delivery::RefreshError::None ? S_OK : E_INVALIDARG;
} catch (...) {
  return CaughtResult("CancelRefresh");
}

HRESULT Subscription::GetState(BOOL* pbActive, DWORD* pdwBufferTime, DWORD* pdwMaxSize,
                               OPCHANDLE* phClientSubscription) try {
  if (!pbActive || !pdwBufferTime || !pdwMaxSize || !phClientSubscription) return E_INVALIDARG;
  const SubscriptionState s = m_delivery->State();
  *pbActive = s.active ? TRUE : FALSE;
  *pdwBufferTime = s.bufferTimeMs;
  *pdwMaxSize = s.maxSize;
  *phClientSubscription = s.clientHandle;
  return S_OK;
} catch (...) {
  return CaughtResult("GetState");
}

HRESULT Subscription::SetState(BOOL* pbActive, DWORD* pdwBufferTime, DWORD* pdwMaxSize,
                               OPCHANDLE hClientSubscription, DWORD* pdwRevisedBufferTime,
                               DWORD* pdwRevisedMaxSize) try {
  if (!pdwRevisedBufferTime || !pdwRevisedMaxSize) return E_INVALIDARG;
  SubscriptionState s = m_delivery->State();
  if (pbActive) s.active = *pbActive != FALSE;
  if (pdwBufferTime) s.bufferTimeMs = *pdwBufferTime;
  if (pdwMaxSize) s.maxSize = *pdwMaxSize;
  s.clientHandle = hClientSubscription;
  m_delivery->SetState(s);
  *pdwRevisedBufferTime = s.bufferTimeMs;
  *pdwRevisedMaxSize = s.maxSize;
  return S_OK;
} catch (...) {
  return CaughtResult("SetState");
}

HRESULT Subscription::EnumConnectionPoints(IEnumConnectionPoints** out) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}

HRESULT Subscription::FindConnectionPoint(REFIID riid, IConnectionPoint** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (riid != IID_IOPCEventSink) return CONNECT_E_NOCONNECTION;
  *out = &m_point;
  m_point.AddRef();
  return S_OK;
}

HRESULT Subscription::AdviseSink(IUnknown* unk, DWORD* cookie) {
  std::lock_guard<std::mutex> lock(m_adviseMutex);
  if (m_cookie != 0) return CONNECT_E_ADVISELIMIT;
  IOPCEventSink* sink = nullptr;
  if (FAILED(unk->QueryInterface(IID_IOPCEventSink, reinterpret_cast<void**>(&sink))) || !sink)
    return CONNECT_E_CANNOTCONNECT;
  m_delivery->SetSink(MakeSinkFn(sink));
  try {
    Hub().StartClock();
  } catch (...) {
    // Not advised after all: no sink stays without a cookie to remove it.
    m_delivery->SetSink(nullptr);
    throw;
  }
  m_cookie = ++g_nextCookie;
  *cookie = m_cookie;
  return S_OK;
}

HRESULT Subscription::UnadviseSink(DWORD cookie) {
  // Scripted before the check: the hang is of the client's disconnect.
  if (Hub().Scripted(wtsim::Call::Disconnect)) Log("Unadvise: scripted failure ignored");
  {
    std::lock_guard<std::mutex> lock(m_adviseMutex);
    if (m_cookie == 0 || cookie != m_cookie) return CONNECT_E_NOCONNECTION;
    m_cookie = 0;
  }
  m_delivery->SetSink(nullptr);
  return S_OK;
}

void Subscription::DisconnectClient() {
  {
    std::lock_guard<std::mutex> lock(m_adviseMutex);
    m_cookie = 0;
  }
  m_delivery->SetSink(nullptr);
  CoDisconnectObject(static_cast<IConnectionPoint*>(&m_point), 0);
  CoDisconnectObject(static_cast<IOPCEventSubscriptionMgt*>(this), 0);
}

}  // namespace opcsrv
