#include "framework/win32/VariantConv.h"

#include "framework/win32/StockFont.h"
#include "framework/win32/WinString.h"

HRESULT FontToVariant(IFont* font, VARIANT* out) {
  VariantInit(out);
  IFontDisp* disp = nullptr;
  HRESULT hr = font->QueryInterface(IID_IFontDisp, reinterpret_cast<void**>(&disp));
  if (FAILED(hr)) return hr;
  V_VT(out) = VT_DISPATCH;
  V_DISPATCH(out) = disp;
  return S_OK;
}

namespace {

HRESULT NewFontToVariant(const FontDesc& desc, VARIANT* out) {
  VariantInit(out);
  IFont* font = CreateFontObject(desc);
  if (!font) return E_OUTOFMEMORY;
  HRESULT hr = FontToVariant(font, out);
  font->Release();
  return hr;
}

HRESULT VariantToFont(const VARIANT& in, FontDesc& desc) {
  const VARIANT* v = &in;
  if (V_VT(v) == (VT_BYREF | VT_VARIANT)) v = V_VARIANTREF(v);
  if (!v || (V_VT(v) != VT_DISPATCH && V_VT(v) != VT_UNKNOWN)) return DISP_E_TYPEMISMATCH;
  return DescribeFont(V_UNKNOWN(v), desc) ? S_OK : DISP_E_TYPEMISMATCH;
}

}  // namespace

HRESULT ValueToVariant(const Value& v, VARIANT* out) {
  VariantInit(out);
  switch (v.type) {
    case VType::Empty: return S_OK;
    case VType::I2: V_VT(out) = VT_I2; V_I2(out) = static_cast<SHORT>(v.i); return S_OK;
    case VType::I4:
    case VType::Color: V_VT(out) = VT_I4; V_I4(out) = v.i; return S_OK;
    case VType::Bool: V_VT(out) = VT_BOOL; V_BOOL(out) = v.i ? VARIANT_TRUE : VARIANT_FALSE; return S_OK;
    case VType::Date: V_VT(out) = VT_DATE; V_DATE(out) = v.d; return S_OK;
    case VType::BStr:
      V_VT(out) = VT_BSTR;
      V_BSTR(out) = ToBstr(v.s);
      return V_BSTR(out) || v.s.empty() ? S_OK : E_OUTOFMEMORY;
    case VType::Font: return NewFontToVariant(v.font, out);
  }
  return E_INVALIDARG;
}

HRESULT VariantToValue(const VARIANT& in, VType want, Value& out) {
  VARIANT tmp;
  VariantInit(&tmp);
  HRESULT hr = E_INVALIDARG;
  out = Value();
  out.type = want;
  switch (want) {
    case VType::I2:
      hr = VariantChangeType(&tmp, const_cast<VARIANT*>(&in), 0, VT_I2);
      if (SUCCEEDED(hr)) out.i = V_I2(&tmp);
      break;
    case VType::I4:
      hr = VariantChangeType(&tmp, const_cast<VARIANT*>(&in), 0, VT_I4);
      if (SUCCEEDED(hr)) out.i = V_I4(&tmp);
      break;
    case VType::Color:
      // Scripts write system colours such as &H80000005 as negative longs.
      hr = VariantChangeType(&tmp, const_cast<VARIANT*>(&in), 0, VT_I4);
      if (SUCCEEDED(hr)) {
        out.i = V_I4(&tmp);
      } else if (hr == DISP_E_OVERFLOW) {
        hr = VariantChangeType(&tmp, const_cast<VARIANT*>(&in), 0, VT_UI4);
        if (SUCCEEDED(hr)) out.i = static_cast<int32_t>(V_UI4(&tmp));
      }
      break;
    case VType::Bool:
      hr = VariantChangeType(&tmp, const_cast<VARIANT*>(&in), 0, VT_BOOL);
      if (SUCCEEDED(hr)) out.i = V_BOOL(&tmp) ? 1 : 0;
      break;
    case VType::Date:
      hr = VariantChangeType(&tmp, const_cast<VARIANT*>(&in), 0, VT_DATE);
      if (SUCCEEDED(hr)) out.d = V_DATE(&tmp);
      break;
    case VType::BStr:
      hr = VariantChangeType(&tmp, const_cast<VARIANT*>(&in), 0, VT_BSTR);
      if (SUCCEEDED(hr)) out.s = FromBstr(V_BSTR(&tmp));
      break;
    case VType::Font:
      hr = VariantToFont(in, out.font);
      break;
    case VType::Empty:
      break;
  }
  VariantClear(&tmp);
  return hr;
}
