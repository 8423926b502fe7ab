// The control on an operator's screen, its server moved to OPC UA: the registered OCX hosted by Wine's
// ATL asks for its usual ProgID, the library's setting sends it to a node-opcua alarm server, and the
// scripted alarms come out as rows and NewEvents, with the acknowledgement and reset filters applied.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/wine/common/HostedControl.h"
#include "tests/wine/common/UaPeer.h"

namespace {

const wchar_t kProgId[] = L"Velmaric.TamborelOpcDa.1";
constexpr UINT kRefreshCommand = 32768;
constexpr UINT kClearAllCommand = 32769;

bool PutBool(IDispatch* d, const wchar_t* name, bool value) {
  VARIANT v;
  V_VT(&v) = VT_BOOL;
  V_BOOL(&v) = value ? VARIANT_TRUE : VARIANT_FALSE;
  return PutProp(d, name, v) == S_OK;
}

class UaPath : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string why = uapeer::Unavailable();
    if (!why.empty()) GTEST_SKIP() << why;
    uapeer::EndpointMapping::Remove(HKEY_LOCAL_MACHINE, kProgId);
    m_mapping = std::make_unique<uapeer::EndpointMapping>(HKEY_CURRENT_USER, kProgId, uapeer::Wide(uapeer::Endpoint()));
    ASSERT_TRUE(m_mapping->Ok());
    OleInitialize(nullptr);
    m_ole = true;
    ASSERT_TRUE(HostedControl::InitAtl());
    ASSERT_TRUE(m_control.Create());
  }
  void TearDown() override {
    m_control.Destroy();
    if (m_ole) {
      PumpUntil(200);
      OleUninitialize();
    }
    m_mapping.reset();  // the ProgID is the classic server's again
  }
  // Plays the peer's script and waits for its four NewEvents after the first `already`.
  std::vector<NewEventCall> PlayScript() {
    const size_t already = m_control.sink.calls.size();
    EXPECT_EQ(uapeer::Command("script"), "ok script");
    EXPECT_TRUE(PumpUntil(10000, [&] { return m_control.sink.calls.size() >= already + 4; }))
        << m_control.sink.calls.size() - already << " NewEvents";
    PumpUntil(700);  // one more drain: nothing else may follow
    const std::vector<NewEventCall>& calls = m_control.sink.calls;
    EXPECT_EQ(calls.size(), already + 4);
    return std::vector<NewEventCall>(calls.begin() + static_cast<std::ptrdiff_t>(std::min(already, calls.size())),
                                     calls.end());
  }

  std::unique_ptr<uapeer::EndpointMapping> m_mapping;
  bool m_ole = false;
  HostedControl m_control;
};

TEST_F(UaPath, ScriptedAlarmsBecomeRowsAndNewEventsWithTheFiltersApplied) {
  const DWORD t0 = GetTickCount();
  ASSERT_TRUE(m_control.Connect());
  printf("uapath: ConnectOpc to the UA server took %lu ms\n", GetTickCount() - t0);

  // As the control comes, every notification is listed, the acknowledgement and the return to normal
  // under the categories the control's filters recognise.
  std::vector<NewEventCall> e = PlayScript();
  ASSERT_EQ(e.size(), 4u);
  EXPECT_EQ(m_control.sink.unexpected, 0);
  EXPECT_EQ(e[0].source, L"Tank1");
  EXPECT_EQ(e[0].message, L"Level high");
  EXPECT_EQ(e[0].severity, 700);
  EXPECT_EQ(e[0].category, L"AlarmConditionType");  // the event type's browse name
  EXPECT_EQ(e[1].source, L"Tank1");
  EXPECT_EQ(e[1].category, L"Acknowledgement");
  EXPECT_EQ(e[2].source, L"Tank1");
  EXPECT_EQ(e[2].message, L"Level normal");
  EXPECT_EQ(e[2].category, L"Return to normal");
  EXPECT_EQ(e[3].source, L"Pump1");
  EXPECT_EQ(e[3].message, L"Pump fault");
  EXPECT_EQ(e[3].severity, 900);
  EXPECT_EQ(e[3].category, L"PumpFaultAlarmType");  // the server's own type, named by browsing
  EXPECT_TRUE(m_control.Find(L"Level normal"));

  // Both filters on: the same script; acknowledgements and returns to normal are announced, not listed.
  ASSERT_TRUE(m_control.Command(kClearAllCommand));
  ASSERT_TRUE(PutBool(m_control.Dispatch(), L"SuppressAcknEvents", true));
  ASSERT_TRUE(PutBool(m_control.Dispatch(), L"SuppressResetEvents", true));
  e = PlayScript();
  ASSERT_EQ(e.size(), 4u);
  EXPECT_EQ(e[0].category, L"AlarmConditionType");
  EXPECT_EQ(e[1].source, L"Tank1");
  EXPECT_EQ(e[1].category, L"") << "a hidden acknowledgement has no category text";
  EXPECT_EQ(e[2].message, L"Level normal");
  EXPECT_EQ(e[2].category, L"") << "a hidden return to normal has no category text";
  EXPECT_EQ(e[3].category, L"PumpFaultAlarmType");
  EXPECT_TRUE(m_control.Find(L"Pump fault"));
  EXPECT_FALSE(m_control.Find(L"Level normal")) << "the return to normal was listed";

  // Refresh from the menu: the pump fault, still active, comes again; the tank, back to normal, does not.
  const size_t before = m_control.sink.calls.size();
  ASSERT_TRUE(m_control.Command(kRefreshCommand));
  ASSERT_TRUE(PumpUntil(10000, [&] { return m_control.sink.calls.size() > before; })) << "no refresh arrived";
  PumpUntil(700);
  bool pump = false;
  for (size_t i = before; i < m_control.sink.calls.size(); ++i) {
    EXPECT_NE(m_control.sink.calls[i].source, L"Tank1");
    pump = pump || m_control.sink.calls[i].message == L"Pump fault";
  }
  EXPECT_TRUE(pump);

  const DWORD t1 = GetTickCount();
  EXPECT_TRUE(m_control.Disconnect());
  printf("uapath: DisconnectOpc took %lu ms\n", GetTickCount() - t1);
  const size_t after = m_control.sink.calls.size();
  uapeer::Command("burst 5");
  PumpUntil(1500);
  EXPECT_EQ(m_control.sink.calls.size(), after) << "NewEvents after DisconnectOpc";
}

// Stops the server: run in a process of its own with a server of its own (see CMakeLists.txt).
TEST_F(UaPath, AKilledServerLeavesTheControlResponsiveAndShowsTheWatchdogRow) {
  ASSERT_TRUE(m_control.Connect());
  ASSERT_TRUE(m_control.SetShort(L"WatchdogTimeout", 2));
  PlayScript();
  EXPECT_FALSE(m_control.Find(L"Watchdog timed out")) << "a watchdog row while notifications flow";
  uapeer::Command("exit", false);
  PumpUntil(1000);
  const size_t atKill = m_control.sink.calls.size();
  PumpUntil(3500);
  EXPECT_TRUE(m_control.Find(L"Watchdog timed out")) << "no watchdog row after the server died";
  EXPECT_EQ(m_control.sink.calls.size(), atKill) << "NewEvents after the server died";
  DWORD_PTR result = 0;
  EXPECT_TRUE(SendMessageTimeoutW(m_control.Host(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &result));
  const DWORD t1 = GetTickCount();
  EXPECT_TRUE(m_control.Disconnect());
  printf("uapath: DisconnectOpc after the kill returned in %lu ms\n", GetTickCount() - t1);
  EXPECT_LT(GetTickCount() - t1, 5000u);
}

}  // namespace
