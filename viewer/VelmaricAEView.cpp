// VelmaricAEView: a small resizable container window that hosts the control
// through the system's ATL control host, connects at start and shows the
// live list. Control > Properties... shows the control's property pages in a
// frame of our own. The control's properties are loaded from a settings file
// at start and saved to it on exit. Options:
//   --seconds N                close after N seconds (default: run until closed)
//   --screenshot F             before closing, save the window's picture as a BMP file
//   --no-connect               do not call ConnectOpc
//   --settings F               the settings file
//                              (default: %APPDATA%\Velmaric AE\VelmaricAEView.settings)
//   --open-properties          open the property frame at start
//   --properties-page N        the frame opens on tab N (0: the first)
//   --screenshot-properties F  open the frame, save its picture as a BMP file, close it
//   --report-resources N       print the process's memory, handles and GUI objects at start,
//                              every N seconds and at the end (for soak runs)
// It prints the control's properties at start (after the settings are
// loaded) and, at the end, how many NewEvent notifications it received.
// Exit codes: 0, 1 bad option, 2 no ATL, 3 no control, 4 settings not saved.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <ocidl.h>
#include <olectl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "framework/win32/ComObject.h"
#include "viewer/PropertyFrame.h"
#include "viewer/ResourceReport.h"
#include "viewer/ViewerSettings.h"
#include "viewer/WindowBitmap.h"

namespace {

const IID kDiidEvents = {0x72ABBB7C, 0x4504, 0x48F7, {0xA6, 0xBC, 0x71, 0x2B, 0x0B, 0x47, 0x2B, 0xDE}};
const wchar_t kProgId[] = L"VELMARICAE.VelmaricAECtrl.1";

using AtlAxWinInitFn = BOOL(WINAPI*)();
using AtlAxGetControlFn = HRESULT(WINAPI*)(HWND, IUnknown**);

enum : UINT { kCmdProperties = 101, kCmdExit = 102 };
constexpr UINT_PTR kCloseTimer = 1;
constexpr UINT_PTR kReportTimer = 2;

struct Options {
  int seconds = 0;
  std::wstring screenshot;
  bool connect = true;
  std::wstring settings;
  bool openProperties = false;
  int propertiesPage = 0;
  std::wstring propertiesScreenshot;
  int reportSeconds = 0;
};

Options g_opt;
LONG g_events = 0;
HWND g_host = nullptr;
IUnknown* g_control = nullptr;
int g_exitCode = 0;
bool g_keepOldSettings = false;  // the settings file did not load whole
bool g_closeAfterProperties = false;
DWORD g_startTick = 0;

// Counts NewEvent (member 1) and prints the first few. A static object: only
// its QueryInterface goes through an interface map.
class EventSink : public IDispatch {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    static const ComMapEntry<EventSink> map[] = {{&IID_IDispatch, ComCast<EventSink, IDispatch>},
                                                 {&kDiidEvents, ComCast<EventSink, IDispatch>}};
    return QueryMap(this, map, riid, ppv);
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP GetTypeInfoCount(UINT* n) override {
    *n = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* p, VARIANT*, EXCEPINFO*, UINT*) override {
    if (id != 1 || !p || p->cArgs != 5) return S_OK;
    LONG n = InterlockedIncrement(&g_events);
    if (n <= 5) {
      // Arguments arrive in reverse order: severity, category, message, source, date.
      wprintf(L"NewEvent %ld: %ls | %ls | %ls | %d\n", n, V_BSTR(&p->rgvarg[3]), V_BSTR(&p->rgvarg[2]),
              V_BSTR(&p->rgvarg[1]), V_I2(&p->rgvarg[0]));
      fflush(stdout);
    }
    return S_OK;
  }
};

EventSink g_sink;

void PrintProperties(IDispatch* d) {
  ITypeInfo* info = nullptr;
  if (FAILED(d->GetTypeInfo(0, 0, &info))) return;
  TYPEATTR* attr = nullptr;
  info->GetTypeAttr(&attr);
  for (UINT k = 0; attr && k < attr->cVars; ++k) {
    VARDESC* vd = nullptr;
    if (FAILED(info->GetVarDesc(k, &vd))) continue;
    BSTR name = nullptr;
    UINT n = 0;
    info->GetNames(vd->memid, &name, 1, &n);
    VARIANT v;
    VariantInit(&v);
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    if (SUCCEEDED(d->Invoke(vd->memid, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &v, nullptr, nullptr))) {
      VARIANT s;
      VariantInit(&s);
      if (V_VT(&v) == VT_I4 && (wcsstr(name, L"Color")))
        wprintf(L"  %-28ls = &H%08lX\n", name, static_cast<unsigned long>(V_I4(&v)));
      else if (SUCCEEDED(VariantChangeType(&s, &v, 0, VT_BSTR)))
        wprintf(L"  %-28ls = %ls\n", name, V_BSTR(&s));
      VariantClear(&s);
    }
    VariantClear(&v);
    SysFreeString(name);
    info->ReleaseVarDesc(vd);
  }
  if (attr) info->ReleaseTypeAttr(attr);
  info->Release();
  fflush(stdout);
}

// One line a soak script can read.
void ReportResources(const wchar_t* when) {
  PrintResourceReport(when, (GetTickCount() - g_startTick) / 1000, g_events);
}

void OpenProperties() {
  PropertyFrameOptions options;
  options.firstPage = g_opt.propertiesPage;
  if (!g_opt.propertiesScreenshot.empty()) {
    options.onShown = [](HWND frame) {
      bool saved = SaveWindowBitmap(frame, g_opt.propertiesScreenshot, true);
      wprintf(L"properties screenshot %ls: %ls\n", g_opt.propertiesScreenshot.c_str(), saved ? L"saved" : L"failed");
      fflush(stdout);
      CancelPropertyFrame();
    };
  }
  HWND frame = GetParent(g_host);
  HRESULT hr = ShowPropertyFrame(frame, L"Velmaric AE Properties", g_control, options);
  if (g_closeAfterProperties) PostMessageW(frame, WM_CLOSE, 0, 0);
  if (FAILED(hr)) {
    fwprintf(stderr, L"VelmaricAEView: the control's property pages cannot be shown here (0x%08lX)\n",
             static_cast<unsigned long>(hr));
    fflush(stderr);
  }
}

void SaveSettings() {
  std::wstring message;
  if (!SaveSettingsFile(g_control, g_opt.settings, g_keepOldSettings, message)) g_exitCode = 4;
  if (!message.empty()) {
    fwprintf(stderr, L"VelmaricAEView: %ls\n", message.c_str());
    fflush(stderr);
  }
}

LRESULT CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_SIZE:
      if (g_host) MoveWindow(g_host, 0, 0, LOWORD(l), HIWORD(l), TRUE);
      return 0;
    case WM_COMMAND:
      if (LOWORD(w) == kCmdProperties && g_control) OpenProperties();
      else if (LOWORD(w) == kCmdExit) PostMessageW(hwnd, WM_CLOSE, 0, 0);
      return 0;
    case WM_TIMER:
      if (w == kReportTimer) {
        ReportResources(L"during");
        return 0;
      }
      if (w != kCloseTimer) break;
      KillTimer(hwnd, kCloseTimer);
      if (!g_opt.screenshot.empty())
        wprintf(L"screenshot %ls: %ls\n", g_opt.screenshot.c_str(),
                SaveWindowBitmap(hwnd, g_opt.screenshot) ? L"saved" : L"failed");
      PostMessageW(hwnd, WM_CLOSE, 0, 0);
      return 0;
    case WM_CLOSE:
      // An open property frame closes first, as Cancel; then this window.
      if (CancelPropertyFrame()) g_closeAfterProperties = true;
      else DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      // The control is still there: its children go after this window.
      if (g_opt.reportSeconds > 0) ReportResources(L"end");
      if (g_control) SaveSettings();
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(hwnd, msg, w, l);
}

bool ParseOptions(int argc, wchar_t** argv) {
  for (int k = 1; k < argc; ++k) {
    std::wstring a = argv[k];
    bool more = k + 1 < argc;
    if (a == L"--seconds" && more) g_opt.seconds = _wtoi(argv[++k]);
    else if (a == L"--screenshot" && more) g_opt.screenshot = argv[++k];
    else if (a == L"--no-connect") g_opt.connect = false;
    else if (a == L"--settings" && more) g_opt.settings = argv[++k];
    else if (a == L"--open-properties") g_opt.openProperties = true;
    else if (a == L"--properties-page" && more) g_opt.propertiesPage = _wtoi(argv[++k]);
    else if (a == L"--screenshot-properties" && more) g_opt.propertiesScreenshot = argv[++k];
    else if (a == L"--report-resources" && more) g_opt.reportSeconds = _wtoi(argv[++k]);
    else {
      fwprintf(stderr,
               L"usage: VelmaricAEView [--seconds N] [--screenshot FILE] [--no-connect] [--settings FILE]\n"
               L"                      [--open-properties] [--properties-page N] [--screenshot-properties FILE]\n"
               L"                      [--report-resources SECONDS]\n");
      return false;
    }
  }
  if (g_opt.settings.empty()) g_opt.settings = DefaultSettingsPath();
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (!ParseOptions(argc, argv)) return 1;
  g_startTick = GetTickCount();
  OleInitialize(nullptr);
  HMODULE atl = LoadLibraryW(L"atl.dll");
  auto init = atl ? reinterpret_cast<AtlAxWinInitFn>(reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxWinInit"))) : nullptr;
  auto getControl = atl ? reinterpret_cast<AtlAxGetControlFn>(reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxGetControl"))) : nullptr;
  if (!init || !getControl || !init()) {
    fwprintf(stderr, L"VelmaricAEView: the ATL control host (atl.dll) is not available\n");
    return 2;
  }

  WNDCLASSW wc = {};
  wc.lpfnWndProc = FrameProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.lpszClassName = L"VelmaricAEViewFrame";
  RegisterClassW(&wc);
  HMENU commands = CreatePopupMenu();
  AppendMenuW(commands, MF_STRING, kCmdProperties, L"Properties...");
  AppendMenuW(commands, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(commands, MF_STRING, kCmdExit, L"E&xit");
  HMENU bar = CreateMenu();
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(commands), L"&Control");
  HWND frame = CreateWindowExW(0, wc.lpszClassName, L"Velmaric AE - alarms and events", WS_OVERLAPPEDWINDOW,
                               CW_USEDEFAULT, CW_USEDEFAULT, 1000, 600, nullptr, bar, wc.hInstance, nullptr);
  RECT rc;
  GetClientRect(frame, &rc);
  g_host = CreateWindowExW(0, L"AtlAxWin", kProgId, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, rc.right,
                           rc.bottom, frame, nullptr, wc.hInstance, nullptr);
  IUnknown* unk = nullptr;
  if (!g_host || FAILED(getControl(g_host, &unk)) || !unk) {
    fwprintf(stderr, L"VelmaricAEView: the control %ls could not be created (is it registered?)\n", kProgId);
    DestroyWindow(frame);
    return 3;
  }
  // The settings apply to the running control, as a container's saved form does.
  std::wstring problem;
  g_keepOldSettings = !LoadSettingsFile(unk, g_opt.settings, problem);
  if (!problem.empty()) fwprintf(stderr, L"VelmaricAEView: %ls\n", problem.c_str());
  fflush(stderr);
  g_control = unk;
  ShowWindow(frame, SW_SHOW);
  UpdateWindow(frame);

  IDispatch* disp = nullptr;
  unk->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&disp));
  wprintf(L"Settings file: %ls\n", g_opt.settings.c_str());
  wprintf(L"Velmaric AE control hosted; properties:\n");
  if (disp) PrintProperties(disp);

  IConnectionPoint* cp = nullptr;
  DWORD cookie = 0;
  IConnectionPointContainer* cpc = nullptr;
  if (SUCCEEDED(unk->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&cpc)))) {
    if (SUCCEEDED(cpc->FindConnectionPoint(kDiidEvents, &cp))) cp->Advise(&g_sink, &cookie);
    cpc->Release();
  }

  if (g_opt.connect && disp) {
    DISPID id;
    LPOLESTR name = const_cast<LPOLESTR>(L"ConnectOpc");
    VARIANT r;
    VariantInit(&r);
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    if (SUCCEEDED(disp->GetIDsOfNames(IID_NULL, &name, 1, 0, &id)) &&
        SUCCEEDED(disp->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &none, &r, nullptr, nullptr)))
      wprintf(L"ConnectOpc: %ls\n", V_VT(&r) == VT_BOOL && V_BOOL(&r) ? L"connected" : L"not connected");
    fflush(stdout);
  }

  // A window timer, so that it also fires while the property frame's loop runs.
  if (g_opt.seconds > 0) SetTimer(frame, kCloseTimer, g_opt.seconds * 1000, nullptr);
  if (g_opt.reportSeconds > 0) {
    ReportResources(L"start");
    SetTimer(frame, kReportTimer, g_opt.reportSeconds * 1000, nullptr);
  }
  if (g_opt.openProperties || !g_opt.propertiesScreenshot.empty())
    PostMessageW(frame, WM_COMMAND, kCmdProperties, 0);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (cp) {
    cp->Unadvise(cookie);
    cp->Release();
  }
  if (disp) disp->Release();
  g_control = nullptr;
  unk->Release();
  wprintf(L"NewEvent notifications received: %ld\n", g_events);
  fflush(stdout);
  OleUninitialize();
  return g_exitCode;
}
