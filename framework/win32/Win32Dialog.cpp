#include "framework/win32/Win32Dialog.h"

#include "framework/win32/ComModule.h"
#include "framework/win32/DialogWindow.h"

intptr_t RunModalDialog(CDialog& dialog, HWND owner) {
  if (!owner) {
    owner = GetActiveWindow();
    if (owner) owner = GetAncestor(owner, GA_ROOT);
  }
  DialogWindow window(dialog);
  const INT_PTR result = DialogBoxParamW(com_module::Instance(), MAKEINTRESOURCEW(dialog.TemplateId()), owner,
                                         DialogWindow::Proc, reinterpret_cast<LPARAM>(&window));
  dialog.Detach();
  return result;
}
