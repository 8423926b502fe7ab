// Keys and values under HKEY_CLASSES_ROOT, as self-registration writes and
// removes them.
#pragma once
#include <windows.h>

#include <string>

namespace classes_root {

// The default value (name null) or a named string value; the key is made.
bool SetValue(const std::wstring& key, const wchar_t* name, const std::wstring& value);
bool CreateKey(const std::wstring& key);
// The key and all below it; a key that is already gone counts as removed.
bool DeleteTree(const std::wstring& key);

}  // namespace classes_root
