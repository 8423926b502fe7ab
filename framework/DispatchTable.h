// The dispatch table: automation names and ids bound to property accessors
// and to methods. The win32 IDispatch is driven by this table alone. The
// Value conversions below serve the accessors and the property exchange.
#pragma once
#include <cstddef>
#include <type_traits>

#include "framework/Value.h"

class COleControl;

struct DispEntry {
  const char16_t* name;
  DispId dispid;
  VType type;     // property type, or the method's result type (Empty: none)
  bool isMethod;
  Value (*get)(COleControl&);              // read the property, or call the method
  void (*put)(COleControl&, const Value&); // write (value already of `type`); null for methods
};

// Automation names are compared without regard to (ASCII) case.
bool NamesEqual(const char16_t* a, const String& b);

struct DispTable {
  const DispEntry* entries;
  size_t count;
  const DispEntry* begin() const { return entries; }
  const DispEntry* end() const { return entries + count; }
  const DispEntry* FindById(DispId id) const;
  // Automation names are matched without regard to case.
  const DispEntry* FindByName(const String& name) const;
};

namespace dispatch_detail {

template <class M>
struct MemberOf;
template <class C, class T>
struct MemberOf<T C::*> {
  using Class = C;
  using Type = T;
};

template <class T>
Value ToValue(VType type, const T& v) {
  if constexpr (std::is_same_v<T, String>) {
    return Value::Str(v);
  } else {
    Value r;
    r.type = type;
    r.i = static_cast<int32_t>(v);
    return r;
  }
}

template <class T>
T FromValue(VType type, const Value& v) {
  if constexpr (std::is_same_v<T, String>) {
    return v.s;
  } else {
    if (type == VType::Bool) return static_cast<T>(v.i != 0 ? 1 : 0);
    return static_cast<T>(v.i);
  }
}

}  // namespace dispatch_detail

// A method without arguments; Result is Empty for a method with no result.
template <auto Method, VType Result>
constexpr DispEntry DispMethod(const char16_t* name, DispId id) {
  using C = typename dispatch_detail::MemberOf<decltype(Method)>::Class;
  return DispEntry{name, id, Result, true,
                   [](COleControl& c) {
                     C& self = static_cast<C&>(c);
                     if constexpr (Result == VType::Empty) {
                       (self.*Method)();
                       return Value();
                     } else {
                       Value r;
                       r.type = Result;
                       r.i = static_cast<int32_t>((self.*Method)());
                       return r;
                     }
                   },
                   nullptr};
}
