#include "framework/Dialog.h"

#include <string>

void CDataExchange::Fail(const String& message) {
  m_dialog.Alert(message);
  if (m_idLastControl) m_dialog.SetFocusTo(m_idLastControl);
  m_bFailed = true;
}

void DDX_Text(CDataExchange* pDX, int id, String& value) {
  pDX->m_idLastControl = id;
  if (pDX->m_bSaveAndValidate)
    value = pDX->m_dialog.GetItemText(id);
  else
    pDX->m_dialog.SetItemText(id, value);
}

void DDX_Check(CDataExchange* pDX, int id, int32_t& value) {
  pDX->m_idLastControl = id;
  if (pDX->m_bSaveAndValidate)
    value = pDX->m_dialog.IsChecked(id) ? 1 : 0;
  else
    pDX->m_dialog.SetCheck(id, value != 0);
}

void DDX_Control(CDataExchange* pDX, int id, CListBox& control) {
  if (!control.IsAttached()) control.Attach(pDX->m_dialog.ListBox(id));
}

void DDV_MaxChars(CDataExchange* pDX, const String& value, int32_t maxChars) {
  if (!pDX->m_bSaveAndValidate) {
    if (pDX->m_idLastControl) pDX->m_dialog.LimitText(pDX->m_idLastControl, maxChars);
    return;
  }
  if (static_cast<int64_t>(value.size()) <= maxChars) return;
  const std::string n = std::to_string(maxChars);
  pDX->Fail(u"Please enter no more than " + String(n.begin(), n.end()) + u" characters.");
}

intptr_t CDialog::DoModal() {
  if (!m_pUi) return -1;
  return m_pUi->DoModal(*this, m_hParent);
}

bool CDialog::Attach(DialogPort& port) {
  m_pPort = &port;
  return OnInitDialog();
}

void CDialog::OnCommand(int id, uint16_t code) {
  if (code == kNotifyClicked && id == kIdOk)
    OnOK();
  else if (code == kNotifyClicked && id == kIdCancel)
    OnCancel();
  else
    OnControlCommand(id, code);
}

bool CDialog::OnInitDialog() {
  UpdateData(false);
  return true;  // the first control with a tab stop takes the focus
}

void CDialog::OnOK() {
  if (!UpdateData(true)) return;  // the dialog stays open on the failed field
  EndDialog(kIdOk);
}

void CDialog::OnCancel() { EndDialog(kIdCancel); }

bool CDialog::UpdateData(bool saveAndValidate) {
  if (!m_pPort) return false;
  CDataExchange dx(*m_pPort, saveAndValidate);
  DoDataExchange(&dx);
  return !dx.Failed();
}

void CDialog::EndDialog(intptr_t result) {
  if (m_pPort) m_pPort->EndDialog(result);
}
