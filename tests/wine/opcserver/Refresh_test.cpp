// Refresh: the standing conditions sent again with the refresh flags, in
// the subscription's filter, also when inactive; the empty refresh; a
// second refresh while one runs; cancelling; wrong connection cookies.
#include <set>

#include "ServerFixture.h"
#include "Subscription.h"

namespace {

class Refresh : public ServerFixture {};

const char* const kTwoAlarms = R"(
category 1 0x104 Process message
category 4 0x410 Level alarm
category 4 0x420 Deviation alarm
wait 1500
alarm 2024-03-05T07:00:00Z 0x410 800 Area1.Boiler.LI103 LEVEL Drum level high
alarm 2024-03-05T07:00:01Z 0x420 500 Area1.Boiler.TI101 DEV Temperature deviation
event now 0x104 100 Area1.Boiler.M106 Feed pump tripped
)";

// Checks the refresh calls' flags: all refresh, exactly the last one last.
void ExpectWellFormedRefresh(const std::vector<SinkCall>& calls, OPCHANDLE handle) {
  std::vector<const SinkCall*> refresh;
  for (const SinkCall& c : calls)
    if (c.refresh) refresh.push_back(&c);
  ASSERT_FALSE(refresh.empty());
  for (size_t i = 0; i < refresh.size(); ++i) {
    EXPECT_EQ(handle, refresh[i]->handle);
    EXPECT_EQ(i + 1 == refresh.size(), refresh[i]->lastRefresh != FALSE) << "refresh call " << i;
  }
}

std::set<std::wstring> Sources(const std::vector<EventRecord>& records) {
  std::set<std::wstring> out;
  for (const EventRecord& r : records) out.insert(r.source);
  return out;
}

DWORD WINAPI RefreshOnThread(void* arg) {
  auto* sub = static_cast<Subscription*>(arg);
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  const HRESULT hr = sub->mgt->Refresh(sub->cookie);
  CoUninitialize();
  return static_cast<DWORD>(hr);
}

}  // namespace

TEST_F(Refresh, StandingConditionsComeBackFlaggedAndFiltered) {
  ASSERT_TRUE(StartServer(kTwoAlarms));
  ComPtr<IOPCEventServer> srv;
  ASSERT_EQ(S_OK, Connect(srv));
  Subscription sub;
  ASSERT_TRUE(sub.Open(srv.Get(), 31));
  ASSERT_TRUE(sub.sink->WaitRecords(3, 10000));
  const std::vector<EventRecord> originals = sub.sink->Records();

  EXPECT_EQ(E_INVALIDARG, sub.mgt->Refresh(sub.cookie + 1));
  EXPECT_EQ(E_INVALIDARG, sub.mgt->CancelRefresh(sub.cookie + 1));
  ASSERT_EQ(S_OK, sub.mgt->Refresh(sub.cookie));
  ASSERT_TRUE(sub.sink->WaitLastRefresh(5000));
  Sleep(200);
  ExpectWellFormedRefresh(sub.sink->Calls(), 31);
  EXPECT_EQ(3u, sub.sink->RecordCount(false)) << "a refresh sends nothing unflagged";
  const std::vector<EventRecord> refreshed = sub.sink->Records(true);
  ASSERT_EQ(2u, refreshed.size()) << "the two standing conditions, not the simple event";
  for (const EventRecord& r : refreshed) {
    SCOPED_TRACE(Narrow(r.source));
    const EventRecord* original = nullptr;
    for (const EventRecord& o : originals)
      if (o.source == r.source && o.condition == r.condition) original = &o;
    ASSERT_NE(nullptr, original);
    EXPECT_EQ(static_cast<DWORD>(OPC_CONDITION_EVENT), r.type);
    EXPECT_EQ(OPC_CONDITION_ENABLED | OPC_CONDITION_ACTIVE, r.newState);
    EXPECT_TRUE(r.ackRequired);
    EXPECT_EQ(original->activeTime, r.activeTime);
    EXPECT_EQ(original->cookie, r.cookie);
    EXPECT_EQ(original->category, r.category);
    EXPECT_EQ(original->severity, r.severity);
    EXPECT_EQ(original->message, r.message);
    EXPECT_FALSE(r.nullString);
  }

  // Only what passes the filter; and refresh works while inactive.
  ASSERT_EQ(S_OK, sub.SetFilter(OPC_ALL_EVENTS, {0x410}));
  BOOL off = FALSE;
  DWORD rb = 0, rm = 0;
  ASSERT_EQ(S_OK, sub.mgt->SetState(&off, nullptr, nullptr, 32, &rb, &rm));
  sub.sink->Clear();
  ASSERT_EQ(S_OK, sub.mgt->Refresh(sub.cookie));
  ASSERT_TRUE(sub.sink->WaitLastRefresh(5000)) << "an inactive subscription still refreshes";
  ExpectWellFormedRefresh(sub.sink->Calls(), 32);
  EXPECT_EQ(std::set<std::wstring>{L"Area1.Boiler.LI103"}, Sources(sub.sink->Records(true)));
}

TEST_F(Refresh, NothingStandingGivesOneEmptyLastCall) {
  ASSERT_TRUE(StartServer("category 4 0x410 Level alarm\n"));
  ComPtr<IOPCEventServer> srv;
  ASSERT_EQ(S_OK, Connect(srv));
  Subscription sub;
  ASSERT_TRUE(sub.Open(srv.Get(), 33));
  ASSERT_EQ(S_OK, sub.mgt->Refresh(sub.cookie));
  ASSERT_TRUE(sub.sink->WaitLastRefresh(5000));
  Sleep(300);
  const std::vector<SinkCall> calls = sub.sink->Calls();
  ASSERT_EQ(1u, calls.size());
  EXPECT_EQ(0u, calls[0].count);
  EXPECT_TRUE(calls[0].refresh);
  EXPECT_TRUE(calls[0].lastRefresh);
  EXPECT_EQ(33u, calls[0].handle);
}

TEST_F(Refresh, BusyWhileRunningAndCancel) {
  ASSERT_TRUE(StartServer(kTwoAlarms));
  ComPtr<IOPCEventServer> srv;
  ASSERT_EQ(S_OK, Connect(srv));
  Subscription sub;
  // Max size 1: the two conditions take two refresh calls.
  ASSERT_TRUE(sub.Open(srv.Get(), 34, TRUE, 0, 1));
  ASSERT_TRUE(sub.sink->WaitRecords(3, 10000));
  sub.sink->Clear();

  // The sink holds the first refresh call: the refresh is then running
  // whether the server delivers from Refresh itself or from a thread.
  sub.sink->HoldNextCall();
  HANDLE thread = CreateThread(nullptr, 0, RefreshOnThread, &sub, 0, nullptr);
  ASSERT_NE(nullptr, thread);
  const bool held = sub.sink->WaitHeld(5000);
  EXPECT_TRUE(held) << "no refresh call arrived";
  if (held) {
    EXPECT_EQ(OPC_E_BUSY, sub.mgt->Refresh(sub.cookie));
    EXPECT_EQ(S_OK, sub.mgt->CancelRefresh(sub.cookie));
  }
  sub.sink->Open();
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 10000));
  DWORD code = 0;
  GetExitCodeThread(thread, &code);
  CloseHandle(thread);
  EXPECT_EQ(S_OK, static_cast<HRESULT>(code)) << "the first Refresh";
  ASSERT_TRUE(sub.sink->WaitLastRefresh(5000)) << "a cancelled refresh still ends with a last call";
  ExpectWellFormedRefresh(sub.sink->Calls(), 34);
  EXPECT_LE(sub.sink->RecordCount(true), 1u) << "the record not yet sent was dropped";

  // The subscription refreshes again once the last call has returned.
  Sleep(300);
  sub.sink->Clear();
  ASSERT_EQ(S_OK, sub.mgt->Refresh(sub.cookie));
  ASSERT_TRUE(sub.sink->WaitLastRefresh(5000));
  EXPECT_EQ(2u, sub.sink->RecordCount(true));
  for (const SinkCall& c : sub.sink->Calls()) EXPECT_LE(c.count, 1u) << "max size holds for refresh too";
}
