// Reads the count out of the notice our OPC AE server sends where it had to
// drop records for a client that fell behind; false for any other message.
#pragma once
#include <cstdint>
#include <cwchar>
#include <string>

inline bool LostNoticeCount(const wchar_t* message, uint64_t* count) {
  if (!message) return false;
  const std::wstring text = message;
  const std::wstring head = L"* ", tail = L" lost: the connection could not keep up *";
  if (text.size() <= head.size() + tail.size() || text.compare(0, head.size(), head) != 0 ||
      text.compare(text.size() - tail.size(), tail.size(), tail) != 0)
    return false;
  *count = std::wcstoull(text.c_str() + head.size(), nullptr, 10);
  return true;
}
