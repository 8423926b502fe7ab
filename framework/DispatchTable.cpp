#include "framework/DispatchTable.h"

namespace {

char16_t Fold(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c; }

}  // namespace

bool NamesEqual(const char16_t* a, const String& b) {
  size_t k = 0;
  for (; a[k] && k < b.size(); ++k)
    if (Fold(a[k]) != Fold(b[k])) return false;
  return a[k] == 0 && k == b.size();
}

const DispEntry* DispTable::FindById(DispId id) const {
  for (const DispEntry& e : *this)
    if (e.dispid == id) return &e;
  return nullptr;
}

const DispEntry* DispTable::FindByName(const String& name) const {
  for (const DispEntry& e : *this)
    if (NamesEqual(e.name, name)) return &e;
  return nullptr;
}
