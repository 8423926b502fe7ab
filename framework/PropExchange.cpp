#include "framework/PropExchange.h"

#include "framework/DispatchTable.h"

using dispatch_detail::FromValue;
using dispatch_detail::ToValue;

namespace {

// A font's face name has at most LF_FACESIZE - 1 units: no font can use
// more, and the stream form refuses a longer one as not written by us.
constexpr size_t kMaxFaceName = 31;

void FitFaceName(String& name) {
  if (name.size() <= kMaxFaceName) return;
  size_t keep = kMaxFaceName;
  // Never half a surrogate pair.
  if (name[keep - 1] >= 0xD800 && name[keep - 1] <= 0xDBFF) --keep;
  name.resize(keep);
}

}  // namespace

template <class T, class D>
bool PropExchange::Do(const char16_t* name, VType type, T& v, D def) {
  if (m_failed) return false;
  switch (m_mode) {
    case Mode::Reset:
      v = static_cast<T>(def);
      return true;
    case Mode::Save: {
      Value val = ToValue(type, v);
      if (!Exchange(name, val)) m_failed = true;
      return !m_failed;
    }
    case Mode::Load: {
      Value val;
      val.type = type;
      if (Exchange(name, val)) {
        v = FromValue<T>(type, val);
      } else {
        if (m_failed) return false;
        v = static_cast<T>(def);
      }
      return true;
    }
  }
  return false;
}

template bool PropExchange::Do(const char16_t*, VType, uint32_t&, uint32_t);
template bool PropExchange::Do(const char16_t*, VType, int16_t&, int16_t);
template bool PropExchange::Do(const char16_t*, VType, int32_t&, int32_t);

// Strings and fonts: values that are not numbers travel in their own field.
template <class T>
bool PropExchange::DoObject(const char16_t* name, T& v, const T& def, Value (*wrap)(T), T Value::*field) {
  if (m_failed) return false;
  if (m_mode == Mode::Reset) {
    v = def;
    return true;
  }
  Value val = wrap(m_mode == Mode::Save ? v : T());
  bool ok = Exchange(name, val);
  if (m_mode == Mode::Save) {
    if (!ok) m_failed = true;
  } else if (!m_failed) {
    v = ok ? val.*field : def;
  }
  return !m_failed;
}

bool PropExchange::Str(const char16_t* name, String& v, const String& def) {
  return DoObject<String>(name, v, def, &Value::Str, &Value::s);
}

bool PropExchange::Font(const char16_t* name, FontDesc& v, const FontDesc& def) {
  return DoObject<FontDesc>(name, v, def, &Value::Font, &Value::font);
}

bool BagExchange::Exchange(const char16_t* name, Value& value) {
  if (GetMode() == Mode::Save) return m_bag.Write(name, value);
  std::optional<Value> got = m_bag.Read(name, value.type);
  if (!got || got->type != value.type) return false;
  value = *got;
  // Whatever a bag holds, the loaded set must be one that saves as a stream
  // and loads back.
  if (value.type == VType::Font) FitFaceName(value.font.name);
  return true;
}

namespace {

enum : uint8_t { kItalic = 1, kUnderline = 2, kStrike = 4 };

void WriteValue(ByteWriter& out, const Value& v) {
  switch (v.type) {
    case VType::I2: out.U16(static_cast<uint16_t>(v.i)); break;
    case VType::Bool: out.U32(v.i != 0 ? 1 : 0); break;
    case VType::I4:
    case VType::Color: out.U32(static_cast<uint32_t>(v.i)); break;
    case VType::Date: {
      uint64_t bits;
      static_assert(sizeof bits == sizeof v.d, "double is 64 bits");
      __builtin_memcpy(&bits, &v.d, sizeof bits);
      out.U64(bits);
      break;
    }
    case VType::BStr: out.Str(v.s); break;
    case VType::Font: {
      // A longer name (set through automation) is cut as a font would cut it.
      String face = v.font.name;
      FitFaceName(face);
      out.Str(face);
      out.U64(static_cast<uint64_t>(v.font.size));
      out.U16(static_cast<uint16_t>(v.font.weight));
      out.U16(static_cast<uint16_t>(v.font.charset));
      out.U8(static_cast<uint8_t>((v.font.italic ? kItalic : 0) | (v.font.underline ? kUnderline : 0) |
                                  (v.font.strikethrough ? kStrike : 0)));
      break;
    }
    case VType::Empty: break;
  }
}

bool ReadValue(ByteReader& in, Value& v) {
  switch (v.type) {
    case VType::I2: {
      uint16_t x;
      if (!in.U16(x)) return false;
      v.i = static_cast<int16_t>(x);
      return true;
    }
    case VType::Bool: {
      uint32_t x;
      if (!in.U32(x)) return false;
      v.i = x != 0 ? 1 : 0;
      return true;
    }
    case VType::I4:
    case VType::Color: {
      uint32_t x;
      if (!in.U32(x)) return false;
      v.i = static_cast<int32_t>(x);
      return true;
    }
    case VType::Date: {
      uint64_t bits;
      if (!in.U64(bits)) return false;
      __builtin_memcpy(&v.d, &bits, sizeof bits);
      return true;
    }
    case VType::BStr: return in.Str(v.s);
    case VType::Font: {
      uint64_t size;
      uint16_t weight, charset;
      uint8_t flags;
      // A face name longer than LF_FACESIZE is not a font we wrote.
      if (!in.Str(v.font.name, kMaxFaceName) || !in.U64(size) || !in.U16(weight) || !in.U16(charset) ||
          !in.U8(flags))
        return false;
      if (flags & ~(kItalic | kUnderline | kStrike)) return false;
      v.font.size = static_cast<int64_t>(size);
      v.font.weight = static_cast<int16_t>(weight);
      v.font.charset = static_cast<int16_t>(charset);
      v.font.italic = flags & kItalic;
      v.font.underline = flags & kUnderline;
      v.font.strikethrough = flags & kStrike;
      return true;
    }
    case VType::Empty: return true;
  }
  return false;
}

}  // namespace

bool StreamExchange::Exchange(const char16_t*, Value& value) {
  if (m_out) {
    WriteValue(*m_out, value);
    return true;
  }
  if (!ReadValue(*m_in, value)) {
    m_failed = true;
    return false;
  }
  return true;
}

std::optional<Value> MemoryPropertyBag::Read(const String& name, VType want) {
  auto it = m_values.find(name);
  if (it == m_values.end() || it->second.type != want) return std::nullopt;
  return it->second;
}
