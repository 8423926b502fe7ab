// WTclient.dll in COM mode against FakeAEServer.dll, an in-process server
// that answers badly on request: every bad answer must be refused without a
// crash, and nothing may reach the callback that must not.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <atomic>

#include "tests/wine/wtclient/ClientHarness.h"
#include "tests/wine/wtclient/fake/FakeServerControl.h"

using harness::Call;
using harness::Rec;
using harness::WaitUntil;

namespace {

const std::wstring kClasses = L"Software\\Classes\\";
const std::wstring kClsidKey = kClasses + L"CLSID\\" FAKE_AE_CLSID_STRING;
const std::wstring kProgIdKey = kClasses + FAKE_AE_PROGID;

harness::Lib lib;

struct Fake {
  HMODULE module = nullptr;
  PFN_FakeReset Reset;
  PFN_FakeDie Die;
  PFN_FakeFire Fire;
  PFN_FakeCounter LiveObjects, StatusCalls, AdviseCookie, RefreshCookie;
  PFN_FakeLastSubscription LastSubscription;
  PFN_FakeClientName ClientName;
} fake;

template <typename T>
void Resolve(T& fn, const char* name) {
  fn = reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(fake.module, name)));
  ASSERT_NE(fn, nullptr) << name;
}

bool SetString(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  return RegSetKeyValueW(root, key.c_str(), name, REG_SZ, value.c_str(),
                         static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool Register(HKEY root, const std::wstring& dll) {
  return SetString(root, kClsidKey, nullptr, L"Velmaric fake AE server") &&
         SetString(root, kClsidKey + L"\\InprocServer32", nullptr, dll) &&
         SetString(root, kClsidKey + L"\\InprocServer32", L"ThreadingModel", L"Both") &&
         SetString(root, kClsidKey + L"\\ProgID", nullptr, FAKE_AE_PROGID) &&
         SetString(root, kProgIdKey + L"\\CLSID", nullptr, FAKE_AE_CLSID_STRING);
}

void Unregister() {
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    RegDeleteTreeW(root, kClsidKey.c_str());
    RegDeleteTreeW(root, kProgIdKey.c_str());
    RegDeleteKeyW(root, kProgIdKey.c_str());
  }
}

// Our ProgID's entry in the machine's classes, changed for one test and put
// back as it was: pointed at another class, or taken away.
class OwnProgIdEntry {
 public:
  OwnProgIdEntry() : m_had(KeyExists()) {
    if (m_had) {
      m_default = Read(kKey, nullptr);
      m_clsid = Read(kKey + L"\\CLSID", nullptr);
    }
  }
  ~OwnProgIdEntry() {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kKey.c_str());
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kKey.c_str());
    if (m_had) {
      SetString(HKEY_LOCAL_MACHINE, kKey, nullptr, m_default);
      SetString(HKEY_LOCAL_MACHINE, kKey + L"\\CLSID", nullptr, m_clsid);
    }
  }
  bool PointAt(const std::wstring& clsid) { return SetString(HKEY_LOCAL_MACHINE, kKey + L"\\CLSID", nullptr, clsid); }
  void Remove() {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kKey.c_str());
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kKey.c_str());
  }

 private:
  static bool KeyExists() {
    HKEY h;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
    RegCloseKey(h);
    return true;
  }
  static std::wstring Read(const std::wstring& key, const wchar_t* name) {
    wchar_t buf[256] = {};
    DWORD size = sizeof buf;
    RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_REG_SZ, nullptr, buf, &size);
    return buf;
  }
  static inline const std::wstring kKey = kClasses + L"Velmaric.TamborelOpcDa.1";
  bool m_had;
  std::wstring m_default, m_clsid;
};

class ComFakeServer : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    SetEnvironmentVariableA("WTCLIENT_SIM_SCENARIO", nullptr);
    SetEnvironmentVariableA("WTCLIENT_INPROCESS", nullptr);
    ASSERT_TRUE(lib.Load()) << "cannot load WTclient.dll, error " << GetLastError();
    const std::wstring dll = BinPath(L"FakeAEServer.dll");
    fake.module = LoadLibraryW(dll.c_str());
    ASSERT_NE(fake.module, nullptr) << "cannot load FakeAEServer.dll";
    Resolve(fake.Reset, "FakeReset");
    Resolve(fake.Die, "FakeDie");
    Resolve(fake.Fire, "FakeFire");
    Resolve(fake.LiveObjects, "FakeLiveObjects");
    Resolve(fake.StatusCalls, "FakeStatusCalls");
    Resolve(fake.AdviseCookie, "FakeAdviseCookie");
    Resolve(fake.RefreshCookie, "FakeRefreshCookie");
    Resolve(fake.LastSubscription, "FakeLastSubscription");
    Resolve(fake.ClientName, "FakeClientName");
    // Per user, so the test needs no rights and leaves the machine's classes
    // alone; Wine's COM reads only the machine's classes, so there as well.
    Unregister();
    ASSERT_TRUE(Register(HKEY_CURRENT_USER, dll));
    CLSID clsid;
    if (FAILED(CLSIDFromProgID(FAKE_AE_PROGID, &clsid))) {
      Unregister();
      ASSERT_TRUE(Register(HKEY_CURRENT_USER, dll));
      ASSERT_TRUE(Register(HKEY_LOCAL_MACHINE, dll));
    }
  }
  static void TearDownTestSuite() { Unregister(); }

  void SetUp() override {
    ASSERT_NE(fake.module, nullptr);
    fake.Reset(kFakeGood);
    Rec().Clear();
    EXPECT_TRUE(lib.CoInit());
    lib.EnableCallback(&harness::OnEvents);
  }
  void TearDown() override {
    for (HANDLE h : m_open) lib.Disconnect(h);
    lib.CoUninit();
    Rec().Clear();
  }
  HANDLE Open() {
    HANDLE h = lib.Connect("", FAKE_AE_PROGID_A);
    if (h != INVALID_HANDLE_VALUE) m_open.push_back(h);
    return h;
  }
  bool Close(HANDLE h) {
    for (size_t i = 0; i < m_open.size(); ++i)
      if (m_open[i] == h) m_open.erase(m_open.begin() + static_cast<long>(i));
    return lib.Disconnect(h) != FALSE;
  }
  // A connection with one subscription for client handle 0xC0FFEE.
  HANDLE Subscribed() {
    HANDLE c = Open();
    if (c == INVALID_HANDLE_VALUE) return c;
    DWORD scratch = 0;
    if (!lib.Subscribe(c, 0xC0FFEE, &scratch, &scratch)) ADD_FAILURE() << "subscription failed";
    return c;
  }
  std::vector<HANDLE> m_open;
};

TEST_F(ComFakeServer, ConnectsByProgIdAndReleasesEverythingOnDisconnect) {
  HANDLE c = Open();
  ASSERT_NE(c, INVALID_HANDLE_VALUE);
  EXPECT_NE(c, nullptr);
  wchar_t name[64] = {};
  fake.ClientName(name, 64);
  EXPECT_STREQ(name, L"Velmaric AE");
  EXPECT_EQ(lib.Connect(".", ""), INVALID_HANDLE_VALUE);
  EXPECT_EQ(lib.Connect(".", nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(lib.Connect("localhost", "Velmaric.NoSuchServer.1"), INVALID_HANDLE_VALUE);
  // Names of this machine reach the in-process server; another machine's
  // name asks only for a remote server, which Wine cannot make.
  char computer[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = sizeof computer;
  ASSERT_TRUE(GetComputerNameA(computer, &size));
  for (const char* local : {".", "localhost", "127.0.0.1", static_cast<const char*>(computer)}) {
    HANDLE h = lib.Connect(local, FAKE_AE_PROGID_A);
    EXPECT_NE(h, INVALID_HANDLE_VALUE) << local;
    if (h != INVALID_HANDLE_VALUE) {
      EXPECT_TRUE(lib.Disconnect(h));
    }
  }
  EXPECT_EQ(lib.Connect("faraway-host", FAKE_AE_PROGID_A), INVALID_HANDLE_VALUE);
  HANDLE other = INVALID_HANDLE_VALUE;
  harness::OnOtherThread([&] { other = lib.Connect("", FAKE_AE_PROGID_A); });
  EXPECT_EQ(other, INVALID_HANDLE_VALUE) << "a thread that did not initialise the library connected";

  DWORD scratch = 0;
  ASSERT_NE(lib.Subscribe(c, 1, &scratch, &scratch), nullptr);
  EXPECT_GE(fake.LiveObjects(), 2);
  EXPECT_TRUE(Close(c));
  EXPECT_EQ(fake.LiveObjects(), 0) << "server or subscription objects not released";
  EXPECT_EQ(fake.Fire(kFireGood), E_UNEXPECTED) << "the sink is still advised";
  EXPECT_FALSE(lib.Disconnect(c));
}

TEST_F(ComFakeServer, GoodCategoryAnswerIsCopied) {
  HANDLE c = Open();
  ASSERT_NE(c, INVALID_HANDLE_VALUE);
  DWORD count = 0, *ids = nullptr;
  LPWSTR* names = nullptr;
  ASSERT_TRUE(lib.Query(c, 7, &count, &ids, &names));
  ASSERT_EQ(count, 2u);
  EXPECT_EQ(ids[0], 0x101u);
  EXPECT_EQ(ids[1], 0x102u);
  EXPECT_STREQ(names[0], L"Reset");
  EXPECT_STREQ(names[1], L"Operator action");
  EXPECT_FALSE(lib.Query(c, 1, nullptr, &ids, &names));
}

TEST_F(ComFakeServer, BadCategoryAnswersAreRefused) {
  HANDLE c = Open();
  ASSERT_NE(c, INVALID_HANDLE_VALUE);
  const FakeMode bad[] = {kFakeCategoriesFail,         kFakeCategoriesNullArrays,       kFakeCategoriesNullIds,
                          kFakeCategoriesNullName,     kFakeCategoriesBeyondAllocation, kFakeCategoriesAbsurdCount,
                          kFakeCategoriesNotTaskMemory};
  for (FakeMode mode : bad) {
    fake.Reset(mode);
    DWORD count = 99, *ids = reinterpret_cast<DWORD*>(1);
    LPWSTR* names = reinterpret_cast<LPWSTR*>(1);
    EXPECT_FALSE(lib.Query(c, 1, &count, &ids, &names)) << "mode " << mode;
    EXPECT_EQ(count, 0u) << "mode " << mode;
    EXPECT_EQ(ids, nullptr) << "mode " << mode;
    EXPECT_EQ(names, nullptr) << "mode " << mode;
  }
  // A refusal is not a dead server: the next good answer gets through.
  fake.Reset(kFakeGood);
  DWORD count = 0, *ids = nullptr;
  LPWSTR* names = nullptr;
  EXPECT_TRUE(lib.Query(c, 1, &count, &ids, &names));
  EXPECT_EQ(count, 2u);
}

TEST_F(ComFakeServer, SubscriptionAsksForImmediateDeliveryAndReportsRevisedValues) {
  HANDLE c = Open();
  ASSERT_NE(c, INVALID_HANDLE_VALUE);
  DWORD buffer = 0, maxSize = 0;
  HANDLE s = lib.Subscribe(c, 0xC0FFEE, &buffer, &maxSize);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(buffer, 1234u);
  EXPECT_EQ(maxSize, 5678u);
  FakeSubscriptionArgs args = {};
  fake.LastSubscription(&args);
  EXPECT_TRUE(args.active);
  EXPECT_EQ(args.bufferTime, 0u);
  EXPECT_EQ(args.maxSize, 0u);
  EXPECT_TRUE(args.askedForManager);
  EXPECT_NE(args.clientSubscription, 0u);
  EXPECT_NE(args.clientSubscription, 0xC0FFEEu) << "the control's handle must not go to the server";

  // The same variable for both, and none at all.
  DWORD scratch = 0;
  ASSERT_NE(lib.Subscribe(c, 2, &scratch, &scratch), nullptr);
  EXPECT_TRUE(scratch == 1234u || scratch == 5678u);
  ASSERT_NE(lib.Subscribe(c, 3, nullptr, nullptr), nullptr);
  FakeSubscriptionArgs second = {};
  fake.LastSubscription(&second);
  EXPECT_NE(second.clientSubscription, args.clientSubscription);
}

TEST_F(ComFakeServer, BadSubscriptionAnswersFailCleanly) {
  HANDLE c = Open();
  ASSERT_NE(c, INVALID_HANDLE_VALUE);
  const LONG serverOnly = fake.LiveObjects();
  const FakeMode bad[] = {kFakeSubscriptionFails, kFakeSubscriptionNullInterface, kFakeSubscriptionNoContainer,
                          kFakeFindPointNull, kFakeAdviseFails};
  for (FakeMode mode : bad) {
    fake.Reset(mode);
    DWORD buffer = 7, maxSize = 7;
    EXPECT_EQ(lib.Subscribe(c, 1, &buffer, &maxSize), nullptr) << "mode " << mode;
    EXPECT_EQ(buffer, 7u) << "mode " << mode;  // nothing reported for a failed subscription
    EXPECT_EQ(fake.LiveObjects(), serverOnly) << "mode " << mode << ": what was made is not released";
    EXPECT_EQ(fake.Fire(kFireGood), E_UNEXPECTED) << "mode " << mode;
    EXPECT_FALSE(lib.Refresh(c, 1)) << "mode " << mode;
  }
  fake.Reset(kFakeGood);
  DWORD scratch = 0;
  EXPECT_NE(lib.Subscribe(c, 1, &scratch, &scratch), nullptr);
}

TEST_F(ComFakeServer, NotificationsReachTheCallbackWithTheControlsHandle) {
  HANDLE c = Subscribed();
  ASSERT_NE(c, INVALID_HANDLE_VALUE);
  DWORD firedOn = 0;
  HRESULT hr = E_FAIL;
  harness::OnOtherThread([&] {
    firedOn = GetCurrentThreadId();
    hr = fake.Fire(kFireGood);
  });
  EXPECT_EQ(hr, S_OK);
  ASSERT_EQ(Rec().Count(), 1u);
  const Call call = Rec().Copy()[0];
  EXPECT_EQ(call.client, 0xC0FFEEu);
  EXPECT_EQ(call.thread, firedOn);
  EXPECT_FALSE(call.refresh);
  EXPECT_FALSE(call.last);
  ASSERT_EQ(call.count, 2u);
  EXPECT_EQ(call.sources[0], L"Area1.Fake.TI100");
  EXPECT_EQ(call.messages[1], L"fake message");
  EXPECT_EQ(call.severities[0], 500u);
  EXPECT_EQ(call.severities[1], 700u);
  EXPECT_EQ(call.categories[0], 0x101u);
  EXPECT_EQ(call.times[0], 0x01DA000012345678ULL);

  EXPECT_EQ(fake.Fire(kFireRefresh), S_OK);
  ASSERT_EQ(Rec().Count(), 2u);
  const Call refresh = Rec().Copy()[1];
  EXPECT_TRUE(refresh.refresh);
  EXPECT_TRUE(refresh.last);
  EXPECT_EQ(refresh.count, 1u);
}

TEST_F(ComFakeServer, BadNotificationsAreRefusedOrMadeSafe) {
  HANDLE c = Subscribed();
  ASSERT_NE(c, INVALID_HANDLE_VALUE);
  // Dropped, yet answered with success: a server may take any failure for a
  // dead client and stop delivering altogether.
  EXPECT_EQ(fake.Fire(kFireWrongHandle), S_OK);
  EXPECT_EQ(fake.Fire(kFireNullEvents), S_OK);
  EXPECT_EQ(fake.Fire(kFireAbsurdCount), S_OK);
  EXPECT_EQ(Rec().Count(), 0u) << "a refused notification reached the callback";

  // Null strings arrive as empty ones; attributes without an array as none.
  ASSERT_EQ(fake.Fire(kFireNullStrings), S_OK);
  ASSERT_EQ(Rec().Count(), 1u);
  const Call call = Rec().Copy()[0];
  ASSERT_EQ(call.count, 1u);
  EXPECT_EQ(call.sources[0], L"");
  EXPECT_EQ(call.messages[0], L"");
  EXPECT_EQ(call.conditions[0], L"");
  EXPECT_EQ(call.actors[0], L"");
  EXPECT_EQ(call.attributeCounts[0], 0u);
  EXPECT_TRUE(call.attributesNull[0]);
}

TEST_F(ComFakeServer, RefreshUsesTheAdviseCookie) {
  HANDLE c = Open();
  ASSERT_NE(c, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(lib.Refresh(c, 7));  // no subscription yet
  DWORD scratch = 0;
  ASSERT_NE(lib.Subscribe(c, 7, &scratch, &scratch), nullptr);
  EXPECT_FALSE(lib.Refresh(c, 8));  // not a client handle of this connection
  EXPECT_EQ(fake.RefreshCookie(), 0);
  EXPECT_TRUE(lib.Refresh(c, 7));
  EXPECT_EQ(fake.RefreshCookie(), fake.AdviseCookie());
}

TEST_F(ComFakeServer, DisconnectWaitsForACallbackInProgress) {
  HANDLE c = Subscribed();
  ASSERT_NE(c, INVALID_HANDLE_VALUE);
  HANDLE gate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::atomic<bool> blocked{false}, returned{false};
  Rec().SetHook([&](DWORD_PTR) {
    blocked = true;
    WaitForSingleObject(gate, INFINITE);
    returned = true;
  });
  struct Firing {
    static DWORD WINAPI Main(void*) {
      fake.Fire(kFireGood);
      return 0;
    }
  };
  HANDLE firer = CreateThread(nullptr, 0, &Firing::Main, nullptr, 0, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return blocked.load(); }));
  struct Opener {
    static DWORD WINAPI Main(void* e) {
      Sleep(300);
      SetEvent(static_cast<HANDLE>(e));
      return 0;
    }
  };
  HANDLE opener = CreateThread(nullptr, 0, &Opener::Main, gate, 0, nullptr);
  ASSERT_TRUE(Close(c));
  EXPECT_TRUE(returned.load()) << "disconnect returned while a callback ran";
  EXPECT_EQ(Rec().inside.load(), 0);
  WaitForSingleObject(firer, INFINITE);
  WaitForSingleObject(opener, INFINITE);
  CloseHandle(firer);
  CloseHandle(opener);
  CloseHandle(gate);
}

TEST_F(ComFakeServer, DisconnectFromInsideTheCallback) {
  HANDLE c = Subscribed();
  ASSERT_NE(c, INVALID_HANDLE_VALUE);
  m_open.clear();
  std::atomic<int> result{-1};
  Rec().SetHook([&](DWORD_PTR) {
    if (result.load() == -1) result = lib.Disconnect(c) ? 1 : 0;
  });
  HRESULT hr = E_FAIL;
  harness::OnOtherThread([&] { hr = fake.Fire(kFireGood); });
  EXPECT_EQ(hr, S_OK);
  EXPECT_EQ(result.load(), 1);
  // The release happens off the callback's thread, soon after.
  EXPECT_TRUE(WaitUntil([] { return fake.LiveObjects() == 0; })) << fake.LiveObjects() << " objects left";
  EXPECT_EQ(Rec().Count(), 1u);
  EXPECT_FALSE(lib.Disconnect(c));
}

TEST_F(ComFakeServer, ServerThatStopsAnsweringStatusIsDead) {
  HANDLE c = Subscribed();
  ASSERT_NE(c, INVALID_HANDLE_VALUE);
  ASSERT_EQ(fake.Fire(kFireGood), S_OK);
  ASSERT_EQ(Rec().Count(), 1u);
  // The watch asks every 2 s; after the first failed answer nothing passes.
  ASSERT_TRUE(WaitUntil([] { return fake.StatusCalls() >= 1; }, 6000)) << "no status check";
  fake.Die();
  const LONG before = fake.StatusCalls();
  ASSERT_TRUE(WaitUntil([&] { return fake.StatusCalls() > before; }, 6000)) << "no status check after death";
  // The fake still holds the sink and calls it, as a half-dead server might.
  EXPECT_EQ(fake.Fire(kFireGood), S_OK);
  EXPECT_EQ(Rec().Count(), 1u) << "a dead connection delivered";
  DWORD count = 0, *ids = nullptr;
  LPWSTR* names = nullptr;
  EXPECT_FALSE(lib.Query(c, 1, &count, &ids, &names));
  DWORD scratch = 0;
  EXPECT_EQ(lib.Subscribe(c, 2, &scratch, &scratch), nullptr);
  EXPECT_FALSE(lib.Refresh(c, 0xC0FFEE));
  EXPECT_TRUE(Close(c));
  EXPECT_EQ(fake.Fire(kFireGood), S_OK);
  EXPECT_EQ(Rec().Count(), 1u);
}

// One server that stops answering its status check holds up no other
// connection's: the second one's dead server is still noticed.
TEST_F(ComFakeServer, AHungStatusCheckDoesNotHoldUpTheOthers) {
  fake.Reset(kFakeFirstStatusHangs);
  HANDLE hung = Subscribed();  // the first server object: its GetStatus never returns
  ASSERT_NE(hung, INVALID_HANDLE_VALUE);
  HANDLE other = Subscribed();  // the last advised sink is this one's
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  ASSERT_EQ(fake.Fire(kFireGood), S_OK);
  ASSERT_EQ(Rec().Count(), 1u);
  ASSERT_TRUE(WaitUntil([] { return fake.StatusCalls() >= 2; }, 6000)) << "only the hung server was asked";
  fake.Die();
  const LONG before = fake.StatusCalls();
  ASSERT_TRUE(WaitUntil([&] { return fake.StatusCalls() > before; }, 6000)) << "no status check after death";
  EXPECT_EQ(fake.Fire(kFireGood), S_OK);
  EXPECT_EQ(Rec().Count(), 1u) << "the dead server's connection still delivered";
  fake.Reset(kFakeGood);  // the hung call returns
  EXPECT_TRUE(Close(other));
  EXPECT_TRUE(Close(hung));
}

// A status answer that failed once or twice (a busy or short-of-memory
// server) is not a dead server; delivery goes on.
TEST_F(ComFakeServer, AStatusFailureOrTwoIsNotADeadServer) {
  fake.Reset(kFakeStatusFailsTwice);
  HANDLE c = Subscribed();
  ASSERT_NE(c, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(WaitUntil([] { return fake.StatusCalls() >= 3; }, 10000)) << "status was not asked again";
  EXPECT_EQ(fake.Fire(kFireGood), S_OK);
  EXPECT_EQ(Rec().Count(), 1u) << "the connection was given up after a passing failure";
  EXPECT_TRUE(Close(c));
}

TEST_F(ComFakeServer, TransportFailureOfACallMarksTheConnectionDead) {
  fake.Reset(kFakeQueryDisconnected);
  HANDLE c = Subscribed();
  ASSERT_NE(c, INVALID_HANDLE_VALUE);
  ASSERT_EQ(fake.Fire(kFireGood), S_OK);
  ASSERT_EQ(Rec().Count(), 1u);
  DWORD count = 0, *ids = nullptr;
  LPWSTR* names = nullptr;
  EXPECT_FALSE(lib.Query(c, 1, &count, &ids, &names));
  // Status still answers: only the failed call told.
  EXPECT_EQ(fake.Fire(kFireGood), S_OK);
  EXPECT_EQ(Rec().Count(), 1u) << "delivered after the server was seen gone";
  EXPECT_FALSE(lib.Refresh(c, 0xC0FFEE));
  EXPECT_TRUE(Close(c));
}

// A missing server is a failed connect like any other: a simulated plant in
// its place would show operators alarms that do not exist.
TEST_F(ComFakeServer, OwnProgIdNotRegisteredIsAFailedConnect) {
  OwnProgIdEntry entry;
  entry.Remove();
  CLSID clsid;
  ASSERT_TRUE(FAILED(CLSIDFromProgID(L"Velmaric.TamborelOpcDa.1", &clsid)));
  EXPECT_EQ(lib.Connect("", "Velmaric.TamborelOpcDa.1"), INVALID_HANDLE_VALUE);
  EXPECT_EQ(lib.Connect("", "Some.Other.Server.1"), INVALID_HANDLE_VALUE);
  EXPECT_EQ(fake.LiveObjects(), 0);
  // Asked for explicitly, the simulator still serves.
  SetEnvironmentVariableA("WTCLIENT_INPROCESS", "1");
  HANDLE sim = lib.Connect("", "Velmaric.TamborelOpcDa.1");
  SetEnvironmentVariableA("WTCLIENT_INPROCESS", nullptr);
  ASSERT_NE(sim, INVALID_HANDLE_VALUE);
  m_open.push_back(sim);
  DWORD count = 0, *ids = nullptr;
  LPWSTR* names = nullptr;
  ASSERT_TRUE(lib.Query(sim, 1, &count, &ids, &names));
  EXPECT_GE(count, 3u);  // the simulator's plant
}

TEST_F(ComFakeServer, OwnProgIdPointedAtAnotherVendorsServerReachesIt) {
  // What an integrator does to put another OPC AE server behind the control.
  OwnProgIdEntry entry;
  ASSERT_TRUE(entry.PointAt(FAKE_AE_CLSID_STRING));
  HANDLE own = lib.Connect("", "Velmaric.TamborelOpcDa.1");
  ASSERT_NE(own, INVALID_HANDLE_VALUE);
  m_open.push_back(own);
  EXPECT_GE(fake.LiveObjects(), 1) << "the other server was not created";
  wchar_t name[64] = {};
  fake.ClientName(name, 64);
  EXPECT_STREQ(name, L"Velmaric AE");
  EXPECT_TRUE(Close(own));
  EXPECT_EQ(fake.LiveObjects(), 0);
}

}  // namespace
