// The menu port over an HMENU: owned (made by CreatePopupMenu, destroyed with
// the port) or borrowed (handed to us in a message).
#pragma once
#include <windows.h>

#include "framework/MenuPort.h"

class Win32Menu : public MenuPort {
 public:
  Win32Menu(HMENU menu, bool owned) : m_hMenu(menu), m_bOwned(owned) {}
  ~Win32Menu() override;
  Win32Menu(const Win32Menu&) = delete;
  Win32Menu& operator=(const Win32Menu&) = delete;

  uintptr_t Handle() const override { return reinterpret_cast<uintptr_t>(m_hMenu); }
  bool Append(uint32_t flags, uint32_t id, const String& text) override;
  int32_t GetItemCount() override;
  uint32_t GetItemId(int32_t position) override;
  uint32_t EnableItem(uint32_t item, uint32_t flags) override;
  uint32_t Track(uint32_t flags, int32_t x, int32_t y, uintptr_t owner) override;
  bool Destroy() override;

 private:
  HMENU m_hMenu;
  bool m_bOwned;
};
