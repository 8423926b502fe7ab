// The objects a page edits: real controls, reached by property name through
// their dispatch tables as the win32 backend reaches them through IDispatch.
#pragma once
#include <vector>

#include "control/VelmaricAECtrl.h"
#include "framework/PropertyPage.h"
#include "framework/headless/HeadlessUi.h"

class ControlObjects : public PageObjectsPort {
 public:
  explicit ControlObjects(std::vector<CVelmaricAECtrl*> controls) : m_controls(std::move(controls)) {}

  bool Get(const String& name, VType type, Value& out) override {
    const DispEntry* e = Find(name);
    if (!e) return false;
    out = e->get(*m_controls.front());
    return out.type == type;
  }
  bool Put(const String& name, const Value& value) override {
    const DispEntry* e = Find(name);
    if (!e || e->type != value.type) return false;
    for (CVelmaricAECtrl* c : m_controls) e->put(*c, value);
    m_puts.push_back(name);
    return true;
  }
  bool DispIdOf(const String& name, int32_t& dispid) override {
    const DispEntry* e = Find(name);
    if (e) dispid = e->dispid;
    return e != nullptr;
  }

  std::vector<String> m_puts;

 private:
  const DispEntry* Find(const String& name) {
    return m_controls.empty() ? nullptr : m_controls.front()->GetDispatchTable().FindByName(name);
  }
  std::vector<CVelmaricAECtrl*> m_controls;
};

struct RecordingSite : PageSitePort {
  void OnStatusChange(uint32_t flags) override { m_changes.push_back(flags); }
  std::vector<uint32_t> m_changes;
};

// A page open on controls, with its fields as the user sees them.
template <class Page>
struct OpenPage {
  explicit OpenPage(std::vector<CVelmaricAECtrl*> controls) : objects(std::move(controls)), port(page) {
    page.SetPageSite(&site);
    page.SetObjects(&objects);
    page.Attach(port);
  }
  ~OpenPage() { page.Detach(); }

  Page page;
  ControlObjects objects;
  RecordingSite site;
  HeadlessUi::Dialog port;
};

inline Value Prop(CVelmaricAECtrl& c, const char16_t* name) {
  return c.GetDispatchTable().FindByName(name)->get(c);
}
inline void SetProp(CVelmaricAECtrl& c, const char16_t* name, const Value& v) {
  c.GetDispatchTable().FindByName(name)->put(c, v);
}
