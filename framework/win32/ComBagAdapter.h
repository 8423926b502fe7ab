// The container's persistence media seen by the portable property exchange:
// an IPropertyBag as a PropertyBagPort, and the stream form of the property
// set (a 32-bit byte count, then the control's bytes) on an IStream.
#pragma once
#include <windows.h>
#include <ocidl.h>

#include "framework/OleControl.h"

// Reads coerce to the wanted type with VariantChangeType; a value that does
// not convert is "absent" and the property takes its default. The font
// travels as a standard font object.
class ComPropertyBag : public PropertyBagPort {
 public:
  explicit ComPropertyBag(IPropertyBag* bag) : m_bag(bag) {}
  std::optional<Value> Read(const String& name, VType want) override;
  bool Write(const String& name, const Value& value) override;
  // The first failure of a write, S_OK if none.
  HRESULT WriteError() const { return m_writeError; }

 private:
  IPropertyBag* m_bag;
  HRESULT m_writeError = S_OK;
};

// Larger counts are not a property set of ours.
constexpr ULONG kMaxStreamForm = 1u << 20;

HRESULT ReadExact(IStream* stream, void* data, ULONG size);
HRESULT WriteAll(IStream* stream, const void* data, ULONG size);

// The stream form. A failed load leaves the control at its defaults.
HRESULT SaveControlToStream(COleControl& control, IStream* stream);
HRESULT LoadControlFromStream(COleControl& control, IStream* stream);
// Exact size of what SaveControlToStream would write now.
ULONGLONG StreamFormSize(COleControl& control);
