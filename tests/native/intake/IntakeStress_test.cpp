// Four library threads deliver while the window thread drains, connects,
// disconnects and once replaces the whole control. Every record a delivery
// handed over must end exactly once: announced by NewEvent, discarded by a
// disconnect or dropped for the queue's bound; each thread's records are
// announced in the order it delivered them.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <chrono>
#include <map>
#include <random>
#include <set>

#include "SessionPeer.h"
#include "FakeAEServer.h"
#include "FakeTime.h"
#include "SimClock.h"
#include "control/VelmaricAECtrl.h"
#include "framework/headless/HeadlessWindow.h"
#include "framework/headless/RecordingHost.h"
#include "intake/OpcAESession.h"

namespace {

String IdText(uint64_t id) {
  std::string s = std::to_string(id);
  return String(s.begin(), s.end());
}

// Runs the mix for two seconds with the queue bounded by `bounds`; returns
// the records dropped for the bound.
uint64_t Stress(const OpcAESession::QueueBounds& bounds) {
  SimClock clock;
  FakeTime zone;
  FakeAEServer server(&clock);
  clock.Join();
  ControlPlatform platform{&clock, &zone, &server};

  std::atomic<bool> running{true};
  std::atomic<uint64_t> nextId{0}, delivered{0};
  std::vector<std::thread> library;
  for (int t = 0; t < 4; ++t) {
    library.emplace_back([&, t] {
      std::mt19937 rng(t);
      while (running.load()) {
        const int n = 1 + static_cast<int>(rng() % 16);
        std::vector<FakeRecord> batch;
        for (int i = 0; i < n; ++i)
          batch.push_back({0, IdText(t), IdText(nextId.fetch_add(1)), static_cast<uint32_t>(rng() % 8),
                           static_cast<uint32_t>(rng() % 1000)});
        if (server.Deliver(batch)) delivered += n;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
      }
    });
  }

  uint64_t announced = 0, discarded = 0, dropped = 0;
  std::set<String> seen;
  bool doubled = false, reordered = false;
  std::map<String, uint64_t> lastOfThread;
  auto retire = [&](std::unique_ptr<CVelmaricAECtrl>& c, RecordingHost& host) {
    std::shared_ptr<OpcAESession> s = c->GetIntake().Session();
    c.reset();  // stops the worker, which closes the connection
    std::lock_guard<RecursiveTimedMutex> l(Inside(*s).m_mtxQueue);
    discarded += Inside(*s).m_nDiscarded;
    dropped += Inside(*s).m_nDropped;
    for (const RecordingHost::Event& e : host.m_events) {
      doubled |= !seen.insert(e.args[2].s).second;
      const uint64_t id = std::stoull(std::string(e.args[2].s.begin(), e.args[2].s.end())) + 1;
      uint64_t& last = lastOfThread[e.args[1].s];
      reordered |= id <= last;
      last = id;
    }
    announced += host.m_events.size();
    host.m_events.clear();
  };

  RecordingHost host;
  HeadlessWindow window;
  auto make = [&] {
    auto c = std::make_unique<CVelmaricAECtrl>(platform);
    Inside(*c->GetIntake().Session()).m_bounds = bounds;  // before the worker can subscribe
    server.WaitLoaded();
    c->SetHost(&host);
    c->AttachWindow(&window);
    return c;
  };
  auto ctrl = make();
  std::mt19937 rng(42);
  const auto start = std::chrono::steady_clock::now();
  const auto middle = start + std::chrono::milliseconds(1000), end = start + std::chrono::milliseconds(2000);
  bool replaced = false;
  int steps = 0;
  for (; std::chrono::steady_clock::now() < end; ++steps) {
    const unsigned action = rng() % 10;
    if (action < 6) {
      clock.Sleep(500);
      ctrl->OnTimer(1);
    } else if (action < 8) {
      ctrl->ConnectOpc();
    } else {
      ctrl->DisconnectOpc();
    }
    if (!replaced && std::chrono::steady_clock::now() >= middle) {  // with records in flight
      replaced = true;
      ctrl->ConnectOpc();
      retire(ctrl, host);
      ctrl = make();
    }
  }
  running = false;
  for (std::thread& t : library) t.join();
  retire(ctrl, host);
  clock.Leave();

  std::printf("steps %d, delivered %llu, announced %llu, discarded %llu, dropped %llu\n", steps,
              static_cast<unsigned long long>(delivered.load()), static_cast<unsigned long long>(announced),
              static_cast<unsigned long long>(discarded), static_cast<unsigned long long>(dropped));
  EXPECT_TRUE(replaced);
  EXPECT_FALSE(doubled);
  EXPECT_FALSE(reordered);
  EXPECT_GT(delivered.load(), 0u);
  EXPECT_GT(announced, 0u);
  EXPECT_EQ(delivered.load(), announced + discarded + dropped);
  return dropped;
}

TEST(IntakeStress, NoRecordLostOrDoubled) { Stress(OpcAESession::kQueueBounds); }

// A bound a few batches deep: the library's threads drop from the queue
// while the window thread trims and converts the hand-over.
TEST(IntakeStress, NoRecordLostOrDoubledWhileTheBoundDrops) { EXPECT_GT(Stress({40, 4096}), 0u); }

}  // namespace
