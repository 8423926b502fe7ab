// The viewer's settings file in-process: values survive their text form,
// the real control's property set survives the file, bad lines are skipped
// and the first is reported, the file is replaced whole, a font is saved as
// it loads back, and a file that did not load whole is kept before a save.
#include <gtest/gtest.h>

#include <olectl.h>

#include <fstream>
#include <sstream>
#include <string>

#include "tests/wine/common/OcxModule.h"
#include "viewer/ViewerSettings.h"

namespace {

OwnedVariant Parsed(const std::wstring& text, VARTYPE vt, bool* ok = nullptr) {
  OwnedVariant v;
  bool good = ParseValue(text, vt, &v.v);
  if (ok) *ok = good;
  return v;
}

// Each value as the file writes it reads back to the same value: the same
// text again, and the same type. (A font object reports the face and size it
// was realized with, so the font is one that exists, in whole pixels.)
TEST(SettingsValues, WrittenFormsReadBackAndOthersAreRefused) {
  const struct {
    VARTYPE vt;
    const wchar_t* text;
  } kGood[] = {{VT_I2, L"-32768"}, {VT_I2, L"32767"}, {VT_I4, L"-2147483648"}, {VT_BOOL, L"True"},
               {VT_BOOL, L"False"}, {VT_BSTR, L""}, {VT_BSTR, L" back\\\\slash\\r\\nline = ; \u00e9\u4e2d "},
               {VT_R8, L"-1234.5"}, {VT_DISPATCH, L"Name=Tahoma;Size=9.75;Weight=700;Charset=0;"
                                                 L"Italic=True;Underline=True;Strikethrough=True"}};
  for (const auto& g : kGood) {
    bool ok = false;
    OwnedVariant v = Parsed(g.text, g.vt, &ok);
    std::wstring back;
    ASSERT_TRUE(ok && FormatValue(L"Field0Width", v.v, back)) << testing::PrintToString(std::wstring(g.text));
    EXPECT_EQ(V_VT(&v.v), g.vt);
    EXPECT_EQ(back, g.text);
  }
  // Colours read best in hex; a system colour is a negative long.
  OwnedVariant colour = Parsed(L"0x80000005", VT_I4);
  std::wstring hex, dec;
  ASSERT_TRUE(FormatValue(L"BackColorA", colour.v, hex) && FormatValue(L"_ExtentX", colour.v, dec));
  EXPECT_EQ(hex, L"0x80000005");
  EXPECT_EQ(Parsed(dec, VT_I4).v.lVal, colour.v.lVal);

  const struct {
    VARTYPE vt;
    const wchar_t* text;
  } kBad[] = {{VT_I2, L"32768"}, {VT_I2, L"-32769"}, {VT_I2, L"12abc"}, {VT_I2, L""}, {VT_I2, L"0x"},
              {VT_I4, L"2147483648"}, {VT_I4, L"0x100000000"}, {VT_BOOL, L"yes"}, {VT_BSTR, L"bad \\q escape"},
              {VT_BSTR, L"ends in \\"}, {VT_DISPATCH, L"Size=8"}, {VT_DISPATCH, L"Name=Arial;Size=0"},
              {VT_DISPATCH, L"Name=Arial;Size=8;Colour=1"}, {VT_DISPATCH, L"Name=A;Name=B;Size=8"},
              {VT_DISPATCH, L"Name=Arial;Size=8;Weight=1001"}, {VT_DISPATCH, L"Name=Arial;Size=8.12345"}};
  for (const auto& b : kBad) {
    bool ok = true;
    OwnedVariant v = Parsed(b.text, b.vt, &ok);
    EXPECT_FALSE(ok) << "vt " << b.vt << ": " << testing::PrintToString(std::wstring(b.text));
    EXPECT_EQ(V_VT(&v.v), VT_EMPTY);
  }
}

class SettingsOnTheControl : public ::testing::Test {
 protected:
  IUnknown* NewControl() {
    IPersistPropertyBag* ppb = nullptr;
    EXPECT_EQ(m_ocx.Create(IID_IPersistPropertyBag, &ppb), S_OK);
    if (ppb) ppb->InitNew();
    return ppb;
  }
  ComScope m_com;
  OcxModule m_ocx;
};

TEST_F(SettingsOnTheControl, ThePropertySetSurvivesTheFile) {
  ASSERT_TRUE(m_ocx.Loaded());
  IUnknown* edited = NewControl();
  IUnknown* fresh = NewControl();
  ASSERT_TRUE(edited && fresh);
  IDispatch* d = nullptr;
  edited->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&d));
  VARIANT v;
  V_VT(&v) = VT_I2, V_I2(&v) = 42;
  EXPECT_EQ(PutProp(d, L"WatchdogTimeout", v), S_OK);
  V_VT(&v) = VT_I4, V_I4(&v) = static_cast<LONG>(0x80000008);
  EXPECT_EQ(PutProp(d, L"BackColorC", v), S_OK);
  V_VT(&v) = VT_BOOL, V_BOOL(&v) = VARIANT_TRUE;
  EXPECT_EQ(PutProp(d, L"SuppressResetEvents", v), S_OK);
  OwnedVariant order = Parsed(L"210543", VT_BSTR);
  EXPECT_EQ(PutProp(d, L"FieldOrder", order.v), S_OK);
  OwnedVariant font = Parsed(L"Name=Tahoma;Size=9.75;Weight=700;Italic=True", VT_DISPATCH);
  EXPECT_EQ(PutProp(d, L"Font", font.v), S_OK);
  d->Release();

  PropertyValues saved, known, loaded;
  ASSERT_EQ(SaveProperties(edited, saved), S_OK);
  ASSERT_EQ(SaveProperties(fresh, known), S_OK);
  const std::string file = FormatSettings(saved);
  ASSERT_NE(file, FormatSettings(known)) << "the edits show in the file";
  SettingsProblem problem;
  PropertyValues values = ParseSettings(file, known, problem);
  EXPECT_EQ(problem.line, 0) << testing::PrintToString(problem.reason);
  EXPECT_EQ(values.size(), known.size()) << "one line per property";
  ASSERT_EQ(LoadProperties(fresh, values), S_OK);
  ASSERT_EQ(SaveProperties(fresh, loaded), S_OK);
  EXPECT_EQ(FormatSettings(loaded), file);
  edited->Release();
  fresh->Release();
}

TEST_F(SettingsOnTheControl, BadLinesAreSkippedAndTheFirstIsReported) {
  IUnknown* control = NewControl();
  ASSERT_TRUE(control);
  PropertyValues known;
  ASSERT_EQ(SaveProperties(control, known), S_OK);
  control->Release();
  const std::string lines[] = {"# comment", "", "WatchdogTimeout = 33", "FieldOrder= 54 ", "just words",
                               "WatchdogTimeout=34", "SeverityB=70000", "NoSuchProperty=1", "SeverityC=\xff\xfe"};
  for (const char* eol : {"\n", "\r\n"}) {
    for (const char* bom : {"", "\xEF\xBB\xBF"}) {
      std::string text = bom;
      for (const std::string& l : lines) text += l + eol;
      SettingsProblem problem;
      PropertyValues values = ParseSettings(text, known, problem);
      EXPECT_EQ(problem.line, 5);
      EXPECT_NE(problem.reason.find(L"just words"), std::wstring::npos);
      ASSERT_EQ(values.size(), 2u) << "the good lines, the first of a repeated name";
      EXPECT_EQ(values[0].name, L"WatchdogTimeout");
      EXPECT_EQ(V_I2(&values[0].value.v), 33);
      EXPECT_EQ(std::wstring(V_BSTR(&values[1].value.v)), L" 54 ") << "a string keeps its spaces";
    }
  }
}

TEST(SettingsFile, IsReplacedWholeAndLeavesNoTemporaryFile) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"settings_test_" + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(folder.c_str(), nullptr);
  auto files = [&] {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &fd);
    for (BOOL more = h != INVALID_HANDLE_VALUE; more; more = FindNextFileW(h, &fd))
      if (fd.cFileName[0] != L'.') names.push_back(fd.cFileName);
    if (h != INVALID_HANDLE_VALUE) FindClose(h);
    return names;
  };
  const std::wstring target = folder + L"\\a.settings";
  std::wstring error;
  ASSERT_TRUE(WriteFileReplacing(target, std::string(5000, 'x'), error)) << error;
  ASSERT_TRUE(WriteFileReplacing(target, "second", error)) << error;
  HANDLE f = CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  char buf[64] = {};
  DWORD n = 0;
  ReadFile(f, buf, sizeof buf, &n, nullptr);
  CloseHandle(f);
  EXPECT_EQ(std::string(buf, n), "second");
  EXPECT_EQ(files(), std::vector<std::wstring>{L"a.settings"});

  // A target that cannot be replaced fails with its name, and leaves nothing behind.
  const std::wstring blocked = folder + L"\\blocked";
  CreateDirectoryW(blocked.c_str(), nullptr);
  EXPECT_FALSE(WriteFileReplacing(blocked, "new", error));
  EXPECT_NE(error.find(blocked), std::wstring::npos) << testing::PrintToString(error);
  EXPECT_EQ(files().size(), 2u);
  RemoveDirectoryW(blocked.c_str());
  DeleteFileW(target.c_str());
  RemoveDirectoryW(folder.c_str());
}

// A font object that reports exactly what it was given. Wine's reports the
// face it realized, which hides the names the file cannot hold; a font object
// of another system may not.
class HeldFont : public IFont {
 public:
  HeldFont(const std::wstring& name, int64_t size, SHORT weight = FW_NORMAL, SHORT charset = ANSI_CHARSET)
      : m_name(name), m_size(size), m_weight(weight), m_charset(charset) {}
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    *ppv = IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IFont) ? this : nullptr;
    return *ppv ? S_OK : E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }  // lives on the test's stack
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP get_Name(BSTR* out) override {
    *out = SysAllocStringLen(m_name.data(), static_cast<UINT>(m_name.size()));
    return S_OK;
  }
  STDMETHODIMP get_Size(CY* out) override {
    out->int64 = m_size;
    return S_OK;
  }
  STDMETHODIMP get_Weight(SHORT* out) override {
    *out = m_weight;
    return S_OK;
  }
  STDMETHODIMP get_Charset(SHORT* out) override {
    *out = m_charset;
    return S_OK;
  }
  STDMETHODIMP get_Bold(BOOL* out) override { return *out = FALSE, S_OK; }
  STDMETHODIMP get_Italic(BOOL* out) override { return *out = FALSE, S_OK; }
  STDMETHODIMP get_Underline(BOOL* out) override { return *out = FALSE, S_OK; }
  STDMETHODIMP get_Strikethrough(BOOL* out) override { return *out = FALSE, S_OK; }
  STDMETHODIMP put_Name(BSTR) override { return E_NOTIMPL; }
  STDMETHODIMP put_Size(CY) override { return E_NOTIMPL; }
  STDMETHODIMP put_Bold(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP put_Italic(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP put_Underline(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP put_Strikethrough(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP put_Weight(SHORT) override { return E_NOTIMPL; }
  STDMETHODIMP put_Charset(SHORT) override { return E_NOTIMPL; }
  STDMETHODIMP get_hFont(HFONT*) override { return E_NOTIMPL; }
  STDMETHODIMP Clone(IFont**) override { return E_NOTIMPL; }
  STDMETHODIMP IsEqual(IFont*) override { return E_NOTIMPL; }
  STDMETHODIMP SetRatio(LONG, LONG) override { return E_NOTIMPL; }
  STDMETHODIMP QueryTextMetrics(TEXTMETRICOLE*) override { return E_NOTIMPL; }
  STDMETHODIMP AddRefHfont(HFONT) override { return E_NOTIMPL; }
  STDMETHODIMP ReleaseHfont(HFONT) override { return E_NOTIMPL; }
  STDMETHODIMP SetHdc(HDC) override { return E_NOTIMPL; }

  // Its line in the file.
  std::wstring Text() {
    OwnedVariant v;
    V_VT(&v.v) = VT_UNKNOWN;
    V_UNKNOWN(&v.v) = this;
    AddRef();
    std::wstring text;
    return FormatValue(L"Font", v.v, text) ? text : L"<not saved>";
  }
  // A system font object of the same description, not yet realized, so that
  // IFont::IsEqual compares the descriptions.
  IFont* SystemFont() {
    FONTDESC fd = {sizeof fd, &m_name[0], {}, m_weight, m_charset, FALSE, FALSE, FALSE};
    fd.cySize.int64 = m_size;
    IFont* font = nullptr;
    OleCreateFontIndirect(&fd, IID_IFont, reinterpret_cast<void**>(&font));
    return font;
  }

 private:
  std::wstring m_name;
  int64_t m_size;
  SHORT m_weight, m_charset;
};

// A font is saved as the font that then loads back, and the next save writes
// the same line: the nearest the file can hold when the font itself cannot be
// (a size above 1000 pt, a face longer than LOGFONT's 31 units, blanks the
// loader trims), never a line the loader refuses, which reset the font.
TEST(SettingsFont, IsSavedAsItLoadsBack) {
  const std::wstring face31 = L"Abcdefghij Abcdefghij Abcdefghi";
  ASSERT_EQ(face31.size(), 31u);
  const std::wstring face30 = face31.substr(0, 30);
  const struct {
    HeldFont held, loaded;
  } kCases[] = {
      {{L"Tahoma", 10000000}, {L"Tahoma", 10000000}},  // 1000 pt
      {{L"Tahoma", 10000100}, {L"Tahoma", 10000000}},  // 1000.01 pt
      {{L"Tahoma", 10000001}, {L"Tahoma", 10000000}},
      {{L"Tahoma", 150000000}, {L"Tahoma", 10000000}},
      {{face31, 97500}, {face31, 97500}},
      {{face31 + L"X", 97500}, {face31, 97500}},
      {{face31 + L"XYZ and more", 97500}, {face31, 97500}},
      {{face30 + L" Z", 97500}, {face30, 97500}},           // no blank left at the cut
      {{face30 + L"\U0001F600", 97500}, {face30, 97500}},  // nor half of a surrogate pair
      {{L"  Tahoma\t", 97500}, {L"Tahoma", 97500}},
      {{L"Tahoma", 97500, 1001, 300}, {L"Tahoma", 97500, 1000, 300 & 0xFF}},  // GDI keeps a byte of the charset
  };
  for (auto c : kCases) {
    const std::wstring text = c.held.Text();
    SCOPED_TRACE(testing::PrintToString(text));
    bool ok = false;
    OwnedVariant back = Parsed(text, VT_DISPATCH, &ok);
    EXPECT_TRUE(ok) << "the loader takes it";
    if (!ok) continue;
    IFont* font = nullptr;
    ASSERT_EQ(V_UNKNOWN(&back.v)->QueryInterface(IID_IFont, reinterpret_cast<void**>(&font)), S_OK);
    IFont* expected = c.loaded.SystemFont();
    ASSERT_TRUE(expected);
    EXPECT_EQ(font->IsEqual(expected), S_OK) << "loaded as " << testing::PrintToString(c.loaded.Text());
    expected->Release();
    font->Release();
    EXPECT_EQ(c.loaded.Text(), text) << "the next save writes the same line";
  }
}

std::string ReadAll(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// A control of the test's own with one property; it refuses every load when
// told to, as a control that rejects a property set does.
class OneProperty : public IPersistPropertyBag {
 public:
  explicit OneProperty(bool refuse) : m_refuse(refuse) {}
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    bool ours = IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IPersist) ||
                IsEqualIID(riid, IID_IPersistPropertyBag);
    *ppv = ours ? this : nullptr;
    return ours ? S_OK : E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP GetClassID(CLSID*) override { return E_NOTIMPL; }
  STDMETHODIMP InitNew() override { return S_OK; }
  STDMETHODIMP Load(IPropertyBag* bag, IErrorLog*) override {
    if (m_refuse) return E_FAIL;
    VARIANT v;
    V_VT(&v) = VT_I2;
    if (SUCCEEDED(bag->Read(L"WatchdogTimeout", &v, nullptr))) watchdog = V_I2(&v);
    return S_OK;
  }
  STDMETHODIMP Save(IPropertyBag* bag, BOOL, BOOL) override {
    VARIANT v;
    V_VT(&v) = VT_I2;
    V_I2(&v) = watchdog;
    return bag->Write(L"WatchdogTimeout", &v);
  }
  SHORT watchdog = 15;

 private:
  bool m_refuse;
};

// The save after a refused load keeps the old file as FILE.bak, once: a later
// save of the same run must not put the viewer's own file in its place.
TEST(SettingsFile, AFileTheControlRefusedIsKeptOnceAndAGoodOneIsNot) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"settings_keep_" + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring target = folder + L"\\a.settings", bak = target + L".bak";
  const std::string original = "WatchdogTimeout=7\r\n";
  std::ofstream(target.c_str(), std::ios::binary) << original;

  OneProperty refusing(true);
  std::wstring message;
  bool keepOld = !LoadSettingsFile(&refusing, target, message);
  EXPECT_TRUE(keepOld);
  EXPECT_NE(message.find(L"refused"), std::wstring::npos) << testing::PrintToString(message);
  EXPECT_NE(message.find(bak), std::wstring::npos) << testing::PrintToString(message);
  for (int save = 1; save <= 2; ++save) {
    refusing.watchdog = static_cast<SHORT>(20 + save);
    ASSERT_TRUE(SaveSettingsFile(&refusing, target, keepOld, message)) << testing::PrintToString(message);
    EXPECT_EQ(ReadAll(bak), original) << "save " << save;
    EXPECT_NE(ReadAll(target).find("WatchdogTimeout=" + std::to_string(20 + save)), std::string::npos);
  }

  DeleteFileW(bak.c_str());
  std::ofstream(target.c_str(), std::ios::binary) << original;
  OneProperty accepting(false);
  keepOld = !LoadSettingsFile(&accepting, target, message);
  EXPECT_FALSE(keepOld);
  EXPECT_EQ(message, L"");
  EXPECT_EQ(accepting.watchdog, 7);
  ASSERT_TRUE(SaveSettingsFile(&accepting, target, keepOld, message)) << testing::PrintToString(message);
  EXPECT_EQ(GetFileAttributesW(bak.c_str()), INVALID_FILE_ATTRIBUTES);

  DeleteFileW(target.c_str());
  DeleteFileW(bak.c_str());
  RemoveDirectoryW(folder.c_str());
}

}  // namespace
