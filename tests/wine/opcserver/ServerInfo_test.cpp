// The server object's own information: IOPCCommon, GetStatus, the event
// categories of the scenario and the filters it supports.
#include <algorithm>
#include <map>

#include "ServerFixture.h"

namespace {

const char* const kCategories = R"(
category 1 0x101 Reset
category 1 0x104 Process message
category 2 0x201 Operator action
category 4 0x410 Level alarm
category 4 0x420 Deviation alarm
)";

class ServerInfo : public ServerFixture {};

std::map<DWORD, std::wstring> Categories(IOPCEventServer* server, DWORD mask, HRESULT* hr) {
  DWORD count = 0;
  DWORD* ids = nullptr;
  LPWSTR* names = nullptr;
  *hr = server->QueryEventCategories(mask, &count, &ids, &names);
  std::map<DWORD, std::wstring> out;
  const std::vector<DWORD> idList = TakeDwords(ids, count);
  const std::vector<std::wstring> nameList = TakeStrings(names, count);
  for (size_t i = 0; i < idList.size() && i < nameList.size(); ++i) out[idList[i]] = nameList[i];
  return out;
}

}  // namespace

TEST_F(ServerInfo, CommonLocaleErrorStringsAndClientName) {
  ASSERT_TRUE(StartServer(kCategories));
  ComPtr<IOPCEventServer> srv;
  ASSERT_EQ(S_OK, Connect(srv));
  ComPtr<IOPCCommon> common;
  ASSERT_EQ(S_OK, srv.As(&common));

  LCID lcid = 0xFFFFFFFF;
  ASSERT_EQ(S_OK, common->GetLocaleID(&lcid));
  DWORD count = 0;
  LCID* locales = nullptr;
  ASSERT_EQ(S_OK, common->QueryAvailableLocaleIDs(&count, &locales));
  const std::vector<DWORD> available = TakeDwords(locales, count);
  ASSERT_FALSE(available.empty());
  EXPECT_NE(available.end(), std::find(available.begin(), available.end(), lcid))
      << "the current locale " << lcid << " is not among the available ones";

  const LCID chosen = available.back();
  EXPECT_EQ(S_OK, common->SetLocaleID(chosen));
  ASSERT_EQ(S_OK, common->GetLocaleID(&lcid));
  EXPECT_EQ(chosen, lcid);
  // A locale the server does not offer is refused and changes nothing.
  LCID bogus = 0x7C7C;
  while (std::find(available.begin(), available.end(), bogus) != available.end()) ++bogus;
  EXPECT_EQ(E_INVALIDARG, common->SetLocaleID(bogus));
  ASSERT_EQ(S_OK, common->GetLocaleID(&lcid));
  EXPECT_EQ(chosen, lcid);

  for (HRESULT code : {OPC_E_BUSY, OPC_S_ALREADYACKED, OPC_E_INVALIDTIME}) {
    SCOPED_TRACE(HrText(code));
    LPWSTR text = nullptr;
    EXPECT_EQ(S_OK, common->GetErrorString(code, &text));
    EXPECT_NE(nullptr, text);
    if (text) {
      EXPECT_GT(lstrlenW(text), 0);
    }
    CoTaskMemFree(text);
  }
  LPWSTR text = nullptr;
  EXPECT_EQ(E_INVALIDARG, common->GetErrorString(static_cast<HRESULT>(0xC004FEEDL), &text))
      << "an error code unknown to the server";
  CoTaskMemFree(text);

  EXPECT_EQ(S_OK, common->SetClientName(L"opc_server_test"));
}

TEST_F(ServerInfo, StatusIsRunningWithSaneTimes) {
  ASSERT_TRUE(StartServer(kCategories));
  ComPtr<IOPCEventServer> srv;
  ASSERT_EQ(S_OK, Connect(srv));
  const uint64_t before = NowFt();
  OPCEVENTSERVERSTATUS* status = nullptr;
  ASSERT_EQ(S_OK, srv->GetStatus(&status));
  const uint64_t after = NowFt();
  ASSERT_NE(nullptr, status);
  EXPECT_EQ(OPCAE_STATUS_RUNNING, status->dwServerState);
  const uint64_t start = Ft(status->ftStartTime), current = Ft(status->ftCurrentTime);
  EXPECT_LE(start, current);
  // The server was started by this test: its start lies between the launch
  // and now (a second of slack for clock granularity).
  EXPECT_GE(start + 1000 * kFtPerMs, server.LaunchedAt());
  EXPECT_LE(current, after + 1000 * kFtPerMs);
  EXPECT_GE(current + 1000 * kFtPerMs, before);
  // No notification has been sent to this client yet.
  EXPECT_EQ(0u, Ft(status->ftLastUpdateTime));
  ASSERT_NE(nullptr, status->szVendorInfo);
  EXPECT_GT(lstrlenW(status->szVendorInfo), 0);
  std::printf("[ status ] vendor \"%s\" version %u.%u.%u\n", Narrow(status->szVendorInfo).c_str(),
              status->wMajorVersion, status->wMinorVersion, status->wBuildNumber);
  CoTaskMemFree(status->szVendorInfo);
  CoTaskMemFree(status);
}

TEST_F(ServerInfo, CategoriesPerEventTypeAndAvailableFilters) {
  ASSERT_TRUE(StartServer(kCategories));
  ComPtr<IOPCEventServer> srv;
  ASSERT_EQ(S_OK, Connect(srv));
  const std::map<DWORD, std::wstring> simple = {{0x101, L"Reset"}, {0x104, L"Process message"}};
  const std::map<DWORD, std::wstring> tracking = {{0x201, L"Operator action"}};
  const std::map<DWORD, std::wstring> condition = {{0x410, L"Level alarm"}, {0x420, L"Deviation alarm"}};
  std::map<DWORD, std::wstring> all = simple;
  all.insert(tracking.begin(), tracking.end());
  all.insert(condition.begin(), condition.end());
  std::map<DWORD, std::wstring> simpleAndCondition = simple;
  simpleAndCondition.insert(condition.begin(), condition.end());

  const struct {
    DWORD mask;
    const std::map<DWORD, std::wstring>& expected;
  } cases[] = {{OPC_SIMPLE_EVENT, simple},
               {OPC_TRACKING_EVENT, tracking},
               {OPC_CONDITION_EVENT, condition},
               {OPC_SIMPLE_EVENT | OPC_CONDITION_EVENT, simpleAndCondition},
               {OPC_ALL_EVENTS, all}};
  for (const auto& c : cases) {
    SCOPED_TRACE("mask " + std::to_string(c.mask));
    HRESULT hr;
    const std::map<DWORD, std::wstring> got = Categories(srv.Get(), c.mask, &hr);
    EXPECT_EQ(S_OK, hr);
    EXPECT_EQ(c.expected, got);
  }
  for (DWORD bad : {0u, 8u, 0x10u}) {
    SCOPED_TRACE("mask " + std::to_string(bad));
    HRESULT hr;
    const std::map<DWORD, std::wstring> got = Categories(srv.Get(), bad, &hr);
    EXPECT_EQ(E_INVALIDARG, hr);
    EXPECT_TRUE(got.empty());
  }

  DWORD filters = 0;
  ASSERT_EQ(S_OK, srv->QueryAvailableFilters(&filters));
  for (const DWORD needed : {OPC_FILTER_BY_EVENT, OPC_FILTER_BY_CATEGORY, OPC_FILTER_BY_SEVERITY})
    EXPECT_EQ(needed, filters & needed);
  std::printf("[ filters ] available mask 0x%lx\n", static_cast<unsigned long>(filters));
}
