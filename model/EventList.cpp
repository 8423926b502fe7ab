#include "model/EventList.h"

#include <algorithm>
#include <cassert>

#include "model/FieldOrder.h"
#include "model/SortText.h"

using velmaric_model::ParseDecimal;

namespace {

constexpr int32_t kTrimmedRanks = EventList::kCapacity / 2;

const String kMarkerSource = u"* Velmaric AE *";
const String kMarkerMessage = u"* Removed lower ranked events and re-ranked list *";
const String kMarkerCell = u"*";

bool IsField(int32_t field) { return field >= 0 && field < kFieldCount; }

// Decimal text of a rank; ranks are never negative here but the text must be
// right for any value the re-rank pass computes.
String DecimalText(int64_t value) {
  const bool negative = value < 0;
  uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  char16_t buffer[24];
  char16_t* end = buffer + 24;
  char16_t* p = end;
  do {
    *--p = static_cast<char16_t>(u'0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (negative) *--p = u'-';
  return String(p, end);
}

int32_t ClampToInt32(int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

}  // namespace

EventList::EventList() = default;
EventList::~EventList() = default;

int32_t EventList::AddEvent(const String& timestamp, const String& source, const String& message,
                            const String& category, const String& severity, Bool32 atBottom) {
  TrimAndRerank();
  const int32_t count = GetRowCount();
  Row row{DecimalText(static_cast<int64_t>(count) + 1), timestamp, source, message, category, severity};
  if (atBottom) {
    m_arrRows.push_back(std::move(row));
    return count;
  }
  m_arrRows.push_front(std::move(row));
  return 0;
}

void EventList::TrimAndRerank() {
  if (GetRowCount() < kCapacity) return;
  // Drop the lower-ranked half wherever the rows stand (after a sort they are
  // scattered); the survivors keep their relative order.
  m_arrRows.erase(std::remove_if(m_arrRows.begin(), m_arrRows.end(),
                                 [](const Row& r) { return ParseDecimal(r[kFieldRank]) <= kTrimmedRanks; }),
                  m_arrRows.end());
  for (Row& r : m_arrRows) {
    const int64_t rank = static_cast<int64_t>(ParseDecimal(r[kFieldRank])) - kTrimmedRanks;
    r[kFieldRank] = DecimalText(rank);
    if (rank == 1) {
      r[kFieldSource] = kMarkerSource;
      r[kFieldMessage] = kMarkerMessage;
      r[kFieldCategory] = kMarkerCell;
      r[kFieldSeverity] = kMarkerCell;
    }
  }
}

int32_t EventList::GetRowCount() const { return static_cast<int32_t>(m_arrRows.size()); }

bool EventList::IsRow(int32_t row) const { return row >= 0 && row < GetRowCount(); }

const String& EventList::CellRef(int32_t field, int32_t row) const {
  static const String kEmpty;
  assert(IsField(field) && IsRow(row));
  if (!IsField(field) || !IsRow(row)) return kEmpty;
  return m_arrRows[static_cast<size_t>(row)][static_cast<size_t>(field)];
}

String EventList::GetCellText(int32_t field, int32_t row) const { return CellRef(field, row); }

void EventList::RemoveAll() { m_arrRows.clear(); }

void EventList::LayoutFields(int32_t charWidth, int32_t rowHeight) {
  // 64-bit sums clamped to 32 bits: absurd widths give a wide list, never an
  // overflowed one.
  int64_t x = 0;
  for (int32_t f : m_nFieldOrder.Order()) {
    Rect& rc = m_rcField[f];
    rc.left = ClampToInt32(x);
    rc.top = 0;
    rc.right = ClampToInt32(x + static_cast<int64_t>(charWidth) * m_nFieldWidth[f]);
    rc.bottom = rowHeight;
    x = static_cast<int64_t>(rc.right) + 1;
  }
  m_nTotalWidth = ClampToInt32(x);
}

int32_t EventList::HitTestBorder(int32_t x) const {
  for (int32_t f = 0; f < kFieldCount; ++f) {
    const int64_t right = m_rcField[f].right;
    if (right - 4 < x && x < right + 4) return f;
  }
  return -1;
}
