// Decoding of a fuzz input into the values the targets need: numbers with
// their boundaries, UTF-16 texts biased toward what the code reacts to
// (digits, signs, white space, "&", NUL, surrogates), OLE colours, fonts and
// automation values of every type. Built on FuzzedDataProvider, so a short
// input still decodes (to zeros and empty texts) and every decision is
// reproducible from the bytes.
#pragma once
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

#include "framework/FontDesc.h"
#include "framework/Value.h"

namespace fuzz {

// A failed property check: print it and abort, so libFuzzer keeps the input.
[[noreturn]] inline void Fail(const char* file, int line, const char* what) {
  std::fprintf(stderr, "\n*** fuzz check failed: %s:%d: %s\n", file, line, what);
  std::fflush(stderr);
  std::abort();
}

#define FUZZ_CHECK(cond)                                     \
  do {                                                       \
    if (!(cond)) ::fuzz::Fail(__FILE__, __LINE__, #cond);   \
  } while (0)

// UTF-16 to printable ASCII for failure messages.
inline std::string Narrow(const String& s) {
  std::string out;
  for (char16_t c : s) {
    if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      char buf[12];
      std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(c));
      out += buf;
    }
  }
  return out;
}

class Input {
 public:
  Input(const uint8_t* data, size_t size) : m_fdp(data, size) {}

  FuzzedDataProvider& Raw() { return m_fdp; }
  size_t Remaining() { return m_fdp.remaining_bytes(); }
  bool Empty() { return m_fdp.remaining_bytes() == 0; }

  bool Bool() { return m_fdp.ConsumeBool(); }
  // 0 .. n-1 (n > 0).
  size_t Pick(size_t n) { return m_fdp.ConsumeIntegralInRange<size_t>(0, n - 1); }
  // lo .. hi inclusive, typed as lo (hi may be an enumerator or a wider literal).
  template <class T, class U>
  T Int(T lo, U hi) {
    return m_fdp.ConsumeIntegralInRange<T>(lo, static_cast<T>(hi));
  }
  template <class T>
  T Any() {
    return m_fdp.ConsumeIntegral<T>();
  }

  // A number of T, often one of its edges or a small value.
  template <class T>
  T Edgy() {
    using L = std::numeric_limits<T>;
    switch (Pick(8)) {
      case 0: return L::min();
      case 1: return L::max();
      case 2: return static_cast<T>(0);
      case 3: return static_cast<T>(L::is_signed ? -1 : 1);
      case 4: return Int<T>(0, 300);
      default: return Any<T>();
    }
  }

  // One UTF-16 code unit: mostly from characters the list code treats
  // specially, sometimes any unit at all.
  char16_t Unit() {
    static const char16_t kAlphabet[] = {
        u'0', u'1', u'2', u'5', u'9', u' ', u'\t', u'\v', u'-', u'+', u'&', u'*', u'a', u'A', u'b',
        u'Z', u'z', u'.', u'~', u'#', u'\r', u'\n', u'\0', u'\u00e9', u'\u00c4', u'\u3000', u'\xD800',
        u'\xDC00', u'\xFFFD', u'\xFFFF', u'x', u'3'};
    const uint8_t b = m_fdp.ConsumeIntegral<uint8_t>();
    if (b < 0xE0) return kAlphabet[b % (sizeof kAlphabet / sizeof kAlphabet[0])];
    return static_cast<char16_t>(m_fdp.ConsumeIntegral<uint16_t>());
  }

  String Text(size_t maxLen) {
    const size_t n = m_fdp.ConsumeIntegralInRange<size_t>(0, maxLen);
    String s;
    s.reserve(n);
    for (size_t k = 0; k < n && !Empty(); ++k) s.push_back(Unit());
    return s;
  }

  // Texts from a small set of words, so that equal and prefix-related texts
  // (the interesting cases for sorting and find) are common.
  String Word() {
    static const char16_t* const kWords[] = {
        u"",        u"0",          u"1",           u"200",          u"201",   u"999",  u"1000",
        u"-1",      u" 42",        u"+7",          u"4294967295",   u"4294967296", u"*",
        u"abc",     u"ab",         u"Abc",         u"pump",         u"Pump",  u"&&",   u"A&B",
        u"\u00e9t\u00e9", u"2024-01-01 00:00:00", u"Area1.Boiler.TI101"};
    constexpr size_t kCount = sizeof kWords / sizeof kWords[0];
    const size_t k = Pick(kCount + 2);
    if (k == kCount) return String(u"x\0y", 3);  // an embedded NUL ends the C string
    if (k == kCount + 1) return Text(24);
    return kWords[k];
  }

  // An OLE colour: RGB, a system-colour reference inside or beyond the
  // table (0x80000000 | index), or any other bit pattern.
  OleColor Colour() {
    switch (Pick(5)) {
      case 0: return Any<uint32_t>() & 0x00FFFFFFu;
      case 1: return 0x80000000u | Int<uint32_t>(0, 30);
      case 2: return 0x80000000u | Any<uint8_t>();
      case 3: return 0x80000000u | (Any<uint32_t>() & 0x00FFFFFFu);
      default: return Any<uint32_t>();
    }
  }

  FontDesc Font() {
    FontDesc f;
    if (Bool()) return f;
    f.name = Bool() ? Word() : Text(40);
    f.size = Bool() ? Int<int64_t>(0, 2000000) : Any<int64_t>();
    f.weight = Edgy<int16_t>();
    f.charset = Edgy<int16_t>();
    f.italic = Bool();
    f.underline = Bool();
    f.strikethrough = Bool();
    return f;
  }

  // An automation value of any type. Well-formed mostly; sometimes with a
  // payload its type would never carry (an I2 beyond 16 bits, a Bool of 7).
  Value AnyValue() {
    const VType type = static_cast<VType>(Int<uint8_t>(0, static_cast<uint8_t>(VType::Font)));
    Value v;
    switch (type) {
      case VType::Empty: break;
      case VType::I2: v = Value::I2(Edgy<int16_t>()); break;
      case VType::I4: v = Value::I4(Edgy<int32_t>()); break;
      case VType::Bool: v = Value::Bool(Bool()); break;
      case VType::BStr: v = Value::Str(Bool() ? Word() : Text(64)); break;
      case VType::Color: v = Value::Color(Colour()); break;
      case VType::Date: v = Value::Date(m_fdp.ConsumeFloatingPoint<double>()); break;
      case VType::Font: v = Value::Font(Font()); break;
    }
    if (Pick(8) == 0) {
      v.i = Any<int32_t>();  // a malformed payload
      v.d = m_fdp.ConsumeFloatingPoint<double>();
    }
    return v;
  }

 private:
  FuzzedDataProvider m_fdp;
};

}  // namespace fuzz
