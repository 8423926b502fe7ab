// CDialog: a modal dialog over a dialog template of the module, with data
// exchange between its controls and the dialog object's members. OK takes the
// fields over (if they validate) and ends the dialog; Cancel just ends it.
#pragma once
#include <cstdint>

#include "framework/ListBox.h"
#include "framework/UiPort.h"

// Control notifications (the code of WM_COMMAND), with their Win32 values.
enum : uint16_t { kNotifyClicked = 0, kNotifySelChange = 1, kNotifyEditChange = 0x0300 };

// The running dialog's window, as the dialog object sees it.
class DialogPort {
 public:
  virtual ~DialogPort() = default;
  virtual String GetItemText(int id) = 0;
  virtual void SetItemText(int id, const String& text) = 0;
  // An edit control's limit in characters (EM_LIMITTEXT).
  virtual void LimitText(int id, int32_t maxChars) = 0;
  virtual void SetFocusTo(int id) = 0;
  virtual bool IsChecked(int id) = 0;
  virtual void SetCheck(int id, bool checked) = 0;
  // The list box with that id, or null; it lives as long as the dialog.
  virtual ListBoxPort* ListBox(int id) = 0;
  // A warning box owned by the dialog.
  virtual void Alert(const String& text) = 0;
  virtual void EndDialog(intptr_t result) = 0;
};

// One exchange pass: to the controls (load) or from them (save and validate).
class CDataExchange {
 public:
  CDataExchange(DialogPort& dialog, bool saveAndValidate)
      : m_bSaveAndValidate(saveAndValidate), m_dialog(dialog) {}
  // Tells the user, focuses the control last exchanged and fails the pass.
  void Fail(const String& message);
  bool Failed() const { return m_bFailed; }

  bool m_bSaveAndValidate;
  DialogPort& m_dialog;
  int m_idLastControl = 0;

 private:
  bool m_bFailed = false;
};

void DDX_Text(CDataExchange* pDX, int id, String& value);
// A check box as a 32-bit boolean (nonzero is ticked).
void DDX_Check(CDataExchange* pDX, int id, int32_t& value);
// Attaches the wrapper to the dialog's list box, once.
void DDX_Control(CDataExchange* pDX, int id, CListBox& control);
// Loading sets the edit control's limit; saving refuses a longer text.
void DDV_MaxChars(CDataExchange* pDX, const String& value, int32_t maxChars);

class CDialog {
 public:
  // `ui` may be null: the dialog then cannot be shown (DoModal gives -1).
  explicit CDialog(uint32_t templateId, UiPort* ui = nullptr, uintptr_t parent = 0)
      : m_nTemplateId(templateId), m_pUi(ui), m_hParent(parent) {}
  virtual ~CDialog() = default;
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;

  uint32_t TemplateId() const { return m_nTemplateId; }
  intptr_t DoModal();

  // Backend entry points: the dialog window exists (its port lives until
  // Detach), a control sent a command (a button click by default).
  bool Attach(DialogPort& port);
  void OnCommand(int id, uint16_t code = kNotifyClicked);
  virtual void Detach() { m_pPort = nullptr; }

 protected:
  virtual void DoDataExchange(CDataExchange*) {}
  virtual bool OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();
  // Commands other than OK and Cancel: field changes, other buttons.
  virtual void OnControlCommand(int /*id*/, uint16_t /*code*/) {}
  DialogPort* Port() const { return m_pPort; }
  bool UpdateData(bool saveAndValidate);
  void EndDialog(intptr_t result);

 private:
  uint32_t m_nTemplateId;
  UiPort* m_pUi;
  uintptr_t m_hParent;
  DialogPort* m_pPort = nullptr;
};
