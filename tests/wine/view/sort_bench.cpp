// What an operator waits for the sort command in the real OCX under Wine:
// 20000 rows from our WTclient.dll's scripted server, then "Sort by ..."
// chosen from the context menu, timed from the key that picks the item to the
// menu handler's return; each sort several times, the median and the
// fastest printed. Prints figures; it is not a test.
//   VELMARIC_BIN=$PWD/build/win32 scripts/wine-run.sh --prefix $PWD/build/win32/wineprefix
//     build/win32/tests/wine/view/view_sort_bench.exe      (one command line)
#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "tests/wine/common/EventSink.h"
#include "tests/wine/common/OcxModule.h"
#include "tests/wine/common/Scenario.h"
#include "tests/wine/common/UiRobot.h"
#include "tests/wine/hosting/TestSite.h"

namespace {

enum : UINT { kSortAscending = 32772, kSortDescending = 32773 };

// 20000 events as a plant sends them: sources over areas, repeated messages,
// severities 1..1000, in one batch.
std::string Scenario(int rows) {
  std::mt19937 rng(2024);
  const char* kinds[] = {"Pump", "Valve", "Tank", "Motor", "Boiler"};
  const char* messages[] = {"High level alarm", "Low pressure", "Motor tripped", "Returned to normal",
                            "Acknowledged by operator", "Communication lost"};
  std::string s = "category 1 0x104 Process message\n";
  for (int n = 0; n < rows; ++n) {
    s += "event now 0x104 " + std::to_string(1 + rng() % 1000) + " Plant1.Area" + std::to_string(rng() % 8) + "." +
         kinds[rng() % 5] + std::to_string(rng() % 60) + " " + messages[rng() % 6] + " on unit " +
         std::to_string(rng() % 40) + "\n";
  }
  return s + "silence 600000\n";
}

}  // namespace

int main() {
  const int kRows = 20000;
  UseScenario("sort_bench", Scenario(kRows));
  OleInitialize(nullptr);
  OcxModule ocx;
  if (!ocx.Loaded()) {
    std::printf("the OCX did not load\n");
    return 1;
  }
  // Hidden while the rows come in: no visible window's scroll-bar redraws.
  const RECT pos = {0, 0, 1400, 700};
  HWND form = CreateFormWindow(pos.right, pos.bottom, L"sort bench");
  ShowWindow(form, SW_HIDE);
  TestSite* site = new TestSite(form, pos);
  IOleObject* ole = nullptr;
  ocx.Create(IID_IOleObject, &ole);
  ole->SetClientSite(site);
  IPersistStreamInit* init = QueryAs<IPersistStreamInit>(ole, IID_IPersistStreamInit);
  init->InitNew();
  init->Release();
  RECT r = pos;
  ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, form, &r);
  HWND hwnd = nullptr;
  IOleWindow* w = QueryAs<IOleWindow>(ole, IID_IOleWindow);
  w->GetWindow(&hwnd);
  w->Release();
  IDispatch* disp = QueryAs<IDispatch>(ole, IID_IDispatch);
  IConnectionPointContainer* cpc = QueryAs<IConnectionPointContainer>(ole, IID_IConnectionPointContainer);
  IConnectionPoint* cp = nullptr;
  cpc->FindConnectionPoint(kDiidVelmaricAEEvents, &cp);
  cpc->Release();
  EventSink* counter = new EventSink;
  DWORD cookie = 0;
  cp->Advise(counter, &cookie);

  DWORD t0 = GetTickCount();
  VARIANT result;
  VariantInit(&result);
  CallMethod(disp, L"ConnectOpc", &result);
  while (NewEvents(*counter) < static_cast<size_t>(kRows) && GetTickCount() - t0 < 300000) {
    PumpPending();
    Sleep(5);
  }
  std::printf("%u rows listed in %lu ms\n", static_cast<unsigned>(NewEvents(*counter)), GetTickCount() - t0);
  ShowWindow(form, SW_SHOWNA);  // a menu needs its owner on the screen
  for (int k = 0; k < 3; ++k) {
    PumpPending();
    Sleep(200);  // a paint lays the columns out
  }
  UpdateWindow(hwnd);

  // Client x of each column's middle with the default widths: Source is the
  // third column, Severity the sixth; found from the font's character width.
  TEXTMETRICW tm = {};
  ControlFontMetrics(disp, tm);
  const int cw = tm.tmAveCharWidth;
  struct Column {
    const char* name;
    int x;
  } columns[] = {{"Source", (8 + 40) * cw + 2 + 20 * cw}, {"Severity", (8 + 40 + 40 + 48 + 32) * cw + 5 + 6 * cw}};

  // Each column sorted ascending then descending, five times over (so every
  // sort starts from the opposite order); the median and the fastest of each.
  const int kRepeats = 5;
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  for (const Column& c : columns) {
    std::vector<double> took[2];
    bool answered = true;
    for (int rep = 0; rep < kRepeats; ++rep) {
      for (int k = 0; k < 2; ++k) {
        const UINT command = k == 0 ? kSortAscending : kSortDescending;
        LARGE_INTEGER chosen = {};
        UiRobot robot;
        robot.Then("menu", [&] {
          HWND popup = UiRobot::MenuWindow();
          if (!popup) return false;
          QueryPerformanceCounter(&chosen);
          return UiRobot::Choose(popup, command);
        });
        POINT p = {c.x, 40};
        ClientToScreen(hwnd, &p);
        robot.Start(10);
        SendMessageW(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(p.x, p.y));
        robot.Stop();
        LARGE_INTEGER returned;
        QueryPerformanceCounter(&returned);
        took[k].push_back(1000.0 * static_cast<double>(returned.QuadPart - chosen.QuadPart) /
                          static_cast<double>(frequency.QuadPart));
        answered = answered && robot.Done();
      }
    }
    for (int k = 0; k < 2; ++k) {
      std::sort(took[k].begin(), took[k].end());
      std::printf("sort command, %d rows, by %-8s %s: median %6.1f ms, fastest %6.1f ms (%d runs) from the choice to "
                  "the handler's return%s\n",
                  kRows, c.name, k == 0 ? "ascending " : "descending", took[k][took[k].size() / 2], took[k][0],
                  kRepeats, answered ? "" : " (a menu was not answered)");
    }
  }

  cp->Unadvise(cookie);
  cp->Release();
  counter->Release();
  disp->Release();
  ole->Close(OLECLOSE_NOSAVE);
  ole->SetClientSite(nullptr);
  ole->Release();
  site->Release();
  DestroyWindow(form);
  OleUninitialize();
  return 0;
}
