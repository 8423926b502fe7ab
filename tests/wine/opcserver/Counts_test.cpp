// The counts a client passes with its lists, from none to far more than any
// server takes, on every method that has one: the server answers each call,
// refuses the lists it does not take with E_INVALIDARG (or E_NOTIMPL where it
// offers no such feature) and still serves every client afterwards. Counts
// beyond what a client can build are refused by the proxy before the server
// sees them (any failure then), but the server must survive those calls too.
#include "ServerFixture.h"
#include "Subscription.h"

namespace {

class Counts : public ServerFixture {};

const char* const kScenario = R"(
category 1 0x104 Process message
category 4 0x410 Level alarm
alarm 2024-03-05T07:00:00Z 0x410 800 Area1.Boiler.LI103 LEVEL Drum level high
)";

// The longest list the test really builds; it reaches the server.
constexpr DWORD kLongest = 0x10000;
const DWORD kCounts[] = {0, 1, kLongest, 0x80000000u, 0xFFFFFFFFu};

std::string CountText(DWORD n) { return "count " + std::to_string(n); }

// The array passed with a count. Up to kLongest it has that many entries
// (one for a count of 0: a null array is refused by the proxy). A larger
// count gets a few entries that end where an unreadable page begins, so that
// a proxy reading past them faults at once instead of marshalling whatever
// memory follows.
template <typename T>
class Entries {
 public:
  Entries(DWORD count, T fill) {
    if (count <= kLongest) {
      m_vector.assign(count ? count : 1, fill);
      m_data = m_vector.data();
      return;
    }
    SYSTEM_INFO si;
    GetSystemInfo(&si);
    const SIZE_T page = si.dwPageSize;
    m_block = static_cast<char*>(VirtualAlloc(nullptr, 2 * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    DWORD old = 0;
    if (!m_block || !VirtualProtect(m_block + page, page, PAGE_NOACCESS, &old)) {
      ADD_FAILURE() << "no guarded block";
      m_vector.assign(kShort, fill);
      m_data = m_vector.data();
      return;
    }
    m_data = reinterpret_cast<T*>(m_block + page) - kShort;
    for (DWORD i = 0; i < kShort; ++i) m_data[i] = fill;
  }
  ~Entries() {
    if (m_block) VirtualFree(m_block, 0, MEM_RELEASE);
  }
  Entries(const Entries&) = delete;
  Entries& operator=(const Entries&) = delete;
  T* data() { return m_data; }

 private:
  static constexpr DWORD kShort = 16;
  std::vector<T> m_vector;
  char* m_block = nullptr;
  T* m_data = nullptr;
};

// A list the server does not take: its own E_INVALIDARG where the list
// reached it, any failure where the count is beyond what a client can build.
void ExpectRefused(DWORD count, HRESULT hr, HRESULT reached = E_INVALIDARG) {
  if (count <= kLongest)
    EXPECT_EQ(reached, hr) << HrText(hr);
  else
    EXPECT_TRUE(FAILED(hr)) << HrText(hr);
}

// The server still answers a good call: a crashed one fails it at once.
::testing::AssertionResult Serving(IOPCEventServer* srv) {
  OPCEVENTSERVERSTATUS* st = nullptr;
  const HRESULT hr = srv->GetStatus(&st);
  const bool running = st && st->dwServerState == OPCAE_STATUS_RUNNING;
  if (st) {
    CoTaskMemFree(st->szVendorInfo);
    CoTaskMemFree(st);
  }
  if (hr != S_OK || !running) return ::testing::AssertionFailure() << "GetStatus afterwards: " << HrText(hr);
  return ::testing::AssertionSuccess();
}

}  // namespace

TEST_F(Counts, GetConditionStateAttributeLists) {
  ASSERT_TRUE(StartServer(kScenario));
  ComPtr<IOPCEventServer> srv;
  ASSERT_EQ(S_OK, Connect(srv));
  wchar_t source[] = L"Area1.Boiler.LI103", level[] = L"LEVEL";
  for (const DWORD n : kCounts) {
    SCOPED_TRACE(CountText(n));
    Entries<DWORD> ids(n, 0x1234);
    OPCCONDITIONSTATE* state = nullptr;
    const HRESULT hr = srv->GetConditionState(source, level, n, ids.data(), &state);
    if (n <= 1) {
      EXPECT_EQ(S_OK, hr) << HrText(hr);
      if (state) {
        EXPECT_EQ(n, state->dwNumEventAttrs);
        // The plant has no attributes: the one asked for is empty, with an error.
        if (n == 1 && state->pErrors && state->pEventAttributes) {
          EXPECT_EQ(E_INVALIDARG, state->pErrors[0]);
          EXPECT_EQ(VT_EMPTY, state->pEventAttributes[0].vt);
        }
      }
    } else {
      ExpectRefused(n, hr);
      EXPECT_EQ(nullptr, state) << "nothing is returned with a refusal";
    }
    FreeConditionState(state);
    ASSERT_TRUE(Serving(srv.Get()));
  }
}

TEST_F(Counts, AckConditionLists) {
  ASSERT_TRUE(StartServer(kScenario));
  ComPtr<IOPCEventServer> srv;
  ASSERT_EQ(S_OK, Connect(srv));
  wchar_t who[] = L"Operator7", comment[] = L"seen", source[] = L"Area1.Boiler.LI103", level[] = L"LEVEL";
  for (const DWORD n : kCounts) {
    SCOPED_TRACE(CountText(n));
    Entries<LPWSTR> sources(n, source), conditions(n, level);
    Entries<FILETIME> times(n, ToFileTime(UtcFt(2024, 3, 5, 7, 0, 0)));
    Entries<DWORD> cookies(n, 1);
    HRESULT* errors = nullptr;
    const HRESULT hr =
        srv->AckCondition(n, who, comment, sources.data(), conditions.data(), times.data(), cookies.data(), &errors);
    if (n == 1) {
      // Known but not active (the plant's clock has not started): already acknowledged.
      EXPECT_EQ(S_OK, hr) << HrText(hr);
      EXPECT_NE(nullptr, errors);
      if (errors) {
        EXPECT_EQ(OPC_S_ALREADYACKED, errors[0]) << HrText(errors[0]);
      }
    } else {
      // Nothing to acknowledge is a bad argument too.
      ExpectRefused(n, hr);
      EXPECT_EQ(nullptr, errors) << "no error array with a refusal";
    }
    CoTaskMemFree(errors);
    ASSERT_TRUE(Serving(srv.Get()));
  }
}

// Each of the filter's three lists on its own; a refused filter leaves the
// one set before.
TEST_F(Counts, SetFilterLists) {
  ASSERT_TRUE(StartServer(kScenario));
  ComPtr<IOPCEventServer> srv;
  ASSERT_EQ(S_OK, Connect(srv));
  Subscription sub;
  ASSERT_TRUE(sub.Open(srv.Get(), 7));
  wchar_t pattern[] = L"Area1*";
  enum List { Categories, Areas, Sources };
  for (const List list : {Categories, Areas, Sources}) {
    for (const DWORD n : kCounts) {
      SCOPED_TRACE("list " + std::to_string(list) + ", " + CountText(n));
      const DWORD nCats = list == Categories ? n : 0, nAreas = list == Areas ? n : 0,
                  nSources = list == Sources ? n : 0;
      Entries<DWORD> cats(nCats, 0x410);
      Entries<LPWSTR> areas(nAreas, pattern), sources(nSources, pattern);
      const HRESULT hr = sub.mgt->SetFilter(OPC_ALL_EVENTS, nCats, cats.data(), 1, 1000, nAreas, areas.data(),
                                            nSources, sources.data());
      if (n <= 1)
        EXPECT_EQ(S_OK, hr) << HrText(hr);
      else
        ExpectRefused(n, hr);
      ASSERT_TRUE(Serving(srv.Get()));

      DWORD types = 0, low = 0, high = 0, gotCats = 0, gotAreas = 0, gotSources = 0;
      DWORD* catList = nullptr;
      LPWSTR *areaList = nullptr, *sourceList = nullptr;
      ASSERT_EQ(S_OK, sub.mgt->GetFilter(&types, &gotCats, &catList, &low, &high, &gotAreas, &areaList,
                                         &gotSources, &sourceList));
      TakeDwords(catList, gotCats);
      TakeStrings(areaList, gotAreas);
      TakeStrings(sourceList, gotSources);
      // After 0 and 1 the filter is what was set; a refusal keeps the list of 1.
      const DWORD expected = n == 0 ? 0 : 1;
      EXPECT_EQ(list == Categories ? expected : 0, gotCats);
      EXPECT_EQ(list == Areas ? expected : 0, gotAreas);
      EXPECT_EQ(list == Sources ? expected : 0, gotSources);
    }
  }
}

TEST_F(Counts, SelectReturnedAttributesLists) {
  ASSERT_TRUE(StartServer(kScenario));
  ComPtr<IOPCEventServer> srv;
  ASSERT_EQ(S_OK, Connect(srv));
  Subscription sub;
  ASSERT_TRUE(sub.Open(srv.Get(), 8));
  for (const DWORD n : kCounts) {
    SCOPED_TRACE(CountText(n));
    Entries<DWORD> ids(n, 0x1234);
    const HRESULT hr = sub.mgt->SelectReturnedAttributes(0x410, n, ids.data());
    if (n == 0)
      EXPECT_EQ(S_OK, hr) << HrText(hr);
    else
      ExpectRefused(n, hr);  // the plant has no attributes to select
    ASSERT_TRUE(Serving(srv.Get()));
    DWORD count = 0xDEAD;
    DWORD* selected = nullptr;
    EXPECT_EQ(S_OK, sub.mgt->GetReturnedAttributes(0x410, &count, &selected));
    EXPECT_EQ(0u, TakeDwords(selected, count).size());
  }
}

// Features the server does not offer answer E_NOTIMPL whatever the count.
TEST_F(Counts, UnofferedFeaturesWithAnyCount) {
  ASSERT_TRUE(StartServer(kScenario));
  ComPtr<IOPCEventServer> srv;
  ASSERT_EQ(S_OK, Connect(srv));
  wchar_t source[] = L"Area1.Boiler.LI103", level[] = L"LEVEL", area[] = L"Area1";
  using Places = HRESULT (STDMETHODCALLTYPE IOPCEventServer::*)(DWORD, LPWSTR*);
  const Places places[] = {&IOPCEventServer::EnableConditionByArea, &IOPCEventServer::EnableConditionBySource,
                           &IOPCEventServer::DisableConditionByArea, &IOPCEventServer::DisableConditionBySource};
  for (const DWORD n : kCounts) {
    SCOPED_TRACE(CountText(n));
    Entries<DWORD> ids(n, 0x1234);
    LPWSTR *itemIds = nullptr, *nodes = nullptr;
    CLSID* clsids = nullptr;
    const HRESULT hr =
        srv->TranslateToItemIDs(source, 0x410, level, level, n, ids.data(), &itemIds, &nodes, &clsids);
    ExpectRefused(n, hr, E_NOTIMPL);
    EXPECT_EQ(nullptr, itemIds);
    EXPECT_EQ(nullptr, nodes);
    EXPECT_EQ(nullptr, clsids);
    ASSERT_TRUE(Serving(srv.Get()));
    for (size_t i = 0; i < sizeof places / sizeof places[0]; ++i) {
      SCOPED_TRACE("enable/disable method " + std::to_string(i));
      Entries<LPWSTR> names(n, i % 2 ? source : area);
      ExpectRefused(n, (srv.Get()->*places[i])(n, names.data()), E_NOTIMPL);
      ASSERT_TRUE(Serving(srv.Get()));
    }
  }
}

// The most notifications per sink call is a count too: it only cuts the
// deliveries, so any value is taken as asked.
TEST_F(Counts, MaxSizeOfAnyValue) {
  ASSERT_TRUE(StartServer(kScenario));
  ComPtr<IOPCEventServer> srv;
  ASSERT_EQ(S_OK, Connect(srv));
  for (const DWORD n : kCounts) {
    SCOPED_TRACE(CountText(n));
    Subscription sub;
    ASSERT_TRUE(sub.Open(srv.Get(), 9, TRUE, 0, n)) << HrText(sub.createHr);
    EXPECT_EQ(n, sub.revisedMax);
    DWORD max = n ^ 1, revisedBuffer = 0, revisedMax = 0;
    EXPECT_EQ(S_OK, sub.mgt->SetState(nullptr, nullptr, &max, 9, &revisedBuffer, &revisedMax));
    EXPECT_EQ(max, revisedMax);
    ASSERT_TRUE(Serving(srv.Get()));
  }
}
