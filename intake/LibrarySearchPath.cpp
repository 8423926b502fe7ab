#include "intake/LibrarySearchPath.h"

namespace {

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

char16_t FoldAscii(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c; }

// Blanks and quotes around an entry are not part of the folder name (a quote
// cannot occur in a Windows file name at all). Backslashes only: the loader's
// altered search order is defined for them alone.
String Clean(const String& entry) {
  String s;
  for (char16_t c : entry)
    if (c != u'"') s.push_back(c == u'/' ? u'\\' : c);
  const size_t first = s.find_first_not_of(u" \t");
  if (first == String::npos) return String();
  const size_t last = s.find_last_not_of(u" \t");
  return s.substr(first, last - first + 1);
}

// Comparison key of a folder: ASCII case folded, no trailing separator.
String Key(const String& folder) {
  String k;
  for (char16_t c : folder) k.push_back(FoldAscii(c));
  while (!k.empty() && k.back() == u'\\') k.pop_back();
  return k;
}

}  // namespace

bool IsAbsoluteWindowsPath(const String& p) {
  if (p.size() >= 3 && p[1] == u':' && IsSeparator(p[2])) {
    const char16_t d = FoldAscii(p[0]);
    return d >= u'a' && d <= u'z';
  }
  // UNC and device paths; a single leading separator means the root of the
  // current drive, which is as relative as the current directory.
  return p.size() >= 3 && IsSeparator(p[0]) && IsSeparator(p[1]) && !IsSeparator(p[2]);
}

std::vector<String> LibraryCandidates(const String& fileName, const LibraryFolders& folders) {
  std::vector<String> out;
  std::vector<String> seen;
  auto add = [&](const String& raw) {
    const String folder = Clean(raw);
    if (!IsAbsoluteWindowsPath(folder)) return;
    const String key = Key(folder);
    for (const String& k : seen)
      if (k == key) return;
    seen.push_back(key);
    out.push_back(folder.back() == u'\\' ? folder + fileName : folder + u'\\' + fileName);
  };
  add(folders.ocx);
  add(folders.app);
  add(folders.system);
  size_t start = 0;
  for (;;) {
    const size_t end = folders.path.find(u';', start);
    add(folders.path.substr(start, end == String::npos ? String::npos : end - start));
    if (end == String::npos) break;
    start = end + 1;
  }
  return out;
}
