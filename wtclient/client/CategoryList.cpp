#include "wtclient/client/CategoryList.h"

#include <objbase.h>

namespace wtclient {
namespace {

// Whether a task-memory block holds `bytes`: the server's count is believed
// only as far as its allocation goes.
bool Holds(IMalloc* malloc, void* block, SIZE_T bytes) {
  if (!malloc || !block) return false;
  if (malloc->DidAlloc(block) == 0) return false;
  const SIZE_T size = malloc->GetSize(block);
  return size != static_cast<SIZE_T>(-1) && size >= bytes;
}

// Frees a block unless the task allocator says it is not one of its own.
void FreeIfTaskMemory(IMalloc* malloc, void* block) {
  if (block && (!malloc || malloc->DidAlloc(block) != 0)) CoTaskMemFree(block);
}

}  // namespace

void CategoryList::Clear() {
  m_ids.clear();
  m_text.clear();
  m_names.clear();
}

void CategoryList::Assign(const std::vector<wtsim::Category>& categories, DWORD eventTypes) {
  Clear();
  for (const wtsim::Category& c : categories) {
    if ((c.eventType & eventTypes) == 0) continue;
    m_ids.push_back(c.id);
    m_text.emplace_back(c.name.begin(), c.name.end());
  }
  for (std::wstring& s : m_text) m_names.push_back(&s[0]);
}

bool CategoryList::Adopt(DWORD count, DWORD* ids, LPWSTR* names) {
  Clear();
  IMalloc* malloc = nullptr;
  if (FAILED(CoGetMalloc(1, &malloc))) malloc = nullptr;
  bool ok = count <= kMaxCount && (count == 0 || (Holds(malloc, ids, SIZE_T{count} * sizeof(DWORD)) &&
                                                  Holds(malloc, names, SIZE_T{count} * sizeof(LPWSTR))));
  for (DWORD i = 0; ok && i < count; ++i) ok = names[i] != nullptr;
  if (ok) {
    try {
      m_ids.assign(ids, ids + count);
      for (DWORD i = 0; i < count; ++i) m_text.emplace_back(names[i]);
      for (std::wstring& s : m_text) m_names.push_back(&s[0]);
    } catch (...) {
      Clear();
      ok = false;
    }
  }
  // The strings are ours to free only when the count was believed; if not,
  // they leak rather than free memory that may be anything.
  if (names && count <= kMaxCount && Holds(malloc, names, SIZE_T{count} * sizeof(LPWSTR)))
    for (DWORD i = 0; i < count; ++i) FreeIfTaskMemory(malloc, names[i]);
  FreeIfTaskMemory(malloc, ids);
  FreeIfTaskMemory(malloc, names);
  if (malloc) malloc->Release();
  return ok;
}

}  // namespace wtclient
