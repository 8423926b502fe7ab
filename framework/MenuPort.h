// The menu port: one pop-up menu as USER keeps it. win32: an HMENU. Headless:
// a list of items that records how it was tracked.
#pragma once
#include <cstdint>

#include "framework/Types.h"

// Menu item flags and TrackPopupMenu flags, with their Win32 values.
enum : uint32_t {
  kMfString = 0x0000, kMfEnabled = 0x0000, kMfGrayed = 0x0001, kMfDisabled = 0x0002,
  kMfByCommand = 0x0000, kMfByPosition = 0x0400, kMfSeparator = 0x0800
};
enum : uint32_t { kTpmLeftAlign = 0x0000, kTpmRightButton = 0x0002, kTpmReturnCmd = 0x0100 };
// GetMenuItemID of a separator is 0, of a sub-menu 0xFFFFFFFF.
enum : uint32_t { kMenuItemSubMenu = 0xFFFFFFFFu };

class MenuPort {
 public:
  // An owned menu is destroyed with its port (unless DestroyMenu ran).
  virtual ~MenuPort() = default;
  virtual uintptr_t Handle() const = 0;
  virtual bool Append(uint32_t flags, uint32_t id, const String& text) = 0;
  virtual int32_t GetItemCount() = 0;
  virtual uint32_t GetItemId(int32_t position) = 0;
  // Returns the item's previous state, or 0xFFFFFFFF when there is no such item.
  virtual uint32_t EnableItem(uint32_t item, uint32_t flags) = 0;
  // Modal: returns the chosen id with kTpmReturnCmd, 0 when dismissed.
  virtual uint32_t Track(uint32_t flags, int32_t x, int32_t y, uintptr_t owner) = 0;
  virtual bool Destroy() = 0;
};
