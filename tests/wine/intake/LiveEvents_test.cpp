// End to end under Wine: the registered OCX hosted by Wine's ATL connects
// through our WTclient.dll to a scripted AE server; notifications become
// NewEvent calls with the right types and values; disconnect and destruction
// while connected finish.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/wine/common/HostedControl.h"

namespace {

void WriteText(const std::wstring& path, const char* text) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD n;
  WriteFile(h, text, static_cast<DWORD>(strlen(text)), &n, nullptr);
  CloseHandle(h);
}

std::wstring WriteScenario() {
  wchar_t dir[MAX_PATH], file[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  GetTempFileNameW(dir, L"sce", 0, file);
  const char text[] =
      "category 1 0x104 Process message\n"
      "category 1 0x103 Acknowledgement\n"
      "event 2024-03-05T07:08:09.012Z 0x104 500 Area1.Boiler.TI101 Temperature high\n"
      "event now 0x103 70000 Area1.Boiler.TI101 Acknowledged by Operator1\n"
      "batch\n"
      "event now 0x999 7 Area2.Turbine.XV204 Unknown category\n"
      "silence 600000\n";
  WriteText(file, text);
  return file;
}

class LiveEvents : public ::testing::Test {
 protected:
  void SetUp() override {
    m_scenario = WriteScenario();
    SetEnvironmentVariableW(L"WTCLIENT_SIM_SCENARIO", m_scenario.c_str());
    OleInitialize(nullptr);
    ASSERT_TRUE(HostedControl::InitAtl());
  }
  void TearDown() override {
    m_control.Destroy();
    OleUninitialize();
    DeleteFileW(m_scenario.c_str());
  }

  std::wstring m_scenario;
  HostedControl m_control;  // the drain runs on the control window's timer
};

TEST_F(LiveEvents, ConnectDeliversNotificationsAsNewEvents) {
  ASSERT_TRUE(m_control.Create());
  IDispatch* disp = m_control.Dispatch();
  NewEventSink& sink = m_control.sink;

  VARIANT r;
  VariantInit(&r);
  DWORD t0 = GetTickCount();
  ASSERT_EQ(CallMethod(disp, L"ConnectOpc", &r), S_OK);
  EXPECT_GE(GetTickCount() - t0, 450u);  // at least one 500-ms poll
  ASSERT_EQ(V_VT(&r), VT_BOOL);
  EXPECT_EQ(V_BOOL(&r), VARIANT_TRUE);

  PumpUntil(10000, [&] { return sink.calls.size() >= 3; });
  ASSERT_EQ(sink.calls.size(), 3u);
  EXPECT_EQ(sink.unexpected, 0);
  const NewEventCall& a = sink.calls[0];
  const VARTYPE expected[5] = {VT_DATE, VT_BSTR, VT_BSTR, VT_BSTR, VT_I2};
  for (const NewEventCall& e : sink.calls)
    for (int k = 0; k < 5; ++k) EXPECT_EQ(e.types[k], expected[k]) << k;
  EXPECT_EQ(a.source, L"Area1.Boiler.TI101");
  EXPECT_EQ(a.message, L"Temperature high");
  EXPECT_EQ(a.category, L"Process message");
  EXPECT_EQ(a.severity, 500);
  // The date is local time, to the whole second.
  SYSTEMTIME utc = {2024, 3, 2, 5, 7, 8, 9, 0}, local;
  FILETIME fu, fl;
  SystemTimeToFileTime(&utc, &fu);
  FileTimeToLocalFileTime(&fu, &fl);
  FileTimeToSystemTime(&fl, &local);
  local.wMilliseconds = 0;
  DATE expectedDate;
  SystemTimeToVariantTime(&local, &expectedDate);
  EXPECT_NEAR(a.date, expectedDate, 0.5 / 86400);

  const NewEventCall& b = sink.calls[1];
  EXPECT_EQ(b.category, L"Acknowledgement");
  EXPECT_EQ(b.severity, 4464);  // low 16 bits of 70000
  EXPECT_EQ(sink.calls[2].category, L"");  // not in the category table

  // Disconnect, then connect again and destroy the control while connected.
  t0 = GetTickCount();
  ASSERT_EQ(CallMethod(disp, L"DisconnectOpc", nullptr), S_OK);
  printf("DisconnectOpc returned after %lu ms\n", GetTickCount() - t0);
  VariantInit(&r);
  ASSERT_EQ(CallMethod(disp, L"ConnectOpc", &r), S_OK);
  EXPECT_EQ(V_BOOL(&r), VARIANT_TRUE);

  t0 = GetTickCount();
  m_control.Destroy();
  DWORD took = GetTickCount() - t0;
  printf("destroying the connected control took %lu ms\n", took);
  EXPECT_LT(took, 30000u);  // the stop handshake ended, far inside its 60 s bound
}

TEST_F(LiveEvents, ConnectFailsWhenTheServerRefuses) {
  // A server that refuses connections: ConnectOpc reports false only after
  // its full wait of 120 polls.
  WriteText(m_scenario, "fail connect\n");
  ASSERT_TRUE(m_control.Create());
  IDispatch* disp = m_control.Dispatch();
  VARIANT r;
  VariantInit(&r);
  DWORD t0 = GetTickCount();
  ASSERT_EQ(CallMethod(disp, L"ConnectOpc", &r), S_OK);
  EXPECT_EQ(V_BOOL(&r), VARIANT_FALSE);
  EXPECT_GE(GetTickCount() - t0, 59000u);  // the wait does not end early on failure
}

}  // namespace
