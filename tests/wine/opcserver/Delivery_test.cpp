// Live notifications: every field of scripted events as the client gets
// them, max size splitting a burst, buffer time collecting, and the rate a
// fast scenario reaches (printed).
#include <algorithm>
#include <sstream>

#include "ServerFixture.h"
#include "Subscription.h"

namespace {

class Delivery : public ServerFixture {};

// A script of numbered one-line events "<stem> 1".."<stem> n", with `between`
// lines (a wait, say) after each.
std::string Numbered(const std::string& stem, int n, const std::string& between = "") {
  std::ostringstream s;
  for (int i = 1; i <= n; ++i) {
    s << "event now 0x104 100 Area1.Boiler.M106 " << stem << ' ' << i << '\n';
    if (!between.empty()) s << between << '\n';
  }
  return s.str();
}

std::vector<std::wstring> Messages(const std::vector<EventRecord>& records) {
  std::vector<std::wstring> out;
  for (const EventRecord& r : records) out.push_back(r.message);
  return out;
}

std::vector<std::wstring> Expected(const std::wstring& stem, int n) {
  std::vector<std::wstring> out;
  for (int i = 1; i <= n; ++i) out.push_back(stem + L" " + std::to_wstring(i));
  return out;
}

}  // namespace

TEST_F(Delivery, ScriptedEventsArriveWithExactFieldsInOrder) {
  ASSERT_TRUE(StartServer(R"(
category 1 0x104 Process message
category 2 0x201 Operator action
category 4 0x410 Level alarm
wait 1500
event 2024-03-05T07:08:09.012Z 0x104 300 Area1.Boiler.M106 Feed pump tripped
event now 0x201 200 Area1.Boiler.HC1 Setpoint changed by Operator1
alarm 2024-03-05T07:08:10Z 0x410 800 Area1.Boiler.LI103 LEVEL Drum level high: 92 % (Füllstand)
batch
wait 200
normal 2024-03-05T07:08:11.500Z 0x410 10 Area1.Boiler.LI103 LEVEL Drum level back to normal
event now 32768 1 System.Internal hidden category
)"));
  ComPtr<IOPCEventServer> srv;
  ASSERT_EQ(S_OK, Connect(srv));
  const uint64_t subscribedAt = NowFt();
  Subscription sub;
  ASSERT_TRUE(sub.Open(srv.Get(), 0xABC));
  ASSERT_TRUE(sub.sink->WaitRecords(5, 10000)) << sub.sink->RecordCount() << " records";
  const uint64_t receivedAt = NowFt();
  const uint64_t slack = 2000 * kFtPerMs;

  const std::vector<SinkCall> calls = sub.sink->Calls();
  ASSERT_EQ(2u, calls.size()) << "one call per scripted batch";
  EXPECT_EQ(3u, calls[0].count);
  EXPECT_EQ(2u, calls[1].count);
  for (const SinkCall& c : calls) {
    EXPECT_EQ(0xABCu, c.handle);
    EXPECT_FALSE(c.refresh);
    EXPECT_FALSE(c.lastRefresh);
    EXPECT_EQ(c.count, c.events.size());
  }
  const std::vector<EventRecord> r = sub.sink->Records();
  ASSERT_EQ(5u, r.size());
  for (const EventRecord& e : r) {
    EXPECT_FALSE(e.nullString) << "a string member arrived as NULL: " << Narrow(e.message);
    EXPECT_EQ(0u, e.attributes);
  }

  // A simple event at a fixed time.
  EXPECT_EQ(L"Area1.Boiler.M106", r[0].source);
  EXPECT_EQ(L"Feed pump tripped", r[0].message);
  EXPECT_EQ(UtcFt(2024, 3, 5, 7, 8, 9, 12), r[0].time);
  EXPECT_EQ(static_cast<DWORD>(OPC_SIMPLE_EVENT), r[0].type);
  EXPECT_EQ(0x104u, r[0].category);
  EXPECT_EQ(300u, r[0].severity);
  EXPECT_EQ(0u, r[0].changeMask);
  EXPECT_FALSE(r[0].ackRequired);

  // A tracking event stamped at delivery.
  EXPECT_EQ(L"Area1.Boiler.HC1", r[1].source);
  EXPECT_EQ(L"Setpoint changed by Operator1", r[1].message);
  EXPECT_EQ(static_cast<DWORD>(OPC_TRACKING_EVENT), r[1].type);
  EXPECT_EQ(0x201u, r[1].category);
  EXPECT_EQ(200u, r[1].severity);
  EXPECT_GE(r[1].time + slack, subscribedAt);
  EXPECT_LE(r[1].time, receivedAt + slack);

  // The condition becomes active: it needs acknowledging.
  const uint64_t activation = UtcFt(2024, 3, 5, 7, 8, 10);
  EXPECT_EQ(L"Area1.Boiler.LI103", r[2].source);
  EXPECT_EQ(L"Drum level high: 92 % (F\u00fcllstand)", r[2].message);
  EXPECT_EQ(static_cast<DWORD>(OPC_CONDITION_EVENT), r[2].type);
  EXPECT_EQ(0x410u, r[2].category);
  EXPECT_EQ(800u, r[2].severity);
  EXPECT_EQ(L"LEVEL", r[2].condition);
  EXPECT_EQ(L"LEVEL", r[2].subcondition) << "a single-state condition's subcondition is the condition";
  EXPECT_EQ(OPC_CHANGE_ACTIVE_STATE, r[2].changeMask & OPC_CHANGE_ACTIVE_STATE);
  EXPECT_EQ(OPC_CONDITION_ENABLED | OPC_CONDITION_ACTIVE, r[2].newState);
  EXPECT_TRUE(r[2].ackRequired);
  EXPECT_EQ(activation, r[2].time);
  EXPECT_EQ(activation, r[2].activeTime);
  EXPECT_EQ(kQualityGood, r[2].quality);

  // It returns to normal, still unacknowledged; the active time stays that
  // of the activation, which is what a client acknowledges.
  EXPECT_EQ(L"Area1.Boiler.LI103", r[3].source);
  EXPECT_EQ(L"Drum level back to normal", r[3].message);
  EXPECT_EQ(static_cast<DWORD>(OPC_CONDITION_EVENT), r[3].type);
  EXPECT_EQ(L"LEVEL", r[3].condition);
  EXPECT_EQ(10u, r[3].severity);
  EXPECT_EQ(UtcFt(2024, 3, 5, 7, 8, 11, 500), r[3].time);
  EXPECT_EQ(OPC_CHANGE_ACTIVE_STATE, r[3].changeMask & OPC_CHANGE_ACTIVE_STATE);
  EXPECT_EQ(OPC_CONDITION_ENABLED, r[3].newState);
  EXPECT_EQ(activation, r[3].activeTime);
  EXPECT_EQ(r[2].cookie, r[3].cookie) << "one activation, one cookie";
  EXPECT_EQ(kQualityGood, r[3].quality);

  // An undeclared category: a simple event.
  EXPECT_EQ(L"System.Internal", r[4].source);
  EXPECT_EQ(L"hidden category", r[4].message);
  EXPECT_EQ(32768u, r[4].category);
  EXPECT_EQ(static_cast<DWORD>(OPC_SIMPLE_EVENT), r[4].type);
  EXPECT_EQ(1u, r[4].severity);

  OPCEVENTSERVERSTATUS* status = nullptr;
  ASSERT_EQ(S_OK, srv->GetStatus(&status));
  const uint64_t lastUpdate = Ft(status->ftLastUpdateTime);
  EXPECT_GE(lastUpdate + slack, subscribedAt) << "the last notification time of this client";
  EXPECT_LE(lastUpdate, NowFt() + slack);
  CoTaskMemFree(status->szVendorInfo);
  CoTaskMemFree(status);
}

TEST_F(Delivery, MaxSizeSplitsABurstInOrder) {
  ASSERT_TRUE(StartServer("category 1 0x104 Process message\nwait 1500\n" + Numbered("Burst", 35)));
  ComPtr<IOPCEventServer> srv;
  ASSERT_EQ(S_OK, Connect(srv));
  Subscription sub;
  ASSERT_TRUE(sub.Open(srv.Get(), 5, TRUE, 0, 10));
  EXPECT_EQ(S_OK, sub.createHr);
  EXPECT_EQ(10u, sub.revisedMax);
  ASSERT_TRUE(sub.sink->WaitRecords(35, 10000)) << sub.sink->RecordCount() << " records";
  Sleep(200);
  EXPECT_EQ(Expected(L"Burst", 35), Messages(sub.sink->Records()));
  std::string sizes;
  for (const SinkCall& c : sub.sink->Calls()) {
    EXPECT_LE(c.count, 10u);
    EXPECT_GT(c.count, 0u);
    sizes += std::to_string(c.count) + " ";
  }
  std::printf("[ max size 10 ] call sizes: %s\n", sizes.c_str());
}

TEST_F(Delivery, BufferTimeCollectsNotifications) {
  ASSERT_TRUE(StartServer("category 1 0x104 Process message\nwait 1500\n" + Numbered("Tick", 20, "wait 100")));
  ComPtr<IOPCEventServer> srv;
  ASSERT_EQ(S_OK, Connect(srv));
  Subscription sub;
  ASSERT_TRUE(sub.Open(srv.Get(), 6, TRUE, 500, 0));
  ASSERT_TRUE(sub.sink->WaitRecords(20, 12000)) << sub.sink->RecordCount() << " records";
  EXPECT_EQ(Expected(L"Tick", 20), Messages(sub.sink->Records()));
  const std::vector<SinkCall> calls = sub.sink->Calls();
  std::string gaps;
  double shortest = 1e9;
  for (size_t i = 1; i < calls.size(); ++i) {
    const double gap = calls[i].atMs - calls[i - 1].atMs;
    shortest = std::min(shortest, gap);
    gaps += std::to_string(static_cast<int>(gap)) + " ";
  }
  std::printf("[ buffer time %lu ms ] %zu calls for 20 events over 1.9 s; gaps ms: %s(shortest %.0f)\n",
              static_cast<unsigned long>(sub.revisedBuffer), calls.size(), gaps.c_str(), shortest);
  // Our server keeps a buffer time it is given: collecting is always checked.
  EXPECT_EQ(500u, sub.revisedBuffer);
  EXPECT_EQ(S_OK, sub.createHr);
  // Events 100 ms apart with a 500 ms buffer time: about four calls, and
  // surely far fewer than one call per event.
  EXPECT_LE(calls.size(), 12u);
}

TEST_F(Delivery, FastScenarioRate) {
  ASSERT_TRUE(StartServer("category 1 0x104 Process message\n" + Numbered("Fast", 100) + "wait 1\nloop\n"));
  ComPtr<IOPCEventServer> srv;
  ASSERT_EQ(S_OK, Connect(srv));
  Subscription sub;
  ASSERT_TRUE(sub.Open(srv.Get(), 9));
  ASSERT_TRUE(sub.sink->WaitRecords(1, 10000));
  const double from = NowMs();
  const size_t callsBefore = sub.sink->Calls().size(), recordsBefore = sub.sink->RecordCount();
  Sleep(2000);
  const std::vector<SinkCall> calls = sub.sink->Calls();
  const double seconds = (NowMs() - from) / 1000.0;
  sub.Close();
  size_t records = 0;
  for (size_t i = callsBefore; i < calls.size(); ++i) records += calls[i].events.size();
  std::printf("[ rate ] %.0f OnEvent calls/s, %.0f records/s (%.1f records per call)\n",
              static_cast<double>(calls.size() - callsBefore) / seconds, static_cast<double>(records) / seconds,
              calls.size() > callsBefore ? static_cast<double>(records) / static_cast<double>(calls.size() - callsBefore)
                                         : 0.0);
  EXPECT_GT(sub.sink->RecordCount(), recordsBefore);
  // However fast, the numbered events keep their order: Fast 1..100, again.
  int expected = 0;
  size_t outOfOrder = 0;
  for (const SinkCall& c : calls) {
    for (const EventRecord& e : c.events) {
      const int n = std::stoi(Narrow(e.message.substr(5)));
      if (expected && n != expected) ++outOfOrder;
      expected = n % 100 + 1;
    }
  }
  EXPECT_EQ(0u, outOfOrder);
}

// A client that could not take one batch (no memory for it) is still a
// client: the batch is lost for it, the next ones arrive. Only calls that no
// longer reach it, or refusals several times running, end its delivery.
TEST_F(Delivery, ARefusedBatchIsNotTakenForADeadClient) {
  ASSERT_TRUE(StartServer("category 1 0x104 Process message\nwait 1000\nevent now 0x104 100 S.A first\nwait 300\n"
                          "event now 0x104 100 S.A second\nwait 300\nevent now 0x104 100 S.A third\n"));
  ComPtr<IOPCEventServer> srv;
  ASSERT_EQ(S_OK, Connect(srv));
  Subscription sub;
  ASSERT_TRUE(sub.Open(srv.Get(), 6));
  sub.sink->RefuseNext(1, E_OUTOFMEMORY);
  ASSERT_TRUE(sub.sink->WaitRecords(3, 10000)) << "delivery stopped after one refused batch: "
                                               << sub.sink->RecordCount() << " records";
  EXPECT_EQ((std::vector<std::wstring>{L"first", L"second", L"third"}), Messages(sub.sink->Records()));
}

TEST_F(Delivery, RefusalsSeveralTimesRunningEndTheClientsDelivery) {
  std::string scenario = "category 1 0x104 Process message\nwait 1000\n";
  for (int i = 0; i < 6; ++i) scenario += "event now 0x104 100 S.A n" + std::to_string(i) + "\nwait 200\n";
  ASSERT_TRUE(StartServer(scenario));
  ComPtr<IOPCEventServer> srv;
  ASSERT_EQ(S_OK, Connect(srv));
  Subscription sub;
  ASSERT_TRUE(sub.Open(srv.Get(), 7));
  sub.sink->RefuseNext(100, E_FAIL);
  ASSERT_TRUE(sub.sink->WaitRecords(3, 10000));
  Sleep(1500);  // the other three batches would have come by now
  EXPECT_EQ(3u, sub.sink->RecordCount()) << "delivery went on to a client that refused three calls running";
}

// A client that falls more than the server's backlog behind loses records,
// and is told so where they were lost: every scripted record arrives, in
// order, or is counted in the one notice that stands in their place.
TEST_F(Delivery, ALaggingClientIsToldHowManyWereLostAndWhere) {
  const int batches = 205, perBatch = 1000;  // 5000 more than may wait
  std::ostringstream s;
  s << "category 1 0x104 Process message\nwait 1000\nevent now 0x104 100 S.A first\nbatch\nwait 500\n";
  for (int i = 0; i < batches * perBatch; ++i) {
    s << "event now 0x104 100 S.A " << i << '\n';
    if (i % perBatch == perBatch - 1) s << "batch\n";
  }
  s << "wait 3000\nevent now 0x104 100 S.A last\nsilence 600000\n";
  ASSERT_TRUE(StartServer(s.str()));
  ComPtr<IOPCEventServer> srv;
  ASSERT_EQ(S_OK, Connect(srv));
  Subscription sub;
  ASSERT_TRUE(sub.Open(srv.Get(), 8));
  sub.sink->HoldNextCall();
  ASSERT_TRUE(sub.sink->WaitHeld(10000));
  Sleep(2000);  // the whole burst reaches the server's queue for this client
  sub.sink->Open();
  ASSERT_TRUE(sub.sink->WaitRecords(200000 + 3, 120000)) << sub.sink->RecordCount() << " records";
  const std::vector<EventRecord> records = sub.sink->Records();

  ASSERT_GE(records.size(), 3u);
  EXPECT_EQ(L"first", records.front().message);
  EXPECT_EQ(L"last", records.back().message);
  uint64_t lost = 0;
  int notices = 0, next = 0;
  for (size_t i = 1; i + 1 < records.size(); ++i) {
    const EventRecord& r = records[i];
    if (r.category == 0x7F00) {
      ++notices;
      const std::wstring head = L"* ", tail = L" notifications lost: the connection could not keep up *";
      ASSERT_EQ(0u, r.message.find(head)) << Narrow(r.message);
      ASSERT_EQ(r.message.size() - tail.size(), r.message.rfind(tail)) << Narrow(r.message);
      const uint64_t n = std::stoull(r.message.substr(head.size()));
      lost += n;
      next += static_cast<int>(n);
      EXPECT_EQ(static_cast<DWORD>(OPC_SIMPLE_EVENT), r.type);
      EXPECT_EQ(1000u, r.severity);
      EXPECT_EQ(L"* Velmaric OPC AE server *", r.source);
      continue;
    }
    ASSERT_EQ(std::to_wstring(next), r.message) << "record " << i << ": in order, each once";
    ++next;
  }
  EXPECT_EQ(batches * perBatch, next) << "every record delivered or counted lost";
  EXPECT_EQ(1, notices) << "one gap, one notice";
  EXPECT_GE(lost, 5000u);
  std::printf("[ lagging client ] %zu records delivered, %llu lost and told in %d notice(s)\n", records.size() - 2 - notices,
              static_cast<unsigned long long>(lost), notices);
}
