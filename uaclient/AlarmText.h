// Text conversions the alarm mapping needs: UA UTF-8 strings to the control's UTF-16 String, and the
// standard text form of a NodeId (used as a category name when nothing better is known).
#pragma once

#include <string>
#include <string_view>

#include "framework/Types.h"
#include "uaclient/NodeId.h"
#include "uaclient/Types.h"

namespace ua {

// A UA String as UTF-16 (utf8::ToUtf16); the null string becomes empty.
::String ToAeString(const String& text);

// "i=2041" in namespace 0, otherwise "ns=2;i=5001", "ns=2;s=MyType", "ns=1;g=<lowercase guid>",
// "ns=1;b=<base64>".
std::string NodeIdToText(const NodeId& id);

}  // namespace ua
