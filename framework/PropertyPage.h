// COlePropertyPage: a property page over a dialog template whose fields are
// bound to the properties of the objects it edits, by property name. Each
// page declares its bindings once, as a table in exchange order. Opening the
// page reads every bound property of the first object into the page's members
// and from them into the fields; Apply reads and validates every field and,
// only when all pass, writes every bound property to every object.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "framework/Dialog.h"
#include "framework/Value.h"

// The objects a page edits (win32: their IDispatch interfaces).
class PageObjectsPort {
 public:
  virtual ~PageObjectsPort() = default;
  // The first object's property, converted to `type`; false if it has none.
  virtual bool Get(const String& name, VType type, Value& out) = 0;
  // Writes every object; false if any refused.
  virtual bool Put(const String& name, const Value& value) = 0;
  // The first object's dispatch id for the name.
  virtual bool DispIdOf(const String& name, int32_t& dispid) = 0;
};

// The frame that shows a page.
class PageSitePort {
 public:
  virtual ~PageSitePort() = default;
  virtual void OnStatusChange(uint32_t flags) = 0;
};

// The page-status flag a page sends when the user first changes a field.
enum : uint32_t { kPageStatusDirty = 0x01 };

enum class FieldKind : uint8_t { Int16, Text, Check };

// One bound field of a page: a text field read as a 16-bit integer in
// [min, max], a text field, or a check box read as a 32-bit boolean.
template <class Page>
struct PageField {
  FieldKind kind;
  int id;
  const char16_t* property;
  int16_t Page::*number;
  String Page::*text;
  int32_t Page::*check;
  int16_t min, max;
};

template <class Page>
constexpr PageField<Page> Int16Field(int id, const char16_t* property, int16_t Page::*member, int16_t min,
                                     int16_t max) {
  return {FieldKind::Int16, id, property, member, nullptr, nullptr, min, max};
}
template <class Page>
constexpr PageField<Page> TextField(int id, const char16_t* property, String Page::*member) {
  return {FieldKind::Text, id, property, nullptr, member, nullptr, 0, 0};
}
template <class Page>
constexpr PageField<Page> CheckField(int id, const char16_t* property, int32_t Page::*member) {
  return {FieldKind::Check, id, property, nullptr, nullptr, member, 0, 0};
}

// Reads a field's text as an integer in [min, max]; a failed pass tells the
// user with the standard prompt. A value beyond 16 bits is out of range, not
// wrapped into it.
void DDX_TextInt16(CDataExchange* pDX, int id, int16_t& value, int16_t min, int16_t max);

// How the text of an integer field reads: not an integer, or its value (held
// wide, so that any run of digits is a value, in range or not).
struct ParsedInteger {
  bool isInteger = false;
  int64_t value = 0;
};
ParsedInteger ParseInteger(const String& text);
String IntegerPrompt();
String RangePrompt(int32_t min, int32_t max);

class COlePropertyPage : public CDialog {
 public:
  COlePropertyPage(uint32_t templateId, uint32_t captionId) : CDialog(templateId), m_nCaptionId(captionId) {}

  uint32_t CaptionId() const { return m_nCaptionId; }

  // Backend entry points. Objects and site belong to the caller and must
  // outlive their use here (null: none).
  void SetObjects(PageObjectsPort* objects);
  void SetPageSite(PageSitePort* site) { m_pSite = site; }
  bool IsModified() const { return m_bDirty; }
  // Validates every field, then writes every bound property; false (and
  // nothing written) when a field is refused or the page is not open.
  bool Apply();
  // The field bound to the property with that dispatch id, or 0.
  int FieldForDispId(int32_t dispid);
  void FocusField(int id);

 protected:
  void SetModifiedFlag(bool modified = true);
  void OnControlCommand(int id, uint16_t code) override;
  bool OnInitDialog() override;

  // The page's table, run in order within its DoDataExchange.
  template <class Page, size_t N>
  void ExchangeFields(CDataExchange* pDX, Page* page, const PageField<Page> (&fields)[N]) {
    std::vector<Binding> bindings;
    bindings.reserve(N);
    for (const PageField<Page>& f : fields) {
      Binding b{f.kind, f.id, f.property, nullptr, nullptr, nullptr, f.min, f.max};
      if (f.number) b.number = &(page->*f.number);
      if (f.text) b.text = &(page->*f.text);
      if (f.check) b.check = &(page->*f.check);
      bindings.push_back(b);
    }
    Exchange(pDX, bindings);
  }

 private:
  struct Binding {
    FieldKind kind;
    int id;
    const char16_t* property;
    int16_t* number;
    String* text;
    int32_t* check;
    int16_t min, max;
  };
  void Exchange(CDataExchange* pDX, const std::vector<Binding>& bindings);
  void Load();

  uint32_t m_nCaptionId;
  PageObjectsPort* m_pObjects = nullptr;
  PageSitePort* m_pSite = nullptr;
  bool m_bDirty = false;
  bool m_bLoading = false;
  // The last pass's bindings: which fields are bound, and what Apply writes.
  std::vector<Binding> m_bindings;
  bool m_bWriteFailed = false;
};
