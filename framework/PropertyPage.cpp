#include "framework/PropertyPage.h"

#include <string>

namespace {

String Decimal(int64_t n) {
  const std::string s = std::to_string(n);
  return String(s.begin(), s.end());
}

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

}  // namespace

ParsedInteger ParseInteger(const String& text) {
  ParsedInteger r;
  size_t k = 0, end = text.size();
  while (k < end && IsBlank(text[k])) ++k;
  while (end > k && IsBlank(text[end - 1])) --end;
  bool negative = false;
  if (k < end && (text[k] == u'-' || text[k] == u'+')) negative = text[k++] == u'-';
  if (k == end) return r;
  // Past 2^40 a value only needs to stay out of every range: saturate there.
  constexpr int64_t kHuge = int64_t{1} << 40;
  int64_t value = 0;
  for (; k < end; ++k) {
    if (text[k] < u'0' || text[k] > u'9') return r;
    if (value < kHuge) value = value * 10 + (text[k] - u'0');
  }
  r.isInteger = true;
  r.value = negative ? -value : value;
  return r;
}

String IntegerPrompt() { return u"Please enter an integer."; }

String RangePrompt(int32_t min, int32_t max) {
  return u"Please enter an integer between " + Decimal(min) + u" and " + Decimal(max) + u".";
}

void DDX_TextInt16(CDataExchange* pDX, int id, int16_t& value, int16_t min, int16_t max) {
  pDX->m_idLastControl = id;
  if (!pDX->m_bSaveAndValidate) {
    pDX->m_dialog.SetItemText(id, Decimal(value));
    return;
  }
  const ParsedInteger parsed = ParseInteger(pDX->m_dialog.GetItemText(id));
  if (!parsed.isInteger) return pDX->Fail(IntegerPrompt());
  if (parsed.value < min || parsed.value > max) return pDX->Fail(RangePrompt(min, max));
  value = static_cast<int16_t>(parsed.value);
}

void COlePropertyPage::SetObjects(PageObjectsPort* objects) {
  m_pObjects = objects;
  // A page already open shows the new objects' values.
  if (m_pObjects && Port()) Load();
}

bool COlePropertyPage::OnInitDialog() {
  Load();
  return true;
}

void COlePropertyPage::Load() {
  m_bLoading = true;
  UpdateData(false);
  m_bLoading = false;
  m_bDirty = false;
}

bool COlePropertyPage::Apply() {
  if (!Port()) return false;
  m_bWriteFailed = false;
  if (!UpdateData(true) || m_bWriteFailed) return false;
  m_bDirty = false;
  return true;
}

void COlePropertyPage::Exchange(CDataExchange* pDX, const std::vector<Binding>& bindings) {
  m_bindings = bindings;
  const bool save = pDX->m_bSaveAndValidate;
  for (const Binding& b : bindings) {
    if (!save && m_pObjects) {
      Value v;
      switch (b.kind) {
        case FieldKind::Int16:
          if (m_pObjects->Get(b.property, VType::I2, v)) *b.number = static_cast<int16_t>(v.i);
          break;
        case FieldKind::Text:
          if (m_pObjects->Get(b.property, VType::BStr, v)) *b.text = v.s;
          break;
        case FieldKind::Check:
          if (m_pObjects->Get(b.property, VType::Bool, v)) *b.check = v.i != 0;
          break;
      }
    }
    switch (b.kind) {
      case FieldKind::Int16: DDX_TextInt16(pDX, b.id, *b.number, b.min, b.max); break;
      case FieldKind::Text: DDX_Text(pDX, b.id, *b.text); break;
      case FieldKind::Check: DDX_Check(pDX, b.id, *b.check); break;
    }
    if (pDX->Failed()) return;  // the user fixes this field first; nothing is written
  }
  if (!save || !m_pObjects) return;
  // Every field passed: write them all, to every object.
  for (const Binding& b : bindings) {
    Value v;
    switch (b.kind) {
      case FieldKind::Int16: v = Value::I2(*b.number); break;
      case FieldKind::Text: v = Value::Str(*b.text); break;
      case FieldKind::Check: v = Value::Bool(*b.check != 0); break;
    }
    if (!m_pObjects->Put(b.property, v)) m_bWriteFailed = true;
  }
}

void COlePropertyPage::SetModifiedFlag(bool modified) {
  const bool becameDirty = modified && !m_bDirty;
  m_bDirty = modified;
  if (becameDirty && m_pSite) m_pSite->OnStatusChange(kPageStatusDirty);
}

void COlePropertyPage::OnControlCommand(int id, uint16_t code) {
  if (m_bLoading) return;
  for (const Binding& b : m_bindings) {
    if (b.id != id) continue;
    const bool changed = b.kind == FieldKind::Check ? code == kNotifyClicked : code == kNotifyEditChange;
    if (changed) SetModifiedFlag();
    return;
  }
}

int COlePropertyPage::FieldForDispId(int32_t dispid) {
  if (!m_pObjects) return 0;
  for (const Binding& b : m_bindings) {
    int32_t id = 0;
    if (m_pObjects->DispIdOf(b.property, id) && id == dispid) return b.id;
  }
  return 0;
}

void COlePropertyPage::FocusField(int id) {
  if (Port() && id) Port()->SetFocusTo(id);
}
