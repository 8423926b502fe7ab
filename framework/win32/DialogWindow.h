// The window of a running dialog of the module's templates, modal or a
// property page's child dialog, as its CDialog object sees it. The dialog
// procedure routes WM_COMMAND to the object; the port lives until the window
// is destroyed.
#pragma once
#include <windows.h>

#include <map>
#include <memory>

#include "framework/Dialog.h"

class DialogWindow : public DialogPort {
 public:
  explicit DialogWindow(CDialog& dialog) : m_dialog(dialog) {}
  ~DialogWindow() override;

  // The dialog procedure of every such window; the creation parameter is the
  // DialogWindow.
  static INT_PTR CALLBACK Proc(HWND hwnd, UINT msg, WPARAM w, LPARAM l);

  String GetItemText(int id) override;
  void SetItemText(int id, const String& text) override;
  void LimitText(int id, int32_t maxChars) override;
  void SetFocusTo(int id) override;
  bool IsChecked(int id) override;
  void SetCheck(int id, bool checked) override;
  ListBoxPort* ListBox(int id) override;
  void Alert(const String& text) override;
  void EndDialog(intptr_t result) override;

  HWND Handle() const { return m_hwnd; }

 private:
  CDialog& m_dialog;
  HWND m_hwnd = nullptr;
  std::map<int, std::unique_ptr<ListBoxPort>> m_lists;
};
