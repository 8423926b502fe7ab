// Conditions: what the server tells about them (names, sources, state) and
// acknowledging them, with the notification every subscription gets.
#include <algorithm>

#include "ServerFixture.h"
#include "Subscription.h"

namespace {

class Conditions : public ServerFixture {};

const char* const kTwoAlarms = R"(
category 1 0x104 Process message
category 4 0x410 Level alarm
category 4 0x420 Deviation alarm
wait 1500
alarm 2024-03-05T07:00:00Z 0x410 800 Area1.Boiler.LI103 LEVEL Drum level high
alarm 2024-03-05T07:00:01Z 0x420 500 Area1.Boiler.TI101 DEV Temperature deviation
)";

const uint64_t kActivation = UtcFt(2024, 3, 5, 7, 0, 0);
// No attributes asked for: the array pointer still may not be null.
DWORD noAttributes = 0;

bool Contains(const std::vector<std::wstring>& v, const wchar_t* s) { return std::find(v.begin(), v.end(), s) != v.end(); }

// Runs one of the server's name queries and takes the array it returns.
template <typename Arg>
using NameQuery = HRESULT (STDMETHODCALLTYPE IOPCEventServer::*)(Arg, DWORD*, LPWSTR**);

template <typename Arg>
std::vector<std::wstring> Names(IOPCEventServer* srv, NameQuery<Arg> query, Arg arg, HRESULT* hr) {
  DWORD count = 0;
  LPWSTR* names = nullptr;
  *hr = (srv->*query)(arg, &count, &names);
  return TakeStrings(names, count);
}

struct Ack {
  HRESULT hr = E_FAIL;
  std::vector<HRESULT> errors;
};

Ack Acknowledge(IOPCEventServer* srv, std::vector<const wchar_t*> sources, std::vector<uint64_t> times, DWORD cookie,
                const wchar_t* condition = L"LEVEL") {
  const DWORD n = static_cast<DWORD>(sources.size());
  std::vector<std::wstring> src(sources.begin(), sources.end());
  std::vector<std::wstring> cond(n, condition);
  std::vector<LPWSTR> pSrc, pCond;
  std::vector<FILETIME> ft;
  std::vector<DWORD> cookies(n, cookie);
  for (DWORD i = 0; i < n; ++i) {
    pSrc.push_back(&src[i][0]);
    pCond.push_back(&cond[i][0]);
    ft.push_back(ToFileTime(times[i]));
  }
  wchar_t who[] = L"Operator7", comment[] = L"seen";
  HRESULT* errors = nullptr;
  Ack a;
  a.hr = srv->AckCondition(n, who, comment, pSrc.data(), pCond.data(), ft.data(), cookies.data(), &errors);
  if (errors) a.errors.assign(errors, errors + n);
  CoTaskMemFree(errors);
  return a;
}

const EventRecord* AckNotification(const std::vector<EventRecord>& records, const wchar_t* source) {
  for (const EventRecord& r : records)
    if (r.source == source && (r.changeMask & OPC_CHANGE_ACK_STATE)) return &r;
  return nullptr;
}

}  // namespace

TEST_F(Conditions, NamesSourcesAndStateOfAnActiveAlarm) {
  ASSERT_TRUE(StartServer(kTwoAlarms));
  ComPtr<IOPCEventServer> srv;
  ASSERT_EQ(S_OK, Connect(srv));
  Subscription sub;
  ASSERT_TRUE(sub.Open(srv.Get(), 41));
  ASSERT_TRUE(sub.sink->WaitRecords(2, 10000));

  HRESULT hr;
  std::vector<std::wstring> got = Names(srv.Get(), &IOPCEventServer::QueryConditionNames, DWORD{0x410}, &hr);
  EXPECT_EQ(S_OK, hr);
  EXPECT_TRUE(Contains(got, L"LEVEL"));
  EXPECT_FALSE(Contains(got, L"DEV")) << "DEV belongs to another category";
  got = Names(srv.Get(), &IOPCEventServer::QueryConditionNames, DWORD{0x999}, &hr);
  EXPECT_EQ(E_INVALIDARG, hr) << "an unknown category";

  wchar_t source[] = L"Area1.Boiler.LI103", unknown[] = L"No.Such.Source", level[] = L"LEVEL", nothing[] = L"NOPE";
  got = Names(srv.Get(), &IOPCEventServer::QuerySourceConditions, source, &hr);
  EXPECT_EQ(S_OK, hr);
  EXPECT_TRUE(Contains(got, L"LEVEL"));
  got = Names(srv.Get(), &IOPCEventServer::QuerySourceConditions, unknown, &hr);
  EXPECT_EQ(E_INVALIDARG, hr);
  got = Names(srv.Get(), &IOPCEventServer::QuerySubConditionNames, level, &hr);
  EXPECT_EQ(S_OK, hr);
  EXPECT_EQ(std::vector<std::wstring>{L"LEVEL"}, got) << "a single-state condition";
  got = Names(srv.Get(), &IOPCEventServer::QuerySubConditionNames, nothing, &hr);
  EXPECT_EQ(E_INVALIDARG, hr);

  OPCCONDITIONSTATE* state = nullptr;
  ASSERT_EQ(S_OK, srv->GetConditionState(source, level, 0, &noAttributes, &state));
  ASSERT_NE(nullptr, state);
  EXPECT_EQ(OPC_CONDITION_ENABLED | OPC_CONDITION_ACTIVE, state->wState);
  ASSERT_NE(nullptr, state->szActiveSubCondition);
  EXPECT_STREQ(L"LEVEL", state->szActiveSubCondition);
  EXPECT_EQ(800u, state->dwASCSeverity);
  EXPECT_EQ(kActivation, Ft(state->ftCondLastActive));
  EXPECT_EQ(kActivation, Ft(state->ftSubCondLastActive));
  EXPECT_EQ(0u, Ft(state->ftLastAckTime)) << "never acknowledged";
  EXPECT_EQ(kQualityGood, state->wQuality);
  FreeConditionState(state);
  state = nullptr;
  EXPECT_EQ(E_INVALIDARG, srv->GetConditionState(source, nothing, 0, &noAttributes, &state));
  FreeConditionState(state);
  state = nullptr;
  EXPECT_EQ(E_INVALIDARG, srv->GetConditionState(unknown, level, 0, &noAttributes, &state));
  FreeConditionState(state);
}

TEST_F(Conditions, AcknowledgeReachesEverySubscription) {
  ASSERT_TRUE(StartServer(kTwoAlarms));
  ComPtr<IOPCEventServer> first, second;
  ASSERT_EQ(S_OK, Connect(first));
  ASSERT_EQ(S_OK, Connect(second));
  Subscription a, b;
  ASSERT_TRUE(a.Open(first.Get(), 51));
  ASSERT_TRUE(b.Open(second.Get(), 52));
  ASSERT_TRUE(a.sink->WaitRecords(2, 10000));
  ASSERT_TRUE(b.sink->WaitRecords(2, 5000));
  const EventRecord alarm = a.sink->Records()[0];
  ASSERT_EQ(L"Area1.Boiler.LI103", alarm.source);
  ASSERT_EQ(kActivation, alarm.activeTime);

  // Wrong active time, unknown source and a valid one in one call.
  const uint64_t beforeAck = NowFt();
  Ack ack = Acknowledge(first.Get(), {L"Area1.Boiler.LI103", L"No.Such.Source", L"Area1.Boiler.LI103"},
                        {kActivation + kFtPerMs, kActivation, kActivation}, alarm.cookie);
  EXPECT_EQ(S_FALSE, ack.hr) << "some items failed";
  ASSERT_EQ(3u, ack.errors.size());
  EXPECT_EQ(OPC_E_INVALIDTIME, ack.errors[0]);
  EXPECT_EQ(E_INVALIDARG, ack.errors[1]);
  EXPECT_EQ(S_OK, ack.errors[2]);

  ASSERT_TRUE(a.sink->WaitRecords(3, 5000));
  ASSERT_TRUE(b.sink->WaitRecords(3, 5000));
  for (Subscription* s : {&a, &b}) {
    const std::vector<EventRecord> records = s->sink->Records();
    const EventRecord* n = AckNotification(records, L"Area1.Boiler.LI103");
    ASSERT_NE(nullptr, n) << "no acknowledgement notification";
    EXPECT_EQ(OPC_CONDITION_ENABLED | OPC_CONDITION_ACTIVE | OPC_CONDITION_ACKED, n->newState);
    EXPECT_EQ(L"LEVEL", n->condition);
    EXPECT_EQ(L"Operator7", n->actor) << "the acknowledger is the actor";
    EXPECT_EQ(static_cast<DWORD>(OPC_SIMPLE_EVENT), n->type) << "the one form of every acknowledgement";
    EXPECT_EQ(kActivation, n->activeTime);
    EXPECT_FALSE(n->ackRequired);
    EXPECT_FALSE(n->nullString);
    EXPECT_EQ(nullptr, AckNotification(records, L"Area1.Boiler.TI101"));
  }

  ack = Acknowledge(second.Get(), {L"Area1.Boiler.LI103"}, {kActivation}, alarm.cookie);
  EXPECT_TRUE(SUCCEEDED(ack.hr)) << HrText(ack.hr);
  ASSERT_EQ(1u, ack.errors.size());
  EXPECT_EQ(OPC_S_ALREADYACKED, ack.errors[0]);

  wchar_t source[] = L"Area1.Boiler.LI103", level[] = L"LEVEL";
  OPCCONDITIONSTATE* state = nullptr;
  ASSERT_EQ(S_OK, second->GetConditionState(source, level, 0, &noAttributes, &state));
  EXPECT_EQ(OPC_CONDITION_ENABLED | OPC_CONDITION_ACTIVE | OPC_CONDITION_ACKED, state->wState);
  EXPECT_GE(Ft(state->ftLastAckTime) + 2000 * kFtPerMs, beforeAck);
  ASSERT_NE(nullptr, state->szAcknowledgerID);
  EXPECT_STREQ(L"Operator7", state->szAcknowledgerID);
  ASSERT_NE(nullptr, state->szComment);
  EXPECT_STREQ(L"seen", state->szComment);
  FreeConditionState(state);

  // A refresh now reports the condition acknowledged, the other one not.
  b.sink->Clear();
  ASSERT_EQ(S_OK, b.mgt->Refresh(b.cookie));
  ASSERT_TRUE(b.sink->WaitLastRefresh(5000));
  for (const EventRecord& r : b.sink->Records(true)) {
    SCOPED_TRACE(Narrow(r.source));
    const bool acked = r.source == L"Area1.Boiler.LI103";
    EXPECT_EQ(acked, (r.newState & OPC_CONDITION_ACKED) != 0);
    EXPECT_EQ(!acked, r.ackRequired != FALSE);
  }
  EXPECT_EQ(2u, b.sink->RecordCount(true));
}

// A condition that returned to normal unacknowledged still awaits its
// acknowledgement: refresh reports it and an acknowledgement is accepted.
TEST_F(Conditions, ReturnedToNormalUnacknowledgedStillAwaitsAck) {
  ASSERT_TRUE(StartServer(R"(
category 4 0x410 Level alarm
wait 1500
alarm 2024-03-05T07:00:00Z 0x410 800 Area1.Boiler.LI103 LEVEL Drum level high
wait 200
normal 2024-03-05T07:00:05Z 0x410 10 Area1.Boiler.LI103 LEVEL Drum level back to normal
)"));
  ComPtr<IOPCEventServer> srv;
  ASSERT_EQ(S_OK, Connect(srv));
  Subscription sub;
  ASSERT_TRUE(sub.Open(srv.Get(), 61));
  ASSERT_TRUE(sub.sink->WaitRecords(2, 10000));
  const EventRecord alarm = sub.sink->Records()[0];

  ASSERT_EQ(S_OK, sub.mgt->Refresh(sub.cookie));
  ASSERT_TRUE(sub.sink->WaitLastRefresh(5000));
  const std::vector<EventRecord> refreshed = sub.sink->Records(true);
  EXPECT_EQ(1u, refreshed.size()) << "the inactive, unacknowledged condition is refreshed";
  if (refreshed.size() == 1) {
    EXPECT_EQ(L"Area1.Boiler.LI103", refreshed[0].source);
    EXPECT_EQ(OPC_CONDITION_ENABLED, refreshed[0].newState);
    EXPECT_EQ(kActivation, refreshed[0].activeTime);
  }

  const Ack ack = Acknowledge(srv.Get(), {L"Area1.Boiler.LI103"}, {kActivation}, alarm.cookie);
  ASSERT_EQ(1u, ack.errors.size());
  EXPECT_EQ(S_OK, ack.errors[0]) << "expected S_OK, got " << HrText(ack.errors[0]);
}
