#include "framework/win32/ClientDC.h"

std::unique_ptr<ClientDC> ClientDC::Get(HWND hwnd) {
  HDC hdc = GetDC(hwnd);
  if (!hdc) return nullptr;
  return std::unique_ptr<ClientDC>(new ClientDC(hwnd, hdc));
}

ClientDC::~ClientDC() { ReleaseDC(m_hwnd, Handle()); }

void ClientDC::InvertRect(const Rect& r) {
  if (::IsWindow(m_hwnd)) GdiCanvas::InvertRect(r);
}
