// Why a UA Binary decode or frame check failed.
#pragma once

namespace ua {

enum class DecodeError {
  None,         // no failure
  Truncated,    // a field runs past the end of the available bytes
  TooLong,      // a length, count or message size exceeds our fixed limits
  TooDeep,      // nesting of Variant/DataValue/ExtensionObject/DiagnosticInfo exceeds kMaxNestingDepth
  BadEncoding,  // an impossible value: unknown mask bits, unknown type id, negative length other than -1, ...
  OutOfMemory,  // allocation failed even though the sizes were within limits
};

// Short, stable English name for logs.
const char* ToString(DecodeError error);

}  // namespace ua
