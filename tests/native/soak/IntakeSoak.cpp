// The intake over a long run, on simulated time: a library thread delivers
// 1000 notifications a second in batches of 100 through the registered
// callback; every timer the control arms on its window is delivered through
// its message handler when due; the list is painted every second on a
// recording canvas. The container's NewEvent handler costs 0.25 ms of
// simulated time, so the 500 records of a tick take longer than the drain
// may spend in one, and it goes on at later ticks while the library keeps
// delivering. Per simulated minute it prints the rows, the NewEvents
// announced, resident memory and allocation counts; it checks that every
// notification is announced once and in order and that, after the warm-up,
// live allocations and resident memory stay flat.
//   intake_soak [--minutes N] [--warmup N] [--handler-us N]
//   (defaults 6, 2 and 250, short enough for the sanitizer build; the full
//   hour: intake_soak --minutes 60 --warmup 5)
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <new>
#include <thread>

#include "control/VelmaricAECtrl.h"
#include "framework/headless/HeadlessUi.h"
#include "framework/headless/HeadlessWindow.h"
#include "framework/headless/RecordingCanvas.h"
#include "framework/headless/RecordingHost.h"
#include "tests/native/intake/FakeAEServer.h"
#include "tests/native/intake/FakeTime.h"
#include "tests/native/intake/SimClock.h"

// ---- Allocation counts: every C++ allocation of the process goes through
// these (they end in malloc/free, which the address sanitizer still checks).
namespace {
std::atomic<uint64_t> g_allocs{0};
std::atomic<uint64_t> g_frees{0};

void* Allocate(std::size_t n) {
  void* p = std::malloc(n ? n : 1);
  if (p) g_allocs.fetch_add(1, std::memory_order_relaxed);
  return p;
}
void Release(void* p) {
  if (!p) return;
  g_frees.fetch_add(1, std::memory_order_relaxed);
  std::free(p);
}
}  // namespace

void* operator new(std::size_t n) {
  if (void* p = Allocate(n)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t n) { return operator new(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return Allocate(n); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return Allocate(n); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, std::size_t) noexcept { Release(p); }
void operator delete[](void* p, std::size_t) noexcept { Release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Release(p); }

// An undefined-behaviour finding ends the run instead of scrolling past.
extern "C" const char* __ubsan_default_options() { return "halt_on_error=1:print_stacktrace=1"; }

namespace {

int g_minutes = 6;
int g_warmup = 2;
uint32_t g_handlerUs = 250;

constexpr uint32_t kBatch = 100;        // records per delivery
constexpr uint32_t kBatchEveryMs = 100;  // 1000 a second
constexpr uint64_t kStartTime = (1709622489ULL + 11644473600ULL) * 10000000ULL;  // 2024-03-05 07:08:09 UTC

long ResidentKb() {
  long pages = 0, resident = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

int64_t LiveAllocations() {
  return static_cast<int64_t>(g_allocs.load()) - static_cast<int64_t>(g_frees.load());
}

// A headless window whose timers run on the simulated clock as USER's do: a
// timer is due its period after it was (re)armed or last fired; SetTimer on
// an armed id restarts it. Default processing is counted, not recorded.
class SoakWindow : public HeadlessWindow {
 public:
  explicit SoakWindow(SimClock& clock) : m_clock(clock) {}
  bool SetTimer(uint32_t id, uint32_t ms) override {
    HeadlessWindow::SetTimer(id, ms);
    m_due[id] = m_clock.Now() + ms;
    ++m_nArmed;
    ++m_nSetTimer;
    return true;
  }
  void KillTimer(uint32_t id) override {
    HeadlessWindow::KillTimer(id);
    m_due.erase(id);
    ++m_nArmed;
  }
  intptr_t DefaultProc(uint32_t, uintptr_t, intptr_t) override {
    ++m_nDefault;
    return 0;
  }
  uint64_t NextDue() const {
    uint64_t next = UINT64_MAX;
    for (const auto& d : m_due) next = std::min(next, d.second);
    return next;
  }
  // Timer messages for every timer that is due, through `send`.
  template <class Send>
  int FireDue(Send send) {
    int fired = 0;
    const uint64_t now = m_clock.Now();
    for (uint32_t id : DueIds(now)) {
      auto it = m_due.find(id);
      if (it == m_due.end() || it->second > now) continue;  // killed or re-armed meanwhile
      const uint64_t armedBefore = m_nArmed;
      send(id);
      ++fired;
      it = m_due.find(id);
      if (it != m_due.end() && m_nArmed == armedBefore) it->second = now + m_timers[id];
    }
    return fired;
  }
  uint64_t m_nDefault = 0;
  uint64_t m_nSetTimer = 0;

 private:
  std::vector<uint32_t> DueIds(uint64_t now) const {
    std::vector<uint32_t> ids;
    for (const auto& d : m_due)
      if (d.second <= now) ids.push_back(d.first);
    return ids;
  }
  SimClock& m_clock;
  std::map<uint32_t, uint64_t> m_due;
  uint64_t m_nArmed = 0;
};

// The sequence number at the head of a message: "#123 ...".
bool ParseSequence(const String& message, uint64_t& n) {
  if (message.size() < 2 || message[0] != u'#') return false;
  n = 0;
  size_t i = 1;
  for (; i < message.size() && message[i] >= u'0' && message[i] <= u'9'; ++i) n = n * 10 + (message[i] - u'0');
  return i > 1;
}

void AppendNumber(String& s, uint64_t n) {
  char buf[24];
  const int len = std::snprintf(buf, sizeof buf, "%llu", static_cast<unsigned long long>(n));
  for (int i = 0; i < len; ++i) s.push_back(static_cast<char16_t>(buf[i]));
}

struct Minute {
  int minute = 0;
  int32_t rows = 0;
  uint64_t announced = 0;  // in this minute
  uint64_t announcedTotal = 0;
  long rssKb = 0, rssPeakKb = 0;
  int64_t live = 0, livePeak = 0;
  uint64_t allocs = 0;  // in this minute
  int timerMessages = 0;
  uint64_t setTimers = 0;  // timers armed or re-armed in this minute
};

TEST(IntakeSoak, AThousandNotificationsASecond) {
  SimClock clock;
  FakeTime zone;
  FakeAEServer server(&clock);
  server.m_categoryIds = {0x101, 0x103, 0x104, 0x410, 0x8000};
  server.m_categoryNames = {u"Reset", u"Acknowledgement", u"Process message", u"Level alarm", u"Internal"};
  clock.Join();
  ControlPlatform platform{&clock, &zone, &server};
  HeadlessUi ui;
  platform.ui = &ui;
  RecordingHost host;
  SoakWindow window(clock);
  window.m_bIsWindow = true;
  window.m_rcClient = {0, 0, 900, 600};
  RecordingCanvas canvas;

  auto ctrl = std::make_unique<CVelmaricAECtrl>(platform);
  server.WaitLoaded();
  ctrl->SetHost(&host);
  ctrl->AttachWindow(&window);
  ctrl->m_bAddNewEventsToBottom = 1;  // the view follows the newest row
  auto send = [&](uint32_t msg, uintptr_t w) {
    intptr_t r = 0;
    if (!ctrl->OnWndMsg(msg, w, 0, r)) r = window.DefaultProc(msg, w, 0);
    return r;
  };
  ASSERT_EQ(send(kWmCreate, 0), 0);
  ASSERT_FALSE(window.m_timers.empty()) << "the control armed no timer at creation";
  auto paint = [&] {
    canvas.Clear();
    const Rect bounds = window.m_rcClient;
    ctrl->OnDraw(canvas, bounds, bounds);
  };
  paint();
  ASSERT_TRUE(ctrl->ConnectOpc());

  // Announcements: each must carry the next sequence number. The handler's
  // cost is paid in simulated time, 10 ms at a time (each pause wakes every
  // thread of the simulation).
  uint64_t expected = 0, announced = 0, outOfOrder = 0, firstBad = UINT64_MAX, handlerDebtUs = 0;
  host.m_onEvent = [&](const RecordingHost::Event& e) {
    handlerDebtUs += g_handlerUs;
    if (handlerDebtUs >= 10000) {
      clock.Sleep(static_cast<uint32_t>(handlerDebtUs / 1000));
      handlerDebtUs %= 1000;
    }
    uint64_t n = UINT64_MAX;
    if (e.id != 1 || e.args.size() != 5 || !ParseSequence(e.args[2].s, n) || n != expected) {
      if (outOfOrder++ == 0) firstBad = expected;
    }
    expected = n + 1;
    ++announced;
  };

  // The library's thread.
  std::atomic<bool> stopDelivery{false}, libraryDone{false};
  std::atomic<uint64_t> delivered{0};
  clock.Join();  // on the library thread's behalf, so no time passes before it runs
  std::thread library([&] {
    const char16_t* sources[] = {u"Area1.Boiler.TI101", u"Area2.Turbine.XV204", u"Area3.Cooling.M304",
                                 u"Area1.Boiler.LI103", u"System.Internal"};
    const char16_t* texts[] = {u" Temperature high: 412 degC", u" Valve did not open", u" Motor tripped",
                               u" Drum level high: 92 %", u" hidden"};
    const uint32_t categories[] = {0x104, 0x410, 0x104, 0x103, 0x8000};
    std::vector<FakeRecord> batch(kBatch);
    uint64_t seq = 0;
    while (!stopDelivery.load()) {
      const uint64_t now = clock.Now();
      for (uint32_t i = 0; i < kBatch; ++i) {
        const uint64_t n = seq + i;
        const unsigned kind = static_cast<unsigned>(n % 97 == 0 ? 4 : n % 4);
        FakeRecord& r = batch[i];
        r.time = kStartTime + (now + i) * 10000ULL;
        r.source = sources[kind];
        r.message = u"#";
        AppendNumber(r.message, n);
        r.message += texts[kind];
        r.category = categories[kind];
        r.severity = static_cast<uint32_t>(1 + (n * 37) % 1000);
      }
      if (server.Deliver(batch)) {
        seq += kBatch;
        delivered.store(seq);
      }
      clock.Sleep(kBatchEveryMs);
    }
    clock.Leave();
    libraryDone.store(true);
  });

  const uint64_t start = clock.Now();
  const uint64_t end = start + static_cast<uint64_t>(g_minutes) * 60000;
  uint64_t nextSecond = start + 1000;
  int timerMessages = 0;
  uint64_t setTimersAtMinute = window.m_nSetTimer;
  auto dispatchTimers = [&] {
    timerMessages += window.FireDue([&](uint32_t id) {
      send(kWmTimer, id);
      host.m_events.clear();  // checked as they came; a container keeps none
    });
  };

  std::vector<Minute> minutes;
  Minute cur;
  uint64_t allocsAtMinute = g_allocs.load(), announcedAtMinute = 0;
  int32_t maxRows = 0;
  std::printf("%6s %6s %9s %10s %9s %9s %10s %10s %12s %6s %6s\n", "minute", "rows", "announced", "total",
              "rss kB", "peak kB", "live", "live peak", "allocs/min", "ticks", "armed");
  while (clock.Now() < end) {
    const uint64_t next = std::min(nextSecond, window.NextDue());
    if (next > clock.Now()) clock.Sleep(static_cast<uint32_t>(next - clock.Now()));
    dispatchTimers();
    if (clock.Now() < nextSecond) continue;
    const uint64_t second = (nextSecond - start) / 1000;  // the drain may have run past it
    nextSecond += 1000;
    paint();
    maxRows = std::max(maxRows, ctrl->Store().GetRowCount());
    cur.rssPeakKb = std::max(cur.rssPeakKb, ResidentKb());
    cur.livePeak = std::max(cur.livePeak, LiveAllocations());
    if (second % 60 != 0) continue;
    cur.minute = static_cast<int>(second / 60);
    cur.rows = ctrl->Store().GetRowCount();
    cur.announced = announced - announcedAtMinute;
    cur.announcedTotal = announced;
    cur.rssKb = ResidentKb();
    cur.live = LiveAllocations();
    cur.allocs = g_allocs.load() - allocsAtMinute;
    cur.timerMessages = timerMessages;
    cur.setTimers = window.m_nSetTimer - setTimersAtMinute;
    std::printf("%6d %6d %9llu %10llu %9ld %9ld %10lld %10lld %12llu %6d %6llu\n", cur.minute, cur.rows,
                static_cast<unsigned long long>(cur.announced), static_cast<unsigned long long>(cur.announcedTotal),
                cur.rssKb, cur.rssPeakKb, static_cast<long long>(cur.live), static_cast<long long>(cur.livePeak),
                static_cast<unsigned long long>(cur.allocs), cur.timerMessages,
                static_cast<unsigned long long>(cur.setTimers));
    std::fflush(stdout);
    minutes.push_back(cur);
    announcedAtMinute = announced;
    allocsAtMinute = g_allocs.load();
    timerMessages = 0;
    setTimersAtMinute = window.m_nSetTimer;
    cur = Minute();
  }

  // Delivery stops; what was delivered is drained by the timers as before.
  stopDelivery.store(true);
  while (!libraryDone.load()) {
    clock.Sleep(10);
    dispatchTimers();
  }
  library.join();
  for (int k = 0; k < 600 && announced < delivered.load(); ++k) {
    const uint64_t next = window.NextDue();
    ASSERT_NE(next, UINT64_MAX) << "no timer armed with records waiting";
    if (next > clock.Now()) clock.Sleep(static_cast<uint32_t>(next - clock.Now()));
    dispatchTimers();
  }
  const int32_t finalRows = ctrl->Store().GetRowCount();
  send(kWmDestroy, 0);
  EXPECT_TRUE(window.m_timers.empty()) << "a timer outlived the window";
  ctrl.reset();
  clock.Leave();

  std::printf("delivered %llu, announced %llu, out of order %llu, most rows %d, default-processed %llu\n",
              static_cast<unsigned long long>(delivered.load()), static_cast<unsigned long long>(announced),
              static_cast<unsigned long long>(outOfOrder), maxRows,
              static_cast<unsigned long long>(window.m_nDefault));

  // Every notification announced once, in order.
  EXPECT_GE(delivered.load(), static_cast<uint64_t>(g_minutes) * 60000 * 99 / 100);
  EXPECT_EQ(announced, delivered.load());
  EXPECT_EQ(outOfOrder, 0u) << "first out of order at sequence " << firstBad;
  // The store trims at 20000 rows, dropping the oldest half.
  EXPECT_LE(maxRows, 20000);
  EXPECT_GE(finalRows, 10000);

  // After the warm-up, the peaks of every minute stay within a quarter of
  // each other: nothing accumulates per notification, per tick or per paint.
  ASSERT_EQ(static_cast<int>(minutes.size()), g_minutes);
  ASSERT_GT(g_minutes, g_warmup + 1) << "too short to judge";
  int64_t liveMin = INT64_MAX, liveMax = 0;
  long rssMin = LONG_MAX, rssMax = 0;
  for (const Minute& m : minutes) {
    EXPECT_GE(m.announced, 55000u) << "minute " << m.minute << " fell behind";
    if (m.minute <= g_warmup) continue;
    liveMin = std::min(liveMin, m.livePeak);
    liveMax = std::max(liveMax, m.livePeak);
    rssMin = std::min(rssMin, m.rssPeakKb);
    rssMax = std::max(rssMax, m.rssPeakKb);
  }
  std::printf("after minute %d: live-allocation peaks %lld..%lld (x%.3f), resident peaks %ld..%ld kB (x%.3f)\n",
              g_warmup, static_cast<long long>(liveMin), static_cast<long long>(liveMax),
              static_cast<double>(liveMax) / static_cast<double>(liveMin), rssMin, rssMax,
              static_cast<double>(rssMax) / static_cast<double>(rssMin));
  EXPECT_LE(liveMax * 4, liveMin * 5) << "live allocations grew by more than a quarter";
  EXPECT_LE(rssMax * 4, rssMin * 5) << "resident memory grew by more than a quarter";
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  for (int k = 1; k < argc; ++k) {
    const std::string a = argv[k];
    if (a == "--minutes" && k + 1 < argc) g_minutes = std::atoi(argv[++k]);
    else if (a == "--warmup" && k + 1 < argc) g_warmup = std::atoi(argv[++k]);
    else if (a == "--handler-us" && k + 1 < argc) g_handlerUs = static_cast<uint32_t>(std::atoi(argv[++k]));
    else {
      std::fprintf(stderr, "usage: intake_soak [--minutes N] [--warmup N] [--handler-us N]\n");
      return 2;
    }
  }
  return RUN_ALL_TESTS();
}
