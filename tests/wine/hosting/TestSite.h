// A container site of our own, for what Wine's ATL host never exercises:
// ambient properties, the in-place site's callbacks, and a simple-frame site
// that sees the control window's messages.
#pragma once
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <vector>

#include "tests/wine/hosting/HostingSupport.h"

class TestSite : public TestUnknown<IOleClientSite, IOleInPlaceSite, IDispatch, ISimpleFrameSite> {
 public:
  struct Filtered {
    bool pre;
    HWND hwnd;
    UINT msg;
    WPARAM w;
    LPARAM l;
    DWORD cookie;
  };

  TestSite(HWND window, RECT pos) : m_window(window), m_pos(pos) {}
  ~TestSite() override {
    if (m_pAmbientFont) m_pAmbientFont->Release();
  }

  // What the site offers; set before the control is given the site.
  bool offerAmbient = true;
  bool offerSimpleFrame = false;
  OLE_COLOR ambientBackColor = 0x00336699;
  void SetAmbientFont(const wchar_t* name, LONGLONG sizeCy) {
    FONTDESC fd = {};
    fd.cbSizeofstruct = sizeof fd;
    fd.lpstrName = const_cast<LPOLESTR>(name);
    fd.cySize.int64 = sizeCy;
    fd.sWeight = FW_NORMAL;
    if (m_pAmbientFont) m_pAmbientFont->Release();
    m_pAmbientFont = nullptr;
    OleCreateFontIndirect(&fd, IID_IFontDisp, reinterpret_cast<void**>(&m_pAmbientFont));
  }
  void SetPos(RECT pos) { m_pos = pos; }
  // PreMessageFilter answers S_FALSE with this result for the message.
  UINT swallowMessage = 0;
  LRESULT swallowResult = 0;

  // What the control did with the site.
  int inPlaceActivations = 0, inPlaceDeactivations = 0, uiActivations = 0;
  std::vector<DISPID> ambientAsked;
  std::vector<Filtered> filtered;

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleClientSite))
      *ppv = static_cast<IOleClientSite*>(this);
    else if (IsEqualIID(riid, IID_IOleInPlaceSite) || IsEqualIID(riid, IID_IOleWindow))
      *ppv = static_cast<IOleInPlaceSite*>(this);
    else if (offerAmbient && IsEqualIID(riid, IID_IDispatch))
      *ppv = static_cast<IDispatch*>(this);
    else if (offerSimpleFrame && IsEqualIID(riid, IID_ISimpleFrameSite))
      *ppv = static_cast<ISimpleFrameSite*>(this);
    if (!*ppv) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }

  // IOleClientSite
  STDMETHODIMP SaveObject() override { return S_OK; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** mk) override {
    if (mk) *mk = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetContainer(IOleContainer** c) override {
    if (c) *c = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IOleWindow, IOleInPlaceSite
  STDMETHODIMP GetWindow(HWND* hwnd) override {
    if (!hwnd) return E_POINTER;
    *hwnd = m_window;
    return S_OK;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnInPlaceActivate() override {
    ++inPlaceActivations;
    return S_OK;
  }
  STDMETHODIMP OnUIActivate() override {
    ++uiActivations;
    return S_OK;
  }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos, LPRECT clip,
                                LPOLEINPLACEFRAMEINFO info) override {
    if (frame) *frame = nullptr;
    if (doc) *doc = nullptr;
    if (pos) *pos = m_pos;
    if (clip) *clip = m_pos;
    if (info) {
      info->fMDIApp = FALSE;
      info->hwndFrame = m_window;
      info->haccel = nullptr;
      info->cAccelEntries = 0;
    }
    return S_OK;
  }
  STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
  STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnInPlaceDeactivate() override {
    ++inPlaceDeactivations;
    return S_OK;
  }
  STDMETHODIMP DiscardUndoState() override { return S_OK; }
  STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
  STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

  // IDispatch: the ambient properties.
  STDMETHODIMP GetTypeInfoCount(UINT* n) override {
    if (n) *n = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** t) override {
    if (t) *t = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                      UINT*) override {
    ambientAsked.push_back(id);
    if (!(flags & DISPATCH_PROPERTYGET) || !result) return DISP_E_MEMBERNOTFOUND;
    VariantInit(result);
    if (id == DISPID_AMBIENT_BACKCOLOR) {
      V_VT(result) = VT_I4;
      V_I4(result) = static_cast<LONG>(ambientBackColor);
      return S_OK;
    }
    if (id == DISPID_AMBIENT_FONT && m_pAmbientFont) {
      m_pAmbientFont->AddRef();
      V_VT(result) = VT_DISPATCH;
      V_DISPATCH(result) = m_pAmbientFont;
      return S_OK;
    }
    return DISP_E_MEMBERNOTFOUND;
  }

  // ISimpleFrameSite
  STDMETHODIMP PreMessageFilter(HWND hwnd, UINT msg, WPARAM w, LPARAM l, LRESULT* result,
                                DWORD* cookie) override {
    const DWORD c = 1000 + static_cast<DWORD>(filtered.size());
    if (cookie) *cookie = c;
    filtered.push_back({true, hwnd, msg, w, l, c});
    if (swallowMessage && msg == swallowMessage) {
      if (result) *result = swallowResult;
      return S_FALSE;
    }
    return S_OK;
  }
  STDMETHODIMP PostMessageFilter(HWND hwnd, UINT msg, WPARAM w, LPARAM l, LRESULT*, DWORD cookie) override {
    filtered.push_back({false, hwnd, msg, w, l, cookie});
    return S_OK;
  }

 private:
  HWND m_window;
  RECT m_pos;
  IFontDisp* m_pAmbientFont = nullptr;
};
