#include "framework/win32/ConnectionPoints.h"

#include <new>
#include <type_traits>

#include "framework/win32/OleControlObject.h"
#include "framework/win32/StockFont.h"
#include "framework/win32/VariantConv.h"

namespace {

// Both enumerators hold the control alive, so the module stays loaded and the
// connection points they hand out stay valid.
template <class Base, class Item>
class Enumerator : public Base {
 public:
  Enumerator(IUnknown* owner, std::vector<Item> items, size_t pos = 0)
      : m_owner(owner), m_items(std::move(items)), m_pos(pos) {
    m_owner->AddRef();
    for (Item& item : m_items) Unknown(item)->AddRef();
  }
  virtual ~Enumerator() {
    for (Item& item : m_items) Unknown(item)->Release();
    m_owner->Release();
  }

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, Iid())) {
      *ppv = static_cast<Base*>(this);
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&m_refs); }
  STDMETHODIMP_(ULONG) Release() override {
    LONG n = InterlockedDecrement(&m_refs);
    if (n == 0) delete this;
    return n;
  }

  STDMETHODIMP Next(ULONG count, Item* out, ULONG* fetched) override {
    if (!out || (count > 1 && !fetched)) return E_POINTER;
    ULONG n = 0;
    while (n < count && m_pos < m_items.size()) {
      out[n] = m_items[m_pos++];
      Unknown(out[n])->AddRef();
      ++n;
    }
    if (fetched) *fetched = n;
    return n == count ? S_OK : S_FALSE;
  }
  STDMETHODIMP Skip(ULONG count) override {
    size_t left = m_items.size() - m_pos;
    if (count > left) {
      m_pos = m_items.size();
      return S_FALSE;
    }
    m_pos += count;
    return S_OK;
  }
  STDMETHODIMP Reset() override {
    m_pos = 0;
    return S_OK;
  }
  STDMETHODIMP Clone(Base** out) override {
    if (!out) return E_POINTER;
    *out = new (std::nothrow) Enumerator(m_owner, m_items, m_pos);
    return *out ? S_OK : E_OUTOFMEMORY;
  }

 private:
  static IUnknown* Unknown(IConnectionPoint* p) { return p; }
  static IUnknown* Unknown(const CONNECTDATA& c) { return c.pUnk; }
  static const IID& Iid() {
    if constexpr (std::is_same_v<Base, IEnumConnections>)
      return IID_IEnumConnections;
    else
      return IID_IEnumConnectionPoints;
  }

  LONG m_refs = 1;
  IUnknown* m_owner;
  std::vector<Item> m_items;
  size_t m_pos;
};

using ConnectionEnumerator = Enumerator<IEnumConnections, CONNECTDATA>;
using PointEnumerator = Enumerator<IEnumConnectionPoints, IConnectionPoint*>;

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
  if (!ppv) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IConnectionPoint)) {
    *ppv = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
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
  *e = new (std::nothrow) ConnectionEnumerator(m_owner->Identity(), std::move(items));
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

// An event argument as the sink sees it. Dates stay VT_DATE and shorts VT_I2.
HRESULT ArgumentToVariant(const Value& v, VARIANT* out) {
  if (v.type != VType::Font) return ValueToVariant(v, out);
  VariantInit(out);
  IFont* font = CreateFontObject(v.font);
  if (!font) return E_OUTOFMEMORY;
  IFontDisp* disp = nullptr;
  HRESULT hr = font->QueryInterface(IID_IFontDisp, reinterpret_cast<void**>(&disp));
  font->Release();
  if (FAILED(hr)) return hr;
  V_VT(out) = VT_DISPATCH;
  V_DISPATCH(out) = disp;
  return S_OK;
}

}  // namespace

STDMETHODIMP OleControlObject::EnumConnectionPoints(IEnumConnectionPoints** e) {
  if (!e) return E_POINTER;
  *e = nullptr;
  std::vector<IConnectionPoint*> points = {&Ensure(m_cpEvents, this, m_info.eventsIid),
                                           &Ensure(m_cpPropNotify, this, IID_IPropertyNotifySink)};
  *e = new (std::nothrow) PointEnumerator(Identity(), std::move(points));
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
        if (FAILED(ArgumentToVariant(args[count - 1 - k], &params[k]))) built = false;
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
