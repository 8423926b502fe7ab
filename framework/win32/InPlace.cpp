// In-place activation: the control's child window in the container's window,
// positioned by SetObjectRects.
#include "framework/win32/ControlWindow.h"
#include "framework/win32/OleControlObject.h"

HRESULT OleControlObject::ActivateInPlace(IOleClientSite* site, bool uiActivate) {
  if (!m_pInPlaceSite) {
    IOleClientSite* from = site ? site : m_pClientSite;
    if (!from) return E_UNEXPECTED;
    if (FAILED(from->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&m_pInPlaceSite))))
      return E_NOINTERFACE;
  }
  if (!m_bInPlaceActive) {
    if (m_pInPlaceSite->CanInPlaceActivate() != S_OK) return E_FAIL;
    m_pInPlaceSite->OnInPlaceActivate();
    m_bInPlaceActive = true;
  }
  HWND parent = nullptr;
  if (FAILED(m_pInPlaceSite->GetWindow(&parent)) || !parent) return E_FAIL;
  IOleInPlaceFrame* frame = nullptr;
  IOleInPlaceUIWindow* doc = nullptr;
  RECT pos = {}, clip = {};
  OLEINPLACEFRAMEINFO info = {};
  info.cb = sizeof info;
  m_pInPlaceSite->GetWindowContext(&frame, &doc, &pos, &clip, &info);

  if (!m_pWindow) m_pWindow.reset(new ControlWindow(*this));
  bool ok = m_pWindow->Handle() ? (m_pWindow->Move(pos), true) : m_pWindow->Create(parent, pos);
  if (ok) {
    ShowWindow(m_pWindow->Handle(), SW_SHOWNA);
    if (uiActivate && !m_bUIActive) {
      // UI-active: the frame and document route keyboard input to us.
      m_bUIActive = true;
      m_pInPlaceSite->OnUIActivate();
      m_pFrame = frame;
      m_pDocWindow = doc;
      frame = nullptr;
      doc = nullptr;
      IOleInPlaceActiveObject* active = this;
      if (m_pFrame) m_pFrame->SetActiveObject(active, nullptr);
      if (m_pDocWindow) m_pDocWindow->SetActiveObject(active, nullptr);
      SetFocus(m_pWindow->Handle());
    }
  }
  if (frame) frame->Release();
  if (doc) doc->Release();
  return ok ? S_OK : E_FAIL;
}

STDMETHODIMP OleControlObject::GetWindow(HWND* hwnd) {
  if (!hwnd) return E_POINTER;
  *hwnd = m_pWindow ? m_pWindow->Handle() : nullptr;
  return *hwnd ? S_OK : E_FAIL;
}

STDMETHODIMP OleControlObject::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

STDMETHODIMP OleControlObject::InPlaceDeactivate() {
  if (!m_bInPlaceActive) return S_OK;
  UIDeactivate();
  if (m_pWindow) m_pWindow->Destroy();
  m_bInPlaceActive = false;
  if (m_pInPlaceSite) {
    m_pInPlaceSite->OnInPlaceDeactivate();
    m_pInPlaceSite->Release();
    m_pInPlaceSite = nullptr;
  }
  return S_OK;
}

STDMETHODIMP OleControlObject::UIDeactivate() {
  if (!m_bUIActive) return S_OK;
  m_bUIActive = false;
  if (m_pDocWindow) {
    m_pDocWindow->SetActiveObject(nullptr, nullptr);
    m_pDocWindow->Release();
    m_pDocWindow = nullptr;
  }
  if (m_pFrame) {
    m_pFrame->SetActiveObject(nullptr, nullptr);
    m_pFrame->Release();
    m_pFrame = nullptr;
  }
  if (m_pInPlaceSite) m_pInPlaceSite->OnUIDeactivate(FALSE);
  return S_OK;
}

STDMETHODIMP OleControlObject::SetObjectRects(LPCRECT pos, LPCRECT) {
  if (!pos) return E_POINTER;
  if (m_pWindow) m_pWindow->Move(*pos);
  return S_OK;
}

STDMETHODIMP OleControlObject::ReactivateAndUndo() { return E_NOTIMPL; }
STDMETHODIMP OleControlObject::TranslateAccelerator(LPMSG) { return S_FALSE; }
STDMETHODIMP OleControlObject::OnFrameWindowActivate(BOOL) { return S_OK; }
STDMETHODIMP OleControlObject::OnDocWindowActivate(BOOL) { return S_OK; }
STDMETHODIMP OleControlObject::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return S_OK; }
STDMETHODIMP OleControlObject::EnableModeless(BOOL) { return S_OK; }
