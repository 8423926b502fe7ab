// The control's picture through IViewObject::Draw into a 32-bit DIB section:
// header band, severity-coloured row bands with back-colour gaps, the
// inverted find cell, and a drawing at a non-zero bounds origin. The empty
// control is drawn by the built OCX; rows need the store, which only the
// statically linked framework reaches.
#include <gtest/gtest.h>

#include <vector>

#include "control/VelmaricAECtrl.h"
#include "control/com/VelmaricAEClass.h"
#include "framework/win32/ComModule.h"
#include "framework/win32/OleControlObject.h"
#include "tests/wine/common/OcxModule.h"
#include "tests/wine/hosting/HostingSupport.h"
#include "tests/wine/hosting/TestSite.h"
#include "tests/native/view/ViewPeer.h"

namespace {

const OcxModule& Ocx() {
  static OcxModule* module = new OcxModule;  // stays until the process ends
  return *module;
}

const COLORREF kSentinel = RGB(255, 0, 255);
const COLORREF kBack = RGB(0x30, 0x20, 0x10);
// Row backgrounds of classes A to F, BackColorA..BackColorF (dispids 19..24).
const COLORREF kClassBack[6] = {RGB(0xC0, 0, 0), RGB(0, 0xC0, 0), RGB(0, 0, 0xC0),
                                RGB(0xC0, 0xC0, 0), RGB(0xC0, 0, 0xC0), RGB(0, 0xC0, 0xC0)};
// One severity per class under the default thresholds 1, 200, 400, 600, 800.
const char16_t* const kSeverity[6] = {u"1", u"150", u"350", u"550", u"700", u"900"};

HRESULT PutColor(IUnknown* unk, DISPID id, COLORREF c) {
  IDispatch* d = QueryAs<IDispatch>(unk, IID_IDispatch);
  if (!d) return E_NOINTERFACE;
  VARIANT v;
  V_VT(&v) = VT_I4;
  V_I4(&v) = static_cast<LONG>(c);
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS p = {&v, &named, 1, 1};
  HRESULT hr = d->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYPUT, &p, nullptr, nullptr, nullptr);
  d->Release();
  return hr;
}

RECT Band(int top, int bottom, int width) { return RECT{0, top, width, bottom}; }

struct OleScope {
  OleScope() { OleInitialize(nullptr); }
  ~OleScope() { OleUninitialize(); }
};

// ---- The empty control, drawn by the module itself.

TEST(DrawOcx, EmptyControlIsHeaderBandOverItsBackColor) {
  OleScope ole;
  ASSERT_TRUE(Ocx().Loaded());
  IUnknown* unk = nullptr;
  ASSERT_EQ(Ocx().Create(IID_IUnknown, &unk), S_OK);
  IPersistStreamInit* init = QueryAs<IPersistStreamInit>(unk, IID_IPersistStreamInit);
  ASSERT_NE(init, nullptr);
  ASSERT_EQ(init->InitNew(), S_OK);
  init->Release();
  ASSERT_EQ(PutColor(unk, DISPID_BACKCOLOR, kBack), S_OK);

  const int w = 400, h = 200;
  Dib dib(w, h);
  ASSERT_TRUE(dib.Ok());
  dib.Fill(kSentinel);

  // The row height is the control font's text height + 4, measured here on
  // the same font object the control paints with.
  IDispatch* d = QueryAs<IDispatch>(unk, IID_IDispatch);
  TEXTMETRICW tm = {};
  ASSERT_TRUE(ControlFontMetrics(d, tm));
  d->Release();
  const int rowHeight = tm.tmHeight + 4;
  ASSERT_GT(rowHeight, 4);

  ASSERT_EQ(DrawInto(unk, dib, RECTL{0, 0, w, h}), S_OK);

  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  const RECT header = Band(0, rowHeight, w);
  EXPECT_EQ(dib.Count(header, kBack), 0);
  EXPECT_EQ(dib.Count(header, kSentinel), 0);
  EXPECT_GT(dib.Count(header, face), w * rowHeight / 2) << "the header band is mostly button face";
  EXPECT_EQ(dib.CountNot(Band(rowHeight, h, w), kBack), 0) << "below the header only the back colour";
  dib.SaveBmp(L"hosted_empty.bmp");
  EXPECT_EQ(unk->Release(), 0u);
}

// ---- Rows, drawn by the framework linked into this program.

class DrawRows : public ::testing::Test {
 protected:
  void SetUp() override {
    OleInitialize(nullptr);
    ASSERT_EQ(OleControlObject::Create(kVelmaricAEClass, nullptr, IID_IUnknown, reinterpret_cast<void**>(&m_unk)),
              S_OK);
    IPersistStreamInit* init = QueryAs<IPersistStreamInit>(m_unk, IID_IPersistStreamInit);
    ASSERT_NE(init, nullptr);
    ASSERT_EQ(init->InitNew(), S_OK);
    init->Release();
    ASSERT_EQ(PutColor(m_unk, DISPID_BACKCOLOR, kBack), S_OK);
    for (int c = 0; c < 6; ++c) ASSERT_EQ(PutColor(m_unk, 19 + c, kClassBack[c]), S_OK);
    // Short texts: each cell's text sits at its column's left, the rest of
    // the cell shows the band.
    for (int c = 0; c < 6; ++c) Ctrl().Store().AddEvent(u"t", u"s", u"m", u"c", kSeverity[c], TRUE);
    ASSERT_EQ(Ctrl().Store().GetRowCount(), 6);
  }
  void TearDown() override {
    if (m_unk) {
      EXPECT_EQ(m_unk->Release(), 0u);
    }
    EXPECT_EQ(com_module::ObjectCount(), 0);
    OleUninitialize();
  }

  CVelmaricAECtrl& Ctrl() {
    return static_cast<CVelmaricAECtrl&>(static_cast<OleControlObject*>(static_cast<IDispatch*>(m_unk))->Control());
  }
  int ClassOfRow(int row) {
    String s = Ctrl().Store().GetCellText(kFieldSeverity, row);
    for (int c = 0; c < 6; ++c)
      if (s == kSeverity[c]) return c;
    return -1;
  }
  // Band of drawn row k: from (k + 1) * rowHeight + 2 up to (k + 2) * rowHeight.
  RECT RowBand(int k, int width) {
    const int rh = Inside(Ctrl().View()).m_nRowHeight;
    return Band((k + 1) * rh + 2, (k + 2) * rh, width);
  }
  RECT FindCell(int row, int field) {
    const Rect& col = Ctrl().Store().m_rcField[field];
    RECT band = RowBand(row - Inside(Ctrl().View()).m_nFirstRow, 0);
    return RECT{col.left + 6, band.top, col.right - 6, band.bottom};
  }
  // Pixels that differ between two pictures of one size, inside `inside` (or
  // outside it) compared to the plain or the inverted colour.
  static int Mismatches(const Dib& a, const Dib& b, const RECT& inside) {
    int n = 0;
    for (int y = 0; y < a.Height(); ++y)
      for (int x = 0; x < a.Width(); ++x) {
        POINT p = {x, y};
        COLORREF want = PtInRect(&inside, p) ? Invert(a.Pixel(x, y)) : a.Pixel(x, y);
        if (b.Pixel(x, y) != want) ++n;
      }
    return n;
  }

  IUnknown* m_unk = nullptr;
};

TEST_F(DrawRows, HeaderRowBandsInClassColoursGapsInBackColor) {
  const int w = 800, h = 300;
  Dib dib(w, h);
  ASSERT_TRUE(dib.Ok());
  dib.Fill(kSentinel);
  ASSERT_EQ(DrawInto(m_unk, dib, RECTL{0, 0, w, h}), S_OK);
  const int rh = Inside(Ctrl().View()).m_nRowHeight;
  ASSERT_GT(rh, 4);
  ASSERT_LT(7 * rh, h) << "all six rows fit";
  EXPECT_EQ(dib.Count(Band(0, h, w), kSentinel), 0) << "every pixel of the bounds is painted";

  // Header: button face, none of the list's colours.
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  const RECT header = Band(0, rh, w);
  EXPECT_GT(dib.Count(header, face), w * rh / 2);
  EXPECT_EQ(dib.Count(header, kBack), 0);
  for (COLORREF c : kClassBack) EXPECT_EQ(dib.Count(header, c), 0);
  // Inside the Message cell, past its label, top to bottom within the frames.
  const Rect& msg = Ctrl().Store().m_rcField[kFieldMessage];
  const int xMsg = (msg.left + msg.right) / 2;
  ASSERT_LT(xMsg, w);
  EXPECT_EQ(dib.CountNot(RECT{xMsg, 2, xMsg + 1, rh - 2}, face), 0);

  std::vector<bool> seen(6, false);
  for (int k = 0; k < 6; ++k) {
    const int cls = ClassOfRow(k);
    ASSERT_GE(cls, 0);
    seen[cls] = true;
    const COLORREF want = kClassBack[cls];
    const RECT band = RowBand(k, w);
    // The gap above the band is the back colour across the full width.
    EXPECT_EQ(dib.CountNot(Band(band.top - 2, band.top, w), kBack), 0) << "gap above row " << k;
    // No back colour inside the band; its texts are black on the band.
    EXPECT_EQ(dib.Count(band, kBack), 0) << "row " << k;
    EXPECT_GT(dib.Count(band, want), (band.right - band.left) * (band.bottom - band.top) * 9 / 10) << "row " << k;
    // Between the cells' texts the band shows through on every line.
    for (int f = kFieldTimestamp; f <= kFieldCategory; ++f) {
      const Rect& col = Ctrl().Store().m_rcField[f];
      const int x = (col.left + col.right) / 2;
      if (x >= w) continue;
      EXPECT_EQ(dib.CountNot(RECT{x, band.top, x + 1, band.bottom}, want), 0) << "row " << k << " field " << f;
    }
    EXPECT_EQ(dib.CountNot(RECT{0, band.top, 5, band.bottom}, want), 0) << "left of the rank text, row " << k;
  }
  for (int c = 0; c < 6; ++c) EXPECT_TRUE(seen[c]) << "class " << static_cast<char>('A' + c);
  EXPECT_EQ(dib.CountNot(Band(7 * rh, h, w), kBack), 0) << "below the last row";
}

TEST_F(DrawRows, FoundCellIsInvertedAndNothingElse) {
  const int w = 800, h = 300;
  Dib before(w, h), after(w, h);
  ASSERT_TRUE(before.Ok() && after.Ok());
  ASSERT_EQ(DrawInto(m_unk, before, RECTL{0, 0, w, h}), S_OK);

  // Display position 1 is the Timestamp column in the default order.
  Inside(Ctrl().View()).m_nFindRow = 2;
  Inside(Ctrl().View()).m_nFindColumn = 1;
  ASSERT_EQ(DrawInto(m_unk, after, RECTL{0, 0, w, h}), S_OK);
  RECT cell = FindCell(2, kFieldTimestamp);
  ASSERT_LT(cell.left, cell.right);
  EXPECT_EQ(Mismatches(before, after, cell), 0);
  const int cls = ClassOfRow(2);
  ASSERT_GE(cls, 0);
  EXPECT_GT(after.Count(cell, Invert(kClassBack[cls])), 0);
  EXPECT_TRUE(after.SaveBmp(L"hosted_draw.bmp"));

  // Position 1 names whatever column the order puts there: with 543210 it is
  // Category.
  IDispatch* d = QueryAs<IDispatch>(m_unk, IID_IDispatch);
  VARIANT v;
  V_VT(&v) = VT_BSTR;
  V_BSTR(&v) = SysAllocString(L"543210");
  ASSERT_EQ(PutProp(d, L"FieldOrder", v), S_OK);
  VariantClear(&v);
  d->Release();
  Inside(Ctrl().View()).m_nFindColumn = -1;
  Dib plain(w, h), found(w, h);
  ASSERT_EQ(DrawInto(m_unk, plain, RECTL{0, 0, w, h}), S_OK);
  Inside(Ctrl().View()).m_nFindColumn = 1;
  ASSERT_EQ(DrawInto(m_unk, found, RECTL{0, 0, w, h}), S_OK);
  cell = FindCell(2, kFieldCategory);
  ASSERT_LT(cell.left, w);
  EXPECT_EQ(Mismatches(plain, found, cell), 0);

  // Scrolled, the cell moves with its row, and is not drawn once the row is
  // scrolled off. The view is made lower than the six rows, so that the
  // scroll position is kept.
  const int rh = Inside(Ctrl().View()).m_nRowHeight;
  const int low = 4 * rh;
  for (int first : {1, 3}) {
    Inside(Ctrl().View()).m_nFirstRow = first;
    Dib scrolledPlain(w, low), scrolledFound(w, low);
    Inside(Ctrl().View()).m_nFindColumn = -1;
    ASSERT_EQ(DrawInto(m_unk, scrolledPlain, RECTL{0, 0, w, low}), S_OK);
    ASSERT_EQ(Inside(Ctrl().View()).m_nFirstRow, first);
    Inside(Ctrl().View()).m_nFindColumn = 1;
    ASSERT_EQ(DrawInto(m_unk, scrolledFound, RECTL{0, 0, w, low}), S_OK);
    const RECT none = {0, 0, 0, 0};
    EXPECT_EQ(Mismatches(scrolledPlain, scrolledFound, first <= 2 ? FindCell(2, kFieldCategory) : none), 0)
        << "first row " << first;
  }
}

TEST_F(DrawRows, PictureLandsInsideBoundsWithANonZeroOrigin) {
  Dib atOrigin(400, 200);
  ASSERT_TRUE(atOrigin.Ok());
  ASSERT_EQ(DrawInto(m_unk, atOrigin, RECTL{0, 0, 400, 200}), S_OK);

  Dib dib(500, 300);
  ASSERT_TRUE(dib.Ok());
  dib.Fill(kSentinel);
  const RECT bounds = {50, 40, 450, 240};
  ASSERT_EQ(DrawInto(m_unk, dib, RECTL{bounds.left, bounds.top, bounds.right, bounds.bottom}), S_OK);

  int outsideTouched = 0, insideWrong = 0;
  for (int y = 0; y < dib.Height(); ++y)
    for (int x = 0; x < dib.Width(); ++x) {
      POINT p = {x, y};
      if (!PtInRect(&bounds, p)) {
        outsideTouched += dib.Pixel(x, y) != kSentinel;
      } else {
        insideWrong += dib.Pixel(x, y) != atOrigin.Pixel(x - bounds.left, y - bounds.top);
      }
    }
  EXPECT_EQ(outsideTouched, 0) << "pixels drawn outside the bounds";
  EXPECT_EQ(insideWrong, 0) << "pixels that differ from the same picture drawn at (0, 0)";
  // The context's origin is as the container left it.
  POINT org = {};
  GetViewportOrgEx(dib.Dc(), &org);
  EXPECT_EQ(org.x, 0);
  EXPECT_EQ(org.y, 0);
}

}  // namespace

// ---- The real window's scroll bars, with rows added to the store directly.

class WindowScrolling : public DrawRows {
 protected:
  void SetUp() override {
    DrawRows::SetUp();
    for (int k = 0; k < 94; ++k) Ctrl().Store().AddEvent(u"t", u"s", u"m", u"c", u"500", TRUE);
    m_form = CreateFormWindow(600, 300);
    ASSERT_NE(m_form, nullptr);
    m_site = new TestSite(m_form, RECT{0, 0, 600, 300});
    IOleObject* ole = QueryAs<IOleObject>(m_unk, IID_IOleObject);
    ASSERT_NE(ole, nullptr);
    ASSERT_EQ(ole->SetClientSite(m_site), S_OK);
    RECT pos = {0, 0, 600, 300};
    ASSERT_EQ(ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, m_site, 0, m_form, &pos), S_OK);
    ole->Release();
    IOleWindow* w = QueryAs<IOleWindow>(m_unk, IID_IOleWindow);
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(w->GetWindow(&m_hwnd), S_OK);
    w->Release();
    // The paint sets the bars up; showing them changes the client area, which
    // the next paint takes.
    for (int k = 0; k < 2; ++k) {
      InvalidateRect(m_hwnd, nullptr, TRUE);
      UpdateWindow(m_hwnd);
    }
  }
  void TearDown() override {
    IOleObject* ole = QueryAs<IOleObject>(m_unk, IID_IOleObject);
    if (ole) {
      ole->Close(OLECLOSE_NOSAVE);
      ole->SetClientSite(nullptr);
      ole->Release();
    }
    if (m_site) m_site->Release();
    if (m_form) DestroyWindow(m_form);
    DrawRows::TearDown();
  }
  int VisibleRows() { return Ctrl().View().VisibleRows(); }
  HWND m_form = nullptr;
  HWND m_hwnd = nullptr;
  TestSite* m_site = nullptr;
};

TEST_F(WindowScrolling, BarsFollowTheRowsAndTheScrollMessages) {
  ASSERT_GT(Inside(Ctrl().View()).m_nRowHeight, 0);
  int min = -1, max = -1;
  GetScrollRange(m_hwnd, SB_VERT, &min, &max);
  EXPECT_EQ(min, 0);
  EXPECT_EQ(max, 100 - VisibleRows());
  // The list (1266 pixels at the default widths) is wider than the window.
  GetScrollRange(m_hwnd, SB_HORZ, &min, &max);
  EXPECT_GT(max, 0);

  SendMessageW(m_hwnd, WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(Inside(Ctrl().View()).m_nFirstRow, 1);
  EXPECT_EQ(GetScrollPos(m_hwnd, SB_VERT), 1);
  SendMessageW(m_hwnd, WM_VSCROLL, SB_PAGEDOWN, 0);
  EXPECT_EQ(Inside(Ctrl().View()).m_nFirstRow, 1 + VisibleRows());
  SendMessageW(m_hwnd, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 1000), 0);
  EXPECT_EQ(Inside(Ctrl().View()).m_nFirstRow, 100 - VisibleRows());  // clamped to the range
  EXPECT_EQ(GetScrollPos(m_hwnd, SB_VERT), 100 - VisibleRows());
  SendMessageW(m_hwnd, WM_HSCROLL, SB_LINERIGHT, 0);
  EXPECT_EQ(Inside(Ctrl().View()).m_nHScrollPos, Inside(Ctrl().View()).m_nCharWidth);
  EXPECT_EQ(GetScrollPos(m_hwnd, SB_HORZ), Inside(Ctrl().View()).m_nCharWidth);

  // After Clear All the next paint hides the vertical bar and goes back to the top.
  Ctrl().Store().RemoveAll();
  InvalidateRect(m_hwnd, nullptr, TRUE);
  UpdateWindow(m_hwnd);
  EXPECT_EQ(Inside(Ctrl().View()).m_nFirstRow, 0);
  SCROLLBARINFO sbi = {};
  sbi.cbSize = sizeof sbi;
  GetScrollBarInfo(m_hwnd, OBJID_VSCROLL, &sbi);
  EXPECT_TRUE(sbi.rgstate[0] & STATE_SYSTEM_INVISIBLE);
}
