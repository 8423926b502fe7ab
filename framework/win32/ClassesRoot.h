// Keys and values under HKEY_CLASSES_ROOT, as self-registration writes and
// removes them.
#pragma once
#include <windows.h>

#include <string>

namespace classes_root {

// The default value (name null) or a named string value; the key is made.
bool SetValue(const std::wstring& key, const wchar_t* name, const std::wstring& value);
bool CreateKey(const std::wstring& key);
// A key's default string value; empty if there is none.
std::wstring GetText(const std::wstring& key);
// The key and all below it; a key that is already gone counts as removed.
bool DeleteTree(const std::wstring& key);

// On 64-bit Windows the x86 and x64 builds each register their class ids in
// their own registry view, while ProgIDs may be shared between the views
// (Windows 7 and later share them; Wine keeps one per view). Call these after
// the class id's own keys are gone.
// True if the other word size's view still registers the class id (text
// form with braces). Always false on a system with one view.
bool OtherViewRegisters(const std::wstring& clsid);
// Removes the ProgID if its CLSID value names clsid, unless the other word
// size's build still registers the class and sees this very key. A ProgID
// naming another class is not ours and stays.
bool RemoveProgId(const std::wstring& progId, const std::wstring& clsid);

}  // namespace classes_root
