// The user-interface port: what the window thread asks of USER beyond its own
// window. Pop-up menus, cursors and the pointer clip, the thread's message
// queue, message boxes and modal dialogs. win32: USER32 over the module's
// resources. Headless: a scripted stand-in that the native tests drive.
#pragma once
#include <cstdint>
#include <memory>

#include "framework/MenuPort.h"
#include "framework/Types.h"

// windows.h maps these to their A/W functions; here they are the port's
// members and must have one name in every translation unit. Win32 code calls
// GetMessageW, DispatchMessageW and MessageBoxW by name.
#undef GetMessage
#undef DispatchMessage
#undef MessageBox

class CDialog;

enum class SystemCursor { Arrow, Wait };

// One message as GetMessage returns it.
struct UiMessage {
  uintptr_t hwnd = 0;
  uint32_t message = 0;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
};

// MessageBox types and results, with their Win32 values.
enum : uint32_t { kMbOk = 0x0000, kMbIconInformation = 0x0040 };
enum : int { kIdOk = 1, kIdCancel = 2 };

class UiPort {
 public:
  virtual ~UiPort() = default;

  virtual std::unique_ptr<MenuPort> CreatePopupMenu() = 0;
  // A menu USER handed to a message (WM_INITMENUPOPUP): not owned, not destroyed.
  virtual std::unique_ptr<MenuPort> MenuFromHandle(uintptr_t handle) = 0;

  virtual void SetSystemCursor(SystemCursor cursor) = 0;
  // A cursor resource of the control's module, loaded each time it is set.
  virtual void SetModuleCursor(uint32_t resourceId) = 0;
  virtual Point GetCursorPos() = 0;
  // Confines the pointer to a screen rectangle; null releases it.
  virtual void ClipCursor(const Rect* screen) = 0;

  // The thread's next message, waiting for one. False on WM_QUIT, whose exit
  // code is then in msg.wParam.
  virtual bool GetMessage(UiMessage& msg) = 0;
  // TranslateMessage and DispatchMessage.
  virtual void DispatchMessage(const UiMessage& msg) = 0;
  virtual void PostQuitMessage(int exitCode) = 0;

  virtual int MessageBox(uintptr_t owner, const String& text, const String& caption, uint32_t type) = 0;
  // Runs the dialog's template modally; returns what it ended with, -1 when it
  // could not be shown. `owner` 0: the active top-level window owns it.
  virtual intptr_t DoModal(CDialog& dialog, uintptr_t owner) = 0;
};

// A user interface that shows nothing: menus are dismissed, message boxes
// answered OK, dialogs cancelled, the queue reports WM_QUIT. A control without
// a platform user interface (a script's object, say) uses it.
UiPort& NullUi();
