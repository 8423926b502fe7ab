// EventList: the in-memory list of event rows (six texts each), ranked by
// arrival, capped at 20000 rows, sortable by any column; it also carries the
// column layout used by painting, sizing and find.
#pragma once
#include <array>
#include <cstdint>
#include <deque>
#include <string>

#include "framework/Types.h"
#include "model/FieldOrder.h"
#include "model/Fields.h"

class EventList {
 public:
  static constexpr int32_t kCapacity = 20000;

  EventList();
  virtual ~EventList();

  int32_t AddEvent(const String& timestamp, const String& source, const String& message,
                   const String& category, const String& severity, Bool32 atBottom);
  int32_t GetRowCount() const;
  String GetCellText(int32_t field, int32_t row) const;
  // Reference access for hot readers (painting, find); same checks.
  const String& CellRef(int32_t field, int32_t row) const;
  void QuickSort(int32_t first, int32_t last, int32_t field, int32_t direction);
  void RemoveAll();
  void LayoutFields(int32_t charWidth, int32_t rowHeight);
  int32_t HitTestBorder(int32_t x) const;

  // Layout members, read and written directly by the control. The order is
  // 0..5 until the control first applies FieldOrder.
  ColumnOrder m_nFieldOrder;
  int32_t m_nFieldWidth[kFieldCount] = {kDefaultFieldWidths[0], kDefaultFieldWidths[1], kDefaultFieldWidths[2],
                                       kDefaultFieldWidths[3], kDefaultFieldWidths[4], kDefaultFieldWidths[5]};
  uint8_t m_bNumericField[kFieldCount] = {1, 0, 0, 0, 0, 1};
  Rect m_rcField[kFieldCount];
  int32_t m_nTotalWidth = 0;

 private:
  void TrimAndRerank();
  bool IsRow(int32_t row) const;

  // One element per row, holding its six texts: the fields cannot get out of
  // step, and a deque inserts at either end in constant time.
  using Row = std::array<String, kFieldCount>;
  std::deque<Row> m_arrRows;
};
