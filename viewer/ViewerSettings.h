// The viewer's settings file: the control's property set as the control saves
// it through IPersistPropertyBag, kept as UTF-8 text with one Name=Value line
// per property. Blank lines and lines starting with '#' are ignored.
//
// Value forms: whole numbers in decimal or 0x hex (colours are written in
// hex), booleans as True/False, strings as the rest of the line with \\, \n
// and \r escaped, and the font as
//   Font=Name=MS Sans Serif;Size=8.25;Weight=400;Charset=0;Italic=False;Underline=False;Strikethrough=False
// where only Name and Size are required. A font is written as the nearest one
// that this form reads back (at most 1000 pt, a face of at most 31 UTF-16
// units without leading or trailing blanks). Any other plain type goes through
// the system's variant conversion with the invariant locale.
#pragma once
#include <windows.h>
#include <oaidl.h>

#include <string>
#include <vector>

// A VARIANT that owns its value.
class OwnedVariant {
 public:
  OwnedVariant() { VariantInit(&v); }
  OwnedVariant(const OwnedVariant& o) {
    VariantInit(&v);
    VariantCopy(&v, const_cast<VARIANT*>(&o.v));
  }
  OwnedVariant& operator=(const OwnedVariant& o) {
    if (this != &o) VariantCopy(&v, const_cast<VARIANT*>(&o.v));  // clears the old value first
    return *this;
  }
  ~OwnedVariant() { VariantClear(&v); }
  VARIANT v;
};

struct NamedValue {
  std::wstring name;
  OwnedVariant value;
};
using PropertyValues = std::vector<NamedValue>;

// The text of one value; false for a value the file cannot hold (an object
// other than a font).
bool FormatValue(const std::wstring& name, const VARIANT& value, std::wstring& text);
// Reads text as a value of type `vt` (VT_DISPATCH: a new font object); false
// when the text is not such a value.
bool ParseValue(const std::wstring& text, VARTYPE vt, VARIANT* out);

// The whole file's text. Values the file cannot hold are left out and named
// in `skipped`.
std::string FormatSettings(const PropertyValues& values, std::wstring* skipped = nullptr);

// The first line that could not be used (line 0: every line was good).
struct SettingsProblem {
  int line = 0;
  std::wstring reason;
};
// Reads the file's text against `known`, the control's own property set (its
// names and types): every good line becomes a value of the known type, in the
// file's order. Bad lines are skipped, the first one is reported.
PropertyValues ParseSettings(const std::string& utf8, const PropertyValues& known, SettingsProblem& problem);

// Writes a temporary file in the target's folder and moves it over the
// target, so that the target is either the old or the new file, never a part.
bool WriteFileReplacing(const std::wstring& path, const std::string& bytes, std::wstring& error);

// The control's properties, by name in the order it writes them, through
// IPersistPropertyBag::Save (the control stays dirty).
HRESULT SaveProperties(IUnknown* control, PropertyValues& out);
// Loads the control through IPersistPropertyBag::Load from these values; a
// property that is not among them takes the control's default.
HRESULT LoadProperties(IUnknown* control, const PropertyValues& values);

// %APPDATA%\Velmaric AE\VelmaricAEView.settings
std::wstring DefaultSettingsPath();

// Loads the file into the control. A missing file leaves the control as it
// is. `message` is empty, or the one line to tell the user (the file and its
// first bad line, or why it could not be read). False when the file is there
// but was not loaded whole (it could not be read, is too large, the control
// refused it, or a line of it was not used): the saves of this run must keep
// it before replacing it.
bool LoadSettingsFile(IUnknown* control, const std::wstring& path, std::wstring& message);
// Saves the control's properties to the file, creating its folder; false with
// `message` when it fails. A property the file cannot hold is named in
// `message` but does not fail the save. With `keepOld` the file is first
// copied to path + ".bak" (and not replaced when that fails); `keepOld` is
// then cleared, so that the later saves of the run leave that copy alone.
bool SaveSettingsFile(IUnknown* control, const std::wstring& path, bool& keepOld, std::wstring& message);
