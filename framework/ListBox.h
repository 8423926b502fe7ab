// CListBox: a thin wrapper over a list box of a dialog, attached by control
// id during data exchange. The port is the list box as the backend sees it
// (win32: LB_ messages; headless: a vector of rows).
#pragma once
#include <cstdint>

#include "framework/Types.h"

// The list box's answer for "no such row" and "no selection" (LB_ERR).
constexpr int32_t kListBoxError = -1;

class ListBoxPort {
 public:
  virtual ~ListBoxPort() = default;
  virtual int32_t GetCount() = 0;
  // Appends the row; its index, or kListBoxError.
  virtual int32_t AddString(const String& text) = 0;
  // Inserts before `index` (-1: at the end); its index, or kListBoxError.
  virtual int32_t InsertString(int32_t index, const String& text) = 0;
  // Rows left, or kListBoxError for an index out of range.
  virtual int32_t DeleteString(int32_t index) = 0;
  virtual void ResetContent() = 0;
  virtual String GetText(int32_t index) = 0;
  virtual intptr_t GetItemData(int32_t index) = 0;
  virtual bool SetItemData(int32_t index, intptr_t data) = 0;
  // Selected row, or kListBoxError when none is.
  virtual int32_t GetCurSel() = 0;
  // -1 clears the selection; false for an index out of range.
  virtual bool SetCurSel(int32_t index) = 0;
};

class CListBox {
 public:
  bool IsAttached() const { return m_pPort != nullptr; }
  void Attach(ListBoxPort* port) { m_pPort = port; }
  void Detach() { m_pPort = nullptr; }

  int32_t GetCount() const { return m_pPort ? m_pPort->GetCount() : 0; }
  int32_t AddString(const String& text) { return m_pPort ? m_pPort->AddString(text) : kListBoxError; }
  int32_t InsertString(int32_t index, const String& text) {
    return m_pPort ? m_pPort->InsertString(index, text) : kListBoxError;
  }
  int32_t DeleteString(int32_t index) { return m_pPort ? m_pPort->DeleteString(index) : kListBoxError; }
  void ResetContent() {
    if (m_pPort) m_pPort->ResetContent();
  }
  String GetText(int32_t index) const { return m_pPort ? m_pPort->GetText(index) : String(); }
  intptr_t GetItemData(int32_t index) const { return m_pPort ? m_pPort->GetItemData(index) : kListBoxError; }
  bool SetItemData(int32_t index, intptr_t data) { return m_pPort && m_pPort->SetItemData(index, data); }
  int32_t GetCurSel() const { return m_pPort ? m_pPort->GetCurSel() : kListBoxError; }
  bool SetCurSel(int32_t index) { return m_pPort && m_pPort->SetCurSel(index); }

 private:
  ListBoxPort* m_pPort = nullptr;
};
