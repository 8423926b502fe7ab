#include "framework/Utf8.h"

#include <cstdint>

namespace utf8 {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

void AppendCodePoint(String& out, uint32_t cp) {
  if (cp < 0x10000) {
    out.push_back(static_cast<char16_t>(cp));
  } else {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  }
}

}  // namespace

String ToUtf16(std::string_view text) {
  String out;
  out.reserve(text.size());
  size_t i = 0;
  const size_t n = text.size();
  while (i < n) {
    const uint8_t lead = static_cast<uint8_t>(text[i]);
    if (lead < 0x80) {
      out.push_back(lead);
      ++i;
      continue;
    }
    // Sequence length and the allowed range of the second byte; the narrowed ranges after E0, ED, F0 and
    // F4 are what exclude overlong forms, surrogates and values above U+10FFFF.
    size_t length = 0;
    uint8_t lo = 0x80, hi = 0xBF;
    uint32_t cp = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      cp = lead & 0x0F;
      if (lead == 0xE0) lo = 0xA0;
      if (lead == 0xED) hi = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      cp = lead & 0x07;
      if (lead == 0xF0) lo = 0x90;
      if (lead == 0xF4) hi = 0x8F;
    } else {
      out.push_back(kReplacement);  // continuation byte without a lead, C0, C1, F5..FF
      ++i;
      continue;
    }
    size_t used = 1;
    bool ok = true;
    for (; used < length; ++used) {
      if (i + used >= n) {
        ok = false;
        break;
      }
      const uint8_t b = static_cast<uint8_t>(text[i + used]);
      const uint8_t min = used == 1 ? lo : 0x80;
      const uint8_t max = used == 1 ? hi : 0xBF;
      if (b < min || b > max) {
        ok = false;
        break;
      }
      cp = (cp << 6) | (b & 0x3F);
    }
    if (ok) {
      AppendCodePoint(out, cp);
    } else {
      // The offending byte is not consumed: it may start the next valid sequence.
      out.push_back(kReplacement);
    }
    i += used;
  }
  return out;
}

}  // namespace utf8
