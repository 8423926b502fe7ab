// UTF-8 to UTF-16 for scenario text; malformed bytes become U+FFFD.
#pragma once
#include <string>

#include "framework/Types.h"

namespace wtsim {
String Utf8ToUtf16(const std::string& text);
}
