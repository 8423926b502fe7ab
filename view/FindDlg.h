// CFindDlg: asks for the text to find (template IDD_FIND). The text is kept
// between searches; Cancel leaves it as it was.
#pragma once
#include "framework/Dialog.h"

class CFindDlg : public CDialog {
 public:
  explicit CFindDlg(UiPort* ui);

  String m_strFind;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
};
