// Subscription filters: what passes each criterion and their combination,
// GetFilter returning what was set, and the arguments a server refuses.
#include <set>

#include "ServerFixture.h"
#include "Subscription.h"

namespace {

class Filters : public ServerFixture {};

const char* const kScenario = R"(
category 1 0x101 Reset
category 1 0x104 Process message
category 2 0x201 Operator action
category 4 0x410 Level alarm
category 4 0x420 Deviation alarm
wait 1500
event now 0x101 100 Area1.Mill.S1 a
event now 0x104 500 Area1.Mill.S2 b
event now 0x201 300 Area2.Kiln.S3 c
alarm now 0x410 900 Area2.Kiln.S4 C1 d
alarm now 0x420 50 Area3.Dock.S5 C2 e
batch
wait 300
event now 0x104 1 Area1.Mill.S2 end
)";

std::set<std::wstring> Messages(const RecordingSink& sink) {
  std::set<std::wstring> out;
  for (const EventRecord& r : sink.Records()) out.insert(r.message);
  return out;
}

struct FilterState {
  DWORD types = 0, low = 0, high = 0;
  std::vector<DWORD> categories;
  std::vector<std::wstring> areas, sources;
};

FilterState GetFilter(IOPCEventSubscriptionMgt* mgt) {
  FilterState f;
  DWORD nCats = 0, nAreas = 0, nSources = 0;
  DWORD* cats = nullptr;
  LPWSTR *areas = nullptr, *sources = nullptr;
  EXPECT_EQ(S_OK, mgt->GetFilter(&f.types, &nCats, &cats, &f.low, &f.high, &nAreas, &areas, &nSources, &sources));
  f.categories = TakeDwords(cats, nCats);
  f.areas = TakeStrings(areas, nAreas);
  f.sources = TakeStrings(sources, nSources);
  return f;
}

HRESULT SetPlaces(IOPCEventSubscriptionMgt* mgt, std::vector<LPWSTR> areas, std::vector<LPWSTR> sources) {
  DWORD none = 0;
  LPWSTR noText = nullptr;
  return mgt->SetFilter(OPC_ALL_EVENTS, 0, &none, 1, 1000, static_cast<DWORD>(areas.size()),
                        areas.empty() ? &noText : areas.data(), static_cast<DWORD>(sources.size()),
                        sources.empty() ? &noText : sources.data());
}

}  // namespace

TEST_F(Filters, EachCriterionAndTheirCombination) {
  ASSERT_TRUE(StartServer(kScenario));
  ComPtr<IOPCEventServer> srv;
  ASSERT_EQ(S_OK, Connect(srv));
  // Our server filters by every criterion; the expectations below hold it to
  // each of them, not to whatever it happens to advertise.
  DWORD available = 0;
  ASSERT_EQ(S_OK, srv->QueryAvailableFilters(&available));
  const DWORD every = OPC_FILTER_BY_EVENT | OPC_FILTER_BY_CATEGORY | OPC_FILTER_BY_SEVERITY | OPC_FILTER_BY_AREA |
                      OPC_FILTER_BY_SOURCE;
  EXPECT_EQ(every, available & every);

  Subscription all, byType, byCategory, bySeverity, conditionAndSeverity, combined, byArea, bySource;
  for (Subscription* s : {&all, &byType, &byCategory, &bySeverity, &conditionAndSeverity, &combined, &byArea,
                          &bySource})
    ASSERT_TRUE(s->Open(srv.Get(), 1));
  EXPECT_EQ(S_OK, byType.SetFilter(OPC_SIMPLE_EVENT));
  EXPECT_EQ(S_OK, byCategory.SetFilter(OPC_ALL_EVENTS, {0x201, 0x420}));
  EXPECT_EQ(S_OK, bySeverity.SetFilter(OPC_ALL_EVENTS, {}, 200, 900));
  EXPECT_EQ(S_OK, conditionAndSeverity.SetFilter(OPC_CONDITION_EVENT, {}, 100, 1000));
  EXPECT_EQ(S_OK, combined.SetFilter(OPC_SIMPLE_EVENT | OPC_TRACKING_EVENT, {0x104, 0x201, 0x410}, 1, 400));
  wchar_t area2[] = L"Area2", s5[] = L"*.S5", s1[] = L"Area1.Mill.S1";
  const HRESULT areaHr = SetPlaces(byArea.mgt.Get(), {area2}, {});
  const HRESULT sourceHr = SetPlaces(bySource.mgt.Get(), {}, {s5, s1});

  ASSERT_TRUE(all.sink->WaitRecords(6, 10000)) << all.sink->RecordCount() << " records";
  Sleep(300);
  using Set = std::set<std::wstring>;
  EXPECT_EQ((Set{L"a", L"b", L"c", L"d", L"e", L"end"}), Messages(*all.sink.Get()));
  EXPECT_EQ((Set{L"a", L"b", L"end"}), Messages(*byType.sink.Get()));
  EXPECT_EQ((Set{L"c", L"e"}), Messages(*byCategory.sink.Get()));
  EXPECT_EQ((Set{L"b", L"c", L"d"}), Messages(*bySeverity.sink.Get()));
  EXPECT_EQ((Set{L"d"}), Messages(*conditionAndSeverity.sink.Get()));
  EXPECT_EQ((Set{L"c", L"end"}), Messages(*combined.sink.Get()));
  EXPECT_EQ(S_OK, areaHr);
  EXPECT_EQ((Set{L"c", L"d"}), Messages(*byArea.sink.Get()));
  EXPECT_EQ(S_OK, sourceHr);
  EXPECT_EQ((Set{L"a", L"e"}), Messages(*bySource.sink.Get()));

  const FilterState f = GetFilter(combined.mgt.Get());
  EXPECT_EQ(static_cast<DWORD>(OPC_SIMPLE_EVENT | OPC_TRACKING_EVENT), f.types);
  EXPECT_EQ((std::vector<DWORD>{0x104, 0x201, 0x410}), f.categories);
  EXPECT_EQ(1u, f.low);
  EXPECT_EQ(400u, f.high);
  EXPECT_TRUE(f.areas.empty());
  EXPECT_TRUE(f.sources.empty());
  const FilterState g = GetFilter(bySource.mgt.Get());
  EXPECT_EQ((std::vector<std::wstring>{L"*.S5", L"Area1.Mill.S1"}), g.sources);
}

TEST_F(Filters, DefaultFilterAndRefusedArguments) {
  ASSERT_TRUE(StartServer(kScenario));
  ComPtr<IOPCEventServer> srv;
  ASSERT_EQ(S_OK, Connect(srv));
  Subscription sub;
  ASSERT_TRUE(sub.Open(srv.Get(), 1));
  FilterState f = GetFilter(sub.mgt.Get());
  EXPECT_EQ(static_cast<DWORD>(OPC_ALL_EVENTS), f.types) << "a new subscription filters nothing";
  EXPECT_TRUE(f.categories.empty());
  EXPECT_EQ(1u, f.low);
  EXPECT_EQ(1000u, f.high);
  EXPECT_TRUE(f.areas.empty());
  EXPECT_TRUE(f.sources.empty());

  ASSERT_EQ(S_OK, sub.SetFilter(OPC_CONDITION_EVENT, {0x410}, 10, 20));
  const struct {
    const char* what;
    DWORD types;
    std::vector<DWORD> categories;
    DWORD low, high;
  } refused[] = {{"no event type", 0, {}, 1, 1000},
                 {"an undefined event type bit", 8, {}, 1, 1000},
                 {"low severity above high", OPC_ALL_EVENTS, {}, 500, 100},
                 {"severity above 1000", OPC_ALL_EVENTS, {}, 1, 1001},
                 {"a category the server does not have", OPC_ALL_EVENTS, {0x999}, 1, 1000}};
  for (const auto& r : refused) {
    SCOPED_TRACE(r.what);
    EXPECT_EQ(E_INVALIDARG, sub.SetFilter(r.types, r.categories, r.low, r.high));
    f = GetFilter(sub.mgt.Get());
    EXPECT_EQ(static_cast<DWORD>(OPC_CONDITION_EVENT), f.types) << "a refused filter changes nothing";
    EXPECT_EQ(std::vector<DWORD>{0x410}, f.categories);
    EXPECT_EQ(10u, f.low);
    EXPECT_EQ(20u, f.high);
  }
}
