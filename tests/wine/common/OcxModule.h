// The OCX loaded into the test process, and controls created from its factory
// without the registry.
#pragma once
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include "tests/wine/common/WineTestUtil.h"

const CLSID kClsidVelmaricAE = {0x52B15D1D, 0x2200, 0x4A67, {0x83, 0x83, 0x68, 0x7B, 0x5E, 0x84, 0xA3, 0x04}};
const IID kDiidVelmaricAE = {0x3B47BF51, 0x69D7, 0x4455, {0x92, 0xA3, 0xD4, 0x31, 0xD9, 0x2D, 0x09, 0x82}};
const IID kDiidVelmaricAEEvents = {0x72ABBB7C, 0x4504, 0x48F7, {0xA6, 0xBC, 0x71, 0x2B, 0x0B, 0x47, 0x2B, 0xDE}};

class OcxModule {
 public:
  OcxModule() : m_module(LoadLibraryW(OcxPath().c_str())) {}
  ~OcxModule() {
    if (m_module) FreeLibrary(m_module);
  }
  bool Loaded() const { return m_module != nullptr; }
  template <class F>
  F* Proc(const char* name) const {
    return reinterpret_cast<F*>(reinterpret_cast<void*>(GetProcAddress(m_module, name)));
  }
  HRESULT Factory(REFCLSID clsid, IClassFactory** out) const {
    auto get = Proc<HRESULT WINAPI(REFCLSID, REFIID, void**)>("DllGetClassObject");
    if (!get) return E_FAIL;
    return get(clsid, IID_IClassFactory, reinterpret_cast<void**>(out));
  }
  template <class I>
  HRESULT Create(REFIID iid, I** out) const {
    IClassFactory* f = nullptr;
    HRESULT hr = Factory(kClsidVelmaricAE, &f);
    if (FAILED(hr)) return hr;
    hr = f->CreateInstance(nullptr, iid, reinterpret_cast<void**>(out));
    f->Release();
    return hr;
  }
  HRESULT CanUnloadNow() const { return Proc<HRESULT WINAPI()>("DllCanUnloadNow")(); }

 private:
  HMODULE m_module;
};

// Property access by name through IDispatch, as a script does it.
inline HRESULT GetProp(IDispatch* d, const wchar_t* name, VARIANT* out, DISPID* idOut = nullptr) {
  DISPID id;
  LPOLESTR n = const_cast<LPOLESTR>(name);
  HRESULT hr = d->GetIDsOfNames(IID_NULL, &n, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) return hr;
  if (idOut) *idOut = id;
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  VariantInit(out);
  return d->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET | DISPATCH_METHOD, &none, out,
                   nullptr, nullptr);
}

inline HRESULT PutProp(IDispatch* d, const wchar_t* name, VARIANT value) {
  DISPID id;
  LPOLESTR n = const_cast<LPOLESTR>(name);
  HRESULT hr = d->GetIDsOfNames(IID_NULL, &n, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) return hr;
  DISPID put = DISPID_PROPERTYPUT;
  DISPPARAMS p = {&value, &put, 1, 1};
  UINT argErr = 0;
  return d->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &p, nullptr, nullptr, &argErr);
}

// A method without arguments, as a script calls it; `result` may be null.
inline HRESULT CallMethod(IDispatch* d, const wchar_t* name, VARIANT* result) {
  DISPID id;
  LPOLESTR n = const_cast<LPOLESTR>(name);
  HRESULT hr = d->GetIDsOfNames(IID_NULL, &n, 1, 0, &id);
  if (FAILED(hr)) return hr;
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  return d->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &none, result, nullptr, nullptr);
}

// Metrics of the control's stock font, measured on the font object the
// control paints with: its rows are tmHeight + 4 high, its widths count in
// tmAveCharWidth. False when the font cannot be had.
inline bool ControlFontMetrics(IDispatch* d, TEXTMETRICW& tm) {
  VARIANT v;
  if (FAILED(GetProp(d, L"Font", &v))) return false;
  IFont* font = nullptr;
  HFONT hfont = nullptr;
  bool ok = V_VT(&v) == VT_DISPATCH && V_DISPATCH(&v) &&
            SUCCEEDED(V_DISPATCH(&v)->QueryInterface(IID_IFont, reinterpret_cast<void**>(&font))) &&
            SUCCEEDED(font->get_hFont(&hfont));
  if (ok) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, hfont);
    ok = GetTextMetricsW(dc, &tm) != FALSE;
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
  }
  if (font) font->Release();
  VariantClear(&v);
  return ok;
}
