// The watchdog row after a silence.
#include "IntakeFixture.h"

namespace {

int WatchdogRows(CVelmaricAECtrl& c) {
  int n = 0;
  for (int32_t r = 0; r < c.Store().GetRowCount(); ++r)
    if (c.Store().GetCellText(kFieldMessage, r) == u"* Watchdog timed out  - not receiving alarms & events *")
      ++n;
  return n;
}

// Ticks until the watchdog row appears; the simulated ms since `from`.
uint64_t TicksUntilFired(IntakeTest& t, CVelmaricAECtrl& c, SimClock& clock, uint64_t from, int limit) {
  const int before = WatchdogRows(c);
  for (int i = 0; i < limit; ++i) {
    clock.Sleep(500);
    c.OnTimer(1);
    if (WatchdogRows(c) > before) return clock.Now() - from;
  }
  (void)t;
  return 0;
}

TEST_F(IntakeTest, FirstWatchdogAfterSixtySecondsFromConstructionOnlyOnce) {
  // Construction's timeout is 60 s, whatever WatchdogTimeout (15) says.
  EXPECT_EQ(TicksUntilFired(*this, *ctrl, clock, 0, 200), 60500u);
  ASSERT_EQ(Rows(), 1);
  EXPECT_EQ(Cell(kFieldSource, 0), u"* Velmaric AE *");
  EXPECT_EQ(Cell(kFieldTimestamp, 0), u"*");
  EXPECT_TRUE(host.m_events.empty());  // no NewEvent for it
  for (int i = 0; i < 200; ++i) Tick();
  EXPECT_EQ(WatchdogRows(*ctrl), 1);
}

TEST_F(IntakeTest, WatchdogFollowsTheTimeoutOfTheLastRecord) {
  Tick();
  Queue(5);
  ctrl->OnTimer(1);
  const uint64_t drained = clock.Now();
  EXPECT_EQ(TicksUntilFired(*this, *ctrl, clock, drained, 100), 15500u);
  for (int i = 0; i < 60; ++i) Tick();
  EXPECT_EQ(WatchdogRows(*ctrl), 1);
  Queue(5);  // re-arms it
  ctrl->OnTimer(1);
  EXPECT_EQ(TicksUntilFired(*this, *ctrl, clock, clock.Now(), 100), 15500u);
  EXPECT_EQ(WatchdogRows(*ctrl), 2);
}

TEST_F(IntakeTest, HiddenRecordAlsoRearmsTheWatchdog) {
  for (int i = 0; i < 100; ++i) Tick();  // 50 s
  Queue(0x8000);
  ctrl->OnTimer(1);
  for (int i = 0; i < 25; ++i) Tick();  // beyond 60 s from construction
  EXPECT_EQ(WatchdogRows(*ctrl), 0);
}

TEST_F(IntakeTest, WatchdogTimeoutZeroSwitchesItOff) {
  ctrl->m_nWatchdogTimeout = 0;
  Queue(5);
  ctrl->OnTimer(1);
  for (int i = 0; i < 400; ++i) Tick();
  EXPECT_EQ(WatchdogRows(*ctrl), 0);
}

class WatchdogWrapTest : public IntakeTest {};

TEST_F(IntakeTest, TickWrapDoesNotFireEarly) {
  // Another control on a clock about to wrap past 2^32.
  SimClock wrapClock(0xFFFFFFFFu - 3000);
  FakeAEServer wrapServer(&wrapClock);
  wrapClock.Join();
  ControlPlatform p{&wrapClock, &zone, &wrapServer};
  {
    CVelmaricAECtrl c(p);
    wrapServer.WaitLoaded();
    HeadlessWindow w;
    c.AttachWindow(&w);
    AEEventRecord r{kSampleTime, u"s", u"m", 5, 1};
    wrapClock.Sleep(500);
    AEEventCallback(c.GetIntake().Session()->ClientHandle(), 0, 0, 1, &r);
    c.OnTimer(1);
    EXPECT_EQ(TicksUntilFired(*this, c, wrapClock, wrapClock.Now(), 100), 15500u);
  }
  wrapClock.Leave();
}

}  // namespace
