// The drain: order, filter, texts and the NewEvent arguments.
#include "IntakeFixture.h"
#include "tests/native/view/ViewPeer.h"

namespace {

String Str(const Value& v) { return v.s; }

TEST_F(IntakeTest, BatchOrderInTopAndBottomMode) {
  Queue({{kSampleTime, u"s", u"one", 5, 1}, {kSampleTime, u"s", u"two", 5, 2},
         {kSampleTime, u"s", u"three", 5, 3}});
  ctrl->OnTimer(1);
  ASSERT_EQ(Rows(), 3);
  EXPECT_EQ(Cell(kFieldMessage, 0), u"three");  // each went to the top
  EXPECT_EQ(Cell(kFieldMessage, 2), u"one");
  ASSERT_EQ(host.m_events.size(), 3u);
  EXPECT_EQ(Str(host.m_events[0].args[2]), u"one");  // announced in delivery order

  ctrl->m_bAddNewEventsToBottom = 1;
  Queue({{kSampleTime, u"s", u"four", 5, 1}, {kSampleTime, u"s", u"five", 5, 2}});
  ctrl->OnTimer(1);
  EXPECT_EQ(Cell(kFieldMessage, 3), u"four");
  EXPECT_EQ(Cell(kFieldMessage, 4), u"five");
  EXPECT_TRUE(Inside(Session()).m_arrQueue.empty());
}

TEST_F(IntakeTest, EmptyBatchAndOtherTimersChangeNothing) {
  Queue(std::vector<AEEventRecord>{});
  Queue(7);
  ctrl->OnTimer(2);
  EXPECT_EQ(Rows(), 0);
  EXPECT_EQ(Inside(Session()).m_arrQueue.size(), 1u);
  ctrl->OnTimer(1);
  EXPECT_EQ(Rows(), 1);
}

TEST_F(IntakeTest, HiddenCategoryIsAnnouncedButNeverShown) {
  Inside(Session()).m_arrCategoryId = {0x8000, 7};
  Inside(Session()).m_arrCategoryName = {u"hidden", u"seven"};
  Queue(0x8000);
  Queue(7);
  ctrl->OnTimer(1);
  ASSERT_EQ(Rows(), 1);
  EXPECT_EQ(Cell(kFieldCategory, 0), u"seven");
  ASSERT_EQ(host.m_events.size(), 2u);
  EXPECT_EQ(host.m_events[0].id, 1);
  EXPECT_EQ(Str(host.m_events[0].args[3]), u"");
  EXPECT_EQ(Str(host.m_events[1].args[3]), u"seven");
}

TEST_F(IntakeTest, AcknAndResetMasks) {
  struct Case {
    uint32_t category;
    bool ackn, reset, shown;
  } cases[] = {
      {3, true, false, false},     {259, true, false, false}, {65283, true, false, false},
      {4, true, false, true},      {3, false, false, true},   {65283, false, false, true},
      {1, false, true, false},     {257, false, true, false}, {1, true, false, true},
      {3, false, true, true},      {0x8000, false, false, false},
  };
  for (const Case& c : cases) {
    ctrl->Store().RemoveAll();
    ctrl->m_bSuppressAcknEvents = c.ackn;
    ctrl->m_bSuppressResetEvents = c.reset;
    Queue(c.category);
    ctrl->OnTimer(1);
    EXPECT_EQ(Rows(), c.shown ? 1 : 0) << "category " << c.category << " ackn " << c.ackn << " reset " << c.reset;
  }
  EXPECT_EQ(host.m_events.size(), std::size(cases));
}

TEST_F(IntakeTest, TimestampTexts) {
  struct Case {
    bool localize;
    int32_t bias;
    bool summer;
    const char16_t* text;
  } cases[] = {
      {false, -60, false, u"2024/03/05 07:08:09.012  (UTC)"},
      {true, -60, false, u"2024/03/05 08:08:09.012  (01:00)"},
      {true, 300, false, u"2024/03/05 02:08:09.012  (-05:00)"},
      {true, -330, false, u"2024/03/05 12:38:09.012  (05:30)"},
      {true, 210, false, u"2024/03/05 03:38:09.012  (-03:30)"},
      {true, -60, true, u"2024/03/05 09:08:09.012  (01:00)"},  // summer offset, base suffix
      {true, 480, false, u"2024/03/04 23:08:09.012  (-08:00)"},
  };
  for (const Case& c : cases) {
    ctrl->Store().RemoveAll();
    ctrl->m_bLocalizeTimestamps = c.localize;
    zone.m_nBias = c.bias;
    zone.m_nDaylightBias = -60;
    zone.m_bDaylightNow = c.summer;
    Queue(5);
    ctrl->OnTimer(1);
    EXPECT_EQ(Cell(kFieldTimestamp, 0), String(c.text));
  }
}

TEST_F(IntakeTest, NewEventDateIsLocalToTheSecond) {
  // 2024-03-05 is day 45356 of the automation calendar.
  const double utc = 45356 + (7 * 3600 + 8 * 60 + 9) / 86400.0;
  zone.m_nBias = -60;
  Queue(5);
  ctrl->OnTimer(1);  // UTC text, local date nonetheless
  ASSERT_EQ(host.m_events.size(), 1u);
  EXPECT_EQ(host.m_events[0].args[0].type, VType::Date);
  EXPECT_NEAR(host.m_events[0].args[0].d, utc + 1 / 24.0, 1e-9);
  EXPECT_EQ(Cell(kFieldTimestamp, 0), u"2024/03/05 07:08:09.012  (UTC)");
}

TEST_F(IntakeTest, UnconvertibleTimeGetsPlaceholderAndZeroDate) {
  Queue(5, 1, u"m", 0x8000000000000000ULL);
  ctrl->OnTimer(1);
  ASSERT_EQ(Rows(), 1);
  EXPECT_EQ(Cell(kFieldTimestamp, 0), u"----/--/-- --:--:--.---  (UTC)");
  EXPECT_EQ(host.m_events[0].args[0].d, 0.0);
}

TEST_F(IntakeTest, SeverityTextAndShortArgument) {
  const uint32_t severities[] = {500, 70000, 0xFFFFFFFFu, 0x8000};
  const char16_t* texts[] = {u"500", u"70000", u"-1", u"32768"};
  const int16_t shorts[] = {500, 4464, -1, -32768};
  for (uint32_t s : severities) Queue(5, s);
  ctrl->OnTimer(1);
  ASSERT_EQ(host.m_events.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(Cell(kFieldSeverity, 3 - i), String(texts[i]));
    EXPECT_EQ(host.m_events[i].args[4].type, VType::I2);
    EXPECT_EQ(host.m_events[i].args[4].i, shorts[i]);
  }
}

TEST_F(IntakeTest, UnknownCategoryAndNullStrings) {
  Inside(Session()).m_arrCategoryId = {1};
  Inside(Session()).m_arrCategoryName = {u"one"};
  Queue({AEEventRecord{kSampleTime, nullptr, nullptr, 9, 1}});
  ctrl->OnTimer(1);
  ASSERT_EQ(Rows(), 1);
  EXPECT_EQ(Cell(kFieldCategory, 0), u"");
  EXPECT_EQ(Cell(kFieldSource, 0), u"");
}

TEST_F(IntakeTest, BusyLocksSkipTheTickButInvalidate) {
  Queue(5);
  std::mutex m;
  std::condition_variable cv;
  int step = 0;
  std::thread holder([&] {  // holds the store lock, as a long store operation would
    std::lock_guard<RecursiveTimedMutex> store(ctrl->StoreLock());
    std::unique_lock<std::mutex> l(m);
    step = 1;
    cv.notify_all();
    cv.wait(l, [&] { return step == 2; });
  });
  {
    std::unique_lock<std::mutex> l(m);
    cv.wait(l, [&] { return step == 1; });
  }
  int before = window.m_nInvalidations;
  ctrl->OnTimer(1);
  EXPECT_EQ(Rows(), 0);
  EXPECT_EQ(Inside(Session()).m_arrQueue.size() + Inside(Session()).m_arrTaken.size(), 1u);  // waits for the next tick
  EXPECT_EQ(window.m_nInvalidations, before + 1);
  {
    std::lock_guard<std::mutex> l(m);
    step = 2;
  }
  cv.notify_all();
  holder.join();

  Inside(ctrl->View()).m_bSizing = true;
  before = window.m_nInvalidations;
  ctrl->OnTimer(1);
  EXPECT_EQ(Rows(), 1);
  EXPECT_EQ(window.m_nInvalidations, before);  // a column drag is on: no repaint
}

TEST_F(IntakeTest, DrainDoesNotNestFromAPumpingHandler) {
  host.m_onEvent = [&](const RecordingHost::Event&) { ctrl->OnTimer(1); };
  Queue(5, 1, u"a");
  Queue(5, 2, u"b");
  ctrl->OnTimer(1);
  ASSERT_EQ(host.m_events.size(), 2u);
  EXPECT_EQ(Str(host.m_events[1].args[2]), u"b");
  EXPECT_EQ(Rows(), 2);
}

TEST_F(IntakeTest, WindowCreationStartsTheTimer) {
  EXPECT_EQ(ctrl->OnCreate(), 0);
  EXPECT_EQ(window.m_timers.at(1), 500u);
  ctrl->OnDestroy();
  EXPECT_EQ(window.m_timers.count(1), 0u);
}

}  // namespace
