#include "model/SortText.h"

namespace velmaric_model {
namespace {

// The C locale's white space: space, tab, LF, VT, FF, CR.
bool IsSpace(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Index of the first non-space unit, and the sign that follows it (if any).
size_t SkipSpaceAndSign(const String& text, bool& negative) {
  size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
    negative = text[i] == u'-';
    ++i;
  }
  return i;
}

}  // namespace

int32_t ParseDecimal(const String& text) {
  bool negative = false;
  size_t i = SkipSpaceAndSign(text, negative);
  // Magnitude is capped just past the int32 range so it cannot overflow.
  constexpr int64_t kCap = int64_t{INT32_MAX} + 1;
  int64_t value = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    value = value * 10 + (text[i] - u'0');
    if (value > kCap) value = kCap;
  }
  if (negative) return value >= kCap ? INT32_MIN : static_cast<int32_t>(-value);
  return value > INT32_MAX ? INT32_MAX : static_cast<int32_t>(value);
}

std::optional<uint32_t> ReadUnsigned32(const String& text) {
  bool negative = false;
  size_t i = SkipSpaceAndSign(text, negative);
  if (i >= text.size() || !IsDigit(text[i])) return std::nullopt;
  uint32_t value = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) value = value * 10u + static_cast<uint32_t>(text[i] - u'0');
  return negative ? 0u - value : value;
}

void AppendSortText(String& out, const String& cell, bool numeric) {
  if (numeric) {
    if (std::optional<uint32_t> value = ReadUnsigned32(cell)) {
      static const char16_t kHex[] = u"0123456789abcdef";
      for (int shift = 28; shift >= 0; shift -= 4) out.push_back(kHex[(*value >> shift) & 0xFu]);
      return;
    }
  }
  out.append(cell);
}

String SortTextOf(const String& cell, bool numeric) {
  String out;
  AppendSortText(out, cell, numeric);
  return out;
}

int CompareOrdinal(const String& a, const String& b) {
  // A missing unit reads as the terminating NUL, as in the C string.
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  const char16_t* pa = a.data();
  const char16_t* pb = b.data();
  for (size_t i = 0; i < n; ++i) {
    if (pa[i] != pb[i]) return pa[i] < pb[i] ? -1 : 1;
    if (pa[i] == 0) return 0;
  }
  const char16_t ca = n < a.size() ? pa[n] : 0;
  const char16_t cb = n < b.size() ? pb[n] : 0;
  if (ca == cb) return 0;
  return ca < cb ? -1 : 1;
}

}  // namespace velmaric_model
