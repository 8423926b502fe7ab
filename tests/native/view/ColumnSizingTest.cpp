#include "OperatorFixture.h"
#include "tests/native/view/ViewPeer.h"

namespace {

constexpr int kHtClient = 1;

class SizingTest : public OperatorTest {
 protected:
  // WM_SETCURSOR with the pointer at a client point.
  intptr_t CursorAt(int32_t x, int32_t y) {
    m_ui.m_cursorPos = Point{x + 100, y + 50};
    m_ui.m_cursors.clear();
    return Send(kWmSetCursor, m_wnd.m_hwnd, MakePointLParam(Point{kHtClient, static_cast<int32_t>(kWmMouseMove)}));
  }
  bool ShowsSizing() const {
    return m_ui.m_cursors.size() == 1 && m_ui.m_cursors[0] == HeadlessUi::Module(IDC_SIZE_COLUMN);
  }
  bool ShowsArrow() const {
    return m_ui.m_cursors.size() == 1 && m_ui.m_cursors[0] == HeadlessUi::System(SystemCursor::Arrow);
  }
  int DefaultsOf(uint32_t msg) const {
    int n = 0;
    for (const auto& c : m_wnd.m_defaultCalls) n += c.msg == msg;
    return n;
  }
  // Queues the drag's mouse messages at view x positions (y 10).
  void Move(int32_t x) { m_ui.Post(kWmMouseMove, 1, At(x, 10)); }
  void Release(int32_t x) { m_ui.Post(kWmLButtonUp, 0, At(x, 10)); }
  void Press(int32_t x, int32_t y = 10) { Send(kWmLButtonDown, 1, At(x, y)); }
  std::vector<int32_t> LineXs() const {
    std::vector<int32_t> xs;
    for (const Rect& r : m_wnd.m_inverted) {
      EXPECT_EQ(r.Width(), 1);
      EXPECT_EQ(r.top, 0);
      EXPECT_EQ(r.bottom, 200);
      xs.push_back(r.left);
    }
    return xs;
  }
  int16_t Width(int f) { return *m_ctrl.FieldWidthProperties()[static_cast<size_t>(f)]; }
};

TEST_F(SizingTest, TheSizingCursorCatchesABorderThreePixelsEitherSide) {
  Paint();
  for (int32_t x : {53, 56, 59, 334, 340}) {
    SCOPED_TRACE(x);
    EXPECT_EQ(CursorAt(x, 10), 1);
    EXPECT_TRUE(ShowsSizing());
  }
  for (int32_t x : {52, 60, 200}) {
    SCOPED_TRACE(x);
    EXPECT_EQ(CursorAt(x, 10), 1);
    EXPECT_TRUE(ShowsArrow());
  }
  // The header row ends at the row height inclusive.
  EXPECT_EQ(CursorAt(56, 20), 1);
  EXPECT_TRUE(ShowsSizing());
  CursorAt(56, 21);
  EXPECT_TRUE(ShowsArrow());
  // Scrolled: the border is found in list coordinates.
  Inside(m_ctrl.View()).m_nHScrollPos = 300;
  CursorAt(37, 10);  // Timestamp's right edge, 337
  EXPECT_TRUE(ShowsSizing());
  EXPECT_EQ(DefaultsOf(kWmSetCursor), 0);
}

TEST_F(SizingTest, BusyWaitsEverywhereAndOutsideTheBoundsIsLeftToTheDefault) {
  Paint();
  m_wnd.m_defaultResult = 1;
  Inside(m_ctrl.View()).m_bBusy = true;
  EXPECT_EQ(CursorAt(56, 10), 1);
  ASSERT_EQ(m_ui.m_cursors.size(), 1u);
  EXPECT_TRUE(m_ui.m_cursors[0] == HeadlessUi::System(SystemCursor::Wait));
  ASSERT_EQ(DefaultsOf(kWmSetCursor), 1);
  Inside(m_ctrl.View()).m_bBusy = false;

  // Over the scroll bars: past the bounds, nothing set, the default decides.
  m_wnd.m_defaultResult = 0;
  EXPECT_EQ(CursorAt(400, 100), 0);
  EXPECT_TRUE(m_ui.m_cursors.empty());
  EXPECT_EQ(DefaultsOf(kWmSetCursor), 2);
  const auto& call = m_wnd.m_defaultCalls.back();
  EXPECT_EQ(call.wParam, m_wnd.m_hwnd);
  EXPECT_EQ(call.lParam, MakePointLParam(Point{kHtClient, static_cast<int32_t>(kWmMouseMove)}));
}

TEST_F(SizingTest, DisabledSizingShowsTheArrowAndStartsNoDrag) {
  Paint();
  m_ctrl.m_bDisableColumnSizing = 1;
  CursorAt(56, 10);
  EXPECT_TRUE(ShowsArrow());
  Press(56);
  EXPECT_TRUE(m_ui.m_clips.empty());
  EXPECT_FALSE(m_wnd.m_bCapture);
  EXPECT_EQ(DefaultsOf(kWmLButtonDown), 1) << "the click still goes to the standard handling";
}

TEST_F(SizingTest, BeforeTheFirstPaintThereIsNoBorderToHit) {
  EXPECT_EQ(CursorAt(0, 0), 0);
  EXPECT_TRUE(m_ui.m_cursors.empty());
  Press(0, 0);
  EXPECT_TRUE(m_ui.m_clips.empty());
  EXPECT_EQ(DefaultsOf(kWmLButtonDown), 1);
}

TEST_F(SizingTest, ADragResizesTheColumnAndWritesTheWidthsQuietly) {
  Paint();
  m_ctrl.m_nField4Width = 99;  // written after the paint: the layout still has 32
  m_ctrl.SetModifiedFlag(false);
  bool sizingDuring = false, captured = false;
  int invalidationsDuring = -1;
  Move(200);
  m_ui.Then([&] {
    sizingDuring = Inside(m_ctrl.View()).m_bSizing;
    captured = m_wnd.m_bCapture;
    invalidationsDuring = m_wnd.m_nInvalidations;
  });
  m_ui.Post(kWmTimer, 1);  // the intake keeps running, without its repaint
  m_ui.Then([&] { invalidationsDuring = m_wnd.m_nInvalidations - invalidationsDuring; });
  Release(210);
  Press(337);

  EXPECT_TRUE(sizingDuring);
  EXPECT_TRUE(captured);
  EXPECT_EQ(invalidationsDuring, 0);
  // Clip: at the click's height, from 6 px right of the column's left edge
  // to the control's right edge, on the screen.
  ASSERT_EQ(m_ui.m_clips.size(), 2u);
  ASSERT_TRUE(m_ui.m_clips[0].has_value());
  EXPECT_EQ(*m_ui.m_clips[0], (Rect{57 + 6 + 100, 60, 400 + 100, 60}));
  EXPECT_FALSE(m_ui.m_clips[1].has_value());
  EXPECT_EQ(LineXs(), (std::vector<int32_t>{337, 337, 200, 200}));

  EXPECT_FALSE(Inside(m_ctrl.View()).m_bSizing);
  EXPECT_FALSE(m_wnd.m_bCapture);
  EXPECT_EQ(m_wnd.m_nClientDcs, 0);
  EXPECT_EQ(Width(1), (210 - 57) / 7);
  EXPECT_EQ(Width(4), 32) << "all six are written from the layout";
  EXPECT_EQ(Width(0), 8);
  EXPECT_FALSE(m_ctrl.IsModified());
  EXPECT_TRUE(m_host.m_changed.empty());
  // Only the timer was dispatched; then the click went on to the standard handling.
  ASSERT_EQ(m_ui.m_dispatched.size(), 1u);
  EXPECT_EQ(m_ui.m_dispatched[0].message, kWmTimer);
  ASSERT_EQ(DefaultsOf(kWmLButtonDown), 1);
  EXPECT_EQ(m_wnd.m_defaultCalls.back().wParam, 1u);
  EXPECT_EQ(m_wnd.m_defaultCalls.back().lParam, At(337, 10));
  EXPECT_FALSE(m_ui.m_bQueueRanDry);
}

TEST_F(SizingTest, AScrolledListMeasuresFromTheDrawnLeftEdge) {
  Paint();
  Inside(m_ctrl.View()).m_nHScrollPos = 300;  // Source [338,618] is drawn at [38,318]
  Release(100);
  Press(318);
  ASSERT_EQ(m_ui.m_clips.size(), 2u);
  EXPECT_EQ(*m_ui.m_clips[0], (Rect{38 + 6 + 100, 60, 500, 60}));
  EXPECT_EQ(Width(2), (100 + 300 - 338) / 7);
}

TEST_F(SizingTest, LeftmostReleaseAndAnUnchangedWidth) {
  Paint();
  const int inval = m_wnd.m_nInvalidations;
  Release(337);  // where it started: the same width, still written and repainted
  Press(337);
  EXPECT_EQ(Width(1), 40);
  EXPECT_GT(m_wnd.m_nInvalidations, inval);

  Release(57 + 6);  // the clip's left end: 6 px / 7 is 0
  Press(337);
  EXPECT_EQ(Width(1), 0);
}

TEST_F(SizingTest, OtherButtonsOnlyMoveTheLine) {
  Paint();
  m_ui.Post(kWmRButtonDown, 2, At(150, 10));
  m_ui.Post(0x0205, 0, At(155, 10));  // WM_RBUTTONUP
  Release(160);
  Press(337);
  EXPECT_EQ(LineXs(), (std::vector<int32_t>{337, 337, 150, 150, 155, 155}));
  EXPECT_TRUE(m_ui.m_dispatched.empty());
  EXPECT_EQ(Width(1), (160 - 57) / 7);
}

TEST_F(SizingTest, LosingTheCaptureKeepsTheLastLine) {
  Paint();
  Move(250);
  m_ui.Then([&] { m_wnd.m_bCapture = false; });
  m_ui.Post(kWmCaptureChanged);
  Press(337);
  EXPECT_EQ(LineXs(), (std::vector<int32_t>{337, 337, 250, 250}));
  EXPECT_EQ(Width(1), (250 - 57) / 7);
  EXPECT_FALSE(m_ui.m_clips.back().has_value());
  EXPECT_EQ(m_wnd.m_nClientDcs, 0);
  EXPECT_FALSE(Inside(m_ctrl.View()).m_bSizing);
}

TEST_F(SizingTest, TheWindowDestroyedDuringTheDragEndsItCleanly) {
  Paint();
  Move(250);
  m_ui.Then([&] {
    m_ctrl.OnDestroy();
    m_wnd.m_bIsWindow = false;
    m_wnd.m_bCapture = false;
    m_ctrl.AttachWindow(nullptr);
  });
  m_ui.Post(0x0082);  // WM_NCDESTROY
  Press(337);
  EXPECT_EQ(Width(1), (250 - 57) / 7);
  EXPECT_FALSE(m_ui.m_clips.back().has_value());
  EXPECT_EQ(m_wnd.m_nClientDcs, 0);
  EXPECT_FALSE(Inside(m_ctrl.View()).m_bSizing);
  EXPECT_GT(m_host.m_nInvalidations, 0) << "without a window the container repaints";
}

TEST_F(SizingTest, QuitEndsTheDragAndIsPutBack) {
  Paint();
  Move(250);
  m_ui.Post(kWmQuit, 7);
  Press(337);
  ASSERT_EQ(m_ui.m_quitPosted.size(), 1u);
  EXPECT_EQ(m_ui.m_quitPosted[0], 7);
  EXPECT_EQ(Width(1), (250 - 57) / 7);
  EXPECT_EQ(LineXs(), (std::vector<int32_t>{337, 337, 250, 250}));
}

TEST_F(SizingTest, TwoBordersInReachGoToTheLowerField) {
  m_ctrl.m_strFieldOrder = u"102345";
  m_ctrl.m_nField0Width = 0;
  m_ctrl.m_nField1Width = 0;
  Paint();  // Timestamp [0,0], Rank [1,1]
  Release(30);
  Press(1);
  EXPECT_EQ(Width(0), (30 - 1) / 7);
  EXPECT_EQ(Width(1), 0);
}

}  // namespace
