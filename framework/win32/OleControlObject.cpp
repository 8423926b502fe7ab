#include "framework/win32/OleControlObject.h"

#include <new>

#include "framework/win32/ComModule.h"
#include "framework/win32/StockFont.h"

namespace {

struct InterfaceEntry {
  const IID* iid;
  void* (*cast)(OleControlObject*);
};

template <class I>
void* As(OleControlObject* p) {
  return static_cast<I*>(p);
}

// The interface map: every interface the control answers, in one place.
const InterfaceEntry kInterfaceMap[] = {
    {&IID_IUnknown, [](OleControlObject* p) -> void* { return static_cast<IDispatch*>(p); }},
    {&IID_IDispatch, As<IDispatch>},
    {&IID_IProvideClassInfo, As<IProvideClassInfo2>},
    {&IID_IProvideClassInfo2, As<IProvideClassInfo2>},
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
  m_control->SetHost(this);
}

OleControlObject::~OleControlObject() {
  if (m_pFont) m_pFont->Release();
  m_control.reset();
  com_module::ObjectDestroyed();
}

STDMETHODIMP OleControlObject::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  for (const InterfaceEntry& e : kInterfaceMap) {
    if (IsEqualIID(riid, *e.iid)) {
      *ppv = e.cast(this);
      AddRef();
      return S_OK;
    }
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) OleControlObject::AddRef() { return InterlockedIncrement(&m_refs); }

STDMETHODIMP_(ULONG) OleControlObject::Release() {
  LONG n = InterlockedDecrement(&m_refs);
  if (n == 0) delete this;
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
    if (m_pFont) m_pFont->Release();
    m_pFont = font;
    m_fontOfObject = desc;
  }
  return m_pFont;
}

void OleControlObject::FireEvent(DispId, const std::vector<Value>&) {}
void OleControlObject::OnPropertyChanged(DispId) {}
void OleControlObject::InvalidateControl() {}
std::optional<Value> OleControlObject::GetAmbient(DispId) { return std::nullopt; }
