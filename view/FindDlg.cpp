#include "view/FindDlg.h"

#include "resources/resource.h"

namespace {
constexpr int32_t kMaxFindText = 255;
}

// No parent: the dialog is owned by the active top-level window when shown.
CFindDlg::CFindDlg(UiPort* ui) : CDialog(IDD_FIND, ui) {}

void CFindDlg::DoDataExchange(CDataExchange* pDX) {
  // Taken over only once it validates, so that a refused OK followed by
  // Cancel still leaves the previous text.
  String text = m_strFind;
  DDX_Text(pDX, IDC_FIND_TEXT, text);
  DDV_MaxChars(pDX, text, kMaxFindText);
  if (pDX->m_bSaveAndValidate && !pDX->Failed()) m_strFind = text;
}
