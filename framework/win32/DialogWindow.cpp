#include "framework/win32/DialogWindow.h"

#include <vector>

#include "framework/win32/ComModule.h"
#include "framework/win32/WinString.h"

namespace {

// LB_ messages on one list box.
class ListBoxWindow : public ListBoxPort {
 public:
  explicit ListBoxWindow(HWND hwnd) : m_hwnd(hwnd) {}
  int32_t GetCount() override { return Send(LB_GETCOUNT, 0, 0); }
  int32_t AddString(const String& text) override {
    return Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(text)));
  }
  int32_t InsertString(int32_t index, const String& text) override {
    return Send(LB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(W(text)));
  }
  int32_t DeleteString(int32_t index) override { return Send(LB_DELETESTRING, static_cast<WPARAM>(index), 0); }
  void ResetContent() override { Send(LB_RESETCONTENT, 0, 0); }
  String GetText(int32_t index) override {
    const int32_t n = Send(LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (n < 0) return String();
    std::vector<wchar_t> text(static_cast<size_t>(n) + 1);
    const int32_t got = Send(LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    return got > 0 ? String(reinterpret_cast<const char16_t*>(text.data()), static_cast<size_t>(got)) : String();
  }
  intptr_t GetItemData(int32_t index) override {
    return SendMessageW(m_hwnd, LB_GETITEMDATA, static_cast<WPARAM>(index), 0);
  }
  bool SetItemData(int32_t index, intptr_t data) override {
    return Send(LB_SETITEMDATA, static_cast<WPARAM>(index), data) != LB_ERR;
  }
  int32_t GetCurSel() override { return Send(LB_GETCURSEL, 0, 0); }
  bool SetCurSel(int32_t index) override {
    return Send(LB_SETCURSEL, static_cast<WPARAM>(index), 0) != LB_ERR || index == -1;
  }

 private:
  int32_t Send(UINT msg, WPARAM w, LPARAM l) { return static_cast<int32_t>(SendMessageW(m_hwnd, msg, w, l)); }
  HWND m_hwnd;
};

// A dialog without a caption (a property page) names the product instead.
String AlertCaption(HWND hwnd) {
  wchar_t caption[256] = {};
  if (GetWindowTextW(hwnd, caption, 256) > 0) return FromW(caption);
  String path = com_module::ModulePath();
  const size_t slash = path.find_last_of(u"\\/");
  if (slash != String::npos) path.erase(0, slash + 1);
  const size_t dot = path.find_last_of(u'.');
  if (dot != String::npos) path.erase(dot);
  return path;
}

}  // namespace

DialogWindow::~DialogWindow() = default;

INT_PTR CALLBACK DialogWindow::Proc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  auto* window = reinterpret_cast<DialogWindow*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  if (msg == WM_INITDIALOG) {
    window = reinterpret_cast<DialogWindow*>(l);
    SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(window));
    window->m_hwnd = hwnd;
    return window->m_dialog.Attach(*window) ? TRUE : FALSE;
  }
  if (!window) return FALSE;
  if (msg == WM_COMMAND) {
    window->m_dialog.OnCommand(LOWORD(w), HIWORD(w));
    return TRUE;
  }
  if (msg == WM_NCDESTROY) {
    window->m_dialog.Detach();
    window->m_lists.clear();
    SetWindowLongPtrW(hwnd, DWLP_USER, 0);
    window->m_hwnd = nullptr;
  }
  return FALSE;
}

String DialogWindow::GetItemText(int id) {
  HWND item = GetDlgItem(m_hwnd, id);
  if (!item) return String();
  std::vector<wchar_t> text(static_cast<size_t>(GetWindowTextLengthW(item)) + 1);
  const int n = GetWindowTextW(item, text.data(), static_cast<int>(text.size()));
  return String(reinterpret_cast<const char16_t*>(text.data()), n > 0 ? static_cast<size_t>(n) : 0);
}

void DialogWindow::SetItemText(int id, const String& text) { SetDlgItemTextW(m_hwnd, id, W(text)); }

void DialogWindow::LimitText(int id, int32_t maxChars) {
  SendDlgItemMessageW(m_hwnd, id, EM_LIMITTEXT, static_cast<WPARAM>(maxChars), 0);
}

void DialogWindow::SetFocusTo(int id) {
  if (HWND item = GetDlgItem(m_hwnd, id)) SendMessageW(m_hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item), TRUE);
}

bool DialogWindow::IsChecked(int id) { return IsDlgButtonChecked(m_hwnd, id) == BST_CHECKED; }

void DialogWindow::SetCheck(int id, bool checked) {
  CheckDlgButton(m_hwnd, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

ListBoxPort* DialogWindow::ListBox(int id) {
  auto found = m_lists.find(id);
  if (found != m_lists.end()) return found->second.get();
  HWND item = GetDlgItem(m_hwnd, id);
  if (!item) return nullptr;
  return (m_lists[id] = std::make_unique<ListBoxWindow>(item)).get();
}

void DialogWindow::Alert(const String& text) {
  MessageBoxW(m_hwnd, W(text), W(AlertCaption(m_hwnd)), MB_OK | MB_ICONEXCLAMATION);
}

void DialogWindow::EndDialog(intptr_t result) { ::EndDialog(m_hwnd, result); }
