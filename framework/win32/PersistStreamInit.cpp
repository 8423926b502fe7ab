// IPersist and IPersistStreamInit. The stream form is a 32-bit byte count and
// then the control's bytes, so that a container may keep several objects in
// one stream and each load stops at its own end.
#include "framework/win32/ComBagAdapter.h"
#include "framework/win32/OleControlObject.h"

STDMETHODIMP OleControlObject::GetClassID(CLSID* clsid) {
  if (!clsid) return E_POINTER;
  *clsid = m_info.clsid;
  return S_OK;
}

STDMETHODIMP OleControlObject::IsDirty() { return m_control->IsModified() ? S_OK : S_FALSE; }

STDMETHODIMP OleControlObject::Load(LPSTREAM stream) {
  if (!stream) return E_POINTER;
  return LoadControlFromStream(*m_control, stream);
}

STDMETHODIMP OleControlObject::Save(LPSTREAM stream, BOOL clearDirty) {
  if (!stream) return E_POINTER;
  HRESULT hr = SaveControlToStream(*m_control, stream);
  if (SUCCEEDED(hr) && clearDirty) m_control->SetModifiedFlag(false);
  return hr;
}

STDMETHODIMP OleControlObject::GetSizeMax(ULARGE_INTEGER* size) {
  if (!size) return E_POINTER;
  size->QuadPart = StreamFormSize(*m_control);
  return S_OK;
}

// Serves IPersistStreamInit and IPersistPropertyBag alike.
STDMETHODIMP OleControlObject::InitNew() {
  m_control->ResetState();
  m_control->SetModifiedFlag(false);
  return S_OK;
}
