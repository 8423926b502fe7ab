// IOleControl: keyboard info (none), ambient changes, frozen events.
#include "framework/win32/OleControlObject.h"

STDMETHODIMP OleControlObject::GetControlInfo(CONTROLINFO* info) {
  if (!info) return E_POINTER;
  info->cb = sizeof *info;
  info->hAccel = nullptr;
  info->cAccel = 0;
  info->dwFlags = 0;
  return S_OK;
}

STDMETHODIMP OleControlObject::OnMnemonic(MSG*) { return E_NOTIMPL; }

// An ambient font or colour change shows at the next paint.
STDMETHODIMP OleControlObject::OnAmbientPropertyChange(DISPID) {
  m_control->InvalidateControl();
  return S_OK;
}

STDMETHODIMP OleControlObject::FreezeEvents(BOOL freeze) {
  if (freeze)
    ++m_nFreezeEvents;
  else if (m_nFreezeEvents > 0)
    --m_nFreezeEvents;
  return S_OK;
}
