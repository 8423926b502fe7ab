#include "framework/win32/ControlWindow.h"

#include "framework/win32/ClientDC.h"
#include "framework/win32/ComModule.h"
#include "framework/win32/GdiCanvas.h"
#include "framework/win32/OleControlObject.h"

namespace {

const wchar_t kClassName[] = L"VelmaricAEControlWindow";

ATOM RegisterClassOnce(WNDPROC proc) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  if (GetClassInfoExW(com_module::Instance(), kClassName, &wc)) return 1;
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = proc;
  wc.hInstance = com_module::Instance();
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.lpszClassName = kClassName;
  return RegisterClassExW(&wc);
}

Rect ToRect(const RECT& r) { return Rect{r.left, r.top, r.right, r.bottom}; }

}  // namespace

ControlWindow::ControlWindow(OleControlObject& owner) : m_owner(owner) {}

ControlWindow::~ControlWindow() {
  Destroy();
  SetSimpleFrameSite(nullptr);
}

bool ControlWindow::Create(HWND parent, const RECT& pos) {
  if (m_hwnd) return true;
  if (!RegisterClassOnce(&ControlWindow::WndProc)) return false;
  // Attached before creation, so that the creation handler can start timers.
  m_owner.Control().AttachWindow(this);
  HWND hwnd = CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                              pos.left, pos.top, pos.right - pos.left, pos.bottom - pos.top, parent, nullptr,
                              com_module::Instance(), this);
  if (!hwnd) {
    m_owner.Control().AttachWindow(nullptr);
    return false;
  }
  return true;
}

void ControlWindow::Destroy() {
  if (m_hwnd) DestroyWindow(m_hwnd);
}

void ControlWindow::Move(const RECT& pos) {
  if (m_hwnd)
    MoveWindow(m_hwnd, pos.left, pos.top, pos.right - pos.left, pos.bottom - pos.top, TRUE);
}

void ControlWindow::SetSimpleFrameSite(ISimpleFrameSite* site) {
  if (site) site->AddRef();
  if (m_pSimpleFrame) m_pSimpleFrame->Release();
  m_pSimpleFrame = site;
}

LRESULT CALLBACK ControlWindow::WndProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  ControlWindow* self = reinterpret_cast<ControlWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (msg == WM_NCCREATE) {
    self = static_cast<ControlWindow*>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->m_hwnd = hwnd;
  }
  if (!self) return DefWindowProcW(hwnd, msg, w, l);
  LRESULT r = self->OnMessage(msg, w, l);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->m_hwnd = nullptr;
    self->m_owner.Control().AttachWindow(nullptr);
  }
  return r;
}

LRESULT ControlWindow::OnMessage(UINT msg, WPARAM w, LPARAM l) {
  // A handler (a NewEvent sink, say) may drop the container's last reference;
  // the control stays alive until its handler has returned.
  IUnknown* self = m_owner.Identity();
  self->AddRef();
  LRESULT result = Dispatch(msg, w, l);
  self->Release();
  return result;
}

LRESULT ControlWindow::Dispatch(UINT msg, WPARAM w, LPARAM l) {
  // A simple-frame site sees the window's messages before and after us.
  DWORD cookie = 0;
  LRESULT filtered = 0;
  ISimpleFrameSite* frame = m_pSimpleFrame;
  if (frame) {
    frame->AddRef();
    if (frame->PreMessageFilter(m_hwnd, msg, w, l, &filtered, &cookie) == S_FALSE) {
      frame->Release();
      return filtered;
    }
  }
  LRESULT result = 0;
  intptr_t r = 0;
  if (m_owner.Control().OnWndMsg(msg, w, l, r)) {
    result = r;
  } else if (msg == WM_PAINT) {
    Paint();
  } else if (msg == WM_ERASEBKGND) {
    result = 1;  // the paint covers every pixel from an off-screen bitmap
  } else {
    result = DefWindowProcW(m_hwnd, msg, w, l);
  }
  if (frame) {
    frame->PostMessageFilter(m_hwnd, msg, w, l, &result, cookie);
    frame->Release();
  }
  return result;
}

void ControlWindow::Paint() {
  PAINTSTRUCT ps;
  HDC hdc = BeginPaint(m_hwnd, &ps);
  if (hdc) {
    RECT client;
    ::GetClientRect(m_hwnd, &client);
    GdiCanvas canvas(hdc, m_owner.CurrentHFont());
    m_owner.Control().OnDraw(canvas, ToRect(client), ToRect(ps.rcPaint));
  }
  EndPaint(m_hwnd, &ps);
}

Rect ControlWindow::GetClientRect() {
  RECT r = {};
  if (m_hwnd) ::GetClientRect(m_hwnd, &r);
  return ToRect(r);
}

void ControlWindow::ShowScrollBar(int bar, bool show) {
  if (m_hwnd) ::ShowScrollBar(m_hwnd, bar, show);
}

void ControlWindow::GetScrollRange(int bar, int32_t& min, int32_t& max) {
  int a = 0, b = 0;
  if (m_hwnd) ::GetScrollRange(m_hwnd, bar, &a, &b);
  min = a;
  max = b;
}

void ControlWindow::SetScrollRange(int bar, int32_t min, int32_t max, bool redraw) {
  if (m_hwnd) ::SetScrollRange(m_hwnd, bar, min, max, redraw);
}

void ControlWindow::SetScrollPos(int bar, int32_t pos, bool redraw) {
  if (m_hwnd) ::SetScrollPos(m_hwnd, bar, pos, redraw);
}

void ControlWindow::Invalidate(bool erase) {
  if (m_hwnd) InvalidateRect(m_hwnd, nullptr, erase);
}

intptr_t ControlWindow::DefaultProc(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
  return m_hwnd ? DefWindowProcW(m_hwnd, msg, wParam, lParam) : 0;
}

Point ControlWindow::ScreenToClient(Point p) {
  POINT pt = {p.x, p.y};
  if (m_hwnd) ::ScreenToClient(m_hwnd, &pt);
  return Point{pt.x, pt.y};
}

Point ControlWindow::ClientToScreen(Point p) {
  POINT pt = {p.x, p.y};
  if (m_hwnd) ::ClientToScreen(m_hwnd, &pt);
  return Point{pt.x, pt.y};
}

void ControlWindow::SetCapture() {
  if (m_hwnd) ::SetCapture(m_hwnd);
}

// Another window that took the capture keeps it.
void ControlWindow::ReleaseCapture() {
  if (m_hwnd && ::GetCapture() == m_hwnd) ::ReleaseCapture();
}

bool ControlWindow::HasCapture() { return m_hwnd && ::GetCapture() == m_hwnd; }

std::unique_ptr<Canvas> ControlWindow::GetClientCanvas() {
  if (!m_hwnd) return nullptr;
  return ClientDC::Get(m_hwnd);
}

bool ControlWindow::SetTimer(uint32_t id, uint32_t ms) { return m_hwnd && ::SetTimer(m_hwnd, id, ms, nullptr); }

void ControlWindow::KillTimer(uint32_t id) {
  if (m_hwnd) ::KillTimer(m_hwnd, id);
}
