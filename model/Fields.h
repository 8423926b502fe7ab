// The six fields of a row, by index, with their labels and default widths.
#pragma once
#include <cstdint>

#include "framework/Types.h"

enum : int32_t { kFieldRank = 0, kFieldTimestamp, kFieldSource, kFieldMessage, kFieldCategory,
                 kFieldSeverity, kFieldCount };

// Header labels by field index: the one table shared by the header, the sort
// menu items and the Columns page.
extern const char16_t* const kFieldLabels[kFieldCount];

// Column widths in average characters, by field, of a new list: the defaults
// of the width properties too.
inline constexpr int16_t kDefaultFieldWidths[kFieldCount] = {8, 40, 40, 48, 32, 12};
