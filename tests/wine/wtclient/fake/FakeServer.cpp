// The fake's IOPCEventServer and IOPCCommon: categories, subscriptions and
// status, each answering as the test's mode says.
#include <cstring>

#include "tests/wine/wtclient/fake/FakeState.h"

namespace fake {
namespace {

LPWSTR TaskString(const wchar_t* s) {
  const size_t bytes = (wcslen(s) + 1) * sizeof(wchar_t);
  auto* p = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
  memcpy(p, s, bytes);
  return p;
}

// Two categories in task memory, the shape of a correct answer.
void TwoCategories(DWORD** ids, LPWSTR** names) {
  *ids = static_cast<DWORD*>(CoTaskMemAlloc(2 * sizeof(DWORD)));
  (*ids)[0] = 0x101;
  (*ids)[1] = 0x102;
  *names = static_cast<LPWSTR*>(CoTaskMemAlloc(2 * sizeof(LPWSTR)));
  (*names)[0] = TaskString(L"Reset");
  (*names)[1] = TaskString(L"Operator action");
}

DWORD g_staticIds[2] = {0x101, 0x102};
wchar_t g_staticName[] = L"Static";
LPWSTR g_staticNames[2] = {g_staticName, g_staticName};

class Server final : public IOPCEventServer, public IOPCCommon {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOPCEventServer))
      *ppv = static_cast<IOPCEventServer*>(this);
    else if (IsEqualIID(riid, IID_IOPCCommon))
      *ppv = static_cast<IOPCCommon*>(this);
    if (!*ppv) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
  STDMETHODIMP_(ULONG) Release() override {
    const ULONG n = --m_refs;
    if (n == 0) delete this;
    return n;
  }

  STDMETHODIMP GetStatus(OPCEVENTSERVERSTATUS** status) override {
    ++Get().statusCalls;
    *status = nullptr;
    if (m_index == 1 && Get().mode == kFakeFirstStatusHangs && Get().unhang)
      WaitForSingleObject(Get().unhang, INFINITE);  // a server that stopped answering
    if (Get().mode == kFakeStatusFailsTwice && Get().statusCalls <= 2) return E_OUTOFMEMORY;
    if (Get().dead) return kGone;
    *status = static_cast<OPCEVENTSERVERSTATUS*>(CoTaskMemAlloc(sizeof(OPCEVENTSERVERSTATUS)));
    ZeroMemory(*status, sizeof(OPCEVENTSERVERSTATUS));
    (*status)->dwServerState = OPCAE_STATUS_RUNNING;
    (*status)->szVendorInfo = TaskString(L"fake");
    return S_OK;
  }

  STDMETHODIMP CreateEventSubscription(BOOL active, DWORD bufferTime, DWORD maxSize, OPCHANDLE client,
                                       REFIID riid, LPUNKNOWN* unk, DWORD* revisedBuffer,
                                       DWORD* revisedMax) override {
    *unk = nullptr;
    if (Get().dead) return kGone;
    State& s = Get();
    EnterCriticalSection(&s.cs);
    s.lastSubscription = {active, bufferTime, maxSize, client, IsEqualIID(riid, IID_IOPCEventSubscriptionMgt)};
    LeaveCriticalSection(&s.cs);
    *revisedBuffer = 1234;
    *revisedMax = 5678;
    switch (s.mode.load()) {
      case kFakeSubscriptionFails:
        return E_OUTOFMEMORY;
      case kFakeSubscriptionNullInterface:
        return S_OK;
      default:
        break;
    }
    IUnknown* sub = CreateSubscription(client);
    const HRESULT hr = sub->QueryInterface(riid, reinterpret_cast<void**>(unk));
    sub->Release();
    return hr;
  }

  STDMETHODIMP QueryAvailableFilters(DWORD*) override { return E_NOTIMPL; }

  STDMETHODIMP QueryEventCategories(DWORD, DWORD* count, DWORD** ids, LPWSTR** names) override {
    *count = 0;
    *ids = nullptr;
    *names = nullptr;
    if (Get().dead) return kGone;
    switch (Get().mode.load()) {
      case kFakeCategoriesFail:
        return E_FAIL;
      case kFakeQueryDisconnected:
        return RPC_E_DISCONNECTED;
      case kFakeCategoriesNullArrays:
        *count = 3;
        return S_OK;
      case kFakeCategoriesNullIds:
        TwoCategories(ids, names);
        CoTaskMemFree(*ids);
        *ids = nullptr;
        *count = 2;
        return S_OK;
      case kFakeCategoriesNullName:
        TwoCategories(ids, names);
        CoTaskMemFree((*names)[1]);
        (*names)[1] = nullptr;
        *count = 2;
        return S_OK;
      case kFakeCategoriesBeyondAllocation: {
        // Six good names but ids for two: only the allocation tells.
        TwoCategories(ids, names);
        CoTaskMemFree((*names)[0]);
        CoTaskMemFree((*names)[1]);
        CoTaskMemFree(*names);
        *names = static_cast<LPWSTR*>(CoTaskMemAlloc(6 * sizeof(LPWSTR)));
        for (int i = 0; i < 6; ++i) (*names)[i] = TaskString(L"Name");
        *count = 6;
        return S_OK;
      }
      case kFakeCategoriesAbsurdCount:
        TwoCategories(ids, names);
        *count = 0x10000001;
        return S_OK;
      case kFakeCategoriesNotTaskMemory:
        *ids = g_staticIds;
        *names = g_staticNames;
        *count = 2;
        return S_OK;
      default:
        TwoCategories(ids, names);
        *count = 2;
        return S_OK;
    }
  }

  STDMETHODIMP QueryConditionNames(DWORD, DWORD*, LPWSTR**) override { return E_NOTIMPL; }
  STDMETHODIMP QuerySubConditionNames(LPWSTR, DWORD*, LPWSTR**) override { return E_NOTIMPL; }
  STDMETHODIMP QuerySourceConditions(LPWSTR, DWORD*, LPWSTR**) override { return E_NOTIMPL; }
  STDMETHODIMP QueryEventAttributes(DWORD, DWORD*, DWORD**, LPWSTR**, VARTYPE**) override { return E_NOTIMPL; }
  STDMETHODIMP TranslateToItemIDs(LPWSTR, DWORD, LPWSTR, LPWSTR, DWORD, DWORD*, LPWSTR**, LPWSTR**,
                                  CLSID**) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP GetConditionState(LPWSTR, LPWSTR, DWORD, DWORD*, OPCCONDITIONSTATE**) override { return E_NOTIMPL; }
  STDMETHODIMP EnableConditionByArea(DWORD, LPWSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP EnableConditionBySource(DWORD, LPWSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP DisableConditionByArea(DWORD, LPWSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP DisableConditionBySource(DWORD, LPWSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP AckCondition(DWORD, LPWSTR, LPWSTR, LPWSTR*, LPWSTR*, FILETIME*, DWORD*, HRESULT**) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP CreateAreaBrowser(REFIID, LPUNKNOWN*) override { return E_NOTIMPL; }

  // IOPCCommon: only the client's name is kept.
  STDMETHODIMP SetLocaleID(LCID) override { return E_NOTIMPL; }
  STDMETHODIMP GetLocaleID(LCID*) override { return E_NOTIMPL; }
  STDMETHODIMP QueryAvailableLocaleIDs(DWORD*, LCID**) override { return E_NOTIMPL; }
  STDMETHODIMP GetErrorString(HRESULT, LPWSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP SetClientName(LPCWSTR name) override {
    State& s = Get();
    EnterCriticalSection(&s.cs);
    lstrcpynW(s.clientName, name ? name : L"", 64);
    LeaveCriticalSection(&s.cs);
    return S_OK;
  }

 private:
  ~Server() = default;
  Counted m_counted;
  const LONG m_index = ++Get().serversMade;  // 1 for the first made since the last reset
  std::atomic<ULONG> m_refs{1};
};

}  // namespace

HRESULT CreateServer(REFIID riid, void** ppv) {
  Server* s = new Server;
  const HRESULT hr = s->QueryInterface(riid, ppv);
  static_cast<IOPCEventServer*>(s)->Release();
  return hr;
}

}  // namespace fake
