#include "framework/win32/Win32Menu.h"

#include "framework/win32/WinString.h"

Win32Menu::~Win32Menu() {
  if (m_bOwned) Destroy();
}

bool Win32Menu::Append(uint32_t flags, uint32_t id, const String& text) {
  if (!m_hMenu) return false;
  if (flags & MF_SEPARATOR) return ::AppendMenuW(m_hMenu, flags, 0, nullptr) != FALSE;
  return ::AppendMenuW(m_hMenu, flags, id, W(text)) != FALSE;
}

int32_t Win32Menu::GetItemCount() { return m_hMenu ? ::GetMenuItemCount(m_hMenu) : -1; }

uint32_t Win32Menu::GetItemId(int32_t position) {
  return m_hMenu ? ::GetMenuItemID(m_hMenu, position) : 0xFFFFFFFFu;
}

uint32_t Win32Menu::EnableItem(uint32_t item, uint32_t flags) {
  return m_hMenu ? static_cast<uint32_t>(::EnableMenuItem(m_hMenu, item, flags)) : 0xFFFFFFFFu;
}

uint32_t Win32Menu::Track(uint32_t flags, int32_t x, int32_t y, uintptr_t owner) {
  if (!m_hMenu) return 0;
  return static_cast<uint32_t>(
      ::TrackPopupMenu(m_hMenu, flags, x, y, 0, reinterpret_cast<HWND>(owner), nullptr));
}

bool Win32Menu::Destroy() {
  if (!m_hMenu || !m_bOwned) return false;
  const bool ok = ::DestroyMenu(m_hMenu) != FALSE;
  m_hMenu = nullptr;
  return ok;
}
