// The context menu, its commands and Find, over any rows, any layout and any
// points: right-clicks anywhere on the screen (and from the keyboard),
// any item chosen, Find with any text, Repeat, scrolling, adding rows,
// repainting, property changes and column drags in any order. Checked: the
// menu's items and grey states for the pointer's column and the hide flags,
// no menu left alive, what each command did to the store, and every find hit
// or miss against a plain scan of the cells in display order.
#include <algorithm>

#include "framework/MessageMap.h"
#include "framework/headless/RecordingCanvas.h"
#include "resources/resource.h"
#include "tests/fuzz/FuzzControl.h"
#include "view/FindDlg.h"
#include "tests/native/view/ViewPeer.h"

using namespace fuzz;

namespace {

using Tracked = HeadlessUi::Tracked;
using Row = std::array<String, kFieldCount>;

std::vector<Row> Rows(const EventList& s) {
  std::vector<Row> rows(static_cast<size_t>(s.GetRowCount()));
  for (int32_t r = 0; r < s.GetRowCount(); ++r)
    for (int f = 0; f < kFieldCount; ++f) rows[r][f] = s.GetCellText(f, r);
  return rows;
}

struct MenuExpect {
  std::vector<std::pair<uint32_t, String>> items;  // id 0: separator
};

// The menu the rules give for the current flags and the pointer's column.
MenuExpect ExpectedMenu(const CVelmaricAECtrl& c, int32_t field) {
  MenuExpect m;
  auto add = [&m](uint32_t id, const String& text) { m.items.emplace_back(id, text); };
  if (!c.m_bHideClearAllMenuItem) add(ID_CLEAR_ALL, u"Clear All");
  add(ID_REFRESH_EVENTS, u"Refresh events");
  if (field >= 0) {
    add(0, String());
    add(ID_SORT_ASCENDING, u"Sort by " + String(kFieldLabels[field]) + u" (Ascending)");
    add(ID_SORT_DESCENDING, u"Sort by " + String(kFieldLabels[field]) + u" (Descending)");
  }
  add(0, String());
  add(ID_FIND, u"Find...");
  add(ID_REPEAT_FIND, u"Repeat last find");
  if (!c.m_bHideConnectionMenuItems) {
    add(0, String());
    add(ID_CONNECT, u"Connect to AE server");
    add(ID_DISCONNECT, u"Disconnect from AE server");
  }
  add(0, String());
  if (!c.m_bHideResetPropertiesMenuItem) add(ID_RESET_PROPERTIES, u"Reset all properties to default");
  add(ID_ABOUT, u"About");
  return m;
}

// The column whose rectangle holds list x strictly inside, -1 for none.
int32_t ColumnOf(const EventList& s, int64_t listX) {
  for (int32_t f = 0; f < kFieldCount; ++f)
    if (s.m_rcField[f].left < listX && listX < s.m_rcField[f].right) return f;
  return -1;
}

// Grey states by the rows and the last hit as they were when the menu opened.
bool Greyed(uint32_t id, int32_t rows, int32_t findColumn) {
  switch (id) {
    case ID_CLEAR_ALL:
    case ID_FIND: return rows < 1;
    case ID_SORT_ASCENDING:
    case ID_SORT_DESCENDING: return rows < 2;
    case ID_REPEAT_FIND: return findColumn < 0;
    case ID_REFRESH_EVENTS:
    case ID_DISCONNECT: return true;  // never connected here
    default: return false;
  }
}

class Session {
 public:
  Session(FuzzControl& fc, Input& in) : m_fc(fc), m_c(fc.Ctrl()), m_in(in) {}

  void Paint() {
    RecordingCanvas dc;
    dc.Settings().charWidth = m_charWidth;
    dc.Settings().textHeight = m_textHeight;
    const Rect client = m_fc.Wnd().m_rcClient;
    m_c.OnDraw(dc, client, client);
  }

  void AddRows(int n) {
    for (int k = 0; k < n && !m_in.Empty(); ++k) {
      // Texts that often share pieces, so that finds hit.
      String t[5];
      for (String& s : t) s = m_in.Bool() ? m_in.Word() : m_in.Text(6);
      m_c.Store().AddEvent(t[0], t[1], t[2], t[3], t[4], m_in.Bool());
    }
  }

  // A search text: often a piece of some cell, so that there are hits.
  String SearchText() {
    const EventList& s = m_c.Store();
    if (s.GetRowCount() > 0 && m_in.Bool()) {
      const String& cell = s.CellRef(static_cast<int32_t>(m_in.Pick(kFieldCount)),
                                     static_cast<int32_t>(m_in.Pick(static_cast<size_t>(s.GetRowCount()))));
      if (cell.empty()) return cell;
      const size_t from = m_in.Pick(cell.size());
      return cell.substr(from, m_in.Int<size_t>(0, cell.size() - from));
    }
    return m_in.Bool() ? m_in.Word() : m_in.Text(300);
  }

  // Where Search goes on from, and what it must find: a scan of the cells
  // in display order, row by row, from just after the last hit.
  void CheckSearch(const String& text, int32_t column, int32_t row, size_t boxesBefore, int32_t hsBefore) {
    const EventList& s = m_c.Store();
    if (text.empty()) {
      FUZZ_CHECK(Inside(m_c.View()).m_nFindColumn == column && Inside(m_c.View()).m_nFindRow == row);
      FUZZ_CHECK(m_fc.Ui().m_boxes.size() == boxesBefore);
      return;
    }
    int64_t p = std::max<int64_t>(static_cast<int64_t>(column) + 1, 0);
    int64_t r = std::max<int32_t>(row, 0);
    if (p >= kFieldCount) p = 0, ++r;
    int64_t hitP = -1, hitR = -1;
    for (; r < s.GetRowCount() && hitP < 0; ++r, p = 0)
      for (; p < kFieldCount; ++p)
        if (s.CellRef(s.m_nFieldOrder[p], static_cast<int32_t>(r)).find(text) != String::npos) {
          hitP = p, hitR = r;
          break;
        }
    if (hitP < 0) {
      FUZZ_CHECK(Inside(m_c.View()).m_nFindColumn == column && Inside(m_c.View()).m_nFindRow == row);
      FUZZ_CHECK(m_fc.Ui().m_boxes.size() == boxesBefore + 1);
      FUZZ_CHECK(m_fc.Ui().m_boxes.back().text == u"The specified text was not found.    ");
      return;
    }
    FUZZ_CHECK(m_fc.Ui().m_boxes.size() == boxesBefore);
    FUZZ_CHECK(Inside(m_c.View()).m_nFindColumn == hitP && Inside(m_c.View()).m_nFindRow == hitR);
    const int32_t f = s.m_nFieldOrder[hitP];
    FUZZ_CHECK(s.CellRef(f, Inside(m_c.View()).m_nFindRow).find(text) != String::npos);

    // The hit row becomes the bottom row of the view, within the range.
    const DetachedWindow::Bar& v = m_fc.Wnd().m_bars[kSbVert];
    const DetachedWindow::Bar& h = m_fc.Wnd().m_bars[kSbHorz];
    const int32_t visible = m_c.View().VisibleRows();
    if (s.GetRowCount() > visible) {
      const int64_t first = std::clamp<int64_t>(hitR - visible + 1, v.min, std::max(v.min, v.max));
      FUZZ_CHECK(Inside(m_c.View()).m_nFirstRow == first);
      FUZZ_CHECK(v.pos == Inside(m_c.View()).m_nFirstRow);
    }
    // Its column is scrolled into view when it lay outside.
    const Rect& col = s.m_rcField[f];
    const Rect& b = Inside(m_c.View()).m_rcBounds;
    if (static_cast<int64_t>(col.right) - hsBefore > b.right || static_cast<int64_t>(col.left) - hsBefore < b.left) {
      const int64_t pos = std::min<int64_t>(std::max<int32_t>(col.left, 0), h.max);
      FUZZ_CHECK(Inside(m_c.View()).m_nHScrollPos == pos);
    } else {
      FUZZ_CHECK(Inside(m_c.View()).m_nHScrollPos == hsBefore);
    }
  }

  void ContextMenu() {
    const bool keyboard = m_in.Pick(8) == 0;
    const Point screen{m_in.Any<int16_t>(), m_in.Any<int16_t>()};
    const intptr_t l = keyboard ? static_cast<intptr_t>(0xFFFFFFFFu) : MakePointLParam(screen);
    const Point at = keyboard ? Point{-1, -1} : screen;
    const Point origin = m_fc.Wnd().m_screenOrigin;
    const int32_t field = ColumnOf(m_c.Store(), static_cast<int64_t>(at.x) - origin.x + Inside(m_c.View()).m_nHScrollPos);
    const MenuExpect expect = ExpectedMenu(m_c, field);
    const int32_t rows = m_c.Store().GetRowCount();

    // The choice: an item of the menu (greyed or not) or any id.
    const size_t pick = m_in.Int<size_t>(0, expect.items.size() + 1);
    uint32_t choice = pick < expect.items.size() ? expect.items[pick].first
                                                 : (pick == expect.items.size() ? 0 : m_in.Any<uint32_t>());
    // Connecting without a server waits out its full minute: not here.
    if (choice == ID_CONNECT || choice == ID_DISCONNECT) choice = 0;
    HeadlessUi& ui = m_fc.Ui();
    ui.chooseMenuItem = [choice](const Tracked&) { return choice; };

    // Find's dialog: a text typed (cut to the field's limit) or put in past
    // it, then OK, Cancel or nothing.
    const String typed = SearchText();
    const bool overLimit = m_in.Pick(4) == 0;
    const int button = static_cast<int>(m_in.Pick(3));
    ui.dialogScript = [&](HeadlessUi::Dialog& d) {
      FUZZ_CHECK(d.GetItemText(IDC_FIND_TEXT) == m_findText);
      if (overLimit) d.SetItemText(IDC_FIND_TEXT, typed);
      else d.Type(IDC_FIND_TEXT, typed);
      if (button == 0) d.Press(kIdOk);
      if (button == 1) d.Press(kIdCancel);
    };

    const std::vector<Row> before = Rows(m_c.Store());
    const int32_t column = Inside(m_c.View()).m_nFindColumn, row = Inside(m_c.View()).m_nFindRow;
    const int32_t hs = Inside(m_c.View()).m_nHScrollPos;
    const size_t boxes = ui.m_boxes.size(), dialogs = ui.m_dialogs.size();
    const size_t tracked = ui.m_tracked.size();
    m_fc.Send(kWmContextMenu, m_fc.Wnd().m_hwnd, l);

    // The menu as it stood when it opened.
    FUZZ_CHECK(ui.m_tracked.size() == tracked + 1);
    const Tracked& t = ui.m_tracked.back();
    FUZZ_CHECK(t.items.size() == expect.items.size());
    for (size_t k = 0; k < t.items.size(); ++k) {
      const auto& [id, text] = expect.items[k];
      FUZZ_CHECK(t.items[k].IsSeparator() == (id == 0));
      if (id == 0) continue;
      FUZZ_CHECK(t.items[k].id == id && t.items[k].text == text);
      FUZZ_CHECK(t.items[k].grayed == Greyed(id, rows, column));
    }
    FUZZ_CHECK(t.x == at.x && t.y == at.y);
    FUZZ_CHECK(t.flags == 0x0102u);
    FUZZ_CHECK(ui.MenusAlive() == 0);
    FUZZ_CHECK(!Inside(m_c.View()).m_bBusy);

    // What USER returns: only an enabled command item.
    uint32_t ran = 0;
    for (const auto& it : t.items)
      if (!it.IsSeparator() && it.id == choice && !it.grayed) ran = choice;
    const std::vector<Row> after = Rows(m_c.Store());
    switch (ran) {
      case ID_CLEAR_ALL: FUZZ_CHECK(after.empty()); break;
      case ID_SORT_ASCENDING:
      case ID_SORT_DESCENDING: {
        FUZZ_CHECK(field >= 0);
        std::vector<Row> a = before, b = after;
        std::sort(a.begin(), a.end());
        std::sort(b.begin(), b.end());
        FUZZ_CHECK(a == b);
        FUZZ_CHECK(!ui.m_cursors.empty() && ui.m_cursors.back() == HeadlessUi::System(SystemCursor::Arrow));
        break;
      }
      case ID_FIND: {
        FUZZ_CHECK(after == before);
        FUZZ_CHECK(ui.m_dialogs.size() == dialogs + 1);
        const String cut = typed.substr(0, 255);
        const bool accepted = button == 0 && (!overLimit || typed.size() <= 255);
        if (!accepted) {
          FUZZ_CHECK(Inside(m_c.View()).m_nFindColumn == column && Inside(m_c.View()).m_nFindRow == row);
          FUZZ_CHECK(ui.m_boxes.size() == boxes);
          break;
        }
        m_findText = cut;
        FUZZ_CHECK(Inside(m_c.View()).m_dlgFind.m_strFind == m_findText);
        CheckSearch(m_findText, -1, 0, boxes, hs);
        break;
      }
      case ID_REPEAT_FIND:
        FUZZ_CHECK(after == before);
        CheckSearch(m_findText, column, row, boxes, hs);
        break;
      case ID_RESET_PROPERTIES:
        FUZZ_CHECK(Snapshot(m_c) == DefaultSnapshot());
        FUZZ_CHECK(m_c.IsModified());
        break;
      case ID_ABOUT:
        FUZZ_CHECK(ui.m_boxes.size() == boxes + 1);
        FUZZ_CHECK(ui.m_boxes.back().text == u"Version: unknown\n");
        break;
      default:
        FUZZ_CHECK(after == before);
        FUZZ_CHECK(Inside(m_c.View()).m_nFindColumn == column && Inside(m_c.View()).m_nFindRow == row);
        FUZZ_CHECK(ui.m_boxes.size() == boxes);
        break;
    }
    if (ran != ID_FIND) FUZZ_CHECK(ui.m_dialogs.size() == dialogs);
    ui.dialogScript = nullptr;
  }

  // A left press anywhere; on a header border this drags it along a script
  // of mouse messages (and the end of the script ends the drag).
  void Press() {
    HeadlessUi& ui = m_fc.Ui();
    const int moves = m_in.Int(0, 4);
    for (int k = 0; k < moves; ++k)
      ui.Post(m_in.Bool() ? kWmMouseMove : kWmLButtonUp, 0, MakePointLParam(Point{m_in.Any<int16_t>(), 0}));
    const Point p{m_in.Any<int16_t>(), m_in.Int<int16_t>(-4, 40)};
    const int32_t border = m_c.View().BorderAt(p);
    m_fc.Send(kWmLButtonDown, 0, MakePointLParam(p));
    FUZZ_CHECK(!Inside(m_c.View()).m_bSizing);
    FUZZ_CHECK(!m_fc.Wnd().HasCapture());
    if (border >= 0) {
      FUZZ_CHECK(!ui.m_clips.empty() && !ui.m_clips.back().has_value());
      const std::array<int16_t*, kFieldCount> widths = m_c.FieldWidthProperties();
      for (int f = 0; f < kFieldCount; ++f)
        FUZZ_CHECK(*widths[f] == static_cast<int16_t>(m_c.Store().m_nFieldWidth[f]));
    }
    FUZZ_CHECK(m_fc.Wnd().m_nClientDcs == 0);
  }

  void Run() {
    const Rect client{0, 0, m_in.Int(0, 3000), m_in.Int(0, 2000)};
    m_fc.Activate(client, Point{m_in.Int(-3000, 3000), m_in.Int(-3000, 3000)});
    // Metrics of the usual fonts, and of fonts so large that the layout
    // reaches the ends of the 32-bit range.
    m_charWidth = m_in.Bool() ? 7 : m_in.Bool() ? m_in.Int(0, 40) : m_in.Int(0, 32767);
    m_textHeight = m_in.Bool() ? 16 : m_in.Bool() ? m_in.Int(-5, 40) : m_in.Int(-5, 32767);
    for (const DispEntry& e : m_c.GetDispatchTable()) {
      if (e.isMethod || m_in.Pick(4) != 0) continue;
      if (e.type == VType::BStr) e.put(m_c, Value::Str(AnyFieldOrder(m_in)));
      else PutProperty(m_c, e, m_in);
    }
    AddRows(m_in.Int(0, 40));
    if (m_in.Bool()) Paint();

    const int steps = m_in.Int(1, 16);
    for (int s = 0; s < steps && !m_in.Empty(); ++s) {
      switch (m_in.Pick(8)) {
        case 0:
        case 1:
        case 2: ContextMenu(); break;
        case 3:
          m_fc.Send(m_in.Bool() ? kWmHScroll : kWmVScroll,
                    static_cast<uintptr_t>(m_in.Int(0, 9)) | (static_cast<uintptr_t>(m_in.Any<uint16_t>()) << 16));
          break;
        case 4: AddRows(m_in.Int(1, 20)); break;
        case 5: Paint(); break;
        case 6: Press(); break;
        default: {
          const DispEntry& e = m_c.GetDispatchTable().entries[m_in.Pick(33)];
          if (e.type == VType::BStr) e.put(m_c, Value::Str(AnyFieldOrder(m_in)));
          else PutProperty(m_c, e, m_in);
          break;
        }
      }
    }
  }

 private:
  FuzzControl& m_fc;
  CVelmaricAECtrl& m_c;
  Input& m_in;
  int32_t m_charWidth = 7, m_textHeight = 16;
  String m_findText;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FuzzControl control;
  Input in(data, size);
  control.Reset();
  Session(control, in).Run();
  return 0;
}
