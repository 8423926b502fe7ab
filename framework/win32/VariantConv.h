// Value <-> VARIANT. Writes coerce with VariantChangeType, so scripts get the
// automation layer's own errors (type mismatch, overflow). A font travels as
// a standard font object.
#pragma once
#include <windows.h>
#include <oleauto.h>
#include <olectl.h>

#include "framework/Value.h"

// Colours go out as VT_I4 so that scripts can do arithmetic with them, dates
// stay VT_DATE and shorts VT_I2; a font goes out as a new font object.
HRESULT ValueToVariant(const Value& v, VARIANT* out);
// A font is read from an object (also behind VT_BYREF|VT_VARIANT, as scripts
// pass it) that is a font; anything else is DISP_E_TYPEMISMATCH.
HRESULT VariantToValue(const VARIANT& in, VType want, Value& out);
// The font object's IFontDisp as VT_DISPATCH, with a reference of its own.
HRESULT FontToVariant(IFont* font, VARIANT* out);
