// Value <-> VARIANT. Writes coerce with VariantChangeType, so scripts get the
// automation layer's own errors (type mismatch, overflow).
#pragma once
#include <windows.h>
#include <oleauto.h>

#include "framework/Value.h"

// Colours go out as VT_I4 so that scripts can do arithmetic with them.
HRESULT ValueToVariant(const Value& v, VARIANT* out);
// Font values are not handled here (they travel as font objects).
HRESULT VariantToValue(const VARIANT& in, VType want, Value& out);
