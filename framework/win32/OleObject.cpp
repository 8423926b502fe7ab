// IOleObject: client site, host names, extent, verbs, advise sinks, status.
#include <new>

#include "framework/win32/ComEnumerator.h"
#include "framework/win32/ComModule.h"
#include "framework/win32/ControlWindow.h"
#include "framework/win32/OleControlObject.h"
#include "framework/win32/WinString.h"

namespace {

// The two standard verbs: Edit (activates in place) and Properties.
enum : LONG { kVerbEdit = OLEIVERB_PRIMARY, kVerbProperties = 1 };
const OLEVERB kVerbs[] = {
    {kVerbEdit, const_cast<LPOLESTR>(L"&Edit"), MF_STRING | MF_ENABLED, OLEVERBATTRIB_ONCONTAINERMENU},
    {kVerbProperties, const_cast<LPOLESTR>(L"&Properties..."), MF_STRING | MF_ENABLED,
     OLEVERBATTRIB_ONCONTAINERMENU},
};
constexpr ULONG kVerbCount = sizeof kVerbs / sizeof kVerbs[0];

using VerbEnumerator = ComEnumerator<IEnumOLEVERB, OLEVERB, CopyOleVerb>;

}  // namespace

STDMETHODIMP OleControlObject::SetClientSite(IOleClientSite* site) {
  if (site) site->AddRef();
  if (m_pClientSite) m_pClientSite->Release();
  m_pClientSite = site;
  ISimpleFrameSite* frame = nullptr;
  if (site) site->QueryInterface(IID_ISimpleFrameSite, reinterpret_cast<void**>(&frame));
  if (!m_pWindow) m_pWindow.reset(new ControlWindow(*this));
  m_pWindow->SetSimpleFrameSite(frame);
  if (frame) frame->Release();
  return S_OK;
}

STDMETHODIMP OleControlObject::GetClientSite(IOleClientSite** site) {
  if (!site) return E_POINTER;
  *site = m_pClientSite;
  if (m_pClientSite) m_pClientSite->AddRef();
  return S_OK;
}

STDMETHODIMP OleControlObject::SetHostNames(LPCOLESTR, LPCOLESTR) { return S_OK; }

STDMETHODIMP OleControlObject::Close(DWORD saveOption) {
  InPlaceDeactivate();
  if (m_pClientSite && m_control->IsModified() &&
      (saveOption == OLECLOSE_SAVEIFDIRTY || saveOption == OLECLOSE_PROMPTSAVE))
    m_pClientSite->SaveObject();
  if (m_pOleAdviseHolder) m_pOleAdviseHolder->SendOnClose();
  return S_OK;
}

STDMETHODIMP OleControlObject::SetMoniker(DWORD, IMoniker*) { return E_NOTIMPL; }
STDMETHODIMP OleControlObject::GetMoniker(DWORD, DWORD, IMoniker** mk) {
  if (mk) *mk = nullptr;
  return E_NOTIMPL;
}
STDMETHODIMP OleControlObject::InitFromData(IDataObject*, BOOL, DWORD) { return E_NOTIMPL; }
STDMETHODIMP OleControlObject::GetClipboardData(DWORD, IDataObject** data) {
  if (data) *data = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP OleControlObject::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT) {
  switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
    case OLEIVERB_UIACTIVATE:
      return ActivateInPlace(site, verb != OLEIVERB_INPLACEACTIVATE);
    case OLEIVERB_HIDE:
      if (m_pWindow && m_pWindow->Handle()) ShowWindow(m_pWindow->Handle(), SW_HIDE);
      return S_OK;
    case kVerbProperties:
    case OLEIVERB_PROPERTIES:
      return ShowPropertyFrame(parent);
    default:
      return verb < 0 ? E_NOTIMPL : OLEOBJ_S_INVALIDVERB;
  }
}

HRESULT OleControlObject::ShowPropertyFrame(HWND parent) {
  if (!parent && m_pWindow) parent = m_pWindow->Handle();
  IUnknown* self = Identity();
  String caption = FromW(L"VelmaricAE Control");
  wchar_t name[256];
  if (LoadStringW(com_module::Instance(), m_info.typeNameStringId, name, 256) > 0) caption = FromW(name);
  return OleCreatePropertyFrame(parent, 0, 0, W(caption), 1, &self, static_cast<ULONG>(m_info.pageCount),
                                const_cast<CLSID*>(m_info.pages), GetUserDefaultLCID(), 0, nullptr);
}

STDMETHODIMP OleControlObject::EnumVerbs(IEnumOLEVERB** verbs) {
  if (!verbs) return E_POINTER;
  *verbs = new (std::nothrow) VerbEnumerator(Identity(), kVerbs, kVerbCount);
  return *verbs ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP OleControlObject::Update() { return S_OK; }
STDMETHODIMP OleControlObject::IsUpToDate() { return S_OK; }

STDMETHODIMP OleControlObject::GetUserClassID(CLSID* clsid) {
  if (!clsid) return E_POINTER;
  *clsid = m_info.clsid;
  return S_OK;
}

STDMETHODIMP OleControlObject::GetUserType(DWORD, LPOLESTR* type) {
  if (!type) return E_POINTER;
  wchar_t name[256] = {};
  int n = LoadStringW(com_module::Instance(), m_info.typeNameStringId, name, 256);
  *type = static_cast<LPOLESTR>(CoTaskMemAlloc((n + 1) * sizeof(wchar_t)));
  if (!*type) return E_OUTOFMEMORY;
  wcscpy(*type, name);
  return S_OK;
}

STDMETHODIMP OleControlObject::SetExtent(DWORD aspect, SIZEL* size) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!size) return E_POINTER;
  // Containers repeat the extent they already gave (at load, on every
  // layout pass); only a real change leaves the saved form out of date.
  const Size old = m_control->GetExtent();
  m_control->SetExtent(Size{size->cx, size->cy});
  if (old.cx != size->cx || old.cy != size->cy) m_control->SetModifiedFlag();
  return S_OK;
}

STDMETHODIMP OleControlObject::GetExtent(DWORD aspect, SIZEL* size) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!size) return E_POINTER;
  Size s = m_control->GetExtent();
  size->cx = s.cx;
  size->cy = s.cy;
  return S_OK;
}

STDMETHODIMP OleControlObject::Advise(IAdviseSink* sink, DWORD* cookie) {
  if (!m_pOleAdviseHolder && FAILED(CreateOleAdviseHolder(&m_pOleAdviseHolder))) return E_OUTOFMEMORY;
  return m_pOleAdviseHolder->Advise(sink, cookie);
}

STDMETHODIMP OleControlObject::Unadvise(DWORD cookie) {
  if (!m_pOleAdviseHolder) return OLE_E_NOCONNECTION;
  return m_pOleAdviseHolder->Unadvise(cookie);
}

STDMETHODIMP OleControlObject::EnumAdvise(IEnumSTATDATA** e) {
  if (!e) return E_POINTER;
  *e = nullptr;
  if (!m_pOleAdviseHolder) return S_OK;
  return m_pOleAdviseHolder->EnumAdvise(e);
}

STDMETHODIMP OleControlObject::GetMiscStatus(DWORD, DWORD* status) {
  if (!status) return E_POINTER;
  *status = m_info.miscStatus;
  return S_OK;
}

STDMETHODIMP OleControlObject::SetColorScheme(LOGPALETTE*) { return E_NOTIMPL; }
