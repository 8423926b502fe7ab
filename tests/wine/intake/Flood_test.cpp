// Alarm floods under Wine: the registered OCX, hosted visibly by Wine's ATL,
// fed by our WTclient.dll with 1250-record batches every 50 ms. Every
// notification is announced once and in order while the container's message
// loop keeps running; the same with a handler that drops the last reference,
// a destruction and a disconnect in the middle of the flood. Prints the
// figures: announced per second, the longest message dispatch, the longest
// callback into the control, memory after the first and the last trim.
// Built twice: fed by WTclient.dll's in-process simulator, and (with
// VELMARIC_REAL_SERVER) by our OPC AE server across the process boundary.
#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "tests/wine/common/EventsDispatch.h"
#include "tests/wine/common/LostNotice.h"
#include "tests/wine/common/OcxModule.h"
#include "tests/wine/common/Scenario.h"
#ifdef VELMARIC_REAL_SERVER
#include "tests/wine/common/OpcServerProcess.h"
#endif

namespace {

constexpr int kCapacity = 20000;  // the store trims to half when it is full

using AtlAxWinInitFn = BOOL(WINAPI*)();
using AtlAxGetControlFn = HRESULT(WINAPI*)(HWND, IUnknown**);

double NowMs() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

SIZE_T ProcessMemory() {
  PROCESS_MEMORY_COUNTERS_EX pmc = {};
  pmc.cb = sizeof pmc;
  K32GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof pmc);
  // Wine 8 leaves PrivateUsage at 0.
  return pmc.PrivateUsage ? pmc.PrivateUsage : pmc.PagefileUsage;
}

// `total` notifications "f0", "f1", ... in batches of 1250 every 50 ms: 25000 a
// second at most, 20000 or more as delivered.
std::string FloodScenario(int total) {
  std::ostringstream s;
  s << "category 1 0x104 Process message\n";
  for (int i = 0; i < total; ++i) {
    s << "event now 0x104 500 Area9.Flood.S" << i % 37 << " f" << i << "\n";
    if (i % 1250 == 1249) s << "wait 50\n";
  }
  s << "silence 600000\n";
  return s.str();
}

// NewEvent: checks each message against the next expected number.
class FloodSink : public EventsDispatch {
 public:
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* p, VARIANT*, EXCEPINFO*, UINT*) override {
    if (id != 1 || !p || p->cArgs != 5 || V_VT(&p->rgvarg[2]) != VT_BSTR) {
      ++m_wrong;
      return S_OK;
    }
    const BSTR message = V_BSTR(&p->rgvarg[2]);
    // The server's notice of records it had to drop for us stands where they
    // were: they count as accounted for, not as announced.
    uint64_t lost = 0;
    if (LostNoticeCount(message, &lost)) {
      m_lost += static_cast<int>(lost);
      return S_OK;
    }
    const std::wstring expected = L"f" + std::to_wstring(m_announced + m_lost);
    if (!message || expected != message) ++m_wrong;
    if (m_announced == 0) m_first = NowMs();
    m_last = NowMs();
    ++m_announced;
    // The store trims when a row is added to a full list.
    if (m_announced > kCapacity && (m_announced - kCapacity) % (kCapacity / 2) == 1) {
      if (m_trims++ == 0) m_memoryFirstTrim = ProcessMemory();
      m_memoryLastTrim = ProcessMemory();
    }
    if (onEvent) onEvent(m_announced);
    return S_OK;
  }

  int m_announced = 0;
  int m_lost = 0;   // told lost by the server
  int m_wrong = 0;  // out of order, doubled, or malformed
  int m_trims = 0;
  double m_first = 0, m_last = 0;
  SIZE_T m_memoryFirstTrim = 0, m_memoryLastTrim = 0;
  std::function<void(int)> onEvent;
};

class Flood : public ::testing::Test {
 protected:
  void SetUp() override {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    m_statsPath = std::string(dir) + "velmaric_flood_stats_" + std::to_string(GetCurrentProcessId()) + ".txt";
    DeleteFileA(m_statsPath.c_str());
    SetEnvironmentVariableA("WTCLIENT_DELIVERY_STATS", m_statsPath.c_str());
    SetEnvironmentVariableA("VELMARIC_INTAKE_STATS", m_statsPath.c_str());
    OleInitialize(nullptr);
    HMODULE atl = LoadLibraryW(L"atl.dll");
    ASSERT_NE(atl, nullptr);
    auto init = reinterpret_cast<AtlAxWinInitFn>(reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxWinInit")));
    m_getControl =
        reinterpret_cast<AtlAxGetControlFn>(reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxGetControl")));
    ASSERT_TRUE(init && m_getControl);
    static bool registered = init();  // Wine's ATL registers its class once
    ASSERT_TRUE(registered);
  }
  void TearDown() override {
    Release();
    if (m_host && IsWindow(m_host)) DestroyWindow(m_host);
    Pump(200);
    // Every control of the test is gone: the module can be unloaded.
    HMODULE ocx = GetModuleHandleW(L"Velmaric AE.ocx");
    if (ocx) {
      auto canUnload = reinterpret_cast<HRESULT(WINAPI*)()>(
          reinterpret_cast<void*>(GetProcAddress(ocx, "DllCanUnloadNow")));
      ASSERT_NE(canUnload, nullptr);
      EXPECT_EQ(canUnload(), S_OK);
    }
    OleUninitialize();
#ifdef VELMARIC_REAL_SERVER
    // Its last client gone, the server leaves by itself.
    EXPECT_TRUE(m_server.WaitExit(20000)) << "the server outlived its clients";
    m_server.Stop(0);
#endif
    if (!m_scenario.empty()) DeleteFileA(m_scenario.c_str());
    DeleteFileA(m_statsPath.c_str());
  }

  void Host(const std::string& tag, int total) {
#ifdef VELMARIC_REAL_SERVER
    ASSERT_TRUE(m_server.Start(tag, FloodScenario(total))) << "the OPC AE server did not start";
#else
    m_scenario = UseScenario(tag, FloodScenario(total));
#endif
    m_host = CreateWindowExW(0, L"AtlAxWin", L"VELMARICAE.VelmaricAECtrl.1", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                             0, 800, 400, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(m_host, nullptr);
    IUnknown* unk = nullptr;
    ASSERT_EQ(m_getControl(m_host, &unk), S_OK);
    ASSERT_NE(unk, nullptr);
    unk->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&m_disp));
    IConnectionPointContainer* cpc = nullptr;
    unk->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&cpc));
    unk->Release();
    ASSERT_TRUE(m_disp && cpc);
    EXPECT_EQ(cpc->FindConnectionPoint(kDiidVelmaricAEEvents, &m_cp), S_OK);
    cpc->Release();
    ASSERT_NE(m_cp, nullptr);
    ASSERT_EQ(m_cp->Advise(&m_sink, &m_cookie), S_OK);
  }

  void Connect() {
    VARIANT r;
    VariantInit(&r);
    ASSERT_EQ(CallMethod(m_disp, L"ConnectOpc", &r), S_OK);
    ASSERT_EQ(V_BOOL(&r), VARIANT_TRUE);
  }

  // The container's message loop; `until` ends it early. Keeps the longest
  // single dispatch: the time the loop could not run.
  void Pump(double ms, const std::function<bool()>& until = nullptr) {
    const double end = NowMs() + ms;
    while (NowMs() < end) {
      MSG m;
      while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        const double t = NowMs();
        TranslateMessage(&m);
        DispatchMessageW(&m);
        const double took = NowMs() - t;
        if (took > m_longestDispatch) m_longestDispatch = took;
      }
      if (until && until()) return;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
  }

  void Release() {
    if (m_cp) {
      m_cp->Unadvise(m_cookie);
      m_cp->Release();
      m_cp = nullptr;
    }
    if (m_disp) {
      m_disp->Release();
      m_disp = nullptr;
    }
  }

  // A figure from the lines WTclient.dll writes when a connection ends
  // (longest_us: the longest callback call into the control) and the control
  // writes when it is destroyed (longest_queue_wait_us: the longest wait of a
  // delivering thread for the queue lock). -1 when none was written.
  double Figure(const std::string& name) {
    std::ifstream in(m_statsPath);
    std::string line;
    double largest = -1;
    const std::string key = " " + name + "=";
    while (std::getline(in, line)) {
      const size_t at = (" " + line).find(key);
      if (at != std::string::npos) largest = std::max(largest, std::stod(line.substr(at + key.size() - 1)));
    }
    return largest;
  }

  AtlAxGetControlFn m_getControl = nullptr;
  std::string m_scenario;
  std::string m_statsPath;
  HWND m_host = nullptr;
  IDispatch* m_disp = nullptr;
  IConnectionPoint* m_cp = nullptr;
  DWORD m_cookie = 0;
  FloodSink m_sink;
  double m_longestDispatch = 0;
#ifdef VELMARIC_REAL_SERVER
  OpcServerProcess m_server;
#endif
};

TEST_F(Flood, EveryNotificationIsAnnouncedOnceInOrderAndTheScreenKeepsRunning) {
  const int total = 120000;  // six seconds of 20000 a second: nine trims
  Host("flood", total);
  Connect();
  Pump(120000, [&] { return m_sink.m_announced + m_sink.m_lost >= total; });
  ASSERT_EQ(CallMethod(m_disp, L"DisconnectOpc", nullptr), S_OK);
  Pump(300);
  Release();
  DestroyWindow(m_host);  // the control writes its intake figures
  m_host = nullptr;

  EXPECT_EQ(m_sink.m_announced + m_sink.m_lost, total) << "every notification announced or told lost";
  EXPECT_EQ(m_sink.m_wrong, 0);
  EXPECT_GE(m_sink.m_trims, 5);
  const double seconds = (m_sink.m_last - m_sink.m_first) / 1000.0;
  const double perSecond = seconds > 0 ? m_sink.m_announced / seconds : 0;
  const double callbackUs = Figure("longest_us");
  const double waitUs = Figure("longest_queue_wait_us");
  printf("flood: %d notifications announced in %.2f s: %.0f per second (target 20000 or more); %d told lost\n",
         m_sink.m_announced, seconds, perSecond, m_sink.m_lost);
  printf("flood: longest message dispatch %.1f ms (target 250 ms or less)\n", m_longestDispatch);
  printf("flood: longest wait of the delivering thread for the queue %.0f us (target 1000 us or less)\n", waitUs);
  printf("flood: longest callback into the control %.0f us (copying its batch, the wait included)\n", callbackUs);
  printf("flood: memory after the first trim %.1f MB, after the last (trim %d) %.1f MB\n",
         m_sink.m_memoryFirstTrim / 1048576.0, m_sink.m_trims, m_sink.m_memoryLastTrim / 1048576.0);
  EXPECT_GE(callbackUs, 0) << "WTclient.dll wrote no delivery figures";
  EXPECT_GE(waitUs, 0) << "the control wrote no intake figures";
  // Flat within a quarter. Across processes on x64, Wine 8's stub for
  // OnEvent keeps the [in] record array of every call (about 104 bytes a
  // record, outside our code); that much more is allowed for the records
  // between the two trims.
  SIZE_T outsideLeak = 0;
#if defined(VELMARIC_REAL_SERVER) && defined(_WIN64)
  outsideLeak = static_cast<SIZE_T>(m_sink.m_trims - 1) * (kCapacity / 2) * 128;
#endif
  EXPECT_LE(m_sink.m_memoryLastTrim, m_sink.m_memoryFirstTrim + m_sink.m_memoryFirstTrim / 4 + outsideLeak);
  // Generous: the fault this guards against held the loop for minutes.
  EXPECT_LT(m_longestDispatch, 5000);
}

TEST_F(Flood, AHandlerThatDropsTheLastReferenceEndsTheControlSafely) {
  Host("flood_drop", 40000);
  Connect();
  bool dropped = false;
  m_sink.onEvent = [&](int announced) {
    if (announced != 15000) return;
    // The container lets go of everything from inside the event.
    Release();
    DestroyWindow(m_host);
    m_host = nullptr;
    dropped = true;
  };
  Pump(60000, [&] { return dropped; });
  ASSERT_TRUE(dropped);
  const int atDrop = m_sink.m_announced;
  Pump(1500);
  EXPECT_EQ(m_sink.m_wrong, 0);
  // The drain may finish the share it was working on; nothing after that.
  EXPECT_LE(m_sink.m_announced - atDrop, 20000);
  const int after = m_sink.m_announced;
  Pump(1000);
  EXPECT_EQ(m_sink.m_announced, after);
}

TEST_F(Flood, DestroyingTheControlInTheMiddleOfAFlood) {
  Host("flood_destroy", 40000);
  Connect();
  Pump(60000, [&] { return m_sink.m_announced >= 15000; });
  ASSERT_GE(m_sink.m_announced, 15000);
  Release();
  const double t = NowMs();
  DestroyWindow(m_host);
  m_host = nullptr;
  printf("flood: destroying the control in the middle of a flood took %.0f ms\n", NowMs() - t);
  const int atDestroy = m_sink.m_announced;
  Pump(1000);
  EXPECT_EQ(m_sink.m_announced, atDestroy);
  EXPECT_EQ(m_sink.m_wrong, 0);
}

TEST_F(Flood, DisconnectInTheMiddleOfAFloodEndsTheAnnouncements) {
  Host("flood_disconnect", 40000);
  Connect();
  Pump(60000, [&] { return m_sink.m_announced >= 15000; });
  ASSERT_GE(m_sink.m_announced, 15000);
  const double t = NowMs();
  ASSERT_EQ(CallMethod(m_disp, L"DisconnectOpc", nullptr), S_OK);
  printf("flood: DisconnectOpc in the middle of a flood returned after %.0f ms\n", NowMs() - t);
  const int atDisconnect = m_sink.m_announced;
  Pump(1500);
  // What was queued at the disconnect is dropped, never announced late.
  EXPECT_EQ(m_sink.m_announced, atDisconnect);
  EXPECT_EQ(m_sink.m_wrong, 0);
  EXPECT_LT(m_sink.m_announced, 40000);
}

}  // namespace
