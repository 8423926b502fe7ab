// The event categories of a connection's last query, in arrays the
// connection owns. A COM server's answer is taken over only after checking
// it: a server's bad answer must fail the query, never crash the control.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "plant/SimEvent.h"

namespace wtclient {

class CategoryList {
 public:
  // More categories than this is not an answer but garbage.
  static const DWORD kMaxCount = 65536;

  // Checks and copies the server's answer and frees its arrays (what can be
  // freed without trusting the answer). False, and empty, when refused.
  bool Adopt(DWORD count, DWORD* ids, LPWSTR* names);
  // Copies the categories of our own table whose event type is in the mask.
  void Assign(const std::vector<wtsim::Category>& categories, DWORD eventTypes);
  void Clear();

  DWORD Count() const { return static_cast<DWORD>(m_ids.size()); }
  DWORD* Ids() { return m_ids.empty() ? nullptr : m_ids.data(); }
  LPWSTR* Names() { return m_names.empty() ? nullptr : m_names.data(); }

 private:
  std::vector<DWORD> m_ids;
  std::vector<std::wstring> m_text;
  std::vector<LPWSTR> m_names;
};

}  // namespace wtclient
