#include "opcserver/core/Wildcard.h"

namespace opcsrv {

bool WildcardMatch(const String& pattern, const String& text) {
  // Greedy with one back-track point: the last '*' seen, which is enough
  // since a later star can always absorb what an earlier one would.
  size_t p = 0, t = 0, starP = String::npos, starT = 0;
  while (t < text.size()) {
    if (p < pattern.size()) {
      const char16_t c = pattern[p];
      if (c == u'*') {
        starP = p++;
        starT = t;
        continue;
      }
      const bool one = c == u'?' || (c == u'#' && text[t] >= u'0' && text[t] <= u'9') || c == text[t];
      if (one) {
        ++p;
        ++t;
        continue;
      }
    }
    if (starP == String::npos) return false;
    p = starP + 1;
    t = ++starT;
  }
  while (p < pattern.size() && pattern[p] == u'*') ++p;
  return p == pattern.size();
}

}  // namespace opcsrv
