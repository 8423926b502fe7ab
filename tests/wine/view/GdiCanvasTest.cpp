// GdiCanvas drawing into a 32-bit DIB section, checked pixel by pixel.
#include <gtest/gtest.h>
#include <windows.h>

#include "control/VelmaricAECtrl.h"
#include "framework/win32/GdiCanvas.h"
#include "tests/native/view/ViewPeer.h"

namespace {

constexpr int kW = 200, kH = 60;
constexpr COLORREF kWhite = RGB(255, 255, 255);

class DibTest : public ::testing::Test {
 protected:
  void SetUp() override {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = kW;
    bi.bmiHeader.biHeight = -kH;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    m_hdc = CreateCompatibleDC(nullptr);
    ASSERT_NE(m_hdc, nullptr);
    m_hBitmap = CreateDIBSection(m_hdc, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_bits), nullptr, 0);
    ASSERT_NE(m_hBitmap, nullptr);
    m_hOld = SelectObject(m_hdc, m_hBitmap);
    m_canvas = std::make_unique<GdiCanvas>(m_hdc, static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
    m_canvas->FillRect({0, 0, kW, kH}, kWhite);
  }
  void TearDown() override {
    m_canvas.reset();
    SelectObject(m_hdc, m_hOld);
    DeleteObject(m_hBitmap);
    DeleteDC(m_hdc);
  }
  // The pixel as a COLORREF (the DIB holds 0x00RRGGBB).
  COLORREF Pixel(int x, int y) {
    GdiFlush();
    uint32_t v = m_bits[y * kW + x];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
  }
  int DarkPixels(const Rect& r) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x)
        if (Pixel(x, y) != kWhite) ++n;
    return n;
  }

  HDC m_hdc = nullptr;
  HBITMAP m_hBitmap = nullptr;
  HGDIOBJ m_hOld = nullptr;
  uint32_t* m_bits = nullptr;
  std::unique_ptr<GdiCanvas> m_canvas;
};

TEST_F(DibTest, FillsAndFrames) {
  m_canvas->FillRect({10, 10, 30, 20}, RGB(255, 0, 0));
  EXPECT_EQ(Pixel(10, 10), RGB(255, 0, 0));
  EXPECT_EQ(Pixel(29, 19), RGB(255, 0, 0));
  EXPECT_EQ(Pixel(30, 19), kWhite);

  m_canvas->FillSolidRect({40, 10, 50, 20}, RGB(0, 0, 255));
  EXPECT_EQ(Pixel(45, 15), RGB(0, 0, 255));
  EXPECT_EQ(GetBkColor(m_hdc), RGB(0, 0, 255));  // left as the text background

  const COLORREF tl = RGB(0, 255, 0), br = RGB(128, 0, 128);
  m_canvas->Draw3dRect({60, 10, 80, 30}, tl, br);
  EXPECT_EQ(Pixel(60, 10), tl);
  EXPECT_EQ(Pixel(78, 10), tl);
  EXPECT_EQ(Pixel(79, 10), br);  // top-right corner belongs to the right line
  EXPECT_EQ(Pixel(60, 28), tl);
  EXPECT_EQ(Pixel(60, 29), br);  // bottom-left corner belongs to the bottom line
  EXPECT_EQ(Pixel(79, 29), br);
  EXPECT_EQ(Pixel(70, 20), kWhite);
  EXPECT_EQ(Pixel(80, 20), kWhite);
}

TEST_F(DibTest, InvertFlipsOnlyItsRectangle) {
  m_canvas->FillRect({0, 0, 20, 20}, RGB(0x12, 0x34, 0x56));
  m_canvas->InvertRect({5, 5, 15, 15});
  EXPECT_EQ(Pixel(5, 5), RGB(0xED, 0xCB, 0xA9));
  EXPECT_EQ(Pixel(14, 14), RGB(0xED, 0xCB, 0xA9));
  EXPECT_EQ(Pixel(15, 15), RGB(0x12, 0x34, 0x56));
  EXPECT_EQ(Pixel(4, 5), RGB(0x12, 0x34, 0x56));
}

TEST_F(DibTest, TextStaysInsideItsRectangle) {
  uintptr_t old = m_canvas->SelectControlFont();
  TextMetrics tm = m_canvas->GetTextMetrics();
  EXPECT_GT(tm.height, 0);
  EXPECT_GT(tm.aveCharWidth, 0);
  m_canvas->SetTextColor(RGB(0, 0, 0));
  m_canvas->SetBkMode(kBkTransparent);
  const Rect r{10, 20, 60, 40};
  m_canvas->DrawText(u"WWWWWWWWWWWWWWWWWWWWWWWW", r, kDtEndEllipsis);
  m_canvas->RestoreFont(old);
  EXPECT_GT(DarkPixels(r), 0);
  EXPECT_EQ(DarkPixels({0, 0, kW, r.top}), 0);
  EXPECT_EQ(DarkPixels({r.right, 0, kW, kH}), 0);
  EXPECT_EQ(DarkPixels({0, r.bottom, kW, kH}), 0);
  EXPECT_EQ(DarkPixels({0, 0, r.left, kH}), 0);
}

TEST_F(DibTest, MemoryCanvasIsCopiedBack) {
  std::unique_ptr<Canvas> memory = m_canvas->CreateMemoryCanvas();
  ASSERT_NE(memory, nullptr);
  ASSERT_TRUE(memory->SelectCompatibleBitmap(kW, kH));
  memory->FillRect({0, 0, kW, kH}, RGB(0, 0, 0));
  memory->FillRect({100, 10, 120, 30}, RGB(200, 100, 50));
  EXPECT_EQ(Pixel(110, 20), kWhite);  // nothing on the target yet
  m_canvas->CopyFrom(*memory, kW, kH);
  EXPECT_EQ(Pixel(110, 20), RGB(200, 100, 50));
  EXPECT_EQ(Pixel(0, 0), RGB(0, 0, 0));
}

TEST_F(DibTest, ControlPaintsHeaderAndRows) {
  CVelmaricAECtrl ctrl;
  ctrl.m_clrBackColorD = RGB(255, 255, 0);
  ctrl.Store().AddEvent(u"ts", u"src", u"msg", u"cat", u"500", 1);
  ctrl.OnDraw(*m_canvas, {0, 0, kW, kH}, {0, 0, kW, kH});
  ASSERT_GT(Inside(ctrl.View()).m_nRowHeight, 4);
  const int h = Inside(ctrl.View()).m_nRowHeight;
  EXPECT_EQ(Pixel(0, 0), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(Pixel(2, h / 2), GetSysColor(COLOR_BTNFACE));
  // The row band, and the two-pixel gap of the back colour above it.
  EXPECT_EQ(Pixel(kW - 1, h + 2 + 1), RGB(255, 255, 0));
  EXPECT_EQ(Pixel(kW - 1, h), GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(Pixel(kW - 1, h + 1), GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(Pixel(kW - 1, kH - 1), GetSysColor(COLOR_WINDOW));  // below the last row
}

}  // namespace
