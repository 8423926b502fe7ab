// One property-exchange routine serves load, save and reset: the control
// names each property with its default, in a fixed order, and the exchange
// object moves the value in the direction of its mode.
#pragma once
#include <optional>

#include "framework/ByteStream.h"
#include "framework/Value.h"

class PropExchange {
 public:
  enum class Mode { Load, Save, Reset };
  explicit PropExchange(Mode mode) : m_mode(mode) {}
  virtual ~PropExchange() = default;

  Mode GetMode() const { return m_mode; }
  bool IsLoading() const { return m_mode != Mode::Save; }
  // A hard failure (a truncated or corrupt stream) latches; later calls do nothing.
  bool Failed() const { return m_failed; }

  bool Version(uint32_t& v, uint32_t def) { return Do(u"_Version", VType::I4, v, def); }
  bool Short(const char16_t* name, int16_t& v, int16_t def) { return Do(name, VType::I2, v, def); }
  bool Long(const char16_t* name, int32_t& v, int32_t def) { return Do(name, VType::I4, v, def); }
  bool Bool(const char16_t* name, Bool32& v, Bool32 def) { return Do(name, VType::Bool, v, def); }
  bool Color(const char16_t* name, OleColor& v, OleColor def) { return Do(name, VType::Color, v, def); }
  bool Str(const char16_t* name, String& v, const String& def);
  bool Font(const char16_t* name, FontDesc& v, const FontDesc& def);

 protected:
  // Load: fill value (typed as asked) or return false for "take the default".
  // Save: write value. A stream form that cannot read sets m_failed.
  virtual bool Exchange(const char16_t* name, Value& value) = 0;
  bool m_failed = false;

 private:
  template <class T, class D>
  bool Do(const char16_t* name, VType type, T& v, D def);
  template <class T>
  bool DoObject(const char16_t* name, T& v, const T& def, Value (*wrap)(T), T Value::*field);
  Mode m_mode;
};

// Reset: every property takes its default.
class ResetExchange : public PropExchange {
 public:
  ResetExchange() : PropExchange(Mode::Reset) {}

 protected:
  bool Exchange(const char16_t*, Value&) override { return false; }
};

// A named set: reading a name the set lacks, or a value that does not convert
// to the property's type, gives the default; it never fails the whole load.
class PropertyBagPort {
 public:
  virtual ~PropertyBagPort() = default;
  virtual std::optional<Value> Read(const String& name, VType want) = 0;
  virtual bool Write(const String& name, const Value& value) = 0;
};

class BagExchange : public PropExchange {
 public:
  BagExchange(Mode mode, PropertyBagPort& bag) : PropExchange(mode), m_bag(bag) {}

 protected:
  bool Exchange(const char16_t* name, Value& value) override;

 private:
  PropertyBagPort& m_bag;
};

// The stream form keeps values by position, in exchange order.
class StreamExchange : public PropExchange {
 public:
  explicit StreamExchange(ByteWriter& out) : PropExchange(Mode::Save), m_out(&out) {}
  explicit StreamExchange(ByteReader& in) : PropExchange(Mode::Load), m_in(&in) {}

 protected:
  bool Exchange(const char16_t* name, Value& value) override;

 private:
  ByteWriter* m_out = nullptr;
  ByteReader* m_in = nullptr;
};

// In-memory bag for tests and for the win32 adapter's bookkeeping.
#include <map>
class MemoryPropertyBag : public PropertyBagPort {
 public:
  std::optional<Value> Read(const String& name, VType want) override;
  bool Write(const String& name, const Value& value) override {
    m_values[name] = value;
    return true;
  }
  std::map<String, Value> m_values;
};
