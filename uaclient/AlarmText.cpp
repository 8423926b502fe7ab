// UTF-8 decoding with replacement, and NodeId text forms.
#include "uaclient/AlarmText.h"

#include <cstdint>
#include <cstdio>

namespace ua {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

void AppendCodePoint(::String& out, uint32_t cp) {
  if (cp < 0x10000) {
    out.push_back(static_cast<char16_t>(cp));
  } else {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  }
}

std::string Base64(const std::vector<uint8_t>& bytes) {
  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    uint32_t v = (uint32_t{bytes[i]} << 16) | (uint32_t{bytes[i + 1]} << 8) | bytes[i + 2];
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += kAlphabet[(v >> 6) & 63];
    out += kAlphabet[v & 63];
  }
  size_t rest = bytes.size() - i;
  if (rest > 0) {
    uint32_t v = uint32_t{bytes[i]} << 16;
    if (rest == 2) v |= uint32_t{bytes[i + 1]} << 8;
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += rest == 2 ? kAlphabet[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

}  // namespace

::String Utf8ToUtf16(std::string_view utf8) {
  ::String out;
  out.reserve(utf8.size());
  size_t i = 0;
  const size_t n = utf8.size();
  while (i < n) {
    const uint8_t lead = static_cast<uint8_t>(utf8[i]);
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
      const uint8_t b = static_cast<uint8_t>(utf8[i + used]);
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

::String ToAeString(const String& text) { return text ? Utf8ToUtf16(*text) : ::String(); }

std::string NodeIdToText(const NodeId& id) {
  std::string out;
  if (id.namespaceIndex != 0) out = "ns=" + std::to_string(id.namespaceIndex) + ";";
  switch (id.idType) {
    case IdType::Numeric:
      out += "i=" + std::to_string(id.numeric);
      break;
    case IdType::String:
      out += "s=" + id.text;
      break;
    case IdType::Guid: {
      char buf[40];
      const Guid& g = id.guid;
      std::snprintf(buf, sizeof buf, "%08x-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x",
                    static_cast<unsigned>(g.data1), static_cast<unsigned>(g.data2),
                    static_cast<unsigned>(g.data3), g.data4[0], g.data4[1], g.data4[2], g.data4[3], g.data4[4],
                    g.data4[5], g.data4[6], g.data4[7]);
      out += "g=";
      out += buf;
      break;
    }
    case IdType::Opaque:
      out += "b=" + Base64(id.opaque);
      break;
  }
  return out;
}

}  // namespace ua
