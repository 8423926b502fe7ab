// Text-to-number readings and the ordinal comparison used by the store's
// ranking, trimming and sorting. They follow the C library conversions the
// list has always used (wcstol, "%u", "%.8x", wcscmp), on UTF-16 code units.
#pragma once
#include <cstdint>
#include <optional>

#include "framework/Types.h"

namespace velmaric_model {

// Like wcstol(text, nullptr, 10) with a 32-bit long: leading white space, an
// optional sign, decimal digits; 0 when no number starts the text; clamped to
// the int32 range on overflow.
int32_t ParseDecimal(const String& text);

// Like swscanf(text, L"%u"): leading white space, optional sign, at least one
// digit, value modulo 2^32 (a minus sign negates modulo 2^32). Empty when no
// number can be read.
std::optional<uint32_t> ReadUnsigned32(const String& text);

// The text a cell contributes to a sort key: for a numeric field the leading
// number as eight lowercase hex digits (so that 200 sorts before 1000), else
// (or when there is no number) the text itself.
String SortTextOf(const String& cell, bool numeric);
void AppendSortText(String& out, const String& cell, bool numeric);

// wcscmp on 16-bit units: ordinal, case-sensitive, stops at the first NUL.
// Returns -1, 0 or 1.
int CompareOrdinal(const String& a, const String& b);

}  // namespace velmaric_model
