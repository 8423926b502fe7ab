// IPersistPropertyBag: the property set by name. A missing or unconvertible
// value takes its default; it never fails the whole load.
#include "framework/win32/ComBagAdapter.h"
#include "framework/win32/OleControlObject.h"

STDMETHODIMP OleControlObject::Load(IPropertyBag* bag, IErrorLog*) {
  if (!bag) return E_POINTER;
  ComPropertyBag port(bag);
  m_control->LoadFromBag(port);
  return S_OK;
}

STDMETHODIMP OleControlObject::Save(IPropertyBag* bag, BOOL clearDirty, BOOL) {
  if (!bag) return E_POINTER;
  ComPropertyBag port(bag);
  // Every property is always written, so saveAll changes nothing.
  if (!m_control->SaveToBag(port)) return FAILED(port.WriteError()) ? port.WriteError() : E_FAIL;
  if (clearDirty) m_control->SetModifiedFlag(false);
  return S_OK;
}
