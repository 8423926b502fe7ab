// CMenu: a thin wrapper over one pop-up menu of the user-interface port, with
// the Win32 names the control's code is written in.
#pragma once
#include <memory>

#include "framework/UiPort.h"

// As in UiPort.h: one name everywhere; Win32 code calls AppendMenuW.
#undef AppendMenu

class CMenu {
 public:
  explicit CMenu(UiPort& ui) : m_ui(&ui) {}
  // A menu USER handed over in a message: wrapped, not owned.
  static CMenu FromHandle(UiPort& ui, uintptr_t handle);

  bool CreatePopupMenu();
  bool AppendMenu(uint32_t flags, uint32_t id = 0, const String& text = String());
  // kTpmReturnCmd: the chosen command id, 0 when the menu was dismissed.
  uint32_t TrackPopupMenu(uint32_t flags, int32_t x, int32_t y, uintptr_t owner);
  bool DestroyMenu();

  int32_t GetMenuItemCount() const;
  uint32_t GetMenuItemID(int32_t position) const;
  uint32_t EnableMenuItem(uint32_t item, uint32_t flags);
  uintptr_t GetSafeHmenu() const { return m_menu ? m_menu->Handle() : 0; }

 private:
  UiPort* m_ui;
  std::unique_ptr<MenuPort> m_menu;
};
