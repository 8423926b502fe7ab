// The control's property pages in the order it lists them, by their literal
// class ids rather than the module's constants: a changed id or order fails.
#pragma once
#include <windows.h>
#include <ocidl.h>

#include <gtest/gtest.h>

inline void ExpectTheControlsPages(ISpecifyPropertyPages* spp) {
  static const wchar_t* const kWant[] = {
      L"{32CCD6FC-F82C-463B-9FC2-45B9A92A8B29}", L"{0BE35200-8F91-11CE-9DE3-00AA004BB851}",
      L"{0BE35201-8F91-11CE-9DE3-00AA004BB851}", L"{5F3AD30F-3DC3-4D1A-AA7F-EC97EB1E0A87}",
      L"{6E93ECE3-E790-4D8F-AE41-BA783B0A9788}", L"{0EA9C3B6-BDF8-415F-A246-D588ACB0DCC9}"};
  const ULONG count = sizeof kWant / sizeof kWant[0];
  CAUUID pages = {};
  ASSERT_EQ(spp->GetPages(&pages), S_OK);
  EXPECT_EQ(pages.cElems, count);
  for (ULONG k = 0; k < pages.cElems && k < count; ++k) {
    wchar_t text[40] = {};
    StringFromGUID2(pages.pElems[k], text, 40);
    EXPECT_STREQ(text, kWant[k]) << "page " << k;
  }
  CoTaskMemFree(pages.pElems);
}
