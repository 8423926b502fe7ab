// IViewObject, IViewObject2, IViewObjectEx: the control draws itself into any
// device context the container hands over, through the same drawing entry as
// its window's paint.
#include "framework/win32/ControlWindow.h"
#include "framework/win32/GdiCanvas.h"
#include "framework/win32/OleControlObject.h"

STDMETHODIMP OleControlObject::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC hdc, LPCRECTL bounds,
                                    LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!hdc) return E_INVALIDARG;
  RECT r = {};
  if (bounds) {
    r = {bounds->left, bounds->top, bounds->right, bounds->bottom};
  } else if (m_pWindow && m_pWindow->Handle()) {
    GetClientRect(m_pWindow->Handle(), &r);
  } else {
    return E_INVALIDARG;
  }
  // The drawing entry works in client coordinates with the origin at the
  // bounds' top left.
  POINT oldOrg;
  OffsetViewportOrgEx(hdc, r.left, r.top, &oldOrg);
  Rect client{0, 0, r.right - r.left, r.bottom - r.top};
  {
    GdiCanvas canvas(hdc, CurrentHFont());
    m_control->OnDraw(canvas, client, client);
  }
  SetViewportOrgEx(hdc, oldOrg.x, oldOrg.y, nullptr);
  return S_OK;
}

STDMETHODIMP OleControlObject::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** colors) {
  if (colors) *colors = nullptr;
  return S_FALSE;
}

STDMETHODIMP OleControlObject::Freeze(DWORD, LONG, void*, DWORD*) { return E_NOTIMPL; }
STDMETHODIMP OleControlObject::Unfreeze(DWORD) { return E_NOTIMPL; }

STDMETHODIMP OleControlObject::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
  if (sink) sink->AddRef();
  if (m_pViewAdviseSink) m_pViewAdviseSink->Release();
  m_pViewAdviseSink = sink;
  m_dwViewAdviseAspects = aspects;
  m_dwViewAdviseFlags = flags;
  return S_OK;
}

STDMETHODIMP OleControlObject::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
  if (aspects) *aspects = m_dwViewAdviseAspects;
  if (flags) *flags = m_dwViewAdviseFlags;
  if (sink) {
    *sink = m_pViewAdviseSink;
    if (m_pViewAdviseSink) m_pViewAdviseSink->AddRef();
  }
  return S_OK;
}

STDMETHODIMP OleControlObject::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
  return GetExtent(aspect, size);
}

STDMETHODIMP OleControlObject::GetRect(DWORD aspect, LPRECTL rect) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!rect) return E_POINTER;
  return E_NOTIMPL;
}

STDMETHODIMP OleControlObject::GetViewStatus(DWORD* status) {
  if (!status) return E_POINTER;
  *status = VIEWSTATUS_OPAQUE | VIEWSTATUS_SOLIDBKGND;  // every pixel is painted
  return S_OK;
}

STDMETHODIMP OleControlObject::QueryHitPoint(DWORD aspect, LPCRECT bounds, POINT loc, LONG, DWORD* hit) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!bounds || !hit) return E_POINTER;
  *hit = PtInRect(bounds, loc) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
  return S_OK;
}

STDMETHODIMP OleControlObject::QueryHitRect(DWORD aspect, LPCRECT bounds, LPCRECT loc, LONG, DWORD* hit) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!bounds || !loc || !hit) return E_POINTER;
  RECT tmp;
  *hit = IntersectRect(&tmp, bounds, loc) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
  return S_OK;
}

STDMETHODIMP OleControlObject::GetNaturalExtent(DWORD, LONG, DVTARGETDEVICE*, HDC, DVEXTENTINFO*, LPSIZEL) {
  return E_NOTIMPL;
}
