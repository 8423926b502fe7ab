// Drives WTclient.dll through its exports, loaded like the control loads it.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "tests/wine/wtclient/ClientHarness.h"
#include "wtclient/WTclient.h"

namespace {

const char kProgId[] = "Velmaric.TamborelOpcDa.1";

using harness::Rec;
using harness::WaitUntil;
using harness::kWideClient;
using harness::kWideClientTwin;
using Record = harness::Call;

harness::Lib lib;

DWORD WINAPI ConnectWithoutInit(void* p) {
  *static_cast<HANDLE*>(p) = lib.Connect("", kProgId);
  return 0;
}

DWORD WINAPI SetLater(void* gate) {
  Sleep(300);
  SetEvent(static_cast<HANDLE>(gate));
  return 0;
}

class WTclientDll : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    // The in-process simulator, not a COM server.
    SetEnvironmentVariableA("WTCLIENT_INPROCESS", "1");
    ASSERT_TRUE(lib.Load()) << "cannot load WTclient.dll, error " << GetLastError();
  }
  void SetUp() override {
    ASSERT_NE(lib.module, nullptr);
    Rec().Clear();
    SetEnvironmentVariableA("WTCLIENT_SIM_SCENARIO", nullptr);
    EXPECT_TRUE(lib.CoInit());
    lib.EnableCallback(&harness::OnEvents);
  }
  void TearDown() override {
    for (HANDLE h : m_open) lib.Disconnect(h);
    lib.CoUninit();
    SetEnvironmentVariableA("WTCLIENT_SIM_SCENARIO", nullptr);
    Rec().Clear();
  }
  // Writes a scenario file of its own name (scripted failure counts belong
  // to a file) and makes it the current one.
  void UseScenario(const std::string& text) {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    const std::string path = std::string(dir) + "wtclient_" +
                             testing::UnitTest::GetInstance()->current_test_info()->name() + "_" +
                             std::to_string(GetCurrentProcessId()) + ".txt";
    std::ofstream(path, std::ios::binary) << text;
    SetEnvironmentVariableA("WTCLIENT_SIM_SCENARIO", path.c_str());
  }
  HANDLE Open() {
    HANDLE h = lib.Connect("", kProgId);
    if (h != INVALID_HANDLE_VALUE) m_open.push_back(h);
    return h;
  }
  bool Close(HANDLE h) {
    for (size_t i = 0; i < m_open.size(); ++i)
      if (m_open[i] == h) m_open.erase(m_open.begin() + static_cast<long>(i));
    return lib.Disconnect(h) != FALSE;
  }
  std::vector<HANDLE> m_open;
};

}  // namespace

TEST_F(WTclientDll, ConnectAcceptsOnlyTheLocalServer) {
  HANDLE a = Open();
  ASSERT_NE(a, INVALID_HANDLE_VALUE);
  EXPECT_NE(a, nullptr);
  HANDLE b = lib.Connect(nullptr, "velmaric.tamborelopcda.1");
  ASSERT_NE(b, INVALID_HANDLE_VALUE);
  EXPECT_NE(a, b);
  EXPECT_TRUE(lib.Disconnect(b));
  EXPECT_FALSE(lib.Disconnect(b));  // already closed
  EXPECT_EQ(lib.Connect("", "Other.Server.1"), INVALID_HANDLE_VALUE);
  EXPECT_EQ(lib.Connect("", nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(lib.Connect("faraway-host", kProgId), INVALID_HANDLE_VALUE);
  EXPECT_FALSE(lib.Disconnect(reinterpret_cast<HANDLE>(0x1234)));
  EXPECT_TRUE(Close(a));

  // A thread that never initialised the library cannot connect.
  HANDLE result = nullptr;
  HANDLE t = CreateThread(nullptr, 0, &ConnectWithoutInit, &result, 0, nullptr);
  WaitForSingleObject(t, INFINITE);
  CloseHandle(t);
  EXPECT_EQ(result, INVALID_HANDLE_VALUE);
}

TEST_F(WTclientDll, PlantCategories) {
  HANDLE c = Open();
  ASSERT_NE(c, INVALID_HANDLE_VALUE);
  DWORD count = 0, *ids = nullptr;
  LPWSTR* names = nullptr;
  ASSERT_TRUE(lib.Query(c, 1, &count, &ids, &names));
  ASSERT_GE(count, 3u);
  bool reset = false, ack = false;
  std::vector<DWORD> simple(ids, ids + count);
  for (DWORD i = 0; i < count; ++i) {
    EXPECT_GT(lstrlenW(names[i]), 0);
    reset |= (ids[i] & 0xFF) == 1;
    ack |= (ids[i] & 0xFF) == 3;
  }
  EXPECT_TRUE(reset);
  EXPECT_TRUE(ack);

  DWORD n4 = 0, *ids4 = nullptr;
  LPWSTR* names4 = nullptr;
  ASSERT_TRUE(lib.Query(c, 4, &n4, &ids4, &names4));
  ASSERT_GT(n4, 0u);
  for (DWORD i = 0; i < n4; ++i)
    for (DWORD s : simple) EXPECT_NE(ids4[i], s);
  DWORD n2 = 0, *ids2 = nullptr;
  LPWSTR* names2 = nullptr;
  ASSERT_TRUE(lib.Query(c, 2, &n2, &ids2, &names2));
  DWORD all = 0, *idsAll = nullptr;
  LPWSTR* namesAll = nullptr;
  ASSERT_TRUE(lib.Query(c, 7, &all, &idsAll, &namesAll));
  EXPECT_EQ(all, count + n2 + n4);
  EXPECT_FALSE(lib.Query(c, 1, nullptr, &ids, &names));
}

TEST_F(WTclientDll, ScriptedBatchesReachTheCallbackOnALibraryThread) {
  UseScenario("category 1 0x101 Reset\ncategory 4 0x410 Level alarm\n"
              "event 2024-03-05T07:08:09.012Z 0x101 500 Area1.Boiler.TI101 first\n"
              "event now 0x101 70000 Area1.Boiler.TI102 second\n"
              "alarm now 0x410 800 Area1.Boiler.LI103 LEVEL third\n"
              "batch\n"
              "wait 300\n"
              "event now 0x101 1 Area1.Boiler.TI104 fourth\n");
  HANDLE c = Open();
  ASSERT_NE(c, INVALID_HANDLE_VALUE);
  DWORD count = 0, *ids = nullptr;
  LPWSTR* names = nullptr;
  ASSERT_TRUE(lib.Query(c, 1, &count, &ids, &names));
  ASSERT_EQ(count, 1u);
  EXPECT_EQ(ids[0], 0x101u);
  EXPECT_STREQ(names[0], L"Reset");

  DWORD scratch = 0;
  const ULONGLONG before = GetTickCount64();
  ASSERT_NE(lib.Subscribe(c, 0xC0FFEE, &scratch, &scratch), nullptr);
  EXPECT_NE(scratch, 0u);
  ASSERT_TRUE(WaitUntil([] { return Rec().Count() >= 2; }));
  const ULONGLONG secondAt = GetTickCount64();
  const std::vector<Record> rs = Rec().Copy();
  ASSERT_EQ(rs.size(), 2u);
  ASSERT_EQ(rs[0].sources.size(), 3u);
  ASSERT_EQ(rs[1].sources.size(), 1u);
  EXPECT_GE(secondAt - before, 250u);
  for (const Record& r : rs) {
    EXPECT_EQ(r.client, 0xC0FFEEu);
    EXPECT_NE(r.thread, GetCurrentThreadId());
    EXPECT_FALSE(r.refresh);
    EXPECT_FALSE(r.last);
  }
  EXPECT_EQ(rs[0].thread, rs[1].thread);
  EXPECT_EQ(rs[0].sources[0], L"Area1.Boiler.TI101");
  EXPECT_EQ(rs[0].messages[1], L"second");
  EXPECT_EQ(rs[0].times[0], 133540960890120000ULL);
  EXPECT_EQ(rs[0].severities[1], 70000u);
  EXPECT_EQ(rs[0].types[0], 1u);
  EXPECT_EQ(rs[0].types[2], 4u);
  EXPECT_EQ(rs[0].categories[2], 0x410u);
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const ULONGLONG nowFt = (ULONGLONG(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  EXPECT_LT(nowFt - rs[1].times[0], 50000000ULL);  // stamped "now", within 5 s
  EXPECT_EQ(rs[1].messages[0], L"fourth");
}

TEST_F(WTclientDll, RefreshRedeliversActiveConditions) {
  UseScenario("alarm now 0x410 800 Tank.LI1 LEVEL one\nalarm now 0x410 700 Tank.LI2 LEVEL two\n"
              "event now 0x101 5 Tank.LI3 simple\n");
  HANDLE c = Open();
  ASSERT_NE(c, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(lib.Refresh(c, kWideClient));  // no subscription yet
  DWORD scratch = 0;
  ASSERT_NE(lib.Subscribe(c, kWideClient, &scratch, &scratch), nullptr);
  ASSERT_TRUE(WaitUntil([] { return Rec().Count() >= 1; }));
  EXPECT_FALSE(lib.Refresh(c, kWideClientTwin));  // not a client handle of this connection
  ASSERT_TRUE(lib.Refresh(c, kWideClient));
  ASSERT_TRUE(WaitUntil([] {
    const std::vector<Record> rs = Rec().Copy();
    return !rs.empty() && rs.back().last;
  }));
  const std::vector<Record> rs = Rec().Copy();
  ASSERT_EQ(rs.size(), 2u);
  EXPECT_TRUE(rs[1].refresh);
  EXPECT_TRUE(rs[1].last);
  ASSERT_EQ(rs[1].sources.size(), 2u);
  EXPECT_EQ(rs[1].sources[0], L"Tank.LI1");
  EXPECT_EQ(rs[1].sources[1], L"Tank.LI2");
  EXPECT_EQ(rs[0].client, kWideClient);
  EXPECT_EQ(rs[1].client, kWideClient);
}

TEST_F(WTclientDll, RefreshWithNothingActiveSendsOneEmptyLastBatch) {
  UseScenario("event now 1 1 S only\n");
  HANDLE c = Open();
  DWORD scratch = 0;
  ASSERT_NE(lib.Subscribe(c, 9, &scratch, &scratch), nullptr);
  ASSERT_TRUE(WaitUntil([] { return Rec().Count() >= 1; }));
  ASSERT_TRUE(lib.Refresh(c, 9));
  ASSERT_TRUE(WaitUntil([] { return Rec().Count() >= 2; }));
  const Record r = Rec().Copy()[1];
  EXPECT_TRUE(r.refresh && r.last);
  EXPECT_EQ(r.sources.size(), 0u);
}

TEST_F(WTclientDll, PlantTrafficFlowsByDefault) {
  HANDLE c = Open();
  DWORD buffer = 0, maxSize = 0;
  ASSERT_NE(lib.Subscribe(c, 1, &buffer, &maxSize), nullptr);
  EXPECT_GT(buffer, 0u);
  EXPECT_GT(maxSize, 0u);
  ASSERT_TRUE(WaitUntil([] { return Rec().Records() >= 5; }, 10000));
  for (const Record& r : Rec().Copy())
    for (size_t i = 0; i < r.sources.size(); ++i) {
      EXPECT_NE(r.sources[i].find(L'.'), std::wstring::npos);
      EXPECT_GE(r.severities[i], 1u);
      EXPECT_LE(r.severities[i], 1000u);
    }
}

TEST_F(WTclientDll, NoCallbackAfterDisconnectReturns) {
  UseScenario("rate 400\n");
  HANDLE c = Open();
  DWORD scratch = 0;
  ASSERT_NE(lib.Subscribe(c, 1, &scratch, &scratch), nullptr);
  ASSERT_TRUE(WaitUntil([] { return Rec().Count() >= 3; }));
  ASSERT_TRUE(Close(c));
  EXPECT_EQ(Rec().inside.load(), 0);
  const size_t after = Rec().Count();
  Sleep(700);
  EXPECT_EQ(Rec().Count(), after);
}

TEST_F(WTclientDll, DisconnectWaitsForABlockedCallback) {
  UseScenario("rate 400\n");
  HANDLE c = Open();
  HANDLE gate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::atomic<bool> returned{false};
  std::atomic<bool> blocked{false};
  Rec().SetHook([&](DWORD_PTR) {
    blocked = true;
    WaitForSingleObject(gate, INFINITE);  // like waiting for the control's queue lock
    returned = true;
  });
  DWORD scratch = 0;
  ASSERT_NE(lib.Subscribe(c, 1, &scratch, &scratch), nullptr);
  ASSERT_TRUE(WaitUntil([&] { return blocked.load(); }));
  HANDLE opener = CreateThread(nullptr, 0, &SetLater, gate, 0, nullptr);
  ASSERT_TRUE(Close(c));
  EXPECT_TRUE(returned.load());
  EXPECT_EQ(Rec().inside.load(), 0);
  WaitForSingleObject(opener, INFINITE);
  CloseHandle(opener);
  CloseHandle(gate);
}

TEST_F(WTclientDll, DisconnectFromInsideTheCallback) {
  UseScenario("rate 400\n");
  HANDLE c = Open();
  static HANDLE s_conn;
  static std::atomic<int> s_result;
  s_conn = c;
  s_result = -1;
  Rec().SetHook([](DWORD_PTR) {
    if (s_result.load() == -1) s_result = lib.Disconnect(s_conn) ? 1 : 0;
  });
  m_open.clear();
  DWORD scratch = 0;
  ASSERT_NE(lib.Subscribe(c, 1, &scratch, &scratch), nullptr);
  ASSERT_TRUE(WaitUntil([] { return s_result.load() != -1; }));
  EXPECT_EQ(s_result.load(), 1);
  Sleep(700);
  EXPECT_EQ(Rec().Count(), 1u);
  EXPECT_FALSE(lib.Disconnect(c));
}

TEST_F(WTclientDll, SeveralConnectionsAtOnce) {
  UseScenario("rate 20\n");
  HANDLE a = Open(), b = Open();
  ASSERT_NE(a, INVALID_HANDLE_VALUE);
  ASSERT_NE(b, INVALID_HANDLE_VALUE);
  DWORD scratch = 0;
  ASSERT_NE(lib.Subscribe(a, 0xA, &scratch, &scratch), nullptr);
  ASSERT_NE(lib.Subscribe(b, 0xB, &scratch, &scratch), nullptr);
  auto seen = [](DWORD_PTR client) {
    for (const Record& r : Rec().Copy())
      if (r.client == client) return true;
    return false;
  };
  ASSERT_TRUE(WaitUntil([&] { return seen(0xA) && seen(0xB); }));
  ASSERT_TRUE(Close(a));
  Rec().Clear();
  ASSERT_TRUE(WaitUntil([&] { return Rec().Count() >= 3; }));
  EXPECT_FALSE(seen(0xA));
  EXPECT_TRUE(seen(0xB));
}

TEST_F(WTclientDll, ScriptedFailures) {
  UseScenario("fail connect 1\nfail subscribe 1\nfail query 1\nfail refresh 1\n");
  EXPECT_EQ(Open(), INVALID_HANDLE_VALUE);
  HANDLE c = Open();
  ASSERT_NE(c, INVALID_HANDLE_VALUE);
  DWORD count = 99, *ids = reinterpret_cast<DWORD*>(1);
  LPWSTR* names = reinterpret_cast<LPWSTR*>(1);
  EXPECT_FALSE(lib.Query(c, 1, &count, &ids, &names));
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(ids, nullptr);
  EXPECT_EQ(names, nullptr);
  EXPECT_TRUE(lib.Query(c, 1, &count, &ids, &names));
  EXPECT_GT(count, 0u);
  DWORD scratch = 0;
  EXPECT_EQ(lib.Subscribe(c, 1, &scratch, &scratch), nullptr);
  EXPECT_NE(lib.Subscribe(c, 1, &scratch, &scratch), nullptr);
  EXPECT_FALSE(lib.Refresh(c, 1));
  EXPECT_TRUE(lib.Refresh(c, 1));
}

TEST_F(WTclientDll, ScriptedHangs) {
  UseScenario("hang connect 400\nhang query 300\nhang disconnect 200\n");
  // Lower bounds only, with room for the tick count's granularity: a hang
  // must block, however slow the machine.
  ULONGLONG t0 = GetTickCount64();
  HANDLE c = Open();
  ASSERT_NE(c, INVALID_HANDLE_VALUE);
  EXPECT_GE(GetTickCount64() - t0, 350u);
  DWORD count = 0, *ids = nullptr;
  LPWSTR* names = nullptr;
  t0 = GetTickCount64();
  EXPECT_TRUE(lib.Query(c, 1, &count, &ids, &names));
  EXPECT_GE(GetTickCount64() - t0, 250u);
  t0 = GetTickCount64();
  EXPECT_TRUE(Close(c));
  EXPECT_GE(GetTickCount64() - t0, 150u);
}

TEST_F(WTclientDll, BadScenarioFileFailsConnectsWithAMessage) {
  char dir[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  const std::string log = std::string(dir) + "wtclient_stderr_" + std::to_string(GetCurrentProcessId()) + ".txt";
  UseScenario("rate 1\nevent now 1 high S M\n");
  // The library writes to the same C runtime's stderr as this program.
  fflush(stderr);
  const int saved = _dup(2);
  const int fd = _open(log.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC, 0600);
  _dup2(fd, 2);
  const HANDLE first = Open();
  const HANDLE second = Open();
  fflush(stderr);
  _dup2(saved, 2);
  _close(fd);
  _close(saved);
  EXPECT_EQ(first, INVALID_HANDLE_VALUE);
  EXPECT_EQ(second, INVALID_HANDLE_VALUE);
  std::ifstream in(log);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("line 2"), std::string::npos) << text;
  EXPECT_NE(text.find("severity"), std::string::npos) << text;

  SetEnvironmentVariableA("WTCLIENT_SIM_SCENARIO", "C:\\no\\such\\scenario.txt");
  EXPECT_EQ(Open(), INVALID_HANDLE_VALUE);
}
