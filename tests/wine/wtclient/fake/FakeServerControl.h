// How a test steers FakeAEServer.dll, an in-process OPC AE server that
// answers badly on request. The test loads the same DLL that COM loads and
// calls these exports (undecorated __stdcall).
#pragma once
#include <windows.h>

// {25C294D4-3F7E-4697-B191-0A34DAAE59A9}
#define FAKE_AE_CLSID_STRING L"{25C294D4-3F7E-4697-B191-0A34DAAE59A9}"
#define FAKE_AE_PROGID L"Velmaric.FakeAEServer.1"
#define FAKE_AE_PROGID_A "Velmaric.FakeAEServer.1"

// The answers of the next calls; one per test.
enum FakeMode : DWORD {
  kFakeGood = 0,
  kFakeCategoriesFail,           // E_FAIL
  kFakeCategoriesNullArrays,     // count 3, both arrays null
  kFakeCategoriesNullIds,        // count 2, ids null
  kFakeCategoriesNullName,       // count 2, the second name null
  kFakeCategoriesBeyondAllocation,  // count 6, 6 names but ids for 2
  kFakeCategoriesAbsurdCount,    // count 0x10000001, arrays of 2
  kFakeCategoriesNotTaskMemory,  // count 2, arrays not from the task allocator
  kFakeSubscriptionFails,        // E_OUTOFMEMORY
  kFakeSubscriptionNullInterface,  // S_OK with no object
  kFakeSubscriptionNoContainer,  // an object without IConnectionPointContainer
  kFakeFindPointNull,            // FindConnectionPoint: S_OK with no point
  kFakeAdviseFails,              // Advise: CONNECT_E_CANNOTCONNECT
  kFakeQueryDisconnected,        // QueryEventCategories: RPC_E_DISCONNECTED; the rest works
  kFakeFirstStatusHangs,         // GetStatus of the first server object made blocks until the next FakeReset
  kFakeStatusFailsTwice,         // the first two GetStatus calls answer E_OUTOFMEMORY, the rest S_OK
};

// What FakeFire sends to the last advised sink.
enum FakeFireKind : DWORD {
  kFireGood = 0,         // 2 records, the subscription's own handle
  kFireRefresh,          // 1 record, bRefresh and bLastRefresh set
  kFireNullStrings,      // 1 record, every string null, 3 attributes without an array
  kFireWrongHandle,      // 2 records, another hClientSubscription
  kFireNullEvents,       // count 2, no records
  kFireAbsurdCount,      // count 0xFFFFFFF0, one record
};

// Arguments of the last CreateEventSubscription.
struct FakeSubscriptionArgs {
  BOOL active;
  DWORD bufferTime;
  DWORD maxSize;
  DWORD clientSubscription;
  BOOL askedForManager;  // riid was IID_IOPCEventSubscriptionMgt
};

typedef void(WINAPI* PFN_FakeReset)(DWORD mode);
typedef void(WINAPI* PFN_FakeDie)(void);
typedef HRESULT(WINAPI* PFN_FakeFire)(DWORD kind);
typedef LONG(WINAPI* PFN_FakeCounter)(void);
typedef void(WINAPI* PFN_FakeLastSubscription)(FakeSubscriptionArgs* args);
typedef void(WINAPI* PFN_FakeClientName)(wchar_t* buffer, DWORD chars);
