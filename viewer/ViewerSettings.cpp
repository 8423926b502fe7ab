#include "viewer/ViewerSettings.h"

#include <ocidl.h>
#include <olectl.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdint>

#include "framework/win32/ComObject.h"
#include "framework/win32/StockFont.h"
#include "framework/win32/VariantConv.h"

namespace {

constexpr size_t kMaxFileSize = 1u << 20;  // far above any property set of ours
constexpr int64_t kMaxFontPoints = 1000;
constexpr int kMaxFontWeight = 1000;
const char kHeader[] = "# Velmaric AE viewer settings: the control's properties, one Name=Value line each.\r\n";

std::string Utf8(const std::wstring& s) {
  if (s.empty()) return std::string();
  int n = WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), &out[0], n, nullptr, nullptr);
  return out;
}

bool FromUtf8(const std::string& s, std::wstring& out) {
  out.clear();
  if (s.empty()) return true;
  int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, s.data(), static_cast<int>(s.size()), nullptr, 0);
  if (n <= 0) return false;
  out.resize(static_cast<size_t>(n));
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, s.data(), static_cast<int>(s.size()), &out[0], n);
  return true;
}

std::wstring Trim(const std::wstring& s) {
  size_t b = s.find_first_not_of(L" \t");
  if (b == std::wstring::npos) return std::wstring();
  size_t e = s.find_last_not_of(L" \t");
  return s.substr(b, e - b + 1);
}

bool SameName(const std::wstring& a, const std::wstring& b) { return lstrcmpiW(a.c_str(), b.c_str()) == 0; }

std::wstring SystemMessage(DWORD error) {
  wchar_t* text = nullptr;
  FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                 error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring out = text ? Trim(text) : std::wstring();
  if (text) LocalFree(text);
  while (!out.empty() && (out.back() == L'\r' || out.back() == L'\n' || out.back() == L'.')) out.pop_back();
  return out.empty() ? L"error " + std::to_wstring(error) : out;
}

std::wstring Hex8(uint32_t n) {
  static const wchar_t kDigits[] = L"0123456789ABCDEF";
  std::wstring s = L"0x";
  for (int shift = 28; shift >= 0; shift -= 4) s += kDigits[(n >> shift) & 0xF];
  return s;
}

// Strings stay on one line: backslash, CR and LF are escaped.
std::wstring Escape(const wchar_t* s, size_t n) {
  std::wstring out;
  for (size_t k = 0; k < n; ++k) {
    switch (s[k]) {
      case L'\\': out += L"\\\\"; break;
      case L'\n': out += L"\\n"; break;
      case L'\r': out += L"\\r"; break;
      default: out += s[k];
    }
  }
  return out;
}

bool Unescape(const std::wstring& s, std::wstring& out) {
  out.clear();
  for (size_t k = 0; k < s.size(); ++k) {
    if (s[k] != L'\\') {
      out += s[k];
      continue;
    }
    if (++k == s.size()) return false;
    switch (s[k]) {
      case L'\\': out += L'\\'; break;
      case L'n': out += L'\n'; break;
      case L'r': out += L'\r'; break;
      default: return false;
    }
  }
  return true;
}

// A whole number: optional minus and decimal digits, or 0x and up to eight
// hex digits (read unsigned, so that colours such as 0x80000005 fit).
bool ParseWhole(const std::wstring& s, int64_t& value, bool& hex) {
  hex = s.size() > 2 && s[0] == L'0' && (s[1] == L'x' || s[1] == L'X');
  size_t k = hex ? 2 : 0;
  bool negative = !hex && k < s.size() && s[k] == L'-';
  if (negative) ++k;
  if (k == s.size() || s.size() - k > (hex ? 8u : 10u)) return false;
  uint64_t n = 0;
  for (; k < s.size(); ++k) {
    wchar_t c = s[k];
    unsigned d;
    if (c >= L'0' && c <= L'9') d = c - L'0';
    else if (hex && c >= L'a' && c <= L'f') d = c - L'a' + 10;
    else if (hex && c >= L'A' && c <= L'F') d = c - L'A' + 10;
    else return false;
    n = n * (hex ? 16 : 10) + d;
  }
  value = negative ? -static_cast<int64_t>(n) : static_cast<int64_t>(n);
  return true;
}

bool ParseBool(const std::wstring& s, bool& value) {
  if (SameName(s, L"True") || s == L"-1" || s == L"1") value = true;
  else if (SameName(s, L"False") || s == L"0") value = false;
  else return false;
  return true;
}

// Points with up to four decimals, as the font object's CY size holds them.
bool ParsePoints(const std::wstring& s, int64_t& units) {
  size_t dot = s.find(L'.');
  std::wstring whole = s.substr(0, dot);
  std::wstring frac = dot == std::wstring::npos ? std::wstring() : s.substr(dot + 1);
  if (whole.empty() || whole.size() > 4 || frac.size() > 4 || (dot != std::wstring::npos && frac.empty()))
    return false;
  int64_t n = 0;
  for (wchar_t c : whole + frac + std::wstring(4 - frac.size(), L'0')) {
    if (c < L'0' || c > L'9') return false;
    n = n * 10 + (c - L'0');
  }
  if (n <= 0 || n > kMaxFontPoints * 10000) return false;
  units = n;
  return true;
}

std::wstring FormatPoints(int64_t units) {
  std::wstring s = std::to_wstring(units / 10000);
  int64_t frac = units % 10000;
  if (frac) {
    std::wstring f = std::to_wstring(frac);
    f.insert(0, 4 - f.size(), L'0');
    while (f.back() == L'0') f.pop_back();
    s += L"." + f;
  }
  return s;
}

// The face as ParseFont takes it back: without the blanks it trims, and no
// longer than LOGFONT holds (GDI never uses more of it), cut between whole
// characters.
std::wstring LoadableFaceName(const wchar_t* name) {
  std::wstring face = Trim(name);
  if (face.size() >= LF_FACESIZE) {
    face.resize(LF_FACESIZE - 1);
    if (face.back() >= 0xD800 && face.back() <= 0xDBFF) face.pop_back();
    face = Trim(face);
  }
  return face;
}

// A font is written as the nearest font ParseFont accepts, so that the next
// start gets it back rather than the default: the size, weight and charset are
// brought into its ranges (a charset as GDI takes it, one byte).
bool FormatFont(IUnknown* object, std::wstring& text) {
  FontDesc desc;
  const bool ok = DescribeFont(object, desc) && !desc.name.empty() && desc.size > 0;
  const std::wstring name(desc.name.begin(), desc.name.end());
  std::wstring face = ok ? LoadableFaceName(name.c_str()) : std::wstring();
  // A face the line cannot carry at all is left out (and named by the caller).
  if (face.empty() || face.find_first_of(L";\r\n") != std::wstring::npos) return false;
  auto flag = [](BOOL b) { return b ? L"True" : L"False"; };
  text = L"Name=" + face + L";Size=" + FormatPoints(std::min<int64_t>(desc.size, kMaxFontPoints * 10000)) +
         L";Weight=" + std::to_wstring(std::min<int>(std::max<int>(desc.weight, 0), kMaxFontWeight)) +
         L";Charset=" + std::to_wstring(desc.charset & 0xFF) + L";Italic=" + flag(desc.italic) + L";Underline=" +
         flag(desc.underline) + L";Strikethrough=" + flag(desc.strikethrough);
  return true;
}

bool ParseFont(const std::wstring& text, VARIANT* out) {
  std::wstring name;
  int64_t size = 0, weight = FW_NORMAL, charset = DEFAULT_CHARSET;
  bool italic = false, underline = false, strike = false;
  unsigned seen = 0;
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t end = text.find(L';', pos);
    if (end == std::wstring::npos) end = text.size();
    std::wstring part = text.substr(pos, end - pos);
    pos = end + 1;
    size_t eq = part.find(L'=');
    if (eq == std::wstring::npos) return false;
    std::wstring key = Trim(part.substr(0, eq)), value = Trim(part.substr(eq + 1));
    static const wchar_t* const kKeys[] = {L"Name", L"Size", L"Weight", L"Charset", L"Italic", L"Underline",
                                           L"Strikethrough"};
    int which = -1;
    for (int k = 0; k < 7; ++k)
      if (SameName(key, kKeys[k])) which = k;
    if (which < 0 || (seen & (1u << which))) return false;
    seen |= 1u << which;
    bool hex = false;
    switch (which) {
      case 0: name = value; if (name.empty() || name.size() >= LF_FACESIZE) return false; break;
      case 1: if (!ParsePoints(value, size)) return false; break;
      case 2: if (!ParseWhole(value, weight, hex) || weight < 0 || weight > kMaxFontWeight) return false; break;
      case 3: if (!ParseWhole(value, charset, hex) || charset < 0 || charset > 255) return false; break;
      case 4: if (!ParseBool(value, italic)) return false; break;
      case 5: if (!ParseBool(value, underline)) return false; break;
      case 6: if (!ParseBool(value, strike)) return false; break;
    }
  }
  if ((seen & 3u) != 3u) return false;  // a font needs at least its name and size
  FontDesc desc;
  desc.name = String(name.begin(), name.end());
  desc.size = size;
  desc.weight = static_cast<int16_t>(weight);
  desc.charset = static_cast<int16_t>(charset);
  desc.italic = italic;
  desc.underline = underline;
  desc.strikethrough = strike;
  IFont* font = CreateFontObject(desc);
  if (!font) return false;
  const HRESULT hr = FontToVariant(font, out);
  font->Release();
  return SUCCEEDED(hr);
}

// The bags are short-lived and live on the caller's stack; their counts only
// serve the control's AddRef/Release pairs.
class BagBase : public IPropertyBag {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    return QueryInterfaces<IPropertyBag>(this, riid, ppv);
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
  STDMETHODIMP_(ULONG) Release() override { return --m_refs; }

 private:
  ULONG m_refs = 1;
};

// Keeps every value the control writes, in its order.
class RecordingBag : public BagBase {
 public:
  explicit RecordingBag(PropertyValues& out) : m_out(out) {}
  STDMETHODIMP Read(LPCOLESTR, VARIANT*, IErrorLog*) override { return E_INVALIDARG; }
  STDMETHODIMP Write(LPCOLESTR name, VARIANT* value) override {
    if (!name || !value) return E_POINTER;
    NamedValue nv;
    nv.name = name;
    HRESULT hr = VariantCopyInd(&nv.value.v, value);
    if (FAILED(hr)) return hr;
    for (NamedValue& old : m_out) {
      if (SameName(old.name, nv.name)) {
        old.value = nv.value;
        return S_OK;
      }
    }
    m_out.push_back(nv);
    return S_OK;
  }

 private:
  PropertyValues& m_out;
};

// Answers the control's reads from the values; a name that is not there is
// absent (E_INVALIDARG), so the control uses its default.
class ValuesBag : public BagBase {
 public:
  explicit ValuesBag(const PropertyValues& values) : m_values(values) {}
  STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override {
    if (!name || !value) return E_POINTER;
    for (const NamedValue& nv : m_values) {
      if (!SameName(nv.name, name)) continue;
      // The caller's type, if it set one, is the type it wants.
      VARTYPE want = V_VT(value);
      VariantInit(value);
      VARIANT* have = const_cast<VARIANT*>(&nv.value.v);
      if (want == VT_EMPTY) return VariantCopy(value, have);
      return VariantChangeType(value, have, 0, want);
    }
    return E_INVALIDARG;
  }
  STDMETHODIMP Write(LPCOLESTR, VARIANT*) override { return E_NOTIMPL; }

 private:
  const PropertyValues& m_values;
};

std::wstring FullPath(const std::wstring& path, std::wstring* folder) {
  wchar_t buf[MAX_PATH * 2];
  wchar_t* file = nullptr;
  DWORD n = GetFullPathNameW(path.c_str(), MAX_PATH * 2, buf, &file);
  if (n == 0 || n >= MAX_PATH * 2) return path;
  if (folder) *folder = file ? std::wstring(buf, file) : std::wstring(buf);
  return buf;
}

// Copies the file to `copy` through a temporary file, so that a copy of an
// earlier run is replaced whole or not at all. No file is nothing to keep.
bool KeepCopy(const std::wstring& path, const std::wstring& copy, std::wstring& error) {
  std::wstring folder;
  std::wstring source = FullPath(path, &folder);
  wchar_t temp[MAX_PATH];
  if (folder.empty() || !GetTempFileNameW(folder.c_str(), L"vae", 0, temp)) {
    error = L"settings file " + path + L" not saved: cannot create a file in " + (folder.empty() ? path : folder) +
            L": " + SystemMessage(GetLastError());
    return false;
  }
  bool ok = CopyFileW(source.c_str(), temp, FALSE) != FALSE;
  DWORD err = GetLastError();
  if (!ok && (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND)) {
    DeleteFileW(temp);
    return true;
  }
  if (ok) {
    const std::wstring target = FullPath(copy, nullptr);
    ok = MoveFileExW(temp, target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    err = GetLastError();
  }
  if (!ok) {
    DeleteFileW(temp);
    error = L"settings file " + path + L" not saved: it cannot be kept as " + copy + L" first: " + SystemMessage(err);
  }
  return ok;
}

}  // namespace

bool FormatValue(const std::wstring& name, const VARIANT& in, std::wstring& text) {
  const VARIANT* v = &in;
  if (V_VT(v) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(v)) v = V_VARIANTREF(v);
  switch (V_VT(v)) {
    case VT_I2: text = std::to_wstring(V_I2(v)); return true;
    case VT_I4:
      // OLE colours read best in hex: 0x80000005 is a system colour.
      text = name.find(L"Color") != std::wstring::npos ? Hex8(static_cast<uint32_t>(V_I4(v)))
                                                        : std::to_wstring(V_I4(v));
      return true;
    case VT_BOOL: text = V_BOOL(v) ? L"True" : L"False"; return true;
    case VT_BSTR: text = Escape(V_BSTR(v), SysStringLen(V_BSTR(v))); return true;
    case VT_DISPATCH:
    case VT_UNKNOWN: return FormatFont(V_UNKNOWN(v), text);
    default: break;
  }
  if (V_VT(v) & (VT_ARRAY | VT_BYREF)) return false;
  VARIANT s;
  VariantInit(&s);
  if (FAILED(VariantChangeTypeEx(&s, const_cast<VARIANT*>(v), LOCALE_INVARIANT, 0, VT_BSTR))) return false;
  text = Escape(V_BSTR(&s), SysStringLen(V_BSTR(&s)));
  VariantClear(&s);
  return true;
}

bool ParseValue(const std::wstring& text, VARTYPE vt, VARIANT* out) {
  VariantInit(out);
  int64_t n = 0;
  bool hex = false, b = false;
  switch (vt) {
    case VT_I2:
      if (!ParseWhole(text, n, hex) || n < -32768 || n > 32767) return false;
      V_VT(out) = VT_I2;
      V_I2(out) = static_cast<SHORT>(n);
      return true;
    case VT_I4:
      if (!ParseWhole(text, n, hex) || n > (hex ? 0xFFFFFFFFll : 0x7FFFFFFFll) || n < -0x80000000ll) return false;
      V_VT(out) = VT_I4;
      V_I4(out) = static_cast<LONG>(static_cast<uint32_t>(n));
      return true;
    case VT_BOOL:
      if (!ParseBool(text, b)) return false;
      V_VT(out) = VT_BOOL;
      V_BOOL(out) = b ? VARIANT_TRUE : VARIANT_FALSE;
      return true;
    case VT_DISPATCH:
    case VT_UNKNOWN: return ParseFont(text, out);
    default: break;
  }
  std::wstring plain;
  if (!Unescape(text, plain)) return false;
  VARIANT s;
  V_VT(&s) = VT_BSTR;
  V_BSTR(&s) = SysAllocStringLen(plain.data(), static_cast<UINT>(plain.size()));
  if (!V_BSTR(&s)) return false;
  if (vt == VT_BSTR) {
    *out = s;
    return true;
  }
  HRESULT hr = VariantChangeTypeEx(out, &s, LOCALE_INVARIANT, 0, vt);
  VariantClear(&s);
  return SUCCEEDED(hr);
}

std::string FormatSettings(const PropertyValues& values, std::wstring* skipped) {
  std::string text = kHeader;
  for (const NamedValue& nv : values) {
    std::wstring value;
    if (FormatValue(nv.name, nv.value.v, value)) {
      text += Utf8(nv.name + L"=" + value) + "\r\n";
    } else if (skipped) {
      *skipped += (skipped->empty() ? L"" : L", ") + nv.name;
    }
  }
  return text;
}

PropertyValues ParseSettings(const std::string& utf8, const PropertyValues& known, SettingsProblem& problem) {
  PropertyValues out;
  problem = SettingsProblem();
  int lineNo = 0;
  auto bad = [&](const std::wstring& why) {
    if (problem.line == 0) problem = {lineNo, why};
  };
  size_t pos = utf8.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;  // a byte-order mark from an editor
  while (pos < utf8.size()) {
    size_t end = utf8.find('\n', pos);
    if (end == std::string::npos) end = utf8.size();
    std::string raw = utf8.substr(pos, end - pos);
    pos = end + 1;
    ++lineNo;
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    std::wstring line;
    if (!FromUtf8(raw, line)) {
      bad(L"not UTF-8 text");
      continue;
    }
    std::wstring trimmed = Trim(line);
    if (trimmed.empty() || trimmed[0] == L'#') continue;
    size_t eq = line.find(L'=');
    if (eq == std::wstring::npos) {
      bad(L"\"" + trimmed + L"\" is not Name=Value");
      continue;
    }
    std::wstring name = Trim(line.substr(0, eq));
    const NamedValue* prop = nullptr;
    for (const NamedValue& k : known)
      if (SameName(k.name, name)) prop = &k;
    if (!prop) {
      bad(L"unknown property \"" + name + L"\"");
      continue;
    }
    bool twice = false;
    for (const NamedValue& had : out) twice = twice || had.name == prop->name;
    if (twice) {
      bad(prop->name + L" is given twice");
      continue;
    }
    const VARTYPE vt = V_VT(&prop->value.v);
    // Only a string keeps its spaces.
    std::wstring value = vt == VT_BSTR ? line.substr(eq + 1) : Trim(line.substr(eq + 1));
    NamedValue nv;
    nv.name = prop->name;
    if (!ParseValue(value, vt, &nv.value.v)) {
      bad(L"\"" + value + L"\" is not a valid value for " + prop->name);
      continue;
    }
    out.push_back(nv);
  }
  return out;
}

bool WriteFileReplacing(const std::wstring& path, const std::string& bytes, std::wstring& error) {
  std::wstring folder;
  std::wstring target = FullPath(path, &folder);
  wchar_t temp[MAX_PATH];
  if (folder.empty() || !GetTempFileNameW(folder.c_str(), L"vae", 0, temp)) {
    error = L"cannot create a file in " + (folder.empty() ? path : folder) + L": " + SystemMessage(GetLastError());
    return false;
  }
  HANDLE f = CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  bool ok = f != INVALID_HANDLE_VALUE &&
            WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
            written == bytes.size() && FlushFileBuffers(f);
  DWORD err = GetLastError();
  if (f != INVALID_HANDLE_VALUE) ok = CloseHandle(f) && ok;
  if (ok) {
    ok = MoveFileExW(temp, target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    err = GetLastError();
  }
  if (!ok) {
    DeleteFileW(temp);
    error = L"cannot write " + target + L": " + SystemMessage(err);
  }
  return ok;
}

HRESULT SaveProperties(IUnknown* control, PropertyValues& out) {
  out.clear();
  IPersistPropertyBag* persist = nullptr;
  HRESULT hr = control->QueryInterface(IID_IPersistPropertyBag, reinterpret_cast<void**>(&persist));
  if (FAILED(hr)) return hr;
  RecordingBag bag(out);
  hr = persist->Save(&bag, FALSE, TRUE);
  persist->Release();
  return hr;
}

HRESULT LoadProperties(IUnknown* control, const PropertyValues& values) {
  IPersistPropertyBag* persist = nullptr;
  HRESULT hr = control->QueryInterface(IID_IPersistPropertyBag, reinterpret_cast<void**>(&persist));
  if (FAILED(hr)) return hr;
  ValuesBag bag(values);
  hr = persist->Load(&bag, nullptr);
  persist->Release();
  return hr;
}

std::wstring DefaultSettingsPath() {
  wchar_t appData[MAX_PATH];
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData)))
    return L"VelmaricAEView.settings";
  return std::wstring(appData) + L"\\Velmaric AE\\VelmaricAEView.settings";
}

bool LoadSettingsFile(IUnknown* control, const std::wstring& path, std::wstring& message) {
  message.clear();
  // What was not loaded would be lost when the viewer saves over the file.
  const std::wstring kept = L"; the viewer keeps the file as " + path + L".bak before saving over it";
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) {
    DWORD err = GetLastError();
    // No file yet: the first run keeps the control's defaults.
    if (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND) return true;
    message = L"settings file " + path + L" cannot be read: " + SystemMessage(err) + kept;
    return false;
  }
  LARGE_INTEGER size = {};
  std::string text;
  bool ok = GetFileSizeEx(f, &size) && size.QuadPart <= static_cast<LONGLONG>(kMaxFileSize);
  DWORD got = 0;
  if (ok) {
    text.resize(static_cast<size_t>(size.QuadPart));
    ok = text.empty() || (ReadFile(f, &text[0], static_cast<DWORD>(text.size()), &got, nullptr) && got == text.size());
  }
  DWORD err = GetLastError();
  CloseHandle(f);
  if (!ok) {
    message = L"settings file " + path + L" cannot be read: " +
              (size.QuadPart > static_cast<LONGLONG>(kMaxFileSize) ? L"it is too large" : SystemMessage(err)) + kept;
    return false;
  }
  PropertyValues known;
  HRESULT hr = SaveProperties(control, known);
  if (FAILED(hr)) {
    message = L"the control does not report its properties (IPersistPropertyBag::Save failed); settings file " +
              path + L" not loaded" + kept;
    return false;
  }
  SettingsProblem problem;
  PropertyValues values = ParseSettings(text, known, problem);
  hr = LoadProperties(control, values);
  if (FAILED(hr)) {
    message = L"the control refused the settings from " + path + L" (IPersistPropertyBag::Load failed)" + kept;
    return false;
  }
  if (problem.line) {
    message = L"settings file " + path + L", line " + std::to_wstring(problem.line) + L": " + problem.reason +
              L"; the properties without a good line take their defaults" + kept;
    return false;
  }
  // A file of an older viewer, or one cut short by hand: say what it lacks.
  // Every line of it was used, so saving over it loses nothing.
  std::vector<std::wstring> missing;
  for (const NamedValue& k : known) {
    bool found = false;
    for (const NamedValue& v : values) found = found || _wcsicmp(v.name.c_str(), k.name.c_str()) == 0;
    if (!found) missing.push_back(k.name);
  }
  if (!missing.empty())
    message = L"settings file " + path + L" has no line for " + missing.front() +
              (missing.size() > 1 ? L" and " + std::to_wstring(missing.size() - 1) + L" other properties" : L"") +
              L"; they take their defaults";
  return true;
}

bool SaveSettingsFile(IUnknown* control, const std::wstring& path, bool& keepOld, std::wstring& message) {
  message.clear();
  PropertyValues values;
  if (FAILED(SaveProperties(control, values))) {
    message = L"the control did not save its properties; settings file " + path + L" left as it was";
    return false;
  }
  std::wstring skipped;
  std::string text = FormatSettings(values, &skipped);
  std::wstring folder;
  FullPath(path, &folder);
  if (!folder.empty()) SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);  // the first save makes the folder
  if (keepOld) {
    if (!KeepCopy(path, path + L".bak", message)) return false;
    keepOld = false;  // the copy is the user's file: a later save must not put ours in its place
  }
  if (!WriteFileReplacing(path, text, message)) return false;
  if (!skipped.empty()) message = L"settings file " + path + L": not saved (no text form): " + skipped;
  return true;
}
