// A page's number field with the bounds the property table gives its
// property, so that the page and the table cannot disagree. Used in constexpr
// field tables: a property name the table lacks stops the build.
#pragma once
#include "framework/PropertyPage.h"
#include "settings/PropertyTable.h"

template <class Page>
constexpr PageField<Page> NumberField(int id, const char16_t* property, int16_t Page::*member) {
  const PropertyRow& row = *FindPropertyRow(property);
  return Int16Field<Page>(id, row.name, member, row.pageMin, row.pageMax);
}
