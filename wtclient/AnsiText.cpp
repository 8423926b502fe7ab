#include "wtclient/AnsiText.h"

namespace wtclient {

std::wstring WideFromAnsi(LPCSTR s) {
  if (!s) return std::wstring();
  const int n = MultiByteToWideChar(CP_ACP, 0, s, -1, nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, s, -1, &w[0], n);
  w.resize(static_cast<size_t>(n - 1));
  return w;
}

}  // namespace wtclient
