// The four property pages' data exchange with any field texts, over one or
// two controls holding any property values. Checked against each page's
// table of bound fields (kept here, apart from the pages' own): opening
// shows every bound property; Apply writes every field to every control
// only when every integer field reads as an integer in its range, else it
// writes nothing, shows the right prompt once and focuses the first refused
// field; the Columns page's order list stays a permutation whatever the
// moves, and the order field follows it.
#include <memory>

#include "pages/ColumnsPpg.h"
#include "pages/HidePpg.h"
#include "pages/SeverityPpg.h"
#include "pages/VelmaricAEPropPage.h"
#include "resources/resource.h"
#include "tests/fuzz/FuzzControl.h"
#include "tests/native/pages/ControlObjects.h"

using namespace fuzz;

namespace {

struct Field {
  FieldKind kind;
  int id;
  const char16_t* property;
  int16_t min = 0, max = 0;
};

const std::vector<Field> kGeneral = {
    {FieldKind::Int16, IDC_WATCHDOG_TIMEOUT, u"WatchdogTimeout", 0, 300},
    {FieldKind::Check, IDC_ADD_NEW_EVENTS_TO_BOTTOM, u"AddNewEventsToBottom"},
    {FieldKind::Check, IDC_LOCALIZE_TIMESTAMPS, u"LocalizeTimestamps"},
    {FieldKind::Check, IDC_SUPPRESS_ACKN_EVENTS, u"SuppressAcknEvents"},
    {FieldKind::Check, IDC_SUPPRESS_RESET_EVENTS, u"SuppressResetEvents"},
};
const std::vector<Field> kColumns = {
    {FieldKind::Text, IDC_FIELD_ORDER, u"FieldOrder"},
    {FieldKind::Int16, IDC_FIELD0_WIDTH, u"Field0Width", 0, 240},
    {FieldKind::Int16, IDC_FIELD1_WIDTH, u"Field1Width", 0, 240},
    {FieldKind::Int16, IDC_FIELD2_WIDTH, u"Field2Width", 0, 240},
    {FieldKind::Int16, IDC_FIELD3_WIDTH, u"Field3Width", 0, 240},
    {FieldKind::Int16, IDC_FIELD4_WIDTH, u"Field4Width", 0, 240},
    {FieldKind::Int16, IDC_FIELD5_WIDTH, u"Field5Width", 0, 240},
};
const std::vector<Field> kSeverity = {
    {FieldKind::Int16, IDC_SEVERITY_A, u"SeverityA", 1, 999},
    {FieldKind::Int16, IDC_SEVERITY_B, u"SeverityB", 1, 999},
    {FieldKind::Int16, IDC_SEVERITY_C, u"SeverityC", 1, 999},
    {FieldKind::Int16, IDC_SEVERITY_D, u"SeverityD", 1, 999},
    {FieldKind::Int16, IDC_SEVERITY_E, u"SeverityE", 1, 999},
};
const std::vector<Field> kHide = {
    {FieldKind::Check, IDC_HIDE_CLEAR_ALL, u"HideClearAllMenuItem"},
    {FieldKind::Check, IDC_HIDE_RESET, u"HideResetPropertiesMenuItem"},
    {FieldKind::Check, IDC_DISABLE_SIZING, u"DisableColumnSizing"},
    {FieldKind::Check, IDC_HIDE_CONNECTION, u"HideConnectionMenuItems"},
};

String Ascii(const std::string& s) { return String(s.begin(), s.end()); }

// An integer field's text as the rules read it: blanks (space, tab) around,
// an optional sign, then only decimal digits, at least one. Far beyond 16
// bits the exact value no longer matters.
bool ReadInteger(const String& text, int64_t& value) {
  size_t b = 0, e = text.size();
  while (b < e && (text[b] == u' ' || text[b] == u'\t')) ++b;
  while (e > b && (text[e - 1] == u' ' || text[e - 1] == u'\t')) --e;
  bool negative = false;
  if (b < e && (text[b] == u'+' || text[b] == u'-')) negative = text[b++] == u'-';
  if (b == e) return false;
  value = 0;
  for (size_t k = b; k < e; ++k) {
    if (text[k] < u'0' || text[k] > u'9') return false;
    value = std::min<int64_t>(value * 10 + (text[k] - u'0'), int64_t{1} << 50);
  }
  if (negative) value = -value;
  return true;
}

Value PropertyOf(CVelmaricAECtrl& c, const char16_t* name) {
  return c.GetDispatchTable().FindByName(name)->get(c);
}

// Text for an integer field: mostly numbers in and around the range, with
// blanks and signs, sometimes anything.
String NumberText(Input& in, const Field& f) {
  switch (in.Pick(5)) {
    case 0: return in.Text(12);
    case 1: return in.Word();
    case 2: return Ascii(std::to_string(in.Any<int64_t>()));
    default: {
      String s = Ascii(std::to_string(in.Int<int32_t>(f.min - 2, f.max + 2)));
      if (in.Bool()) s = (in.Bool() ? u" " : u"\t") + s;
      if (in.Bool()) s += in.Bool() ? u" " : u"x";
      if (in.Bool()) s = (in.Bool() ? u"+" : u"-") + s;
      return s;
    }
  }
}

class PageRun {
 public:
  PageRun(COlePropertyPage& page, const std::vector<Field>& fields, std::vector<CVelmaricAECtrl*> controls,
          Input& in)
      : m_page(page), m_fields(fields), m_controls(controls), m_objects(controls), m_in(in) {}

  ColumnsPpg* Columns() { return dynamic_cast<ColumnsPpg*>(&m_page); }

  void Open() {
    m_port = std::make_unique<HeadlessUi::Dialog>(m_page);
    m_page.SetPageSite(&m_site);
    m_page.SetObjects(&m_objects);
    m_page.Attach(*m_port);
    FUZZ_CHECK(!m_page.IsModified());
    CVelmaricAECtrl& c = *m_controls.front();
    for (const Field& f : m_fields) {
      const Value v = PropertyOf(c, f.property);
      switch (f.kind) {
        case FieldKind::Int16: FUZZ_CHECK(m_port->m_text[f.id] == Ascii(std::to_string(v.i))); break;
        case FieldKind::Text: FUZZ_CHECK(m_port->m_text[f.id] == v.s); break;
        case FieldKind::Check: FUZZ_CHECK(m_port->m_checks[f.id] == (v.i != 0)); break;
      }
      int32_t dispid = 0;
      FUZZ_CHECK(m_objects.DispIdOf(f.property, dispid));
      FUZZ_CHECK(m_page.FieldForDispId(dispid) == f.id);
    }
    if (Columns()) CheckOrderList(true);
  }

  void Close() {
    m_page.Detach();
    m_port.reset();
  }

  // The order list: every column once, labelled; the order field names it
  // once the user has moved a row.
  void CheckOrderList(bool justOpened) {
    HeadlessListBox& list = m_port->m_lists[IDC_ORDER_LIST];
    FUZZ_CHECK(list.m_rows.size() == static_cast<size_t>(kFieldCount));
    bool seen[kFieldCount] = {};
    String digits;
    for (const HeadlessListBox::Row& r : list.m_rows) {
      FUZZ_CHECK(r.data >= 0 && r.data < kFieldCount && !seen[r.data]);
      seen[r.data] = true;
      FUZZ_CHECK(r.text == kFieldLabels[r.data]);
      digits += static_cast<char16_t>(u'0' + r.data);
    }
    if (justOpened) {
      FUZZ_CHECK(list.m_sel == 0);
      // A stored order that is a permutation is listed as it is.
      const String& stored = m_port->m_text[IDC_FIELD_ORDER];
      bool permutation = stored.size() == 6;
      bool used[kFieldCount] = {};
      for (char16_t ch : stored) {
        const int d = ch - u'0';
        if (d < 0 || d >= kFieldCount || used[d]) permutation = false;
        else used[d] = true;
      }
      FUZZ_CHECK(digits == (permutation ? stored : u"012345"));
    } else if (m_moved) {
      FUZZ_CHECK(m_port->m_text[IDC_FIELD_ORDER] == digits);
    }
  }

  void Apply() {
    std::vector<std::vector<Entry>> before;
    for (CVelmaricAECtrl* c : m_controls) {
      before.push_back(Snapshot(*c));
      c->SetModifiedFlag(false);
    }
    const size_t alerts = m_port->m_alerts.size();
    m_port->m_focus = 0;
    const bool wasModified = m_page.IsModified();

    // The first field (in exchange order) that the rules refuse, if any.
    const Field* refused = nullptr;
    String prompt;
    for (const Field& f : m_fields) {
      if (f.kind != FieldKind::Int16) continue;
      int64_t v = 0;
      if (!ReadInteger(m_port->m_text[f.id], v)) {
        refused = &f, prompt = u"Please enter an integer.";
        break;
      }
      if (v < f.min || v > f.max) {
        refused = &f;
        prompt = u"Please enter an integer between " + Ascii(std::to_string(f.min)) + u" and " +
                 Ascii(std::to_string(f.max)) + u".";
        break;
      }
    }

    const bool ok = m_page.Apply();
    FUZZ_CHECK(ok == (refused == nullptr));
    if (!ok) {
      FUZZ_CHECK(m_port->m_alerts.size() == alerts + 1);
      FUZZ_CHECK(m_port->m_alerts.back() == prompt);
      FUZZ_CHECK(m_port->m_focus == refused->id);
      for (size_t k = 0; k < m_controls.size(); ++k) {
        FUZZ_CHECK(Snapshot(*m_controls[k]) == before[k]);
        FUZZ_CHECK(!m_controls[k]->IsModified());
      }
      FUZZ_CHECK(m_page.IsModified() == wasModified);
      return;
    }
    FUZZ_CHECK(m_port->m_alerts.size() == alerts);
    FUZZ_CHECK(!m_page.IsModified());
    for (CVelmaricAECtrl* c : m_controls) {
      FUZZ_CHECK(c->IsModified());
      for (const Field& f : m_fields) {
        const Value v = PropertyOf(*c, f.property);
        switch (f.kind) {
          case FieldKind::Int16: {
            int64_t want = 0;
            FUZZ_CHECK(ReadInteger(m_port->m_text[f.id], want));
            FUZZ_CHECK(v.i == want);
            break;
          }
          case FieldKind::Text: FUZZ_CHECK(v.s == m_port->m_text[f.id]); break;
          case FieldKind::Check: FUZZ_CHECK(v.i == (m_port->m_checks[f.id] ? 1 : 0)); break;
        }
      }
    }
  }

  void Run() {
    Open();
    const int steps = m_in.Int(1, 12);
    for (int s = 0; s < steps && !m_in.Empty(); ++s) {
      const Field& f = m_fields[m_in.Pick(m_fields.size())];
      const bool wasModified = m_page.IsModified();
      const size_t changes = m_site.m_changes.size();
      switch (m_in.Pick(6)) {
        case 0:
        case 1: {
          if (f.kind == FieldKind::Check) {
            m_port->Click(f.id);
          } else {
            m_port->Type(f.id, f.kind == FieldKind::Int16 ? NumberText(m_in, f) : AnyFieldOrder(m_in));
            if (f.id == IDC_FIELD_ORDER) m_moved = false;  // typed over: no longer the list's order
          }
          // A change of a bound field makes the page dirty, and the site
          // hears of it once.
          FUZZ_CHECK(m_page.IsModified());
          FUZZ_CHECK(m_site.m_changes.size() == changes + (wasModified ? 0 : 1));
          break;
        }
        case 2:
          if (ColumnsPpg* cp = Columns()) {
            HeadlessListBox& list = m_port->m_lists[IDC_ORDER_LIST];
            list.m_sel = m_in.Int(-1, kFieldCount - 1);  // none, or a row
            const int32_t sel = list.m_sel;
            const bool up = m_in.Bool();
            const bool moves = up ? sel > 0 && sel < kFieldCount : sel >= 0 && sel < kFieldCount - 1;
            if (up) cp->OnMoveUp();
            else cp->OnMoveDown();
            m_moved = m_moved || moves;
            if (moves) FUZZ_CHECK(list.m_sel == (up ? sel - 1 : sel + 1));
            CheckOrderList(false);
          } else {
            // A field this page does not bind: no change of the page.
            const int id = m_in.Int(200, 240);
            bool bound = false;
            for (const Field& g : m_fields) bound = bound || g.id == id;
            if (bound) break;
            m_port->Type(id, m_in.Text(8));
            FUZZ_CHECK(m_page.IsModified() == wasModified);
          }
          break;
        case 3:
        case 4: Apply(); break;
        default:
          Close();
          m_moved = false;
          Open();
          break;
      }
    }
    Close();
  }

 private:
  COlePropertyPage& m_page;
  const std::vector<Field>& m_fields;
  std::vector<CVelmaricAECtrl*> m_controls;
  ControlObjects m_objects;
  RecordingSite m_site;
  std::unique_ptr<HeadlessUi::Dialog> m_port;
  Input& m_in;
  bool m_moved = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FuzzControl first, second;
  Input in(data, size);
  std::vector<CVelmaricAECtrl*> controls{&first.Reset()};
  if (in.Bool()) controls.push_back(&second.Reset());
  for (CVelmaricAECtrl* c : controls)
    for (const DispEntry& e : c->GetDispatchTable())
      if (!e.isMethod && in.Pick(3) == 0) {
        if (e.type == VType::BStr) e.put(*c, Value::Str(AnyFieldOrder(in)));
        else PutProperty(*c, e, in);
      }

  switch (in.Pick(4)) {
    case 0: {
      CVelmaricAEPropPage page;
      PageRun(page, kGeneral, controls, in).Run();
      break;
    }
    case 1: {
      ColumnsPpg page;
      PageRun(page, kColumns, controls, in).Run();
      break;
    }
    case 2: {
      SeverityPpg page;
      PageRun(page, kSeverity, controls, in).Run();
      break;
    }
    default: {
      HidePpg page;
      PageRun(page, kHide, controls, in).Run();
      break;
    }
  }
  return 0;
}
