// The property set as stored by containers is the same for the x86 and the
// x64 build: the stream form to the byte and the bag form name by name. Both
// builds check the same checked-in files, so a set saved by either loads in
// the other. With VELMARIC_PERSIST_OUT=DIR the test also writes what this
// build saved, and with VELMARIC_PERSIST_IN=DIR it loads what the other build
// wrote there (the cross-load where both word sizes run).
#include <gtest/gtest.h>
#include <ocidl.h>
#include <olectl.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/wine/common/OcxModule.h"

namespace {

const std::string kGoldenDir = VELMARIC_GOLDEN_DIR;

// Every property changed from its default, as a script would set it.
struct Setting {
  const wchar_t* name;
  VARTYPE vt;  // VT_I4 or VT_BSTR, as given; read back in the type the control keeps
  long number;
  const wchar_t* text;
  const wchar_t* readBack;  // the value read back, as text
};
const Setting kChanged[] = {
    {L"BackColor", VT_I4, 0x00C0FFEE, nullptr, L"12648430"},
    {L"WatchdogTimeout", VT_I4, 42, nullptr, L"42"},
    {L"AddNewEventsToBottom", VT_I4, -1, nullptr, L"-1"},
    {L"LocalizeTimestamps", VT_I4, 0, nullptr, L"0"},
    {L"SuppressAcknEvents", VT_I4, -1, nullptr, L"-1"},
    {L"SuppressResetEvents", VT_I4, -1, nullptr, L"-1"},
    {L"FieldOrder", VT_BSTR, 0, L"543210", L"543210"},
    {L"Field0Width", VT_I4, 11, nullptr, L"11"},
    {L"Field1Width", VT_I4, 22, nullptr, L"22"},
    {L"Field2Width", VT_I4, 33, nullptr, L"33"},
    {L"Field3Width", VT_I4, 44, nullptr, L"44"},
    {L"Field4Width", VT_I4, 55, nullptr, L"55"},
    {L"Field5Width", VT_I4, 66, nullptr, L"66"},
    {L"TextColorA", VT_I4, 0x000001, nullptr, L"1"},
    {L"TextColorB", VT_I4, 0x000203, nullptr, L"515"},
    {L"TextColorC", VT_I4, 0x123456, nullptr, L"1193046"},
    {L"TextColorD", VT_I4, static_cast<long>(0x80000008u), nullptr, L"-2147483640"},
    {L"TextColorE", VT_I4, 0x00FFFFFF, nullptr, L"16777215"},
    {L"TextColorF", VT_I4, 0x00ABCDEF, nullptr, L"11259375"},
    {L"BackColorA", VT_I4, 0x00010101, nullptr, L"65793"},
    {L"BackColorB", VT_I4, 0x00020202, nullptr, L"131586"},
    {L"BackColorC", VT_I4, 0x00030303, nullptr, L"197379"},
    {L"BackColorD", VT_I4, 0x00040404, nullptr, L"263172"},
    {L"BackColorE", VT_I4, static_cast<long>(0x80000005u), nullptr, L"-2147483643"},
    {L"BackColorF", VT_I4, 0x00060606, nullptr, L"394758"},
    {L"SeverityA", VT_I4, 901, nullptr, L"901"},
    {L"SeverityB", VT_I4, 701, nullptr, L"701"},
    {L"SeverityC", VT_I4, 501, nullptr, L"501"},
    {L"SeverityD", VT_I4, 301, nullptr, L"301"},
    {L"SeverityE", VT_I4, 101, nullptr, L"101"},
    {L"HideClearAllMenuItem", VT_I4, -1, nullptr, L"-1"},
    {L"HideResetPropertiesMenuItem", VT_I4, 0, nullptr, L"0"},
    {L"HideConnectionMenuItems", VT_I4, -1, nullptr, L"-1"},
    {L"DisableColumnSizing", VT_I4, -1, nullptr, L"-1"},
};
// A face Wine ships, so the name reads back as given on every machine.
const wchar_t kFontName[] = L"Tahoma";
const LONGLONG kFontSize = 120000;  // 12 pt in CY units
const wchar_t kFontReadBack[] = L"Tahoma 12 700 1";

std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

std::string Hex(const std::vector<uint8_t>& bytes) {
  std::string out;
  char b[4];
  for (size_t i = 0; i < bytes.size(); ++i) {
    snprintf(b, sizeof b, "%02x", bytes[i]);
    out += b;
    out += (i % 32 == 31 || i + 1 == bytes.size()) ? '\n' : ' ';
  }
  return out;
}

std::vector<uint8_t> FromHex(const std::string& text) {
  std::vector<uint8_t> out;
  std::istringstream in(text);
  std::string tok;
  while (in >> tok) out.push_back(static_cast<uint8_t>(std::stoul(tok, nullptr, 16)));
  return out;
}

bool ReadFile(const std::string& path, std::string& out) {
  std::ifstream f(path, std::ios::binary);
  if (!f) return false;
  std::ostringstream s;
  s << f.rdbuf();
  out = s.str();
  return true;
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream f(path, std::ios::binary);
  f << text;
}

// A property bag as a container keeps it: names and values, in order of writing.
class Bag : public IPropertyBag {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IPropertyBag) {
      *out = static_cast<IPropertyBag*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
  STDMETHODIMP_(ULONG) Release() override { return --m_refs; }  // on the test's stack
  STDMETHODIMP Read(LPCOLESTR name, VARIANT* v, IErrorLog*) override {
    auto it = m_values.find(name);
    if (it == m_values.end()) return E_INVALIDARG;
    const VARTYPE want = V_VT(v);
    HRESULT hr = VariantCopy(v, &it->second);
    if (SUCCEEDED(hr) && want != VT_EMPTY && want != V_VT(v)) hr = VariantChangeType(v, v, 0, want);
    return hr;
  }
  STDMETHODIMP Write(LPCOLESTR name, VARIANT* v) override {
    if (!m_values.count(name)) m_order.push_back(name);
    VariantInit(&m_values[name]);
    return VariantCopy(&m_values[name], v);
  }
  ~Bag() {
    for (auto& kv : m_values) VariantClear(&kv.second);
  }
  // One line per value: name, type, value; a font as its name, size, weight, italic.
  std::string Text() {
    std::string out;
    for (const std::wstring& name : m_order) {
      VARIANT& v = m_values[name];
      out += Narrow(name) + " " + std::to_string(V_VT(&v)) + " " + Narrow(ValueText(v)) + "\n";
    }
    return out;
  }
  // Reads the text form back into values: the bag a container holds in a file.
  void FromText(const std::string& text) {
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
      std::istringstream l(line);
      std::string name, rest;
      int vt = 0;
      l >> name >> vt;
      std::getline(l, rest);
      if (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
      std::wstring wname(name.begin(), name.end()), wrest(rest.begin(), rest.end());
      VARIANT v;
      VariantInit(&v);
      if (vt == VT_DISPATCH) {
        // "Name Size Weight Italic", the name possibly with blanks.
        std::wistringstream parts(wrest);
        std::vector<std::wstring> words;
        std::wstring w;
        while (parts >> w) words.push_back(w);
        ASSERT_GE(words.size(), 4u);
        std::wstring face;
        for (size_t i = 0; i + 3 < words.size(); ++i) face += (i ? L" " : L"") + words[i];
        FONTDESC fd = {sizeof fd, const_cast<LPOLESTR>(face.c_str()), {}, static_cast<SHORT>(std::stoi(words[words.size() - 2])),
                       ANSI_CHARSET, std::stoi(words.back()) != 0, FALSE, FALSE};
        fd.cySize.int64 = std::stoll(words[words.size() - 3]) * 10000;
        IDispatch* font = nullptr;
        ASSERT_EQ(OleCreateFontIndirect(&fd, IID_IDispatch, reinterpret_cast<void**>(&font)), S_OK);
        V_VT(&v) = VT_DISPATCH;
        V_DISPATCH(&v) = font;
      } else {
        V_VT(&v) = VT_BSTR;
        V_BSTR(&v) = SysAllocString(wrest.c_str());
        ASSERT_EQ(VariantChangeType(&v, &v, 0, static_cast<VARTYPE>(vt)), S_OK) << name;
      }
      Write(wname.c_str(), &v);
      VariantClear(&v);
    }
  }

  static std::wstring ValueText(const VARIANT& v) {
    if (V_VT(&v) == VT_DISPATCH || V_VT(&v) == VT_UNKNOWN) {
      IFont* font = nullptr;
      std::wstring text = L"<not a font>";
      if (V_UNKNOWN(&v) && SUCCEEDED(V_UNKNOWN(&v)->QueryInterface(IID_IFont, reinterpret_cast<void**>(&font)))) {
        BSTR name = nullptr;
        CY size = {};
        SHORT weight = 0;
        BOOL italic = FALSE;
        font->get_Name(&name);
        font->get_Size(&size);
        font->get_Weight(&weight);
        font->get_Italic(&italic);
        text = std::wstring(name ? name : L"") + L" " + std::to_wstring(size.int64 / 10000) + L" " +
               std::to_wstring(weight) + L" " + (italic ? L"1" : L"0");
        SysFreeString(name);
        font->Release();
      }
      return text;
    }
    VARIANT t;
    VariantInit(&t);
    std::wstring text = L"<no text>";
    if (SUCCEEDED(VariantChangeTypeEx(&t, const_cast<VARIANT*>(&v), MAKELCID(0x409, SORT_DEFAULT), 0, VT_BSTR)))
      text = V_BSTR(&t);
    VariantClear(&t);
    return text;
  }

 private:
  ULONG m_refs = 1;
  std::map<std::wstring, VARIANT> m_values;
  std::vector<std::wstring> m_order;
};

class PersistGolden : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_ocx.Loaded());
    m_unk = NewControl();
    ASSERT_NE(m_unk, nullptr);
  }
  void TearDown() override {
    if (m_unk) m_unk->Release();
  }

  IUnknown* NewControl() {
    IUnknown* unk = nullptr;
    if (FAILED(m_ocx.Create(IID_IUnknown, &unk))) return nullptr;
    IPersistStreamInit* ps = nullptr;
    unk->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&ps));
    if (ps) {
      ps->InitNew();
      ps->Release();
    }
    return unk;
  }

  static IDispatch* Dispatch(IUnknown* unk) {
    IDispatch* d = nullptr;
    unk->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&d));
    return d;
  }

  static void ChangeAll(IUnknown* unk) {
    IDispatch* d = Dispatch(unk);
    ASSERT_NE(d, nullptr);
    for (const Setting& s : kChanged) {
      VARIANT v;
      VariantInit(&v);
      V_VT(&v) = s.vt;
      if (s.vt == VT_BSTR)
        V_BSTR(&v) = SysAllocString(s.text);
      else
        V_I4(&v) = s.number;
      EXPECT_EQ(PutProp(d, s.name, v), S_OK) << Narrow(s.name);
      VariantClear(&v);
    }
    FONTDESC fd = {sizeof fd, const_cast<LPOLESTR>(kFontName), {}, FW_BOLD, ANSI_CHARSET, TRUE, FALSE, FALSE};
    fd.cySize.int64 = kFontSize;
    IDispatch* font = nullptr;
    ASSERT_EQ(OleCreateFontIndirect(&fd, IID_IDispatch, reinterpret_cast<void**>(&font)), S_OK);
    VARIANT fv;
    V_VT(&fv) = VT_DISPATCH;
    V_DISPATCH(&fv) = font;
    EXPECT_EQ(PutProp(d, L"Font", fv), S_OK);
    font->Release();
    d->Release();
  }

  // Every changed property reads back as it was set.
  static void ExpectAllChanged(IUnknown* unk, const char* source) {
    IDispatch* d = Dispatch(unk);
    ASSERT_NE(d, nullptr);
    for (const Setting& s : kChanged) {
      VARIANT v;
      ASSERT_EQ(GetProp(d, s.name, &v), S_OK) << Narrow(s.name);
      EXPECT_EQ(Bag::ValueText(v), s.readBack) << Narrow(s.name) << " from " << source;
      VariantClear(&v);
    }
    VARIANT f;
    ASSERT_EQ(GetProp(d, L"Font", &f), S_OK);
    EXPECT_EQ(Bag::ValueText(f), kFontReadBack) << "Font from " << source;
    VariantClear(&f);
    d->Release();
  }

  static std::vector<uint8_t> SaveStream(IUnknown* unk) {
    IPersistStreamInit* ps = nullptr;
    unk->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&ps));
    IStream* s = nullptr;
    CreateStreamOnHGlobal(nullptr, TRUE, &s);
    EXPECT_EQ(ps->Save(s, TRUE), S_OK);
    LARGE_INTEGER zero = {};
    ULARGE_INTEGER end = {};
    s->Seek(zero, STREAM_SEEK_CUR, &end);
    std::vector<uint8_t> out(static_cast<size_t>(end.QuadPart));
    s->Seek(zero, STREAM_SEEK_SET, nullptr);
    ULONG done = 0;
    s->Read(out.data(), static_cast<ULONG>(out.size()), &done);
    s->Release();
    ps->Release();
    return out;
  }

  static HRESULT LoadStream(IUnknown* unk, const std::vector<uint8_t>& bytes) {
    IPersistStreamInit* ps = nullptr;
    unk->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&ps));
    IStream* s = nullptr;
    CreateStreamOnHGlobal(nullptr, TRUE, &s);
    ULONG done = 0;
    s->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &done);
    LARGE_INTEGER zero = {};
    s->Seek(zero, STREAM_SEEK_SET, nullptr);
    HRESULT hr = ps->Load(s);
    s->Release();
    ps->Release();
    return hr;
  }

  static std::string SaveBagText(IUnknown* unk) {
    IPersistPropertyBag* pb = nullptr;
    unk->QueryInterface(IID_IPersistPropertyBag, reinterpret_cast<void**>(&pb));
    Bag bag;
    EXPECT_EQ(pb->Save(&bag, TRUE, TRUE), S_OK);
    pb->Release();
    return bag.Text();
  }

  static HRESULT LoadBagText(IUnknown* unk, const std::string& text) {
    Bag bag;
    bag.FromText(text);
    IPersistPropertyBag* pb = nullptr;
    unk->QueryInterface(IID_IPersistPropertyBag, reinterpret_cast<void**>(&pb));
    HRESULT hr = pb->Load(&bag, nullptr);
    pb->Release();
    return hr;
  }

  // The checked-in form; VELMARIC_GOLDEN_WRITE=1 rewrites it from this build.
  static std::string Golden(const std::string& file, const std::string& mine) {
    const std::string path = kGoldenDir + "/" + file;
    const char* write = getenv("VELMARIC_GOLDEN_WRITE");
    if (write && std::string(write) == "1") WriteFile(path, mine);
    std::string text;
    EXPECT_TRUE(ReadFile(path, text)) << path;
    return text;
  }

  OcxModule m_ocx;
  ComScope m_com;
  IUnknown* m_unk = nullptr;
};

TEST_F(PersistGolden, DefaultStreamIsTheCheckedInBytes) {
  EXPECT_EQ(Hex(SaveStream(m_unk)), Golden("defaults.stream.hex", Hex(SaveStream(m_unk))));
}

TEST_F(PersistGolden, ChangedStreamIsTheCheckedInBytesAndLoadsBack) {
  ChangeAll(m_unk);
  const std::string mine = Hex(SaveStream(m_unk));
  const std::string golden = Golden("changed.stream.hex", mine);
  EXPECT_EQ(mine, golden);
  IUnknown* copy = NewControl();
  ASSERT_EQ(LoadStream(copy, FromHex(golden)), S_OK);
  ExpectAllChanged(copy, "the checked-in stream");
  copy->Release();
}

TEST_F(PersistGolden, ChangedBagIsTheCheckedInValuesAndLoadsBack) {
  ChangeAll(m_unk);
  const std::string mine = SaveBagText(m_unk);
  const std::string golden = Golden("changed.bag.txt", mine);
  EXPECT_EQ(mine, golden);
  IUnknown* copy = NewControl();
  ASSERT_EQ(LoadBagText(copy, golden), S_OK);
  ExpectAllChanged(copy, "the checked-in bag");
  copy->Release();
}

// Where both word sizes run, each build writes its forms and loads the other's.
TEST_F(PersistGolden, CrossLoadOfTheOtherBuildsForms) {
  const char* out = getenv("VELMARIC_PERSIST_OUT");
  const char* in = getenv("VELMARIC_PERSIST_IN");
  if (!out && !in) GTEST_SKIP() << "VELMARIC_PERSIST_OUT / VELMARIC_PERSIST_IN not set (a cross-word-size run sets them)";
  if (out) {
    ChangeAll(m_unk);
    WriteFile(std::string(out) + "/changed.stream.hex", Hex(SaveStream(m_unk)));
    WriteFile(std::string(out) + "/changed.bag.txt", SaveBagText(m_unk));
  }
  if (in) {
    std::string stream, bag;
    ASSERT_TRUE(ReadFile(std::string(in) + "/changed.stream.hex", stream)) << in;
    ASSERT_TRUE(ReadFile(std::string(in) + "/changed.bag.txt", bag)) << in;
    IUnknown* a = NewControl();
    ASSERT_EQ(LoadStream(a, FromHex(stream)), S_OK);
    ExpectAllChanged(a, "the other build's stream");
    a->Release();
    IUnknown* b = NewControl();
    ASSERT_EQ(LoadBagText(b, bag), S_OK);
    ExpectAllChanged(b, "the other build's bag");
    b->Release();
  }
}

}  // namespace
