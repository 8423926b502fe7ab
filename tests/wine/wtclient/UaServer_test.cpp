// WTclient.dll against an OPC UA alarm server that is not ours (node-opcua, started beside the test by
// scripts/with-ua-peer.sh): the endpoint setting, the scripted alarms as AE records, refresh, a burst,
// and the ends of a server that stalls or dies.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/wine/common/UaPeer.h"
#include "tests/wine/wtclient/ClientHarness.h"
#include "wtclient/WTclient.h"

namespace {

const char kProgId[] = "Velmaric.UaTest.1";  // no COM class: only the setting makes it a server
const wchar_t kWideProgId[] = L"Velmaric.UaTest.1";

using harness::Rec;
using harness::WaitUntil;
using harness::kWideClient;
using Record = harness::Call;

constexpr DWORD kAck = 0x0103;
constexpr DWORD kReset = 0x0101;
constexpr WORD kEnabled = 0x0001, kActive = 0x0002, kAcked = 0x0004;

harness::Lib lib;

// Every record the callback received, flattened, with the call's refresh flags.
struct Flat {
  std::wstring source, message, condition;
  DWORD category, severity, type;
  WORD newState, changeMask;
  bool ackRequired, refresh, last;
};

std::vector<Flat> Records() {
  std::vector<Flat> out;
  for (const Record& c : Rec().Copy())
    for (size_t i = 0; i < c.sources.size(); ++i)
      out.push_back({c.sources[i], c.messages[i], c.conditions[i], c.categories[i], c.severities[i], c.types[i],
                     c.newStates[i], c.changeMasks[i], c.ackRequired[i], c.refresh != FALSE, c.last != FALSE});
  return out;
}

class UaLibrary : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(lib.Load()); }
  void SetUp() override {
    const std::string why = uapeer::Unavailable();
    if (!why.empty()) GTEST_SKIP() << why;
    uapeer::EndpointMapping::Remove(HKEY_LOCAL_MACHINE, kWideProgId);
    m_mapping = std::make_unique<uapeer::EndpointMapping>(HKEY_CURRENT_USER, kWideProgId,
                                                          uapeer::Wide(uapeer::Endpoint()));
    ASSERT_TRUE(m_mapping->Ok());
    Rec().Clear();
    ASSERT_TRUE(lib.CoInit());
    lib.EnableCallback(&harness::OnEvents);
  }
  void TearDown() override {
    if (m_connection && m_connection != INVALID_HANDLE_VALUE) lib.Disconnect(m_connection);
    if (m_mapping) lib.CoUninit();
    m_mapping.reset();
  }
  // Connected and subscribed with the wide client handle.
  void Open() {
    m_connection = lib.Connect("", kProgId);
    ASSERT_NE(m_connection, INVALID_HANDLE_VALUE);
    DWORD buffer = 0, size = 99;
    ASSERT_NE(lib.Subscribe(m_connection, kWideClient, &buffer, &size), nullptr);
    EXPECT_EQ(buffer, 100u);  // the publishing interval the server granted
    EXPECT_EQ(size, 0u);
  }
  DWORD CategoryNamed(const wchar_t* name) {
    DWORD count = 0, *ids = nullptr;
    LPWSTR* names = nullptr;
    if (!lib.Query(m_connection, 1, &count, &ids, &names)) return 0;
    for (DWORD i = 0; i < count; ++i)
      if (lstrcmpW(names[i], name) == 0) return ids[i];
    return 0;
  }

  std::unique_ptr<uapeer::EndpointMapping> m_mapping;
  HANDLE m_connection = nullptr;
};

TEST_F(UaLibrary, ScriptedAlarmsArriveOnceInOrderWithTheirMappedFields) {
  Open();
  // The control asks once, for simple events, before any event: the standard types are named already.
  const DWORD alarmCategory = CategoryNamed(L"AlarmConditionType");
  EXPECT_EQ(alarmCategory & 0xFF, 0u);
  EXPECT_NE(alarmCategory, 0u);
  EXPECT_EQ(CategoryNamed(L"Acknowledgement"), kAck);
  EXPECT_EQ(CategoryNamed(L"Return to normal"), kReset);
  // The server's own type, learnt by browsing its type tree at connect.
  const DWORD pumpCategory = CategoryNamed(L"PumpFaultAlarmType");
  EXPECT_NE(pumpCategory, 0u);
  EXPECT_EQ(pumpCategory & 0xFF, 0u);

  ASSERT_EQ(uapeer::Command("script"), "ok script");
  ASSERT_TRUE(WaitUntil([] { return Records().size() >= 4; }, 10000)) << Records().size() << " records";
  Sleep(500);  // nothing more may follow
  const std::vector<Flat> r = Records();
  ASSERT_EQ(r.size(), 4u);
  for (const Record& c : Rec().Copy()) {
    EXPECT_EQ(c.client, kWideClient);
    EXPECT_FALSE(c.refresh);
  }
  for (const Flat& f : r) EXPECT_EQ(f.type, 4u) << "a condition event";

  EXPECT_EQ(r[0].source, L"Tank1");
  EXPECT_EQ(r[0].condition, L"TankLevel");
  EXPECT_EQ(r[0].message, L"Level high");
  EXPECT_EQ(r[0].severity, 700u);
  EXPECT_EQ(r[0].category, alarmCategory);
  EXPECT_EQ(r[0].newState, kEnabled | kActive);
  EXPECT_TRUE(r[0].ackRequired);

  EXPECT_EQ(r[1].source, L"Tank1");
  EXPECT_EQ(r[1].category, kAck);
  EXPECT_EQ(r[1].newState, kEnabled | kActive | kAcked);
  EXPECT_FALSE(r[1].ackRequired);
  EXPECT_EQ(r[1].changeMask & 0x0002, 0x0002) << "the ack state changed";

  EXPECT_EQ(r[2].source, L"Tank1");
  EXPECT_EQ(r[2].message, L"Level normal");
  EXPECT_EQ(r[2].category, kReset);
  EXPECT_EQ(r[2].newState, kEnabled | kAcked);

  EXPECT_EQ(r[3].source, L"Pump1");
  EXPECT_EQ(r[3].condition, L"PumpFault");
  EXPECT_EQ(r[3].message, L"Pump fault");
  EXPECT_EQ(r[3].severity, 900u);
  EXPECT_EQ(r[3].category, pumpCategory);
  EXPECT_TRUE(r[3].ackRequired);
}

TEST_F(UaLibrary, RefreshBringsBackTheActiveConditionsInOneLastRefreshCall) {
  Open();
  ASSERT_EQ(uapeer::Command("script"), "ok script");
  ASSERT_TRUE(WaitUntil([] { return Records().size() >= 4; }, 10000));
  Rec().Clear();
  ASSERT_TRUE(lib.Refresh(m_connection, kWideClient));
  ASSERT_TRUE(WaitUntil([] { return Rec().Count() >= 1; }, 10000)) << "no refresh arrived";
  Sleep(500);
  const std::vector<Record> calls = Rec().Copy();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_TRUE(calls[0].refresh);
  EXPECT_TRUE(calls[0].last);
  bool pump = false;
  for (size_t i = 0; i < calls[0].sources.size(); ++i) {
    EXPECT_NE(calls[0].sources[i], L"Tank1") << "returned to normal: not refreshed";
    pump = pump || (calls[0].sources[i] == L"Pump1" && calls[0].messages[i] == L"Pump fault");
  }
  EXPECT_TRUE(pump) << "the active pump fault was not refreshed";
  // Only a subscription of the connection can be refreshed.
  EXPECT_FALSE(lib.Refresh(m_connection, kWideClient ^ 1));
}

TEST_F(UaLibrary, BurstDeliveredWholeAndInOrder) {
  Open();
  constexpr int kBurst = 500;
  ASSERT_EQ(uapeer::Command("burst " + std::to_string(kBurst)), "ok burst " + std::to_string(kBurst));
  ASSERT_TRUE(WaitUntil([] { return Records().size() >= kBurst; }, 20000)) << Records().size() << " records";
  Sleep(500);
  const std::vector<Flat> r = Records();
  ASSERT_EQ(r.size(), size_t(kBurst));
  for (int i = 0; i < kBurst; ++i) ASSERT_EQ(r[i].message, L"Burst " + std::to_wstring(i + 1)) << i;
}

TEST_F(UaLibrary, TheUserSettingWinsOverTheMachineOne) {
  uapeer::EndpointMapping machine(HKEY_LOCAL_MACHINE, kWideProgId, L"opc.tcp://127.0.0.1:1/nothing");
  ASSERT_TRUE(machine.Ok());
  m_connection = lib.Connect("", kProgId);
  EXPECT_NE(m_connection, INVALID_HANDLE_VALUE);
}

// No server needed: what a bad setting does.
TEST(UaSetting, UnreachableOrMalformedEndpointFailsTheConnectPromptly) {
  ASSERT_TRUE(lib.module || lib.Load());
  uapeer::EndpointMapping::Remove(HKEY_LOCAL_MACHINE, kWideProgId);
  ASSERT_TRUE(lib.CoInit());
  for (const wchar_t* url : {L"opc.tcp://127.0.0.1:1/closed", L"http://127.0.0.1:4840/", L"opc.tcp://", L"   "}) {
    uapeer::EndpointMapping user(HKEY_CURRENT_USER, kWideProgId, url);
    ASSERT_TRUE(user.Ok());
    const ULONGLONG start = GetTickCount64();
    const HANDLE h = lib.Connect("", kProgId);
    EXPECT_EQ(h, INVALID_HANDLE_VALUE) << "connected through " << std::string(url, url + lstrlenW(url));
    if (h != INVALID_HANDLE_VALUE) lib.Disconnect(h);
    EXPECT_LT(GetTickCount64() - start, 20000u) << "a hang, not a failure";
  }
  // Without any setting the name is a COM ProgID again, and there is no such class.
  EXPECT_EQ(lib.Connect("", kProgId), INVALID_HANDLE_VALUE);
  lib.CoUninit();
}

// Run in their own process, each with a peer of its own (see CMakeLists.txt): they stop the server.
class UaServerEnds : public UaLibrary {};

TEST_F(UaServerEnds, AServerThatStallsDoesNotHoldTheDisconnect) {
  Open();
  ASSERT_EQ(uapeer::Command("script"), "ok script");
  ASSERT_TRUE(WaitUntil([] { return Records().size() >= 4; }, 10000));
  uapeer::Command("stall 8", false);
  Sleep(300);
  const ULONGLONG start = GetTickCount64();
  EXPECT_TRUE(lib.Disconnect(m_connection));
  m_connection = nullptr;
  const ULONGLONG took = GetTickCount64() - start;
  printf("ua: disconnect from a stalled server took %llu ms\n", took);
  EXPECT_LT(took, 10000u) << "the disconnect waited for the stalled server";
}

TEST_F(UaServerEnds, AKilledServerEndsTheConnectionAndNothingMoreComes) {
  ASSERT_TRUE(uapeer::Sync());  // past any stall of an earlier test
  Open();
  ASSERT_EQ(uapeer::Command("script"), "ok script");
  ASSERT_TRUE(WaitUntil([] { return Records().size() >= 4; }, 10000));
  uapeer::Command("exit", false);
  // Dead: a refresh is refused once the connection has seen the socket close.
  ASSERT_TRUE(WaitUntil([this] { return !lib.Refresh(m_connection, kWideClient); }, 10000));
  DWORD count = 7, *ids = nullptr;
  LPWSTR* names = nullptr;
  EXPECT_FALSE(lib.Query(m_connection, 1, &count, &ids, &names));
  EXPECT_EQ(count, 0u);
  const size_t before = Rec().Count();
  Sleep(500);
  EXPECT_EQ(Rec().Count(), before);
  const ULONGLONG start = GetTickCount64();
  EXPECT_TRUE(lib.Disconnect(m_connection));
  m_connection = nullptr;
  EXPECT_LT(GetTickCount64() - start, 5000u);
}

}  // namespace
