#include "framework/win32/ConnectionPoints.h"

#include <new>

#include "framework/win32/ComEnumerator.h"
#include "framework/win32/OleControlObject.h"
#include "framework/win32/VariantConv.h"

namespace {

using ConnectionEnumerator = ComEnumerator<IEnumConnections, CONNECTDATA, CopyConnectData>;
using PointEnumerator = ComEnumerator<IEnumConnectionPoints, IConnectionPoint*, CopyInterface<IConnectionPoint>>;

}  // namespace

// ---------------------------------------------------------------- ConnectionPoint

ConnectionPoint::ConnectionPoint(OleControlObject* owner, REFIID iid)
    : m_owner(owner), m_iid(iid), m_acceptDispatch(!IsEqualIID(iid, IID_IPropertyNotifySink)) {}

ConnectionPoint::~ConnectionPoint() {
  std::vector<Connection> left;
  left.swap(m_connections);
  for (Connection& c : left) c.sink->Release();
}

STDMETHODIMP ConnectionPoint::QueryInterface(REFIID riid, void** ppv) {
  return QueryInterfaces<IConnectionPoint>(this, riid, ppv);
}

STDMETHODIMP_(ULONG) ConnectionPoint::AddRef() { return m_owner->Identity()->AddRef(); }
STDMETHODIMP_(ULONG) ConnectionPoint::Release() { return m_owner->Identity()->Release(); }

STDMETHODIMP ConnectionPoint::GetConnectionInterface(IID* iid) {
  if (!iid) return E_POINTER;
  *iid = m_iid;
  return S_OK;
}

STDMETHODIMP ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** cpc) {
  if (!cpc) return E_POINTER;
  *cpc = static_cast<IConnectionPointContainer*>(m_owner);
  (*cpc)->AddRef();
  return S_OK;
}

STDMETHODIMP ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (cookie) *cookie = 0;
  if (!sink || !cookie) return E_POINTER;
  IUnknown* p = nullptr;
  HRESULT hr = sink->QueryInterface(m_iid, reinterpret_cast<void**>(&p));
  // Script hosts and generic containers sink events with a plain IDispatch.
  if ((FAILED(hr) || !p) && m_acceptDispatch)
    hr = sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&p));
  if (FAILED(hr) || !p) return CONNECT_E_CANNOTCONNECT;
  try {
    m_connections.push_back({m_nextCookie, p});
  } catch (const std::bad_alloc&) {
    p->Release();
    return E_OUTOFMEMORY;
  }
  *cookie = m_nextCookie++;
  if (m_nextCookie == 0) m_nextCookie = 1;
  return S_OK;
}

STDMETHODIMP ConnectionPoint::Unadvise(DWORD cookie) {
  for (auto it = m_connections.begin(); it != m_connections.end(); ++it) {
    if (it->cookie == cookie) {
      IUnknown* sink = it->sink;
      m_connections.erase(it);
      // Last: the sink's release may call back into us.
      sink->Release();
      return S_OK;
    }
  }
  return CONNECT_E_NOCONNECTION;
}

STDMETHODIMP ConnectionPoint::EnumConnections(IEnumConnections** e) {
  if (!e) return E_POINTER;
  std::vector<CONNECTDATA> items;
  for (const Connection& c : m_connections) items.push_back({c.sink, c.cookie});
  *e = new (std::nothrow) ConnectionEnumerator(m_owner->Identity(), items.data(), items.size());
  return *e ? S_OK : E_OUTOFMEMORY;
}

std::vector<ConnectionPoint::Connection> ConnectionPoint::Snapshot() const {
  std::vector<Connection> copy = m_connections;
  for (Connection& c : copy) c.sink->AddRef();
  return copy;
}

bool ConnectionPoint::IsAdvised(DWORD cookie) const {
  for (const Connection& c : m_connections)
    if (c.cookie == cookie) return true;
  return false;
}

std::unique_ptr<ConnectionPoint> MakeConnectionPoint(OleControlObject* owner, REFIID iid) {
  return std::unique_ptr<ConnectionPoint>(new ConnectionPoint(owner, iid));
}

// ---------------------------------------------------------------- the container

namespace {

// Connection points come into being on first use unless the control made them.
ConnectionPoint& Ensure(std::unique_ptr<ConnectionPoint>& cp, OleControlObject* owner, REFIID iid) {
  if (!cp) cp = MakeConnectionPoint(owner, iid);
  return *cp;
}

}  // namespace

STDMETHODIMP OleControlObject::EnumConnectionPoints(IEnumConnectionPoints** e) {
  if (!e) return E_POINTER;
  *e = nullptr;
  std::vector<IConnectionPoint*> points = {&Ensure(m_cpEvents, this, m_info.eventsIid),
                                           &Ensure(m_cpPropNotify, this, IID_IPropertyNotifySink)};
  *e = new (std::nothrow) PointEnumerator(Identity(), points.data(), points.size());
  return *e ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP OleControlObject::FindConnectionPoint(REFIID iid, IConnectionPoint** cp) {
  if (!cp) return E_POINTER;
  *cp = nullptr;
  if (IsEqualIID(iid, m_info.eventsIid))
    *cp = &Ensure(m_cpEvents, this, m_info.eventsIid);
  else if (IsEqualIID(iid, IID_IPropertyNotifySink))
    *cp = &Ensure(m_cpPropNotify, this, IID_IPropertyNotifySink);
  else
    return CONNECT_E_NOCONNECTION;
  (*cp)->AddRef();
  return S_OK;
}

void OleControlObject::FireEvent(DispId id, const std::vector<Value>& args) {
  if (m_nFreezeEvents > 0 || !m_cpEvents) return;
  std::vector<ConnectionPoint::Connection> sinks = m_cpEvents->Snapshot();
  if (sinks.empty()) return;
  // A handler may drop the container's last reference to us.
  IUnknown* self = Identity();
  self->AddRef();
  const UINT count = static_cast<UINT>(args.size());
  std::vector<VARIANT> params(count);
  for (ConnectionPoint::Connection& c : sinks) {
    // A sink unadvised by an earlier handler of this event is not called.
    if (m_cpEvents->IsAdvised(c.cookie)) {
      // Fresh arguments for every sink: one that alters or frees its
      // arguments must not hand the next sink garbage. DISPPARAMS keeps them
      // last to first.
      bool built = true;
      for (UINT k = 0; k < count; ++k)
        if (FAILED(ValueToVariant(args[count - 1 - k], &params[k]))) built = false;
      if (built) {
        DISPPARAMS dp = {params.data(), nullptr, count, 0};
        VARIANT result;
        VariantInit(&result);
        EXCEPINFO excep = {};
        UINT argErr = 0;
        // The sink's result is its own affair: one that fails does not stop the others.
        static_cast<IDispatch*>(c.sink)->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &dp, &result,
                                                &excep, &argErr);
        VariantClear(&result);
        SysFreeString(excep.bstrSource);
        SysFreeString(excep.bstrDescription);
        SysFreeString(excep.bstrHelpFile);
      }
      for (VARIANT& v : params) VariantClear(&v);
    }
    c.sink->Release();
  }
  self->Release();
}

void OleControlObject::OnPropertyChanged(DispId id) {
  if (!m_cpPropNotify) return;
  std::vector<ConnectionPoint::Connection> sinks = m_cpPropNotify->Snapshot();
  if (sinks.empty()) return;
  IUnknown* self = Identity();
  self->AddRef();
  for (ConnectionPoint::Connection& c : sinks) {
    if (m_cpPropNotify->IsAdvised(c.cookie)) static_cast<IPropertyNotifySink*>(c.sink)->OnChanged(id);
    c.sink->Release();
  }
  self->Release();
}
