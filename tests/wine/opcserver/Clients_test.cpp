// Several clients of one server: two at once, one killed in the middle, the
// server started by COM itself, and the failures a scenario scripts.
#include <string>
#include <thread>

#include "ChildSubscriber.h"
#include "ServerFixture.h"
#include "Subscription.h"

namespace {

class Clients : public ServerFixture {};

// Waits until no instance of the server runs (one from an earlier test may
// still be on its way out).
bool NoServerRunning(DWORD ms) {
  for (DWORD waited = 0; !ProcessesNamed(kServerExe).empty(); waited += 100) {
    if (waited >= ms) return false;
    Sleep(100);
  }
  return true;
}

}  // namespace

TEST_F(Clients, TwoServerObjectsBothReceiveThePlant) {
  ASSERT_TRUE(StartServer("rate 20\nseed 7\n"));
  ComPtr<IOPCEventServer> first, second;
  ASSERT_EQ(S_OK, Connect(first));
  ASSERT_EQ(S_OK, Connect(second));
  EXPECT_NE(first.Get(), second.Get());
  Subscription a, b;
  ASSERT_TRUE(a.Open(first.Get(), 1));
  ASSERT_TRUE(b.Open(second.Get(), 2));
  EXPECT_TRUE(a.sink->WaitRecords(10, 10000)) << a.sink->RecordCount();
  EXPECT_TRUE(b.sink->WaitRecords(10, 10000)) << b.sink->RecordCount();
  for (const EventRecord& r : b.sink->Records()) {
    EXPECT_FALSE(r.nullString);
    EXPECT_GE(r.severity, 1u);
    EXPECT_LE(r.severity, 1000u);
  }
  // Releasing one client leaves the other served.
  a.Close();
  first.Reset();
  const size_t before = b.sink->RecordCount();
  EXPECT_TRUE(b.sink->WaitRecords(before + 5, 10000));
}

// A client inside CreateInstance when another releases the server's last
// object is served: the server does not leave under its activation.
TEST_F(Clients, AConnectInProgressKeepsTheServerWhenTheLastObjectGoes) {
  ASSERT_TRUE(StartServer("category 1 0x104 Process message\nhang connect 1500\n"));
  ComPtr<IOPCEventServer> first;
  ASSERT_EQ(S_OK, Connect(first));
  HRESULT connected = E_PENDING, status = E_PENDING;
  std::thread late([&] {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    {
      ComPtr<IOPCEventServer> second;
      connected = Connect(second);
      OPCEVENTSERVERSTATUS* st = nullptr;
      if (SUCCEEDED(connected)) status = second->GetStatus(&st);
      if (st) {
        CoTaskMemFree(st->szVendorInfo);
        CoTaskMemFree(st);
      }
    }
    CoUninitialize();
  });
  Sleep(400);  // the late client is inside CreateInstance, which takes 1500 ms
  first.Reset();
  late.join();
  EXPECT_EQ(S_OK, connected) << HrText(connected);
  EXPECT_EQ(S_OK, status) << HrText(status);
}

namespace {

// Runs the child client against the running server until it has a
// notification, kills it, and says how long the server then took to leave.
void KillChildClientAndExpectTheServerToLeave(ServerProcess& server, const char* what) {
  const std::wstring readyName = L"velmaric_st_child_" + std::to_wstring(GetCurrentProcessId());
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, readyName.c_str());
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring cmd = L"\"" + std::wstring(self) + L"\" " + Wide(kChildSwitch) + L" " + readyName;
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  ASSERT_TRUE(CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  CloseHandle(pi.hThread);
  HANDLE both[2] = {ready, pi.hProcess};
  const DWORD w = WaitForMultipleObjects(2, both, FALSE, 30000);
  DWORD childCode = 0;
  GetExitCodeProcess(pi.hProcess, &childCode);
  CloseHandle(ready);
  if (w != WAIT_OBJECT_0) {
    TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hProcess);
    FAIL() << "the child client did not get notifications (exit code " << childCode << ")";
  }
  TerminateProcess(pi.hProcess, 1);
  WaitForSingleObject(pi.hProcess, 5000);
  CloseHandle(pi.hProcess);
  const double killedAt = NowMs();
  const bool exited = server.WaitExit(30000);
  std::printf("[ killed client, %s ] server exit %s %.0f ms after the client was killed\n", what,
              exited ? "came" : "did not come", NowMs() - killedAt);
  EXPECT_TRUE(exited) << "the server kept the dead client's objects";
}

}  // namespace

TEST_F(Clients, KilledClientIsNoticedAndServerExits) {
  ASSERT_TRUE(StartServer("category 1 0x104 Process message\nevent now 0x104 100 Area1.Boiler.M106 tick\n"
                          "wait 100\nloop\n"));
  KillChildClientAndExpectTheServerToLeave(server, "notifications flowing");
}

// Nothing more is sent to the dead client: only the server's probe of a quiet
// sink can find it gone.
TEST_F(Clients, AClientKilledWhileItsSubscriptionIsQuietIsReleasedAndTheServerLeaves) {
  ASSERT_TRUE(StartServer("category 1 0x104 Process message\nevent now 0x104 100 Area1.Boiler.M106 tick\n"
                          "silence 600000\n"));
  KillChildClientAndExpectTheServerToLeave(server, "a silent plant");
}

TEST_F(Clients, ComStartedServerFirstConnect) {
  ASSERT_TRUE(NoServerRunning(10000)) << "a server from an earlier test is still running";
  CLSID clsid;
  ASSERT_EQ(S_OK, CLSIDFromProgID(kProgId, &clsid));
  ComPtr<IOPCEventServer> first, later;
  double t0 = NowMs();
  ASSERT_EQ(S_OK, CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IOPCEventServer,
                                   reinterpret_cast<void**>(first.GetAddressOf())));
  const double firstMs = NowMs() - t0;
  t0 = NowMs();
  ASSERT_EQ(S_OK, CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IOPCEventServer,
                                   reinterpret_cast<void**>(later.GetAddressOf())));
  const double laterMs = NowMs() - t0;
  std::printf("[ connect ] first CoCreateInstance (COM starts the server) %.0f ms, next one %.1f ms\n", firstMs,
              laterMs);
  const std::vector<DWORD> pids = ProcessesNamed(kServerExe);
  ASSERT_EQ(1u, pids.size()) << "one server serves every client";
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pids[0]);
  ASSERT_NE(nullptr, process);
  OPCEVENTSERVERSTATUS* status = nullptr;
  EXPECT_EQ(S_OK, later->GetStatus(&status));
  if (status) {
    EXPECT_EQ(OPCAE_STATUS_RUNNING, status->dwServerState);
    CoTaskMemFree(status->szVendorInfo);
    CoTaskMemFree(status);
  }
  first.Reset();
  later.Reset();
  const DWORD w = WaitForSingleObject(process, 5000);
  if (w != WAIT_OBJECT_0) TerminateProcess(process, 99);
  CloseHandle(process);
  EXPECT_EQ(WAIT_OBJECT_0, w) << "the COM-started server did not exit after its last client";
}

TEST_F(Clients, ScriptedFailuresApplyInTheServer) {
  ASSERT_TRUE(StartServer("category 4 0x410 Level alarm\nfail connect 1\nfail query 1\nfail subscribe 1\n"
                          "fail refresh 1\n"));
  ComPtr<IOPCEventServer> srv;
  EXPECT_EQ(E_FAIL, Connect(srv)) << "the first connect is scripted to fail";
  ASSERT_EQ(S_OK, Connect(srv));

  DWORD count = 7;
  DWORD* ids = nullptr;
  LPWSTR* names = nullptr;
  EXPECT_TRUE(FAILED(srv->QueryEventCategories(OPC_ALL_EVENTS, &count, &ids, &names)));
  EXPECT_EQ(0u, count);
  EXPECT_EQ(nullptr, ids);
  EXPECT_EQ(nullptr, names);
  ASSERT_EQ(S_OK, srv->QueryEventCategories(OPC_ALL_EVENTS, &count, &ids, &names));
  EXPECT_EQ(1u, count);
  TakeDwords(ids, count);
  TakeStrings(names, count);

  Subscription failed, sub;
  EXPECT_FALSE(failed.Open(srv.Get(), 1));
  EXPECT_TRUE(FAILED(failed.createHr));
  ASSERT_TRUE(sub.Open(srv.Get(), 2));
  EXPECT_TRUE(FAILED(sub.mgt->Refresh(sub.cookie)));
  ASSERT_EQ(S_OK, sub.mgt->Refresh(sub.cookie));
  EXPECT_TRUE(sub.sink->WaitLastRefresh(5000));
}
