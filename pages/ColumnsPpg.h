// The Columns page: the width of each column and their display order. The
// order is edited in a list with Up and Down and reaches the control through
// a hidden field bound to FieldOrder.
#pragma once
#include "framework/ListBox.h"
#include "framework/PropertyPage.h"

class ColumnsPpg : public COlePropertyPage {
 public:
  class ColumnsPpgFactory;

  ColumnsPpg();

  CListBox m_listOrder;
  String m_strFieldOrder;
  int16_t m_nField0Width = 0;
  int16_t m_nField1Width = 0;
  int16_t m_nField2Width = 0;
  int16_t m_nField3Width = 0;
  int16_t m_nField4Width = 0;
  int16_t m_nField5Width = 0;

  void OnMoveUp();
  void OnMoveDown();
  void Detach() override;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  void OnControlCommand(int id, uint16_t code) override;

 private:
  void RebuildOrderList();
  void MoveRow(int32_t row, int32_t to);
};
