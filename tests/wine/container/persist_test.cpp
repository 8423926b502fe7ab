// The control saved and loaded the ways containers do it: property bag,
// stream, storage; the modified flag; refused streams.
#include <random>

#include "tests/wine/container/ContainerFixture.h"

namespace {

class Persist : public ContainerTest {
 protected:
  std::vector<Value> Defaults() {
    IUnknown* fresh = NewControl();
    std::vector<Value> v = AllProperties(fresh);
    fresh->Release();
    return v;
  }
  static IStream* NewStream() {
    IStream* s = nullptr;
    CreateStreamOnHGlobal(nullptr, TRUE, &s);
    return s;
  }
  static void Rewind(IStream* s) {
    LARGE_INTEGER zero = {};
    s->Seek(zero, STREAM_SEEK_SET, nullptr);
  }
  static ULONGLONG Position(IStream* s) {
    LARGE_INTEGER zero = {};
    ULARGE_INTEGER pos = {};
    s->Seek(zero, STREAM_SEEK_CUR, &pos);
    return pos.QuadPart;
  }
  static IStream* StreamOf(const std::vector<uint8_t>& bytes) {
    IStream* s = NewStream();
    ULONG done = 0;
    if (!bytes.empty()) s->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &done);
    Rewind(s);
    return s;
  }
  static std::vector<uint8_t> SavedBytes(IUnknown* unk) {
    IPersistStreamInit* ps = Query<IPersistStreamInit>(unk, IID_IPersistStreamInit);
    IStream* s = NewStream();
    EXPECT_EQ(ps->Save(s, FALSE), S_OK);
    std::vector<uint8_t> out(static_cast<size_t>(Position(s)));
    Rewind(s);
    ULONG done = 0;
    s->Read(out.data(), static_cast<ULONG>(out.size()), &done);
    s->Release();
    ps->Release();
    return out;
  }
  static HRESULT LoadBytes(IUnknown* unk, const std::vector<uint8_t>& bytes) {
    IPersistStreamInit* ps = Query<IPersistStreamInit>(unk, IID_IPersistStreamInit);
    IStream* s = StreamOf(bytes);
    HRESULT hr = ps->Load(s);
    s->Release();
    ps->Release();
    return hr;
  }
  static HRESULT IsDirty(IUnknown* unk) {
    IPersistStreamInit* ps = Query<IPersistStreamInit>(unk, IID_IPersistStreamInit);
    HRESULT hr = ps->IsDirty();
    ps->Release();
    return hr;
  }
  static MemoryBag* SaveToNewBag(IUnknown* unk) {
    MemoryBag* bag = new MemoryBag;
    IPersistPropertyBag* pb = Query<IPersistPropertyBag>(unk, IID_IPersistPropertyBag);
    EXPECT_EQ(pb->Save(bag, TRUE, TRUE), S_OK);
    pb->Release();
    return bag;
  }
  static HRESULT LoadBag(IUnknown* unk, IPropertyBag* bag) {
    IPersistPropertyBag* pb = Query<IPersistPropertyBag>(unk, IID_IPersistPropertyBag);
    HRESULT hr = pb->Load(bag, nullptr);
    pb->Release();
    return hr;
  }
};

TEST_F(Persist, EveryPersistenceInterfaceAnswersWithTheClassId) {
  const IID* iids[] = {&IID_IPersist, &IID_IPersistStreamInit, &IID_IPersistStorage, &IID_IPersistPropertyBag};
  for (const IID* iid : iids) {
    IPersist* p = Query<IPersist>(m_unk, *iid);
    ASSERT_NE(p, nullptr);
    CLSID clsid = {};
    EXPECT_EQ(p->GetClassID(&clsid), S_OK);
    EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_VelmaricAE));
    EXPECT_EQ(p->GetClassID(nullptr), E_POINTER);
    p->Release();
  }
}

TEST_F(Persist, BagRoundTripKeepsAll35PropertiesUnderTheirNames) {
  ChangeSeveral(m_unk);
  const std::vector<Value> saved = AllProperties(m_unk);
  ASSERT_NE(saved, Defaults());
  MemoryBag* bag = SaveToNewBag(m_unk);

  // Version, extent, the stock pair and the 33 custom names.
  EXPECT_EQ(bag->m_values.size(), 38u);
  for (const wchar_t* name : {L"_Version", L"_ExtentX", L"_ExtentY", L"BackColor", L"Font", L"FieldOrder",
                              L"HideConnectionMenuItems", L"SeverityE", L"TextColorF"})
    EXPECT_EQ(bag->m_values.count(name), 1u) << name;
  EXPECT_EQ(V_VT(&bag->m_values[L"Font"]), VT_DISPATCH);
  EXPECT_EQ(V_VT(&bag->m_values[L"WatchdogTimeout"]), VT_I2);
  EXPECT_EQ(V_VT(&bag->m_values[L"HideResetPropertiesMenuItem"]), VT_BOOL);

  IUnknown* copy = NewControl(false);
  EXPECT_EQ(LoadBag(copy, bag), S_OK);
  EXPECT_EQ(AllProperties(copy), saved);
  EXPECT_EQ(IsDirty(copy), S_FALSE);
  EXPECT_EQ(Ctrl(copy).GetVersionLoaded(), 0x00010000u);
  copy->Release();
  bag->Release();
}

TEST_F(Persist, MissingNamesTakeTheirDefaults) {
  ChangeSeveral(m_unk);
  MemoryBag* bag = SaveToNewBag(m_unk);
  bag->Remove(L"FieldOrder");
  bag->Remove(L"HideResetPropertiesMenuItem");
  bag->Remove(L"Font");

  IUnknown* copy = NewControl(false);
  EXPECT_EQ(LoadBag(copy, bag), S_OK);
  EXPECT_TRUE(Ctrl(copy).m_strFieldOrder == u"012345");
  EXPECT_EQ(Ctrl(copy).m_bHideResetPropertiesMenuItem, 1);
  EXPECT_TRUE(Ctrl(copy).GetFont() == FontDesc());
  EXPECT_EQ(Ctrl(copy).m_nWatchdogTimeout, 42);  // the rest still loads
  copy->Release();

  // An empty bag is a control at its defaults.
  MemoryBag* empty = new MemoryBag;
  copy = NewControl(false);
  EXPECT_EQ(LoadBag(copy, empty), S_OK);
  EXPECT_EQ(AllProperties(copy), Defaults());
  copy->Release();
  empty->Release();
  bag->Release();
}

TEST_F(Persist, WrongTypesInABagTakeTheDefaultAndTheRestLoads) {
  ChangeSeveral(m_unk);
  MemoryBag* bag = SaveToNewBag(m_unk);
  bag->PutString(L"WatchdogTimeout", L"abc");
  bag->PutString(L"BackColor", L"not a colour");
  bag->PutString(L"Font", L"Arial");
  bag->PutString(L"Field0Width", L"21");  // text that converts is taken
  VARIANT big;
  V_VT(&big) = VT_I4;
  V_I4(&big) = 100000;  // does not fit a short
  bag->Put(L"SeverityA", big);

  IUnknown* copy = NewControl(false);
  EXPECT_EQ(LoadBag(copy, bag), S_OK);
  CVelmaricAECtrl& c = Ctrl(copy);
  EXPECT_EQ(c.m_nWatchdogTimeout, 15);
  EXPECT_EQ(c.GetBackColor(), 0x80000005u);
  EXPECT_TRUE(c.GetFont() == FontDesc());
  EXPECT_EQ(c.m_nField0Width, 21);
  EXPECT_EQ(c.m_nSeverityA, 1);
  EXPECT_TRUE(c.m_strFieldOrder == u"543210");
  EXPECT_EQ(c.m_nSeverityE, 900);
  EXPECT_EQ(c.m_clrBackColorF, 0x80000008u);
  copy->Release();
  bag->Release();
}

TEST_F(Persist, FontHeldAsPlainUnknownIsAccepted) {
  MemoryBag* bag = new MemoryBag;
  bag->ignoreHint = true;
  IFont* font = CreateFontObject(ChangedFont());
  ASSERT_NE(font, nullptr);
  VARIANT v;
  V_VT(&v) = VT_UNKNOWN;
  V_UNKNOWN(&v) = font;
  bag->Put(L"Font", v);
  font->Release();
  IUnknown* copy = NewControl(false);
  EXPECT_EQ(LoadBag(copy, bag), S_OK);
  const FontDesc& got = Ctrl(copy).GetFont();
  EXPECT_TRUE(got == ChangedFont()) << std::string(got.name.begin(), got.name.end()) << " " << got.size << " "
                                    << got.weight << " " << got.italic;
  copy->Release();
  bag->Release();
}

TEST_F(Persist, BagSaveFailureIsReported) {
  class FullBag : public MemoryBag {
   public:
    STDMETHODIMP Write(LPCOLESTR, VARIANT*) override { return STG_E_MEDIUMFULL; }
  };
  FullBag* bag = new FullBag;
  IPersistPropertyBag* pb = Query<IPersistPropertyBag>(m_unk, IID_IPersistPropertyBag);
  PutI4(m_unk, 1, 3);
  EXPECT_EQ(pb->Save(bag, TRUE, FALSE), STG_E_MEDIUMFULL);
  EXPECT_EQ(IsDirty(m_unk), S_OK);  // nothing was saved: still modified
  EXPECT_EQ(pb->Save(nullptr, TRUE, FALSE), E_POINTER);
  EXPECT_EQ(pb->Load(nullptr, nullptr), E_POINTER);
  pb->Release();
  bag->Release();
}

TEST_F(Persist, StreamRoundTripAndTwoControlsInOneStream) {
  ChangeSeveral(m_unk);
  const std::vector<Value> first = AllProperties(m_unk);
  IUnknown* second = NewControl();
  PutI4(second, 7, 99);  // Field0Width
  const std::vector<Value> secondValues = AllProperties(second);

  IStream* s = NewStream();
  IPersistStreamInit* a = Query<IPersistStreamInit>(m_unk, IID_IPersistStreamInit);
  IPersistStreamInit* b = Query<IPersistStreamInit>(second, IID_IPersistStreamInit);
  ULARGE_INTEGER max = {};
  EXPECT_EQ(a->GetSizeMax(&max), S_OK);
  EXPECT_EQ(a->Save(s, TRUE), S_OK);
  EXPECT_LE(Position(s), max.QuadPart);
  EXPECT_EQ(b->Save(s, TRUE), S_OK);
  const ULONGLONG end = Position(s);
  a->Release();
  b->Release();
  second->Release();

  Rewind(s);
  IUnknown* x = NewControl(false);
  IUnknown* y = NewControl(false);
  IPersistStreamInit* px = Query<IPersistStreamInit>(x, IID_IPersistStreamInit);
  IPersistStreamInit* py = Query<IPersistStreamInit>(y, IID_IPersistStreamInit);
  EXPECT_EQ(px->Load(s), S_OK);
  EXPECT_EQ(py->Load(s), S_OK);
  EXPECT_EQ(Position(s), end);  // each load stopped at its own end
  EXPECT_EQ(AllProperties(x), first);
  EXPECT_EQ(AllProperties(y), secondValues);
  EXPECT_EQ(px->IsDirty(), S_FALSE);
  px->Release();
  py->Release();
  x->Release();
  y->Release();
  s->Release();
}

TEST_F(Persist, TruncatedStreamsAreRefusedAndLeaveTheDefaults) {
  const std::vector<Value> defaults = Defaults();
  ChangeSeveral(m_unk);
  const std::vector<uint8_t> good = SavedBytes(m_unk);
  ASSERT_GT(good.size(), 4u);

  // The stream ends early: inside the count, inside the bytes it announces.
  for (size_t len = 0; len < good.size(); ++len) {
    ChangeSeveral(m_unk);
    std::vector<uint8_t> cut(good.begin(), good.begin() + len);
    HRESULT hr = LoadBytes(m_unk, cut);
    EXPECT_TRUE(hr == STG_E_READFAULT || hr == E_FAIL) << len << " " << std::hex << hr;
    EXPECT_EQ(AllProperties(m_unk), defaults) << len;
    EXPECT_EQ(IsDirty(m_unk), S_FALSE);
  }
  // The count is honest but the property set inside it is cut short.
  for (size_t keep = 0; keep + 4 < good.size(); keep += 7) {
    ChangeSeveral(m_unk);
    std::vector<uint8_t> bytes(good.begin(), good.begin() + 4 + keep);
    bytes[0] = static_cast<uint8_t>(keep);
    bytes[1] = static_cast<uint8_t>(keep >> 8);
    bytes[2] = bytes[3] = 0;
    EXPECT_EQ(LoadBytes(m_unk, bytes), E_FAIL) << keep;
    EXPECT_EQ(AllProperties(m_unk), defaults) << keep;
  }
}

TEST_F(Persist, HugeCountsAndRandomBytesAreRefused) {
  const std::vector<Value> defaults = Defaults();
  ChangeSeveral(m_unk);
  std::vector<uint8_t> huge = {0x01, 0x00, 0x10, 0x00};  // 1 MiB + 1
  huge.resize(64, 0xAB);
  EXPECT_EQ(LoadBytes(m_unk, huge), E_FAIL);
  EXPECT_EQ(AllProperties(m_unk), defaults);

  // A property set of another major version is not ours.
  std::vector<uint8_t> other = SavedBytes(m_unk);
  other[4 + 2] = 2;
  EXPECT_EQ(LoadBytes(m_unk, other), E_FAIL);
  EXPECT_EQ(AllProperties(m_unk), defaults);

  std::mt19937 rng(1234);
  int refused = 0;
  for (int round = 0; round < 300; ++round) {
    ChangeSeveral(m_unk);
    const size_t n = rng() % 400;
    std::vector<uint8_t> bytes(4 + n);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(rng());
    // Half the rounds announce exactly what follows, so the bytes are parsed.
    if (round % 2) {
      bytes[0] = static_cast<uint8_t>(n);
      bytes[1] = static_cast<uint8_t>(n >> 8);
      bytes[2] = bytes[3] = 0;
    }
    HRESULT hr = LoadBytes(m_unk, bytes);
    if (FAILED(hr)) {
      ++refused;
      EXPECT_EQ(AllProperties(m_unk), defaults) << round;
    }
  }
  EXPECT_EQ(refused, 300);
}

TEST_F(Persist, ModifiedFlagFollowsWritesAndSaves) {
  IPersistStreamInit* ps = Query<IPersistStreamInit>(m_unk, IID_IPersistStreamInit);
  EXPECT_EQ(ps->IsDirty(), S_FALSE);  // after InitNew
  PutI4(m_unk, 1, 15);                // the same value still counts
  EXPECT_EQ(ps->IsDirty(), S_OK);
  IStream* s = NewStream();
  EXPECT_EQ(ps->Save(s, FALSE), S_OK);
  EXPECT_EQ(ps->IsDirty(), S_OK);
  EXPECT_EQ(ps->Save(s, TRUE), S_OK);
  EXPECT_EQ(ps->IsDirty(), S_FALSE);
  PutI4(m_unk, DISPID_BACKCOLOR, 0xFF);
  EXPECT_EQ(ps->IsDirty(), S_OK);
  EXPECT_EQ(ps->InitNew(), S_OK);
  EXPECT_EQ(ps->IsDirty(), S_FALSE);
  EXPECT_EQ(AllProperties(m_unk), Defaults());

  MemoryBag* bag = new MemoryBag;
  IPersistPropertyBag* pb = Query<IPersistPropertyBag>(m_unk, IID_IPersistPropertyBag);
  PutI4(m_unk, 2, 1);
  EXPECT_EQ(pb->Save(bag, FALSE, FALSE), S_OK);
  EXPECT_EQ(ps->IsDirty(), S_OK);
  EXPECT_EQ(pb->Save(bag, TRUE, FALSE), S_OK);
  EXPECT_EQ(ps->IsDirty(), S_FALSE);

  EXPECT_EQ(ps->Load(nullptr), E_POINTER);
  EXPECT_EQ(ps->Save(nullptr, TRUE), E_POINTER);
  EXPECT_EQ(ps->GetSizeMax(nullptr), E_POINTER);
  pb->Release();
  bag->Release();
  s->Release();
  ps->Release();
}

class Storage : public Persist {
 protected:
  void SetUp() override {
    Persist::SetUp();
    ASSERT_EQ(CreateILockBytesOnHGlobal(nullptr, TRUE, &m_bytes), S_OK);
    ASSERT_EQ(StgCreateDocfileOnILockBytes(m_bytes, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &m_stg),
              S_OK);
  }
  void TearDown() override {
    if (m_stg) m_stg->Release();
    if (m_bytes) m_bytes->Release();
    Persist::TearDown();
  }
  ILockBytes* m_bytes = nullptr;
  IStorage* m_stg = nullptr;
};

TEST_F(Storage, RoundTripThroughTheContentsStream) {
  IPersistStorage* ps = Query<IPersistStorage>(m_unk, IID_IPersistStorage);
  EXPECT_EQ(ps->InitNew(m_stg), S_OK);
  ChangeSeveral(m_unk);
  const std::vector<Value> saved = AllProperties(m_unk);
  EXPECT_EQ(ps->IsDirty(), S_OK);
  EXPECT_EQ(ps->Save(m_stg, TRUE), S_OK);
  EXPECT_EQ(ps->SaveCompleted(nullptr), S_OK);
  EXPECT_EQ(ps->IsDirty(), S_FALSE);
  ps->Release();

  IStream* contents = nullptr;
  ASSERT_EQ(m_stg->OpenStream(L"Contents", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &contents), S_OK);
  contents->Release();

  IUnknown* copy = NewControl(false);
  IPersistStorage* pc = Query<IPersistStorage>(copy, IID_IPersistStorage);
  EXPECT_EQ(pc->Load(m_stg), S_OK);
  EXPECT_EQ(AllProperties(copy), saved);
  EXPECT_EQ(pc->HandsOffStorage(), S_OK);
  EXPECT_EQ(pc->SaveCompleted(m_stg), S_OK);
  // Saving again into the same storage replaces the stream.
  PutI4(copy, 1, 5);
  EXPECT_EQ(pc->Save(m_stg, TRUE), S_OK);
  EXPECT_EQ(pc->Load(m_stg), S_OK);
  EXPECT_EQ(Ctrl(copy).m_nWatchdogTimeout, 5);
  pc->Release();
  copy->Release();
}

TEST_F(Storage, MisuseFailsCleanly) {
  IPersistStorage* ps = Query<IPersistStorage>(m_unk, IID_IPersistStorage);
  ChangeSeveral(m_unk);
  // No "Contents" stream: refused, and the control is at its defaults.
  EXPECT_EQ(ps->Load(m_stg), STG_E_FILENOTFOUND);
  EXPECT_EQ(AllProperties(m_unk), Defaults());
  EXPECT_EQ(ps->Load(nullptr), E_POINTER);
  EXPECT_EQ(ps->Save(nullptr, FALSE), E_POINTER);
  EXPECT_EQ(ps->InitNew(nullptr), E_POINTER);
  // Saving without clearing, and out-of-order completion calls, are harmless.
  PutI4(m_unk, 1, 7);
  EXPECT_EQ(ps->Save(m_stg, FALSE), S_OK);
  EXPECT_EQ(ps->IsDirty(), S_OK);
  EXPECT_EQ(ps->HandsOffStorage(), S_OK);
  EXPECT_EQ(ps->HandsOffStorage(), S_OK);
  EXPECT_EQ(ps->SaveCompleted(nullptr), S_OK);
  ps->Release();
}

}  // namespace
