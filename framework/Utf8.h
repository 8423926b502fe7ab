// UTF-8 to the control's UTF-16 String, for text from files and from the wire.
#pragma once

#include <string_view>

#include "framework/Types.h"

namespace utf8 {

// Code points above U+FFFF become surrogate pairs. Malformed input never fails: each maximal ill-formed
// subsequence (stray continuation byte, truncated sequence, overlong form, encoded surrogate, value above
// U+10FFFF) becomes one U+FFFD, the replacement practice Unicode recommends, so a truncated character
// shows as one mark and the text after it is kept.
String ToUtf16(std::string_view text);

}  // namespace utf8
