// ISpecifyPropertyPages: the class's page list, in its order.
#include "framework/win32/OleControlObject.h"

STDMETHODIMP OleControlObject::GetPages(CAUUID* pages) {
  if (!pages) return E_POINTER;
  pages->cElems = 0;
  pages->pElems = nullptr;
  if (m_info.pageCount == 0 || !m_info.pages) return S_OK;
  GUID* list = static_cast<GUID*>(CoTaskMemAlloc(m_info.pageCount * sizeof(GUID)));
  if (!list) return E_OUTOFMEMORY;
  for (size_t k = 0; k < m_info.pageCount; ++k) list[k] = m_info.pages[k];
  pages->cElems = static_cast<ULONG>(m_info.pageCount);
  pages->pElems = list;
  return S_OK;
}
