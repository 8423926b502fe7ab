#include "framework/win32/OleControlObject.h"

#include <new>

#include "framework/win32/ComModule.h"
#include "framework/win32/ComObject.h"
#include "framework/win32/ConnectionPoints.h"
#include "framework/win32/ControlWindow.h"
#include "framework/win32/StockFont.h"
#include "framework/win32/VariantConv.h"

namespace {

template <class I>
constexpr auto As = ComCast<OleControlObject, I>;

// The interface map: every interface the control answers, in one place. The
// first is the identity.
const ComMapEntry<OleControlObject> kInterfaceMap[] = {
    {&IID_IDispatch, As<IDispatch>},
    {&IID_IProvideClassInfo, As<IProvideClassInfo2>},
    {&IID_IProvideClassInfo2, As<IProvideClassInfo2>},
    {&IID_IOleObject, As<IOleObject>},
    {&IID_IOleWindow, As<IOleInPlaceObject>},
    {&IID_IOleInPlaceObject, As<IOleInPlaceObject>},
    {&IID_IOleInPlaceActiveObject, As<IOleInPlaceActiveObject>},
    {&IID_IOleControl, As<IOleControl>},
    {&IID_IViewObject, As<IViewObjectEx>},
    {&IID_IViewObject2, As<IViewObjectEx>},
    {&IID_IViewObjectEx, As<IViewObjectEx>},
    {&IID_IPersist, As<IPersistStreamInit>},
    {&IID_IPersistStreamInit, As<IPersistStreamInit>},
    {&IID_IPersistStorage, As<IPersistStorage>},
    {&IID_IPersistPropertyBag, As<IPersistPropertyBag>},
    {&IID_IConnectionPointContainer, As<IConnectionPointContainer>},
    {&IID_ISpecifyPropertyPages, As<ISpecifyPropertyPages>},
};

}  // namespace

HRESULT OleControlObject::Create(const ControlClassInfo& info, IUnknown* outer, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  std::unique_ptr<COleControl> control(info.create ? info.create() : nullptr);
  if (!control) return E_OUTOFMEMORY;
  OleControlObject* obj = new (std::nothrow) OleControlObject(info, std::move(control));
  if (!obj) return E_OUTOFMEMORY;
  HRESULT hr = obj->QueryInterface(riid, ppv);
  obj->Release();
  return hr;
}

OleControlObject::OleControlObject(const ControlClassInfo& info, std::unique_ptr<COleControl> control)
    : m_info(info), m_control(std::move(control)) {
  com_module::ObjectCreated();
  m_cpEvents = MakeConnectionPoint(this, info.eventsIid);
  m_cpPropNotify = MakeConnectionPoint(this, IID_IPropertyNotifySink);
  m_control->SetHost(this);
}

OleControlObject::~OleControlObject() {
  InPlaceDeactivate();
  m_pWindow.reset();
  m_control->SetHost(nullptr);
  m_control.reset();
  if (m_pInPlaceSite) m_pInPlaceSite->Release();
  if (m_pClientSite) m_pClientSite->Release();
  if (m_pOleAdviseHolder) m_pOleAdviseHolder->Release();
  if (m_pViewAdviseSink) m_pViewAdviseSink->Release();
  if (m_pFontSink) {
    m_pFontSink->Disconnect();
    m_pFontSink->Detach();
    m_pFontSink->Release();
  }
  if (m_pFont) m_pFont->Release();
  m_cpEvents.reset();
  m_cpPropNotify.reset();
  com_module::ObjectDestroyed();
}

STDMETHODIMP OleControlObject::QueryInterface(REFIID riid, void** ppv) {
  return QueryMap(this, kInterfaceMap, riid, ppv);
}

STDMETHODIMP_(ULONG) OleControlObject::AddRef() { return InterlockedIncrement(&m_refs); }

STDMETHODIMP_(ULONG) OleControlObject::Release() {
  LONG n = InterlockedDecrement(&m_refs);
  if (n == 0) {
    // Destruction destroys the window, whose messages take and drop
    // references of their own: they must not start a second destruction.
    m_refs = 0x40000000;
    delete this;
  }
  return n;
}

STDMETHODIMP OleControlObject::GetClassInfo(ITypeInfo** info) {
  if (!info) return E_POINTER;
  *info = nullptr;
  ITypeLib* lib = nullptr;
  HRESULT hr = com_module::GetTypeLib(m_info.libid, m_info.libMajor, m_info.libMinor, LOCALE_USER_DEFAULT, &lib);
  if (FAILED(hr)) return hr;
  hr = lib->GetTypeInfoOfGuid(m_info.clsid, info);
  lib->Release();
  return hr;
}

STDMETHODIMP OleControlObject::GetGUID(DWORD kind, GUID* guid) {
  if (!guid) return E_POINTER;
  if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
    *guid = GUID_NULL;
    return E_INVALIDARG;
  }
  *guid = m_info.eventsIid;
  return S_OK;
}

IFont* OleControlObject::FontObject() {
  const FontDesc& desc = m_control->GetFont();
  if (!m_pFont || m_fontOfObject != desc) {
    IFont* font = CreateFontObject(desc);
    if (!font) return m_pFont;
    if (m_pFontSink) m_pFontSink->Disconnect();
    if (m_pFont) m_pFont->Release();
    m_pFont = font;
    m_fontOfObject = desc;
    if (!m_pFontSink) m_pFontSink = new FontChangeSink([this] { OnFontObjectChanged(); });
    m_pFontSink->Connect(m_pFont);
  }
  return m_pFont;
}

// A change made on the font object handed out (Font.Size = 12) is a change of
// the stock property.
void OleControlObject::OnFontObjectChanged() {
  FontDesc desc;
  if (!m_pFont || !DescribeFont(m_pFont, desc) || desc == m_control->GetFont()) return;
  m_fontOfObject = desc;
  m_control->SetFont(desc);
}

HFONT OleControlObject::CurrentHFont() {
  HFONT h = nullptr;
  if (IFont* font = FontObject()) font->get_hFont(&h);
  return h;
}

// Without a window of its own the container's view is told to redraw.
void OleControlObject::InvalidateControl() {
  if (m_pViewAdviseSink) m_pViewAdviseSink->OnViewChange(DVASPECT_CONTENT, -1);
}

std::optional<Value> OleControlObject::GetAmbient(DispId id) {
  if (!m_pClientSite) return std::nullopt;
  IDispatch* ambient = nullptr;
  if (FAILED(m_pClientSite->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&ambient))) || !ambient)
    return std::nullopt;
  VARIANT v;
  VariantInit(&v);
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  HRESULT hr = ambient->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &v, nullptr, nullptr);
  ambient->Release();
  std::optional<Value> result;
  Value val;
  const VType want = id == kDispIdAmbientFont ? VType::Font : VType::Color;
  if (SUCCEEDED(hr) && SUCCEEDED(VariantToValue(v, want, val))) result = val;
  VariantClear(&v);
  return result;
}
