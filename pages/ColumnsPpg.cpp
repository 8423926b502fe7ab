#include "pages/ColumnsPpg.h"

#include <cstdio>
#include <cstring>

#include "model/FieldOrder.h"
#include "pages/PropertyField.h"
#include "resources/resource.h"

namespace {

using Page = ColumnsPpg;
// Exchange order; the width edits stay tied to their columns whatever the
// display order is.
constexpr PageField<Page> kFields[] = {
    TextField<Page>(IDC_FIELD_ORDER, u"FieldOrder", &Page::m_strFieldOrder),
    NumberField<Page>(IDC_FIELD0_WIDTH, u"Field0Width", &Page::m_nField0Width),
    NumberField<Page>(IDC_FIELD1_WIDTH, u"Field1Width", &Page::m_nField1Width),
    NumberField<Page>(IDC_FIELD2_WIDTH, u"Field2Width", &Page::m_nField2Width),
    NumberField<Page>(IDC_FIELD3_WIDTH, u"Field3Width", &Page::m_nField3Width),
    NumberField<Page>(IDC_FIELD4_WIDTH, u"Field4Width", &Page::m_nField4Width),
    NumberField<Page>(IDC_FIELD5_WIDTH, u"Field5Width", &Page::m_nField5Width),
};

}  // namespace

ColumnsPpg::ColumnsPpg() : COlePropertyPage(IDD_PROPPAGE_COLUMNS, IDS_COLUMNS_PPG) {}

void ColumnsPpg::DoDataExchange(CDataExchange* pDX) {
  DDX_Control(pDX, IDC_ORDER_LIST, m_listOrder);
  ExchangeFields(pDX, this, kFields);
  if (!pDX->m_bSaveAndValidate && !pDX->Failed()) RebuildOrderList();
}

void ColumnsPpg::Detach() {
  m_listOrder.Detach();  // the list box goes with the dialog window
  COlePropertyPage::Detach();
}

void ColumnsPpg::OnControlCommand(int id, uint16_t code) {
  if (id == IDC_MOVE_UP && code == kNotifyClicked)
    OnMoveUp();
  else if (id == IDC_MOVE_DOWN && code == kNotifyClicked)
    OnMoveDown();
  else
    COlePropertyPage::OnControlCommand(id, code);
}

// An order that does not name each column once is shown as 012345, as the
// store and painting read it; the hidden field keeps the stored text until
// the user moves a row.
void ColumnsPpg::RebuildOrderList() {
  m_listOrder.ResetContent();
  const ColumnOrder order = ColumnOrder::FromText(m_strFieldOrder);
  for (int32_t column : order) {
    const int32_t row = m_listOrder.AddString(kFieldLabels[column]);
    m_listOrder.SetItemData(row, column);
  }
  if (m_listOrder.GetCurSel() == kListBoxError) m_listOrder.SetCurSel(0);
}

void ColumnsPpg::OnMoveUp() {
  const int32_t row = m_listOrder.GetCurSel();
  if (row > 0) MoveRow(row, row - 1);
}

void ColumnsPpg::OnMoveDown() {
  const int32_t row = m_listOrder.GetCurSel();
  if (row != kListBoxError && row < kFieldCount - 1) MoveRow(row, row + 1);
}

void ColumnsPpg::MoveRow(int32_t row, int32_t to) {
  const String text = m_listOrder.GetText(row);
  const intptr_t data = m_listOrder.GetItemData(row);
  m_listOrder.DeleteString(row);
  m_listOrder.InsertString(to, text);
  m_listOrder.SetItemData(to, data);
  m_listOrder.SetCurSel(to);

  int d[kFieldCount];
  for (int32_t k = 0; k < kFieldCount; ++k) d[k] = static_cast<int>(m_listOrder.GetItemData(k));
  char order[80];
  std::snprintf(order, sizeof order, "%d%d%d%d%d%d", d[0], d[1], d[2], d[3], d[4], d[5]);
  // Setting the bound field marks the page changed, as typing would.
  if (DialogPort* port = Port()) port->SetItemText(IDC_FIELD_ORDER, String(order, order + std::strlen(order)));
}
