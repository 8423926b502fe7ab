#include <windows.h>

#include "framework/win32/Win32Ui.h"

#include "framework/win32/ComModule.h"
#include "framework/win32/Win32Dialog.h"
#include "framework/win32/Win32Menu.h"
#include "framework/win32/WinString.h"

namespace {

class Win32UiPort : public UiPort {
 public:
  std::unique_ptr<MenuPort> CreatePopupMenu() override {
    HMENU menu = ::CreatePopupMenu();
    if (!menu) return nullptr;
    return std::make_unique<Win32Menu>(menu, true);
  }

  std::unique_ptr<MenuPort> MenuFromHandle(uintptr_t handle) override {
    HMENU menu = reinterpret_cast<HMENU>(handle);
    if (!::IsMenu(menu)) return nullptr;
    return std::make_unique<Win32Menu>(menu, false);
  }

  void SetSystemCursor(SystemCursor cursor) override {
    ::SetCursor(::LoadCursorW(nullptr, cursor == SystemCursor::Wait ? IDC_WAIT : IDC_ARROW));
  }

  // Looked up as a group cursor of the module, then loaded, every time.
  void SetModuleCursor(uint32_t resourceId) override {
    HINSTANCE module = com_module::Instance();
    const wchar_t* name = MAKEINTRESOURCEW(resourceId);
    if (!::FindResourceW(module, name, RT_GROUP_CURSOR)) return;
    if (HCURSOR cursor = ::LoadCursorW(module, name)) ::SetCursor(cursor);
  }

  Point GetCursorPos() override {
    POINT p = {};
    ::GetCursorPos(&p);
    return Point{p.x, p.y};
  }

  void ClipCursor(const Rect* screen) override {
    if (!screen) {
      ::ClipCursor(nullptr);
      return;
    }
    RECT r = {screen->left, screen->top, screen->right, screen->bottom};
    ::ClipCursor(&r);
  }

  bool GetMessage(UiMessage& msg) override {
    MSG m = {};
    const BOOL got = ::GetMessageW(&m, nullptr, 0, 0);
    msg = UiMessage{reinterpret_cast<uintptr_t>(m.hwnd), m.message, m.wParam, m.lParam};
    // -1 (an error) ends a modal loop like WM_QUIT does, rather than spinning.
    if (got == -1) msg.message = WM_QUIT;
    return got > 0;
  }

  void DispatchMessage(const UiMessage& msg) override {
    MSG m = {};
    m.hwnd = reinterpret_cast<HWND>(msg.hwnd);
    m.message = msg.message;
    m.wParam = msg.wParam;
    m.lParam = msg.lParam;
    m.time = ::GetMessageTime();
    const DWORD pos = ::GetMessagePos();
    m.pt = POINT{static_cast<SHORT>(LOWORD(pos)), static_cast<SHORT>(HIWORD(pos))};
    ::TranslateMessage(&m);
    ::DispatchMessageW(&m);
  }

  void PostQuitMessage(int exitCode) override { ::PostQuitMessage(exitCode); }

  int MessageBox(uintptr_t owner, const String& text, const String& caption, uint32_t type) override {
    return ::MessageBoxW(reinterpret_cast<HWND>(owner), W(text), W(caption), type);
  }

  intptr_t DoModal(CDialog& dialog, uintptr_t owner) override {
    return RunModalDialog(dialog, reinterpret_cast<HWND>(owner));
  }
};

}  // namespace

UiPort& Win32Ui() {
  static Win32UiPort ui;
  return ui;
}
