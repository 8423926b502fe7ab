// DrawText treats "&" as a mnemonic marker; list texts are shown as they are.
#pragma once
#include "framework/Types.h"

namespace velmaric_view {

// `text` with every "&" doubled. Returns `text` itself when there is none, so
// the common case copies nothing; otherwise the result is built in `scratch`.
inline const String& DoubleAmpersands(const String& text, String& scratch) {
  if (text.find(u'&') == String::npos) return text;
  scratch.clear();
  scratch.reserve(text.size() + 4);
  for (char16_t ch : text) {
    scratch += ch;
    if (ch == u'&') scratch += u'&';
  }
  return scratch;
}

}  // namespace velmaric_view
