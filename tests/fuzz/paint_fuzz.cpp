// Painting and layout on the recording canvas with any property values
// (widths negative and huge, any FieldOrder, any severity bounds, colours
// including system-colour references beyond the table), any cell texts, any
// font metrics and bounds, scrolled anywhere by scroll messages. Every paint
// is checked operation by operation against the list painting rules: the
// layout, the header cells, one band per visible row in its severity class's
// colours, six inset cell texts per row, the find mark, the scroll bars and
// the off-screen copy.
#include <cstdlib>
#include <string>

#include "framework/MessageMap.h"
#include "framework/headless/RecordingCanvas.h"
#include "tests/fuzz/FuzzControl.h"
#include "tests/native/view/ViewPeer.h"

using namespace fuzz;

namespace {

using Op = RecordingCanvas::Op;
using OpKind = RecordingCanvas::OpKind;

int32_t Clamp32(int64_t v) {
  return static_cast<int32_t>(v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : v);
}

// A severity text read as wcstol reads it with a 32-bit long: C-locale white
// space, a sign, digits; clamped to the 32-bit range; 0 without a number.
int32_t SeverityOf(const String& text) {
  std::string narrow;
  for (char16_t ch : text) {
    if (ch == 0) break;
    narrow.push_back(ch < 0x80 ? static_cast<char>(ch) : '\x01');
  }
  return Clamp32(std::strtoll(narrow.c_str(), nullptr, 10));
}

String Doubled(const String& s) {
  String out;
  for (char16_t ch : s) {
    out += ch;
    if (ch == u'&') out += u'&';
  }
  return out;
}

struct Expected {
  std::vector<Op> ops;
  void Add(OpKind kind, Rect r, ColorRef color = 0, ColorRef color2 = 0) {
    Op op;
    op.kind = kind;
    op.rect = r;
    op.color = color;
    op.color2 = color2;
    ops.push_back(op);
  }
  void Text(const String& text, Rect r, ColorRef textColor, int bkMode) {
    Add(OpKind::DrawText, r);
    ops.back().text = text;
    ops.back().textColor = textColor;
    ops.back().bkMode = bkMode;
  }
};

// What reaches the context: coordinates beyond 32 bits stop at its ends.
Rect R(int64_t l, int64_t t, int64_t r, int64_t b) { return Rect{Clamp32(l), Clamp32(t), Clamp32(r), Clamp32(b)}; }

class PaintCheck {
 public:
  PaintCheck(CVelmaricAECtrl& c, RecordingCanvas& dc) : m_c(c), m_dc(dc) {}

  ColorRef Sys(int index) {
    auto it = m_dc.Settings().sysColors.find(index);
    return it == m_dc.Settings().sysColors.end() ? 0 : it->second;
  }
  ColorRef Translate(OleColor c) { return (c >> 24) == 0x80 ? Sys(static_cast<int>(c & 0xFF)) : c & 0x00FFFFFF; }

  // The display order FieldOrder names, or 0..5 when it names no permutation.
  std::array<int32_t, kFieldCount> Order() {
    std::array<int32_t, kFieldCount> order{0, 1, 2, 3, 4, 5};
    const String& text = m_c.m_strFieldOrder;
    if (text.size() != kFieldCount) return order;
    bool seen[kFieldCount] = {};
    for (int p = 0; p < kFieldCount; ++p) {
      const int d = text[p] - u'0';
      if (d < 0 || d >= kFieldCount || seen[d]) return {0, 1, 2, 3, 4, 5};
      seen[d] = true;
      order[p] = d;
    }
    return order;
  }

  void Colours(int32_t severity, ColorRef& text, ColorRef& back) {
    const CVelmaricAECtrl& c = m_c;
    OleColor t, b;
    if (severity <= c.m_nSeverityA) t = c.m_clrTextColorA, b = c.m_clrBackColorA;
    else if (severity <= c.m_nSeverityB) t = c.m_clrTextColorB, b = c.m_clrBackColorB;
    else if (severity <= c.m_nSeverityC) t = c.m_clrTextColorC, b = c.m_clrBackColorC;
    else if (severity <= c.m_nSeverityD) t = c.m_clrTextColorD, b = c.m_clrBackColorD;
    else if (severity < c.m_nSeverityE) t = c.m_clrTextColorE, b = c.m_clrBackColorE;
    else t = c.m_clrTextColorF, b = c.m_clrBackColorF;
    text = Translate(t);
    back = Translate(b);
  }

  void HeaderCell(Expected& e, int64_t left, int64_t right, int64_t rh, int64_t hs, const String& label) {
    if (left > right) return;
    int64_t l = left - hs, t = 0, r = right - hs, b = rh;
    e.Add(OpKind::Draw3dRect, R(l, t, r, b), Sys(kColorBtnHighlight), Sys(kColorWindowFrame));
    ++l, ++t, --r, --b;
    if (l > r) return;
    e.Add(OpKind::Draw3dRect, R(l, t, r, b), Sys(kColorBtnFace), Sys(kColorBtnShadow));
    ++l, ++t, --r, --b;
    if (l > r) return;
    e.Add(OpKind::FillSolidRect, R(l, t, r, b), Sys(kColorBtnFace));
    l += 4, r -= 4, b = rh;
    if (l > r) return;
    e.Text(Doubled(label), R(l, t, r, b), Sys(kColorBtnText), kBkOpaque);
  }

  // Checks one paint of `bounds` that drew (non-empty invalid rectangle,
  // positive row height).
  void Run(const Rect& bounds, bool memoryFailed, bool bitmapFailed) {
    CVelmaricAECtrl& c = m_c;
    const RecordingCanvas::Config& cfg = m_dc.Settings();
    const int64_t rh = static_cast<int64_t>(cfg.textHeight) + 4;
    const int64_t cw = cfg.charWidth;
    FUZZ_CHECK(Inside(c.View()).m_nRowHeight == rh);
    FUZZ_CHECK(Inside(c.View()).m_nCharWidth == cw);
    FUZZ_CHECK(Inside(c.View()).m_rcBounds == bounds);
    FUZZ_CHECK(c.View().IsLaidOut() == (cw > 0));

    // Layout: the columns side by side in display order, one pixel apart,
    // each its width in characters wide, clamped to 32 bits.
    const EventList& store = c.Store();
    const std::array<int32_t, kFieldCount> order = Order();
    const std::array<int16_t*, kFieldCount> widths = c.FieldWidthProperties();
    int64_t x = 0;
    for (int p = 0; p < kFieldCount; ++p) {
      const int32_t f = order[p];
      FUZZ_CHECK(store.m_nFieldOrder[p] == f);
      FUZZ_CHECK(store.m_nFieldWidth[f] == *widths[f]);
      const Rect& rc = store.m_rcField[f];
      FUZZ_CHECK(rc.left == Clamp32(x));
      FUZZ_CHECK(rc.right == Clamp32(x + cw * *widths[f]));
      FUZZ_CHECK(rc.top == 0 && rc.bottom == rh);
      x = static_cast<int64_t>(rc.right) + 1;
    }
    FUZZ_CHECK(store.m_nTotalWidth == Clamp32(x));

    // Scroll bars, set on every pass that has an off-screen context.
    const int32_t rows = store.GetRowCount();
    const int64_t visible = std::max<int64_t>((static_cast<int64_t>(bounds.bottom) - bounds.top - rh) / rh, 0);
    FUZZ_CHECK(c.View().VisibleRows() == visible);
    const bool barsSet = !memoryFailed;
    HeadlessWindow& w = static_cast<HeadlessWindow&>(c.Window());
    if (barsSet) {
      const bool horz = store.m_nTotalWidth > bounds.right;
      FUZZ_CHECK(w.m_bars[kSbHorz].visible == horz);
      if (horz) {
        FUZZ_CHECK(w.m_bars[kSbHorz].min == 0);
        FUZZ_CHECK(w.m_bars[kSbHorz].max == Clamp32(static_cast<int64_t>(store.m_nTotalWidth) - bounds.right));
      } else {
        FUZZ_CHECK(Inside(c.View()).m_nHScrollPos == 0 && w.m_bars[kSbHorz].pos == 0);
      }
      const bool vert = rows > visible;
      FUZZ_CHECK(w.m_bars[kSbVert].visible == vert);
      if (vert) {
        FUZZ_CHECK(w.m_bars[kSbVert].min == 0 && w.m_bars[kSbVert].max == rows - visible);
      } else {
        FUZZ_CHECK(Inside(c.View()).m_nFirstRow == 0);
      }
    }

    // The drawing, in order.
    const int64_t hs = Inside(c.View()).m_nHScrollPos;
    Expected e;
    e.Add(OpKind::FillRect, bounds, Translate(c.GetBackColor()));
    const int64_t right = Clamp32(static_cast<int64_t>(bounds.right) + hs + 2);
    e.Add(OpKind::FillRect, R(bounds.left, 0, right, rh), Sys(kColorBtnFace));
    for (int f = 0; f < kFieldCount; ++f)
      HeaderCell(e, store.m_rcField[f].left, store.m_rcField[f].right, rh, hs, kFieldLabels[f]);
    HeaderCell(e, store.m_nTotalWidth, right, rh, hs, String());

    const int32_t first = Inside(c.View()).m_nFirstRow;
    const int32_t findField =
        Inside(c.View()).m_nFindColumn >= 0 && Inside(c.View()).m_nFindColumn < kFieldCount ? order[Inside(c.View()).m_nFindColumn] : -1;
    int drawnRows = 0;
    for (int64_t row = first < 0 ? 0 : first; row < rows; ++row) {
      const int64_t top = (row - first + 1) * rh + 2;
      if (top > bounds.bottom) break;
      ++drawnRows;
      const int64_t bottom = top + rh - 2;
      ColorRef text = 0, back = 0;
      Colours(SeverityOf(store.GetCellText(kFieldSeverity, static_cast<int32_t>(row))), text, back);
      e.Add(OpKind::FillRect, R(bounds.left, top, bounds.right - hs, bottom), back);
      for (int f = 0; f < kFieldCount; ++f) {
        const Rect& col = store.m_rcField[f];
        const Rect cell = R(col.left - hs + 6, top, col.right - hs - 6, bottom);
        e.Text(Doubled(store.GetCellText(f, static_cast<int32_t>(row))), cell, text, kBkTransparent);
        if (row == Inside(c.View()).m_nFindRow && f == findField) e.Add(OpKind::InvertRect, cell);
      }
    }
    // The loop costs the visible rows only (rows are drawn from y = 0, so
    // for a view whose top is not 0 they are counted from there).
    FUZZ_CHECK(drawnRows <= std::max<int64_t>((static_cast<int64_t>(bounds.bottom) - rh) / rh, 0) + 1);

    const int layer = memoryFailed || bitmapFailed ? 0 : 1;
    std::vector<Op> got;
    for (const Op& op : m_dc.Ops())
      if (op.layer == layer && op.kind != OpKind::SelectBitmap && op.kind != OpKind::CopyFrom) got.push_back(op);
    if (got.size() != e.ops.size())
      std::fprintf(stderr, "paint: %zu operations, expected %zu\n", got.size(), e.ops.size());
    FUZZ_CHECK(got.size() == e.ops.size());
    for (size_t k = 0; k < got.size(); ++k) {
      const Op& g = got[k];
      const Op& x2 = e.ops[k];
      if (g.kind != x2.kind || g.rect != x2.rect)
        std::fprintf(stderr, "paint: operation %zu: kind %d rect (%d,%d,%d,%d), expected kind %d rect (%d,%d,%d,%d)\n",
                     k, static_cast<int>(g.kind), g.rect.left, g.rect.top, g.rect.right, g.rect.bottom,
                     static_cast<int>(x2.kind), x2.rect.left, x2.rect.top, x2.rect.right, x2.rect.bottom);
      FUZZ_CHECK(g.kind == x2.kind);
      FUZZ_CHECK(g.rect == x2.rect);
      FUZZ_CHECK(g.controlFont);
      switch (g.kind) {
        case OpKind::FillRect:
        case OpKind::FillSolidRect: FUZZ_CHECK(g.color == x2.color); break;
        case OpKind::Draw3dRect: FUZZ_CHECK(g.color == x2.color && g.color2 == x2.color2); break;
        case OpKind::DrawText:
          FUZZ_CHECK(g.text == x2.text);
          FUZZ_CHECK(g.format == kDtEndEllipsis);
          FUZZ_CHECK(g.textColor == x2.textColor);
          FUZZ_CHECK(g.bkMode == x2.bkMode);
          if (x2.bkMode == kBkOpaque) FUZZ_CHECK(g.bkColor == Sys(kColorBtnFace));
          break;
        default: break;
      }
    }

    // The off-screen bitmap is the bounds' size and is copied in one step.
    const std::vector<Op> bitmaps = m_dc.OpsOf(OpKind::SelectBitmap);
    const std::vector<Op> copies = m_dc.OpsOf(OpKind::CopyFrom);
    if (layer == 1) {
      FUZZ_CHECK(bitmaps.size() == 1 && copies.size() == 1);
      FUZZ_CHECK(bitmaps[0].rect == (Rect{0, 0, bounds.right, bounds.bottom}));
      FUZZ_CHECK(copies[0].rect == bitmaps[0].rect && copies[0].layer == 0);
      FUZZ_CHECK(m_dc.Ops().back().kind == OpKind::CopyFrom);
    } else {
      FUZZ_CHECK(bitmaps.empty() && copies.empty());
    }
    FUZZ_CHECK(m_dc.MemoryCanvasesAlive() == 0);
  }

 private:
  CVelmaricAECtrl& m_c;
  RecordingCanvas& m_dc;
};

void SetSomeProperties(CVelmaricAECtrl& c, Input& in) {
  for (const DispEntry& e : c.GetDispatchTable()) {
    if (e.isMethod || !in.Bool()) continue;
    if (e.type == VType::BStr)
      e.put(c, Value::Str(AnyFieldOrder(in)));
    else
      PutProperty(c, e, in);
  }
  if (in.Bool()) c.SetBackColor(in.Colour());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FuzzControl control;
  Input in(data, size);
  CVelmaricAECtrl& c = control.Reset();
  control.Activate(Rect{0, 0, 400, 200}, Point{0, 0});

  SetSomeProperties(c, in);
  const int rows = in.Int(0, 64);
  for (int k = 0; k < rows && !in.Empty(); ++k)
    c.Store().AddEvent(in.Word(), in.Word(), in.Word(), in.Word(), in.Word(), in.Bool());

  // Font metrics up to those of a very large font.
  const int32_t charWidth = in.Bool() ? in.Int(0, 16) : in.Int(0, 32767);
  const int32_t textHeight = in.Bool() ? in.Int(-6, 30) : in.Int(-6, 32767);

  const int steps = in.Int(1, 6);
  for (int s = 0; s < steps && !in.Empty(); ++s) {
    switch (in.Pick(4)) {
      case 0:  // the user scrolls: any code, any 16-bit thumb position
        control.Send(in.Bool() ? kWmHScroll : kWmVScroll,
                     static_cast<uintptr_t>(in.Int(0, 9)) | (static_cast<uintptr_t>(in.Any<uint16_t>()) << 16));
        continue;
      case 1:  // a find hit, or a stale one
        Inside(c.View()).m_nFindRow = in.Int(-1, rows + 1);
        Inside(c.View()).m_nFindColumn = in.Int(-1, kFieldCount);
        continue;
      case 2:
        SetSomeProperties(c, in);
        continue;
      default: break;
    }
    RecordingCanvas dc;
    RecordingCanvas::Config& cfg = dc.Settings();
    cfg.charWidth = charWidth;
    cfg.textHeight = textHeight;
    cfg.failMemoryContext = in.Pick(16) == 0;
    cfg.failBitmap = in.Pick(16) == 0;
    for (int k = 0; k < 3 && in.Bool(); ++k) cfg.sysColors[in.Int(0, 40)] = in.Any<uint32_t>() & 0x00FFFFFFu;
    if (in.Bool()) cfg.sysColors.erase(in.Pick(2) ? kColorBtnFace : kColorWindowFrame);

    Rect bounds{0, 0, in.Int(0, 40000), in.Int(0, 40000)};
    if (in.Pick(8) == 0) bounds = Rect{in.Int(-100, 100), in.Int(-100, 100), in.Int(-100, 40000), in.Int(-100, 40000)};
    const Rect invalid = in.Pick(16) == 0 ? Rect{} : bounds;
    const std::vector<Rect> rectsBefore(c.Store().m_rcField, c.Store().m_rcField + kFieldCount);
    c.OnDraw(dc, bounds, invalid);
    if (invalid.IsEmpty() || textHeight + 4 <= 0) {
      FUZZ_CHECK(dc.Ops().empty());
      if (invalid.IsEmpty())
        FUZZ_CHECK(std::equal(rectsBefore.begin(), rectsBefore.end(), c.Store().m_rcField));
      continue;
    }
    PaintCheck(c, dc).Run(bounds, cfg.failMemoryContext, !cfg.failMemoryContext && cfg.failBitmap);
  }
  return 0;
}
