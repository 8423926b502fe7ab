// IDispatch of the control, driven by its dispatch table plus the two stock
// properties. ITypeInfo::Invoke is not used: it cannot invoke a pure
// dispinterface's properties.
#include "framework/win32/ComModule.h"
#include "framework/win32/OleControlObject.h"
#include "framework/win32/VariantConv.h"
#include "framework/win32/WinString.h"

STDMETHODIMP OleControlObject::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 1;
  return S_OK;
}

STDMETHODIMP OleControlObject::GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) {
  if (!info) return E_POINTER;
  *info = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  ITypeLib* lib = nullptr;
  HRESULT hr = com_module::GetTypeLib(m_info.libid, m_info.libMajor, m_info.libMinor, lcid, &lib);
  if (FAILED(hr)) return hr;
  hr = lib->GetTypeInfoOfGuid(m_info.dispatchIid, info);
  lib->Release();
  return hr;
}

namespace {

struct StockName {
  const char16_t* name;
  DISPID id;
};
// Names the dispatch layer knows beyond the table; AboutBox resolves (the
// type library declares it) but is not served.
const StockName kStockNames[] = {
    {u"Font", DISPID_FONT}, {u"BackColor", DISPID_BACKCOLOR}, {u"AboutBox", DISPID_ABOUTBOX}};

}  // namespace

STDMETHODIMP OleControlObject::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  if (!names || !ids) return E_POINTER;
  if (count == 0) return E_INVALIDARG;
  HRESULT hr = S_OK;
  String name = FromW(names[0]);
  ids[0] = DISPID_UNKNOWN;
  if (const DispEntry* e = m_control->GetDispatchTable().FindByName(name)) {
    ids[0] = e->dispid;
  } else {
    for (const StockName& s : kStockNames)
      if (NamesEqual(s.name, name)) ids[0] = s.id;
  }
  if (ids[0] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
  // None of our members takes named arguments.
  for (UINT k = 1; k < count; ++k) {
    ids[k] = DISPID_UNKNOWN;
    hr = DISP_E_UNKNOWNNAME;
  }
  return hr;
}

namespace {

bool IsPut(WORD flags) { return flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF); }

// A put carries its value as the single argument, named DISPID_PROPERTYPUT.
HRESULT PutArgument(DISPPARAMS* params, VARIANT** arg) {
  if (!params || params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
  if (params->cNamedArgs > 1 ||
      (params->cNamedArgs == 1 && params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT))
    return DISP_E_PARAMNOTOPTIONAL;
  *arg = &params->rgvarg[0];
  return S_OK;
}

UINT ArgCount(DISPPARAMS* params) { return params ? params->cArgs : 0; }

// The put's value converted to the property's type; a conversion error
// names the argument.
HRESULT PutValue(DISPPARAMS* params, VType type, Value& v, UINT* argErr) {
  VARIANT* arg = nullptr;
  HRESULT hr = PutArgument(params, &arg);
  if (FAILED(hr)) return hr;
  hr = VariantToValue(*arg, type, v);
  if (FAILED(hr) && argErr) *argErr = 0;
  return hr;
}

}  // namespace

STDMETHODIMP OleControlObject::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                                      VARIANT* result, EXCEPINFO*, UINT* argErr) {
  if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  const DispEntry* e = m_control->GetDispatchTable().FindById(id);
  if (!e) return InvokeStock(id, flags, params, result, argErr);

  if (e->isMethod) {
    if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
    if (ArgCount(params) != 0) return DISP_E_BADPARAMCOUNT;
    Value r = e->get(*m_control);
    if (result) return ValueToVariant(r, result);
    return S_OK;
  }
  if (IsPut(flags)) {
    Value v;
    HRESULT hr = PutValue(params, e->type, v, argErr);
    if (SUCCEEDED(hr)) e->put(*m_control, v);
    return hr;
  }
  if (flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)) {
    if (ArgCount(params) != 0) return DISP_E_BADPARAMCOUNT;
    if (!result) return S_OK;
    return ValueToVariant(e->get(*m_control), result);
  }
  return DISP_E_MEMBERNOTFOUND;
}

HRESULT OleControlObject::InvokeStock(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result,
                                      UINT* argErr) {
  if (id != DISPID_BACKCOLOR && id != DISPID_FONT) return DISP_E_MEMBERNOTFOUND;
  const VType type = id == DISPID_FONT ? VType::Font : VType::Color;
  if (IsPut(flags)) {
    Value v;
    HRESULT hr = PutValue(params, type, v, argErr);
    if (FAILED(hr)) return hr;
    if (type == VType::Font)
      m_control->SetFont(v.font);
    else
      m_control->SetBackColor(static_cast<OleColor>(v.i));
    return S_OK;
  }
  if (!(flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD))) return DISP_E_MEMBERNOTFOUND;
  if (ArgCount(params) != 0) return DISP_E_BADPARAMCOUNT;
  if (!result) return S_OK;
  if (type == VType::Color) return ValueToVariant(Value::Color(m_control->GetBackColor()), result);
  // The control's own font object, not a new one: changes made on it reach
  // the control.
  VariantInit(result);
  IFont* font = FontObject();
  return font ? FontToVariant(font, result) : E_OUTOFMEMORY;
}
