#include "framework/Menu.h"

CMenu CMenu::FromHandle(UiPort& ui, uintptr_t handle) {
  CMenu menu(ui);
  menu.m_menu = ui.MenuFromHandle(handle);
  return menu;
}

bool CMenu::CreatePopupMenu() {
  if (m_menu) return false;
  m_menu = m_ui->CreatePopupMenu();
  return m_menu != nullptr;
}

bool CMenu::AppendMenu(uint32_t flags, uint32_t id, const String& text) {
  return m_menu && m_menu->Append(flags, id, text);
}

uint32_t CMenu::TrackPopupMenu(uint32_t flags, int32_t x, int32_t y, uintptr_t owner) {
  return m_menu ? m_menu->Track(flags, x, y, owner) : 0;
}

bool CMenu::DestroyMenu() {
  if (!m_menu) return false;
  const bool ok = m_menu->Destroy();
  m_menu.reset();
  return ok;
}

int32_t CMenu::GetMenuItemCount() const { return m_menu ? m_menu->GetItemCount() : -1; }

uint32_t CMenu::GetMenuItemID(int32_t position) const { return m_menu ? m_menu->GetItemId(position) : 0; }

uint32_t CMenu::EnableMenuItem(uint32_t item, uint32_t flags) {
  return m_menu ? m_menu->EnableItem(item, flags) : 0xFFFFFFFFu;
}
