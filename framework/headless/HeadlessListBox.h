// A list box without a screen: rows with item data and one selection, with
// the LB_ messages' results (unsorted, single selection).
#pragma once
#include <vector>

#include "framework/ListBox.h"

class HeadlessListBox : public ListBoxPort {
 public:
  struct Row {
    String text;
    intptr_t data = 0;
  };

  int32_t GetCount() override { return static_cast<int32_t>(m_rows.size()); }
  int32_t AddString(const String& text) override { return InsertString(-1, text); }
  int32_t InsertString(int32_t index, const String& text) override {
    if (index == -1) index = GetCount();
    if (index < 0 || index > GetCount()) return kListBoxError;
    m_rows.insert(m_rows.begin() + index, Row{text, 0});
    if (m_sel >= index) ++m_sel;
    return index;
  }
  int32_t DeleteString(int32_t index) override {
    if (!Valid(index)) return kListBoxError;
    m_rows.erase(m_rows.begin() + index);
    if (m_sel == index)
      m_sel = kListBoxError;
    else if (m_sel > index)
      --m_sel;
    return GetCount();
  }
  void ResetContent() override {
    m_rows.clear();
    m_sel = kListBoxError;
  }
  String GetText(int32_t index) override { return Valid(index) ? m_rows[index].text : String(); }
  intptr_t GetItemData(int32_t index) override { return Valid(index) ? m_rows[index].data : kListBoxError; }
  bool SetItemData(int32_t index, intptr_t data) override {
    if (!Valid(index)) return false;
    m_rows[index].data = data;
    return true;
  }
  int32_t GetCurSel() override { return m_sel; }
  bool SetCurSel(int32_t index) override {
    if (index == -1) {
      m_sel = kListBoxError;
      return true;
    }
    if (!Valid(index)) return false;
    m_sel = index;
    return true;
  }

  std::vector<Row> m_rows;
  int32_t m_sel = kListBoxError;

 private:
  bool Valid(int32_t index) const { return index >= 0 && index < static_cast<int32_t>(m_rows.size()); }
};
