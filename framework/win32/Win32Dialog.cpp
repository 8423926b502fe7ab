#include "framework/win32/Win32Dialog.h"

#include <vector>

#include "framework/win32/ComModule.h"
#include "framework/win32/WinString.h"

namespace {

class DialogWindow : public DialogPort {
 public:
  explicit DialogWindow(CDialog& dialog) : m_dialog(dialog) {}

  String GetItemText(int id) override {
    HWND item = GetDlgItem(m_hwnd, id);
    if (!item) return String();
    std::vector<wchar_t> text(static_cast<size_t>(GetWindowTextLengthW(item)) + 1);
    const int n = GetWindowTextW(item, text.data(), static_cast<int>(text.size()));
    return String(reinterpret_cast<const char16_t*>(text.data()), n > 0 ? static_cast<size_t>(n) : 0);
  }
  void SetItemText(int id, const String& text) override { SetDlgItemTextW(m_hwnd, id, W(text)); }
  void LimitText(int id, int32_t maxChars) override {
    SendDlgItemMessageW(m_hwnd, id, EM_LIMITTEXT, static_cast<WPARAM>(maxChars), 0);
  }
  void SetFocusTo(int id) override {
    if (HWND item = GetDlgItem(m_hwnd, id)) SendMessageW(m_hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item), TRUE);
  }
  void Alert(const String& text) override {
    wchar_t caption[256] = {};
    GetWindowTextW(m_hwnd, caption, 256);
    MessageBoxW(m_hwnd, W(text), caption, MB_OK | MB_ICONEXCLAMATION);
  }
  void EndDialog(intptr_t result) override { ::EndDialog(m_hwnd, result); }

  CDialog& m_dialog;
  HWND m_hwnd = nullptr;
};

INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  auto* window = reinterpret_cast<DialogWindow*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  if (msg == WM_INITDIALOG) {
    window = reinterpret_cast<DialogWindow*>(l);
    SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(window));
    window->m_hwnd = hwnd;
    return window->m_dialog.Attach(*window) ? TRUE : FALSE;
  }
  if (!window) return FALSE;
  if (msg == WM_COMMAND && (LOWORD(w) == IDOK || LOWORD(w) == IDCANCEL)) {
    window->m_dialog.OnCommand(LOWORD(w));
    return TRUE;
  }
  if (msg == WM_NCDESTROY) {
    window->m_dialog.Detach();
    SetWindowLongPtrW(hwnd, DWLP_USER, 0);
  }
  return FALSE;
}

}  // namespace

intptr_t RunModalDialog(CDialog& dialog, HWND owner) {
  if (!owner) {
    owner = GetActiveWindow();
    if (owner) owner = GetAncestor(owner, GA_ROOT);
  }
  DialogWindow window(dialog);
  const INT_PTR result = DialogBoxParamW(com_module::Instance(), MAKEINTRESOURCEW(dialog.TemplateId()), owner,
                                         DialogProc, reinterpret_cast<LPARAM>(&window));
  dialog.Detach();
  return result;
}
