// CCmdUI: the command-update object. When a pop-up opens, one is made for
// each of its items and handed to the item's update handler in the owner's
// message map; Enable greys or enables that item.
#pragma once
#include <cstdint>

#include "framework/Menu.h"

class CCmdUI {
 public:
  uint32_t m_nID = 0;
  uint32_t m_nIndex = 0;     // the item's position in m_pMenu
  CMenu* m_pMenu = nullptr;

  // Greyed items are disabled too, so that they cannot be chosen.
  void Enable(bool on = true) {
    if (m_pMenu) m_pMenu->EnableMenuItem(m_nIndex, kMfByPosition | (on ? kMfEnabled : kMfDisabled | kMfGrayed));
  }
};
