// End to end under Wine: the registered OCX hosted by Wine's ATL connects
// through our WTclient.dll to a scripted AE server; notifications become
// NewEvent calls with the right types and values; disconnect and destruction
// while connected finish.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/wine/common/NewEventSink.h"
#include "tests/wine/common/OcxModule.h"

namespace {

using AtlAxWinInitFn = BOOL(WINAPI*)();
using AtlAxGetControlFn = HRESULT(WINAPI*)(HWND, IUnknown**);

void Pump(DWORD ms, const std::vector<NewEventCall>* until = nullptr, size_t count = 0) {
  DWORD end = GetTickCount() + ms;
  while (static_cast<LONG>(end - GetTickCount()) > 0) {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
    if (until && until->size() >= count) return;
    Sleep(10);
  }
}

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
    HMODULE atl = LoadLibraryW(L"atl.dll");
    ASSERT_NE(atl, nullptr);
    auto init = reinterpret_cast<AtlAxWinInitFn>(reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxWinInit")));
    m_getControl =
        reinterpret_cast<AtlAxGetControlFn>(reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxGetControl")));
    ASSERT_TRUE(init && m_getControl);
    // Wine's ATL refuses to register its window class a second time.
    static bool registered = init();
    ASSERT_TRUE(registered);
  }
  void TearDown() override {
    OleUninitialize();
    DeleteFileW(m_scenario.c_str());
  }

  // A hosted control: the drain runs on the control window's timer.
  HWND Host(IDispatch** disp, IConnectionPoint** cp, DWORD* cookie) {
    HWND host = CreateWindowExW(0, L"AtlAxWin", L"VELMARICAE.VelmaricAECtrl.1", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                0, 0, 800, 400, nullptr, nullptr, nullptr, nullptr);
    EXPECT_NE(host, nullptr);
    IUnknown* unk = nullptr;
    EXPECT_EQ(m_getControl(host, &unk), S_OK);
    if (!unk) return host;
    unk->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(disp));
    IConnectionPointContainer* cpc = nullptr;
    EXPECT_EQ(unk->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&cpc)), S_OK);
    if (cpc) {
      EXPECT_EQ(cpc->FindConnectionPoint(kDiidVelmaricAEEvents, cp), S_OK);
      if (*cp) {
        EXPECT_EQ((*cp)->Advise(&m_sink, cookie), S_OK);
      }
      cpc->Release();
    }
    unk->Release();
    return host;
  }

  std::wstring m_scenario;
  AtlAxGetControlFn m_getControl = nullptr;
  NewEventSink m_sink;
};

TEST_F(LiveEvents, ConnectDeliversNotificationsAsNewEvents) {
  IDispatch* disp = nullptr;
  IConnectionPoint* cp = nullptr;
  DWORD cookie = 0;
  HWND host = Host(&disp, &cp, &cookie);
  ASSERT_NE(disp, nullptr);

  VARIANT r;
  VariantInit(&r);
  DWORD t0 = GetTickCount();
  ASSERT_EQ(CallMethod(disp, L"ConnectOpc", &r), S_OK);
  EXPECT_GE(GetTickCount() - t0, 450u);  // at least one 500-ms poll
  ASSERT_EQ(V_VT(&r), VT_BOOL);
  EXPECT_EQ(V_BOOL(&r), VARIANT_TRUE);

  Pump(10000, &m_sink.calls, 3);
  ASSERT_EQ(m_sink.calls.size(), 3u);
  EXPECT_EQ(m_sink.unexpected, 0);
  const NewEventCall& a = m_sink.calls[0];
  const VARTYPE expected[5] = {VT_DATE, VT_BSTR, VT_BSTR, VT_BSTR, VT_I2};
  for (const NewEventCall& e : m_sink.calls)
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

  const NewEventCall& b = m_sink.calls[1];
  EXPECT_EQ(b.category, L"Acknowledgement");
  EXPECT_EQ(b.severity, 4464);  // low 16 bits of 70000
  EXPECT_EQ(m_sink.calls[2].category, L"");  // not in the category table

  // Disconnect, then connect again and destroy the control while connected.
  t0 = GetTickCount();
  ASSERT_EQ(CallMethod(disp, L"DisconnectOpc", nullptr), S_OK);
  printf("DisconnectOpc returned after %lu ms\n", GetTickCount() - t0);
  VariantInit(&r);
  ASSERT_EQ(CallMethod(disp, L"ConnectOpc", &r), S_OK);
  EXPECT_EQ(V_BOOL(&r), VARIANT_TRUE);

  cp->Unadvise(cookie);
  cp->Release();
  disp->Release();
  t0 = GetTickCount();
  DestroyWindow(host);
  DWORD took = GetTickCount() - t0;
  printf("destroying the connected control took %lu ms\n", took);
  EXPECT_LT(took, 30000u);  // the stop handshake ended, far inside its 60 s bound
}

TEST_F(LiveEvents, ConnectFailsWhenTheServerRefuses) {
  // A server that refuses connections: ConnectOpc reports false only after
  // its full wait of 120 polls.
  WriteText(m_scenario, "fail connect\n");
  IDispatch* disp = nullptr;
  IConnectionPoint* cp = nullptr;
  DWORD cookie = 0;
  HWND host = Host(&disp, &cp, &cookie);
  ASSERT_NE(disp, nullptr);
  VARIANT r;
  VariantInit(&r);
  DWORD t0 = GetTickCount();
  ASSERT_EQ(CallMethod(disp, L"ConnectOpc", &r), S_OK);
  EXPECT_EQ(V_BOOL(&r), VARIANT_FALSE);
  EXPECT_GE(GetTickCount() - t0, 59000u);  // the wait does not end early on failure
  cp->Unadvise(cookie);
  cp->Release();
  disp->Release();
  DestroyWindow(host);
}

}  // namespace
