// Little-endian byte writer and bounds-checked reader for the stream form of
// the property set. A read past the end fails and latches the failure.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "framework/Types.h"

class ByteWriter {
 public:
  void U8(uint8_t v) { m_bytes.push_back(v); }
  void U16(uint16_t v) { U8(static_cast<uint8_t>(v)); U8(static_cast<uint8_t>(v >> 8)); }
  void U32(uint32_t v) { U16(static_cast<uint16_t>(v)); U16(static_cast<uint16_t>(v >> 16)); }
  void U64(uint64_t v) { U32(static_cast<uint32_t>(v)); U32(static_cast<uint32_t>(v >> 32)); }
  void Str(const String& s) {
    U32(static_cast<uint32_t>(s.size()));
    for (char16_t c : s) U16(c);
  }
  const std::vector<uint8_t>& Bytes() const { return m_bytes; }

 private:
  std::vector<uint8_t> m_bytes;
};

class ByteReader {
 public:
  ByteReader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
  explicit ByteReader(const std::vector<uint8_t>& v) : ByteReader(v.data(), v.size()) {}

  bool U8(uint8_t& v) {
    if (m_failed || m_pos >= m_size) return Fail();
    v = m_data[m_pos++];
    return true;
  }
  bool U16(uint16_t& v) {
    uint8_t a, b;
    if (!U8(a) || !U8(b)) return false;
    v = static_cast<uint16_t>(a | (b << 8));
    return true;
  }
  bool U32(uint32_t& v) {
    uint16_t a, b;
    if (!U16(a) || !U16(b)) return false;
    v = a | (static_cast<uint32_t>(b) << 16);
    return true;
  }
  bool U64(uint64_t& v) {
    uint32_t a, b;
    if (!U32(a) || !U32(b)) return false;
    v = a | (static_cast<uint64_t>(b) << 32);
    return true;
  }
  // A length beyond what is left is corruption, not a reason to allocate.
  bool Str(String& s, uint32_t maxChars = 1u << 20) {
    uint32_t n;
    if (!U32(n)) return false;
    if (n > maxChars || n > Remaining() / 2) return Fail();
    String r(n, u'\0');
    for (uint32_t k = 0; k < n; ++k) {
      uint16_t c;
      if (!U16(c)) return false;
      r[k] = static_cast<char16_t>(c);
    }
    s = std::move(r);
    return true;
  }
  size_t Remaining() const { return m_size - m_pos; }
  size_t Position() const { return m_pos; }
  bool Failed() const { return m_failed; }

 private:
  bool Fail() { m_failed = true; return false; }
  const uint8_t* m_data;
  size_t m_size;
  size_t m_pos = 0;
  bool m_failed = false;
};
