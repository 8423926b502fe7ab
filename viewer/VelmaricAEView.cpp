// VelmaricAEView: a small resizable container window that hosts the control
// through the system's ATL control host, connects at start and shows the
// live list. Options:
//   --seconds N      close after N seconds (default: run until closed)
//   --screenshot F   before closing, save the window's picture as a BMP file
//   --no-connect     do not call ConnectOpc
// It prints the control's properties at start and, at the end, how many
// NewEvent notifications it received.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <ocidl.h>
#include <olectl.h>

#include <cstdio>
#include <string>

namespace {

const IID kDiidEvents = {0x72ABBB7C, 0x4504, 0x48F7, {0xA6, 0xBC, 0x71, 0x2B, 0x0B, 0x47, 0x2B, 0xDE}};
const wchar_t kProgId[] = L"VELMARICAE.VelmaricAECtrl.1";

using AtlAxWinInitFn = BOOL(WINAPI*)();
using AtlAxGetControlFn = HRESULT(WINAPI*)(HWND, IUnknown**);

LONG g_events = 0;
HWND g_host = nullptr;

// Counts NewEvent (member 1) and prints the first few.
class EventSink : public IDispatch {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, kDiidEvents)) {
      *ppv = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
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

bool SaveWindowBitmap(HWND hwnd, const std::wstring& file) {
  RECT r;
  GetClientRect(hwnd, &r);
  int w = r.right, h = r.bottom;
  if (w <= 0 || h <= 0) return false;
  HDC wdc = GetDC(hwnd);
  HDC mem = CreateCompatibleDC(wdc);
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(wdc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bmp);
  // The control is a child window: its pixels are in the host's window DC.
  BitBlt(mem, 0, 0, w, h, wdc, 0, 0, SRCCOPY);
  SelectObject(mem, old);
  bool ok = false;
  HANDLE f = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f != INVALID_HANDLE_VALUE) {
    BITMAPFILEHEADER fh = {};
    DWORD size = static_cast<DWORD>(w) * h * 4;
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
    fh.bfSize = fh.bfOffBits + size;
    DWORD n;
    ok = WriteFile(f, &fh, sizeof fh, &n, nullptr) && WriteFile(f, &bi.bmiHeader, sizeof bi.bmiHeader, &n, nullptr) &&
         WriteFile(f, bits, size, &n, nullptr);
    CloseHandle(f);
  }
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(hwnd, wdc);
  return ok;
}

LRESULT CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_SIZE:
      if (g_host) MoveWindow(g_host, 0, 0, LOWORD(l), HIWORD(l), TRUE);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(hwnd, msg, w, l);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int seconds = 0;
  std::wstring screenshot;
  bool connect = true;
  for (int k = 1; k < argc; ++k) {
    std::wstring a = argv[k];
    if (a == L"--seconds" && k + 1 < argc) seconds = _wtoi(argv[++k]);
    else if (a == L"--screenshot" && k + 1 < argc) screenshot = argv[++k];
    else if (a == L"--no-connect") connect = false;
  }

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
  HWND frame = CreateWindowExW(0, wc.lpszClassName, L"Velmaric AE - alarms and events", WS_OVERLAPPEDWINDOW,
                               CW_USEDEFAULT, CW_USEDEFAULT, 1000, 600, nullptr, nullptr, wc.hInstance, nullptr);
  RECT rc;
  GetClientRect(frame, &rc);
  g_host = CreateWindowExW(0, L"AtlAxWin", kProgId, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, rc.right,
                           rc.bottom, frame, nullptr, wc.hInstance, nullptr);
  IUnknown* unk = nullptr;
  if (!g_host || FAILED(getControl(g_host, &unk)) || !unk) {
    fwprintf(stderr, L"VelmaricAEView: the control %ls could not be created (is it registered?)\n", kProgId);
    return 3;
  }
  ShowWindow(frame, SW_SHOW);
  UpdateWindow(frame);

  IDispatch* disp = nullptr;
  unk->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&disp));
  wprintf(L"Velmaric AE control hosted; properties:\n");
  if (disp) PrintProperties(disp);

  IConnectionPoint* cp = nullptr;
  DWORD cookie = 0;
  IConnectionPointContainer* cpc = nullptr;
  if (SUCCEEDED(unk->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&cpc)))) {
    if (SUCCEEDED(cpc->FindConnectionPoint(kDiidEvents, &cp))) cp->Advise(&g_sink, &cookie);
    cpc->Release();
  }

  if (connect && disp) {
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

  if (seconds > 0) SetTimer(nullptr, 0, seconds * 1000, nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER && msg.hwnd == nullptr) {
      if (!screenshot.empty())
        wprintf(L"screenshot %ls: %ls\n", screenshot.c_str(), SaveWindowBitmap(frame, screenshot) ? L"saved" : L"failed");
      DestroyWindow(frame);
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (cp) {
    cp->Unadvise(cookie);
    cp->Release();
  }
  if (disp) disp->Release();
  unk->Release();
  wprintf(L"NewEvent notifications received: %ld\n", g_events);
  OleUninitialize();
  return 0;
}
