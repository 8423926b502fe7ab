// The viewer's settings file in-process: values survive their text form,
// the real control's property set survives the file, bad lines are skipped
// and the first is reported, and the file is replaced whole.
#include <gtest/gtest.h>

#include <olectl.h>

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

}  // namespace
