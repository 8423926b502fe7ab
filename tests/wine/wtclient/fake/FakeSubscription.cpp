// The fake's subscription: IOPCEventSubscriptionMgt, and (unless the mode
// says otherwise) its connection point for IOPCEventSink.
#include <olectl.h>

#include "tests/wine/wtclient/fake/FakeState.h"

namespace fake {
namespace {

class Subscription final : public IOPCEventSubscriptionMgt, public IConnectionPointContainer, public IConnectionPoint {
 public:
  Subscription(DWORD clientSubscription, bool container) : m_client(clientSubscription), m_container(container) {}

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOPCEventSubscriptionMgt))
      *ppv = static_cast<IOPCEventSubscriptionMgt*>(this);
    else if (m_container && IsEqualIID(riid, IID_IConnectionPointContainer))
      *ppv = static_cast<IConnectionPointContainer*>(this);
    if (!*ppv) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
  STDMETHODIMP_(ULONG) Release() override {
    const ULONG n = --m_refs;
    if (n == 0) delete this;
    return n;
  }

  // IOPCEventSubscriptionMgt: only Refresh matters to the library.
  STDMETHODIMP SetFilter(DWORD, DWORD, DWORD*, DWORD, DWORD, DWORD, LPWSTR*, DWORD, LPWSTR*) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP GetFilter(DWORD*, DWORD*, DWORD**, DWORD*, DWORD*, DWORD*, LPWSTR**, DWORD*, LPWSTR**) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP SelectReturnedAttributes(DWORD, DWORD, DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP GetReturnedAttributes(DWORD, DWORD*, DWORD**) override { return E_NOTIMPL; }
  STDMETHODIMP Refresh(DWORD connection) override {
    if (Get().dead) return kGone;
    Get().refreshCookie = static_cast<LONG>(connection);
    return connection == m_cookie ? S_OK : E_INVALIDARG;
  }
  STDMETHODIMP CancelRefresh(DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP GetState(BOOL*, DWORD*, DWORD*, OPCHANDLE*) override { return E_NOTIMPL; }
  STDMETHODIMP SetState(BOOL*, DWORD*, DWORD*, OPCHANDLE, DWORD*, DWORD*) override { return E_NOTIMPL; }

  // IConnectionPointContainer
  STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
  STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** point) override {
    if (Get().dead) return kGone;
    *point = nullptr;
    if (!IsEqualIID(riid, IID_IOPCEventSink)) return CONNECT_E_NOCONNECTION;
    if (Get().mode == kFakeFindPointNull) return S_OK;
    *point = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
  }

  // IConnectionPoint
  STDMETHODIMP GetConnectionInterface(IID* iid) override {
    *iid = IID_IOPCEventSink;
    return S_OK;
  }
  STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** c) override {
    *c = static_cast<IConnectionPointContainer*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP Advise(IUnknown* unknown, DWORD* cookie) override {
    if (Get().dead) return kGone;
    if (Get().mode == kFakeAdviseFails) return CONNECT_E_CANNOTCONNECT;
    IOPCEventSink* sink = nullptr;
    if (FAILED(unknown->QueryInterface(IID_IOPCEventSink, reinterpret_cast<void**>(&sink)))) return E_NOINTERFACE;
    State& s = Get();
    EnterCriticalSection(&s.cs);
    if (s.sink) s.sink->Release();
    s.sink = sink;
    s.sinkSubscription = m_client;
    LeaveCriticalSection(&s.cs);
    static std::atomic<DWORD> next{0x700};
    m_cookie = ++next;
    s.adviseCookie = static_cast<LONG>(m_cookie);
    *cookie = m_cookie;
    return S_OK;
  }
  STDMETHODIMP Unadvise(DWORD cookie) override {
    // A dead server keeps the sink it holds: nothing in it runs any more.
    if (Get().dead) return kGone;
    if (cookie != m_cookie) return CONNECT_E_NOCONNECTION;
    State& s = Get();
    EnterCriticalSection(&s.cs);
    if (s.sink && s.sinkSubscription == m_client) {
      s.sink->Release();
      s.sink = nullptr;
    }
    LeaveCriticalSection(&s.cs);
    return S_OK;
  }
  STDMETHODIMP EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

 private:
  ~Subscription() = default;
  Counted m_counted;
  std::atomic<ULONG> m_refs{1};
  const DWORD m_client;
  const bool m_container;
  DWORD m_cookie = 0;
};

}  // namespace

IUnknown* CreateSubscription(DWORD clientSubscription) {
  const bool container = Get().mode != kFakeSubscriptionNoContainer;
  return static_cast<IOPCEventSubscriptionMgt*>(new Subscription(clientSubscription, container));
}

}  // namespace fake
