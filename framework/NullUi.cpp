#include "framework/Dialog.h"
#include "framework/UiPort.h"

namespace {

class NullMenu : public MenuPort {
 public:
  uintptr_t Handle() const override { return 0; }
  bool Append(uint32_t, uint32_t, const String&) override { return true; }
  int32_t GetItemCount() override { return 0; }
  uint32_t GetItemId(int32_t) override { return 0; }
  uint32_t EnableItem(uint32_t, uint32_t) override { return 0xFFFFFFFFu; }
  uint32_t Track(uint32_t, int32_t, int32_t, uintptr_t) override { return 0; }
  bool Destroy() override { return true; }
};

class NullUiPort : public UiPort {
 public:
  std::unique_ptr<MenuPort> CreatePopupMenu() override { return std::make_unique<NullMenu>(); }
  std::unique_ptr<MenuPort> MenuFromHandle(uintptr_t) override { return std::make_unique<NullMenu>(); }
  void SetSystemCursor(SystemCursor) override {}
  void SetModuleCursor(uint32_t) override {}
  Point GetCursorPos() override { return Point{}; }
  void ClipCursor(const Rect*) override {}
  bool GetMessage(UiMessage& msg) override {
    msg = UiMessage{};
    msg.message = 0x0012;  // WM_QUIT
    return false;
  }
  void DispatchMessage(const UiMessage&) override {}
  void PostQuitMessage(int) override {}
  int MessageBox(uintptr_t, const String&, const String&, uint32_t) override { return kIdOk; }
  intptr_t DoModal(CDialog&, uintptr_t) override { return -1; }
};

}  // namespace

UiPort& NullUi() {
  static NullUiPort ui;
  return ui;
}
