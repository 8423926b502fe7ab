// IPersistStorage: one stream "Contents" holding the stream form. The control
// keeps its whole state in memory, so it never holds on to a storage: after
// Load or Save it needs none, and HandsOffStorage and SaveCompleted have
// nothing to give back or take up.
#include "framework/win32/ComBagAdapter.h"
#include "framework/win32/OleControlObject.h"

namespace {
const wchar_t kContents[] = L"Contents";
}

STDMETHODIMP OleControlObject::InitNew(IStorage* storage) {
  if (!storage) return E_POINTER;
  return InitNew();
}

STDMETHODIMP OleControlObject::Load(IStorage* storage) {
  if (!storage) return E_POINTER;
  IStream* stream = nullptr;
  HRESULT hr = storage->OpenStream(kContents, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &stream);
  if (FAILED(hr) || !stream) {
    m_control->ResetState();
    m_control->SetModifiedFlag(false);
    return FAILED(hr) ? hr : E_FAIL;
  }
  hr = LoadControlFromStream(*m_control, stream);
  stream->Release();
  return hr;
}

STDMETHODIMP OleControlObject::Save(IStorage* storage, BOOL sameAsLoad) {
  if (!storage) return E_POINTER;
  IStream* stream = nullptr;
  HRESULT hr = storage->CreateStream(kContents, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &stream);
  if (FAILED(hr) || !stream) return FAILED(hr) ? hr : E_FAIL;
  hr = SaveControlToStream(*m_control, stream);
  stream->Release();
  // Saved into our own storage: the container's copy is now current.
  if (SUCCEEDED(hr) && sameAsLoad) m_control->SetModifiedFlag(false);
  return hr;
}

STDMETHODIMP OleControlObject::SaveCompleted(IStorage*) { return S_OK; }

STDMETHODIMP OleControlObject::HandsOffStorage() { return S_OK; }
