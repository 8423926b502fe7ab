// End to end across the process boundary: the registered OCX hosted by Wine's
// ATL, our WTclient.dll as an OPC AE client, and our OPC AE server in its own
// process with a scenario. Events become rows and NewEvents with the server's
// values; refresh, acknowledgement, disconnect and reconnect; a server killed
// in the middle; a client killed in the middle; two controls on one server.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "opc_ae.h"
#include "tests/wine/common/OpcServerProcess.h"
#include "tests/wine/common/HostedControl.h"

namespace {

const wchar_t kProgId[] = L"Velmaric.TamborelOpcDa.1";
const char kChildVariable[] = "VELMARIC_REALPATH_CHILD";
constexpr UINT kRefreshCommand = 32768;

const char kScenario[] =
    "category 1 0x104 Process message\n"
    "category 1 0x103 Acknowledgement\n"
    "category 4 0x410 Level alarm\n"
    "event 2024-03-05T07:08:09.012Z 0x104 500 Area1.Boiler.TI101 Temperature high\n"
    "alarm now 0x410 800 Tank.LI1 LEVEL Level high\n"
    "batch\n"
    "event now 0x999 7 Area2.Turbine.XV204 Unknown category\n"
    "silence 600000\n";

// A sink of the test's own OPC client: keeps the records of the alarm.
class AlarmSink : public IOPCEventSink {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOPCEventSink)) {
      *ppv = static_cast<IOPCEventSink*>(this);
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP OnEvent(OPCHANDLE, BOOL refresh, BOOL last, DWORD count, ONEVENTSTRUCT* events) override {
    for (DWORD i = 0; i < count; ++i)
      if (events[i].szSource && lstrcmpW(events[i].szSource, L"Tank.LI1") == 0 && events[i].szConditionName) {
        found = true;
        activeTime = events[i].ftActiveTime;
        cookie = events[i].dwCookie;
      }
    if (refresh && last) refreshDone = true;
    return S_OK;
  }
  bool found = false, refreshDone = false;
  FILETIME activeTime = {};
  DWORD cookie = 0;
};

// Acknowledges Tank.LI1's LEVEL condition as another OPC client would: the
// active time and cookie come from a refresh of its own subscription.
HRESULT AcknowledgeAlarm() {
  CLSID clsid;
  HRESULT hr = CLSIDFromProgID(kProgId, &clsid);
  if (FAILED(hr)) return hr;
  IOPCEventServer* server = nullptr;
  hr = CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IOPCEventServer, reinterpret_cast<void**>(&server));
  if (FAILED(hr)) return hr;
  IUnknown* unk = nullptr;
  DWORD bufferTime = 0, maxSize = 0, cookie = 0;
  hr = server->CreateEventSubscription(TRUE, 0, 0, 77, IID_IOPCEventSubscriptionMgt, &unk, &bufferTime, &maxSize);
  AlarmSink sink;
  IConnectionPointContainer* cpc = nullptr;
  IConnectionPoint* cp = nullptr;
  IOPCEventSubscriptionMgt* mgt = nullptr;
  if (SUCCEEDED(hr)) hr = unk->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&cpc));
  if (SUCCEEDED(hr)) hr = cpc->FindConnectionPoint(IID_IOPCEventSink, &cp);
  if (SUCCEEDED(hr)) hr = cp->Advise(&sink, &cookie);
  if (SUCCEEDED(hr)) hr = unk->QueryInterface(IID_IOPCEventSubscriptionMgt, reinterpret_cast<void**>(&mgt));
  if (SUCCEEDED(hr)) hr = mgt->Refresh(cookie);
  if (SUCCEEDED(hr)) PumpUntil(10000, [&] { return sink.refreshDone; });
  if (SUCCEEDED(hr)) hr = sink.found ? S_OK : E_FAIL;
  if (SUCCEEDED(hr)) {
    LPWSTR source = const_cast<LPWSTR>(L"Tank.LI1"), condition = const_cast<LPWSTR>(L"LEVEL");
    HRESULT* errors = nullptr;
    hr = server->AckCondition(1, const_cast<LPWSTR>(L"Operator1"), const_cast<LPWSTR>(L"seen"), &source, &condition,
                              &sink.activeTime, &sink.cookie, &errors);
    if (hr == S_OK && errors && FAILED(errors[0])) hr = errors[0];
    CoTaskMemFree(errors);
  }
  if (cp) {
    if (cookie) cp->Unadvise(cookie);
    cp->Release();
  }
  if (mgt) mgt->Release();
  if (cpc) cpc->Release();
  if (unk) unk->Release();
  server->Release();
  return hr;
}

// Another client's reference, which keeps the server running while the
// control disconnects and connects again.
class ServerHold {
 public:
  ServerHold() {
    CLSID clsid;
    if (SUCCEEDED(CLSIDFromProgID(kProgId, &clsid)))
      CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IOPCEventServer, reinterpret_cast<void**>(&m_server));
  }
  ~ServerHold() {
    if (m_server) m_server->Release();
  }
  bool Held() const { return m_server != nullptr; }

 private:
  IOPCEventServer* m_server = nullptr;
};

DATE LocalDate(WORD y, WORD mo, WORD d, WORD h, WORD mi, WORD s) {
  SYSTEMTIME utc = {y, mo, 0, d, h, mi, s, 0}, local;
  FILETIME fu, fl;
  SystemTimeToFileTime(&utc, &fu);
  FileTimeToLocalFileTime(&fu, &fl);
  FileTimeToSystemTime(&fl, &local);
  local.wMilliseconds = 0;
  DATE date = 0;
  SystemTimeToVariantTime(&local, &date);
  return date;
}

class RealPath : public ::testing::Test {
 protected:
  void SetUp() override {
    if (GetEnvironmentVariableA(kChildVariable, nullptr, 0)) GTEST_SKIP() << "child run";
    OleInitialize(nullptr);
    ASSERT_TRUE(HostedControl::InitAtl());
  }
  void TearDown() override {
    if (GetEnvironmentVariableA(kChildVariable, nullptr, 0)) return;
    for (HostedControl* c : {&m_a, &m_b}) c->Destroy();
    PumpUntil(200);
    OleUninitialize();
    // Its last client gone, the server leaves by itself.
    EXPECT_TRUE(m_server.WaitExit(20000)) << "the server outlived its clients";
    m_server.Stop(0);
  }

  OpcServerProcess m_server;
  HostedControl m_a, m_b;
};

TEST_F(RealPath, ServerEventsBecomeNewEventsWithRefreshAcknowledgementAndReconnect) {
  ASSERT_TRUE(m_server.Start("e2e", kScenario));
  ServerHold hold;
  ASSERT_TRUE(hold.Held());
  ASSERT_TRUE(m_a.Create());
  const DWORD t0 = GetTickCount();
  ASSERT_TRUE(m_a.Connect());
  printf("realpath: ConnectOpc through the server took %lu ms\n", GetTickCount() - t0);

  std::vector<NewEventCall>& calls = m_a.sink.calls;
  PumpUntil(10000, [&] { return calls.size() >= 3; });
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(m_a.sink.unexpected, 0);
  EXPECT_EQ(calls[0].source, L"Area1.Boiler.TI101");
  EXPECT_EQ(calls[0].message, L"Temperature high");
  EXPECT_EQ(calls[0].category, L"Process message");  // the server's category name
  EXPECT_EQ(calls[0].severity, 500);
  EXPECT_NEAR(calls[0].date, LocalDate(2024, 3, 5, 7, 8, 9), 0.5 / 86400);
  EXPECT_EQ(calls[1].source, L"Tank.LI1");
  EXPECT_EQ(calls[1].message, L"Level high");
  EXPECT_EQ(calls[1].category, L"");  // a condition category: not among the simple ones the control loads
  EXPECT_EQ(calls[1].severity, 800);
  // "now" is the server's clock at delivery: within a minute of ours.
  SYSTEMTIME st;
  GetLocalTime(&st);
  DATE now;
  SystemTimeToVariantTime(&st, &now);
  EXPECT_NEAR(calls[1].date, now, 60.0 / 86400);
  EXPECT_EQ(calls[2].source, L"Area2.Turbine.XV204");
  EXPECT_EQ(calls[2].category, L"");
  EXPECT_EQ(calls[2].severity, 7);

  // Refresh: the active condition comes again.
  ASSERT_TRUE(m_a.Command(kRefreshCommand));
  ASSERT_TRUE(PumpUntil(10000, [&] { return calls.size() >= 4; })) << "no refresh arrived";
  EXPECT_EQ(calls[3].source, L"Tank.LI1");
  EXPECT_EQ(calls[3].message, L"Level high");
  EXPECT_EQ(calls[3].severity, 800);

  // Another client acknowledges it: the acknowledgement reaches the control.
  const HRESULT acked = AcknowledgeAlarm();
  ASSERT_EQ(acked, S_OK) << std::hex << acked;
  ASSERT_TRUE(PumpUntil(10000, [&] { return calls.size() >= 5; })) << "no acknowledgement arrived";
  EXPECT_EQ(calls[4].source, L"Tank.LI1");
  PumpUntil(1000);
  EXPECT_EQ(calls.size(), 5u);

  // Disconnect: nothing more; reconnect: the refresh of a new subscription works.
  ASSERT_TRUE(m_a.Disconnect());
  const size_t atDisconnect = calls.size();
  ASSERT_TRUE(m_a.Connect());
  ASSERT_TRUE(m_a.Command(kRefreshCommand));
  ASSERT_TRUE(PumpUntil(10000, [&] { return calls.size() > atDisconnect; })) << "nothing after the reconnect";
  EXPECT_EQ(calls.back().source, L"Tank.LI1");
  ASSERT_TRUE(m_a.Disconnect());
}

TEST_F(RealPath, AKilledServerLeavesTheControlResponsiveAndShowsTheWatchdogRow) {
  ASSERT_TRUE(m_server.Start("killed", "rate 20\nseed 7\n"));
  ASSERT_TRUE(m_a.Create());
  ASSERT_TRUE(m_a.Connect());
  ASSERT_TRUE(m_a.SetShort(L"WatchdogTimeout", 2));
  ASSERT_TRUE(PumpUntil(10000, [&] { return m_a.sink.count >= 20; }));
  EXPECT_FALSE(m_a.Find(L"Watchdog timed out")) << "a watchdog row while notifications flow";
  m_server.Kill();
  PumpUntil(1000);  // what was already queued is drained
  const size_t atKill = m_a.sink.count;
  const DWORD t0 = GetTickCount();
  // Two seconds of silence and a tick of the drain: the watchdog row is there.
  PumpUntil(3500);
  EXPECT_TRUE(m_a.Find(L"Watchdog timed out")) << "no watchdog row " << GetTickCount() - t0 + 1000
                                                << " ms after the kill";
  EXPECT_EQ(m_a.sink.count, atKill) << "notifications after the server died";
  DWORD_PTR result = 0;
  EXPECT_TRUE(SendMessageTimeoutW(m_a.Host(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &result));
  const DWORD t1 = GetTickCount();
  EXPECT_TRUE(m_a.Disconnect());
  printf("realpath: DisconnectOpc after the kill returned in %lu ms\n", GetTickCount() - t1);
  EXPECT_LT(GetTickCount() - t1, 20000u);
}

TEST_F(RealPath, TwoControlsOnOneServerSeeTheSamePlant) {
  ASSERT_TRUE(m_server.Start("two", "rate 10\nseed 3\n"));
  ASSERT_TRUE(m_a.Create(0));
  ASSERT_TRUE(m_b.Create(100));
  ASSERT_TRUE(m_a.Connect());
  ASSERT_TRUE(m_b.Connect());
  ASSERT_TRUE(PumpUntil(20000, [&] { return m_a.sink.count >= 20 && m_b.sink.count >= 20; }));
  // One plant: the notifications the second control got are ones the first got too.
  const NewEventCall last = m_b.sink.calls.back();
  PumpUntil(1500);
  const bool shared = std::any_of(m_a.sink.calls.begin(), m_a.sink.calls.end(), [&](const NewEventCall& c) {
    return c.source == last.source && c.message == last.message && c.date == last.date;
  });
  EXPECT_TRUE(shared) << "the second control's notification is not the first one's";
  EXPECT_TRUE(m_a.Disconnect());
  // The other control goes on receiving.
  const size_t b = m_b.sink.count;
  EXPECT_TRUE(PumpUntil(10000, [&] { return m_b.sink.count > b; }));
  EXPECT_TRUE(m_b.Disconnect());
}

TEST_F(RealPath, AKilledClientLetsTheServerLeave) {
  ASSERT_TRUE(m_server.Start("child", "rate 20\n"));
  // The child: this program again, hosting one control connected to the server.
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring cmd = L"\"" + std::wstring(self) + L"\" --gtest_filter=RealPathChild.*";
  SetEnvironmentVariableA(kChildVariable, "1");
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  const BOOL started = CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
  SetEnvironmentVariableA(kChildVariable, nullptr);
  ASSERT_TRUE(started);
  CloseHandle(pi.hThread);
  // The child signals once its control has received notifications.
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, (L"velmaric_child_" + std::to_wstring(pi.dwProcessId)).c_str());
  HANDLE both[2] = {ready, pi.hProcess};
  const DWORD got = WaitForMultipleObjects(2, both, FALSE, 60000);
  CloseHandle(ready);
  if (got != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  ASSERT_EQ(got, WAIT_OBJECT_0) << "the child never received notifications";
  TerminateProcess(pi.hProcess, 9);
  WaitForSingleObject(pi.hProcess, 10000);
  CloseHandle(pi.hProcess);
  const DWORD t0 = GetTickCount();
  const bool left = m_server.WaitExit(30000);
  printf("realpath: the server left %lu ms after its only client was killed\n", GetTickCount() - t0);
  EXPECT_TRUE(left) << "the server kept running for a dead client";
}

// Runs only as the child of AKilledClientLetsTheServerLeave; waits to be killed.
TEST(RealPathChild, HostConnectedUntilKilled) {
  if (!GetEnvironmentVariableA(kChildVariable, nullptr, 0)) GTEST_SKIP() << "runs only as a child";
  OleInitialize(nullptr);
  HostedControl control;
  ASSERT_TRUE(control.Create());
  ASSERT_TRUE(control.Connect());
  ASSERT_TRUE(PumpUntil(30000, [&] { return control.sink.count >= 5; }));
  HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE,
                            (L"velmaric_child_" + std::to_wstring(GetCurrentProcessId())).c_str());
  ASSERT_NE(ready, nullptr);
  SetEvent(ready);
  PumpUntil(120000);
}

}  // namespace
