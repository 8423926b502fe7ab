// Name patterns of AE filters: '*' any run of characters, '?' one character,
// '#' one digit; everything else matches itself.
#pragma once
#include "framework/Types.h"

namespace opcsrv {
bool WildcardMatch(const String& pattern, const String& text);
}
