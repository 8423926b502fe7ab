// WTclient.dll in COM mode against our out-of-process server,
// VelmaricOpcServer.exe, started by each test with a scenario of its own.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>

#include "tests/wine/common/OpcServerProcess.h"
#include "tests/wine/wtclient/ClientHarness.h"

using harness::Call;
using harness::Rec;
using harness::WaitUntil;
using harness::kWideClient;
using harness::kWideClientTwin;

namespace {

const char kProgId[] = "Velmaric.TamborelOpcDa.1";

harness::Lib lib;

class ComRealServer : public testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(lib.Load()) << "cannot load WTclient.dll"; }
  void SetUp() override {
    Rec().Clear();
    EXPECT_TRUE(lib.CoInit());
    lib.EnableCallback(&harness::OnEvents);
  }
  void TearDown() override {
    for (HANDLE h : m_open) lib.Disconnect(h);
    m_server.Stop();
    lib.CoUninit();
    Rec().Clear();
  }
  bool StartServer(const std::string& scenario) {
    return m_server.Start(testing::UnitTest::GetInstance()->current_test_info()->name(), scenario);
  }
  HANDLE Open() {
    HANDLE h = lib.Connect("", kProgId);
    if (h != INVALID_HANDLE_VALUE) m_open.push_back(h);
    return h;
  }
  bool Close(HANDLE h) {
    m_open.erase(std::remove(m_open.begin(), m_open.end(), h), m_open.end());
    return lib.Disconnect(h) != FALSE;
  }
  static bool Seen(DWORD_PTR client) {
    for (const Call& c : Rec().Copy())
      if (c.client == client) return true;
    return false;
  }
  // What the callback got, for failure messages.
  static std::string Dump() {
    std::string s;
    for (const Call& call : Rec().Copy()) {
      s += "\n  call of " + std::to_string(call.count) + (call.refresh ? " (refresh)" : "") + ":";
      for (const std::wstring& src : call.sources) s += " " + std::string(src.begin(), src.end());
    }
    return s;
  }
  OpcServerProcess m_server;
  std::vector<HANDLE> m_open;
};

TEST_F(ComRealServer, ScenarioEventsReachTheCallbackOnALibraryThread) {
  ASSERT_TRUE(StartServer("category 1 0x101 Reset\ncategory 4 0x410 Level alarm\n"
                          "event 2024-03-05T07:08:09.012Z 0x101 500 Area1.Boiler.TI101 first\n"
                          "event now 0x101 999 Area1.Boiler.TI102 second\n"
                          "alarm now 0x410 800 Area1.Boiler.LI103 LEVEL third\n"
                          "batch\n"
                          "wait 300\n"
                          "event now 0x101 1 Area1.Boiler.TI104 fourth\n"));
  HANDLE c = Open();
  ASSERT_NE(c, INVALID_HANDLE_VALUE);
  DWORD count = 0, *ids = nullptr;
  LPWSTR* names = nullptr;
  ASSERT_TRUE(lib.Query(c, 1, &count, &ids, &names));
  ASSERT_EQ(count, 1u);
  EXPECT_EQ(ids[0], 0x101u);
  EXPECT_STREQ(names[0], L"Reset");
  ASSERT_TRUE(lib.Query(c, 7, &count, &ids, &names));
  ASSERT_EQ(count, 2u);
  EXPECT_EQ(ids[1], 0x410u);
  EXPECT_STREQ(names[1], L"Level alarm");

  DWORD scratch = 77;
  ASSERT_NE(lib.Subscribe(c, 0xC0FFEE, &scratch, &scratch), nullptr);
  ASSERT_TRUE(WaitUntil([] { return Rec().Records() >= 4; })) << Rec().Records() << " records in " << Rec().Count()
                                                               << " calls; server log " << m_server.LogPath()
                                                               << Dump();
  const std::vector<Call> calls = Rec().Copy();
  ASSERT_GE(calls.size(), 2u);
  std::vector<std::wstring> sources, messages;
  std::vector<DWORD> severities, types, categories;
  std::vector<ULONGLONG> times;
  for (const Call& call : calls) {
    EXPECT_EQ(call.client, 0xC0FFEEu);
    EXPECT_NE(call.thread, GetCurrentThreadId());
    EXPECT_FALSE(call.refresh);
    EXPECT_FALSE(call.last);
    sources.insert(sources.end(), call.sources.begin(), call.sources.end());
    messages.insert(messages.end(), call.messages.begin(), call.messages.end());
    severities.insert(severities.end(), call.severities.begin(), call.severities.end());
    types.insert(types.end(), call.types.begin(), call.types.end());
    categories.insert(categories.end(), call.categories.begin(), call.categories.end());
    times.insert(times.end(), call.times.begin(), call.times.end());
  }
  ASSERT_EQ(sources.size(), 4u);
  EXPECT_EQ(calls.front().count, 3u) << "the scenario's first batch came apart";
  EXPECT_EQ(sources[0], L"Area1.Boiler.TI101");
  EXPECT_EQ(messages[1], L"second");
  EXPECT_EQ(times[0], 133540960890120000ULL);
  EXPECT_EQ(severities[1], 999u);
  EXPECT_EQ(types[0], 1u);
  EXPECT_EQ(types[2], 4u);
  EXPECT_EQ(categories[2], 0x410u);
  EXPECT_EQ(sources[3], L"Area1.Boiler.TI104");
  EXPECT_EQ(messages[3], L"fourth");
}

TEST_F(ComRealServer, RefreshResendsTheActiveConditionsWithItsFlags) {
  ASSERT_TRUE(StartServer("alarm now 0x410 800 Tank.LI1 LEVEL one\nalarm now 0x410 700 Tank.LI2 LEVEL two\n"
                          "event now 0x101 5 Tank.LI3 simple\n"));
  HANDLE c = Open();
  ASSERT_NE(c, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(lib.Refresh(c, kWideClient));  // no subscription yet
  DWORD scratch = 0;
  ASSERT_NE(lib.Subscribe(c, kWideClient, &scratch, &scratch), nullptr);
  ASSERT_TRUE(WaitUntil([] { return Rec().Records() >= 3; }));
  const size_t live = Rec().Count();
  EXPECT_FALSE(lib.Refresh(c, kWideClientTwin));  // not a client handle of this connection
  ASSERT_TRUE(lib.Refresh(c, kWideClient));
  ASSERT_TRUE(WaitUntil([] {
    const std::vector<Call> calls = Rec().Copy();
    return !calls.empty() && calls.back().last;
  }));
  const std::vector<Call> calls = Rec().Copy();
  std::vector<std::wstring> refreshed;
  for (size_t i = live; i < calls.size(); ++i) {
    EXPECT_TRUE(calls[i].refresh);
    EXPECT_EQ(calls[i].last, i + 1 == calls.size());
    EXPECT_EQ(calls[i].client, kWideClient);
    refreshed.insert(refreshed.end(), calls[i].sources.begin(), calls[i].sources.end());
  }
  std::sort(refreshed.begin(), refreshed.end());
  EXPECT_EQ(refreshed, (std::vector<std::wstring>{L"Tank.LI1", L"Tank.LI2"}));
}

TEST_F(ComRealServer, TwoConnectionsAndADisconnectThatStopsCallbacks) {
  ASSERT_TRUE(StartServer("rate 20\n"));
  HANDLE a = Open(), b = Open();
  ASSERT_NE(a, INVALID_HANDLE_VALUE);
  ASSERT_NE(b, INVALID_HANDLE_VALUE);
  EXPECT_NE(a, b);
  DWORD scratch = 0;
  ASSERT_NE(lib.Subscribe(a, 0xA, &scratch, &scratch), nullptr);
  ASSERT_NE(lib.Subscribe(b, 0xB, &scratch, &scratch), nullptr);
  ASSERT_TRUE(WaitUntil([] { return Seen(0xA) && Seen(0xB); }));
  ASSERT_TRUE(Close(a));
  EXPECT_EQ(Rec().inside.load(), 0);
  EXPECT_FALSE(lib.Disconnect(a));
  Rec().Clear();
  ASSERT_TRUE(WaitUntil([] { return Rec().Count() >= 3; }));
  EXPECT_FALSE(Seen(0xA));
  EXPECT_TRUE(Seen(0xB));

  // Disconnecting from inside a callback neither deadlocks with the server
  // nor lets another callback of it through.
  std::atomic<int> result{-1};
  Rec().SetHook([&](DWORD_PTR) {
    if (result.load() == -1) result = lib.Disconnect(b) ? 1 : 0;
  });
  m_open.clear();
  ASSERT_TRUE(WaitUntil([&] { return result.load() != -1; }));
  EXPECT_EQ(result.load(), 1);
  const size_t after = Rec().Count();
  Sleep(500);
  EXPECT_EQ(Rec().Count(), after);
  // Every reference on the server's objects was dropped: it leaves by itself.
  EXPECT_TRUE(m_server.WaitExit(10000)) << "the server still has a client";
}

TEST_F(ComRealServer, ScriptedFailuresFailTheCallsButNotTheConnection) {
  ASSERT_TRUE(StartServer("fail query 1\nfail subscribe 1\nfail refresh 1\nevent now 0x101 5 S one\n"));
  HANDLE c = Open();
  ASSERT_NE(c, INVALID_HANDLE_VALUE);
  DWORD count = 9, *ids = nullptr;
  LPWSTR* names = nullptr;
  EXPECT_FALSE(lib.Query(c, 1, &count, &ids, &names));
  EXPECT_EQ(count, 0u);
  EXPECT_TRUE(lib.Query(c, 1, &count, &ids, &names));
  DWORD scratch = 0;
  EXPECT_EQ(lib.Subscribe(c, 1, &scratch, &scratch), nullptr);
  EXPECT_NE(lib.Subscribe(c, 1, &scratch, &scratch), nullptr);
  EXPECT_FALSE(lib.Refresh(c, 1));
  EXPECT_TRUE(lib.Refresh(c, 1));
  EXPECT_TRUE(WaitUntil([] { return Rec().Count() >= 1; }));
}

TEST_F(ComRealServer, KilledServerIsNoticedAndDisconnectStillSucceeds) {
  ASSERT_TRUE(StartServer("rate 20\n"));
  HANDLE c = Open();
  ASSERT_NE(c, INVALID_HANDLE_VALUE);
  DWORD scratch = 0;
  ASSERT_NE(lib.Subscribe(c, 0xD, &scratch, &scratch), nullptr);
  ASSERT_TRUE(WaitUntil([] { return Rec().Count() >= 2; }));
  m_server.Kill();
  ASSERT_FALSE(m_server.Running());
  // Two status periods: the watch has asked the dead server by then.
  Sleep(4500);
  const size_t after = Rec().Count();
  EXPECT_FALSE(lib.Refresh(c, 0xD));
  DWORD count = 0, *ids = nullptr;
  LPWSTR* names = nullptr;
  EXPECT_FALSE(lib.Query(c, 1, &count, &ids, &names));
  EXPECT_EQ(lib.Subscribe(c, 0xE, &scratch, &scratch), nullptr);
  const ULONGLONG t0 = GetTickCount64();
  EXPECT_TRUE(Close(c));
  EXPECT_LT(GetTickCount64() - t0, 10000u) << "disconnect from a dead server hung";
  EXPECT_EQ(Rec().Count(), after);

  // A new server is reached again.
  // (Kill made rpcss forget the dead server's class registration.)
  m_server.Stop();
  ASSERT_TRUE(StartServer("rate 20\n"));
  c = Open();
  ASSERT_NE(c, INVALID_HANDLE_VALUE);
  ASSERT_NE(lib.Subscribe(c, 0xF, &scratch, &scratch), nullptr);
  EXPECT_TRUE(WaitUntil([] { return Seen(0xF); }));
}

}  // namespace
