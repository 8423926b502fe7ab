// UTF-8 decoding with replacement, and NodeId text forms.
#include "uaclient/AlarmText.h"

#include <cstdint>
#include <cstdio>

#include "framework/Utf8.h"

namespace ua {

namespace {

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

::String ToAeString(const String& text) { return text ? utf8::ToUtf16(*text) : ::String(); }

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
