#include "framework/win32/ComBagAdapter.h"

#include "framework/win32/VariantConv.h"
#include "framework/win32/WinString.h"

std::optional<Value> ComPropertyBag::Read(const String& name, VType want) {
  VARIANT v;
  VariantInit(&v);
  // Objects are asked for as objects; everything else in the bag's own type,
  // converted below, so that a text bag's "15" still reads as a short.
  if (want == VType::Font) V_VT(&v) = VT_DISPATCH;
  HRESULT hr = m_bag->Read(W(name), &v, nullptr);
  if (FAILED(hr)) {
    VariantClear(&v);
    return std::nullopt;
  }
  std::optional<Value> out;
  Value got;
  if (SUCCEEDED(VariantToValue(v, want, got))) out = got;
  VariantClear(&v);
  return out;
}

bool ComPropertyBag::Write(const String& name, const Value& value) {
  VARIANT v;
  VariantInit(&v);
  HRESULT hr = ValueToVariant(value, &v);
  if (SUCCEEDED(hr)) hr = m_bag->Write(W(name), &v);
  VariantClear(&v);
  if (FAILED(hr) && m_writeError == S_OK) m_writeError = hr;
  return SUCCEEDED(hr);
}

HRESULT ReadExact(IStream* stream, void* data, ULONG size) {
  ULONG done = 0;
  HRESULT hr = stream->Read(data, size, &done);
  if (FAILED(hr)) return hr;
  return done == size ? S_OK : STG_E_READFAULT;
}

HRESULT WriteAll(IStream* stream, const void* data, ULONG size) {
  ULONG done = 0;
  HRESULT hr = stream->Write(data, size, &done);
  if (FAILED(hr)) return hr;
  return done == size ? S_OK : STG_E_WRITEFAULT;
}

namespace {

void PutCount(uint8_t* out, uint32_t n) {
  for (int k = 0; k < 4; ++k) out[k] = static_cast<uint8_t>(n >> (8 * k));
}

uint32_t GetCount(const uint8_t* in) {
  return in[0] | (in[1] << 8) | (in[2] << 16) | (static_cast<uint32_t>(in[3]) << 24);
}

HRESULT RefuseLoad(COleControl& control, HRESULT hr) {
  control.ResetState();
  control.SetModifiedFlag(false);
  return hr;
}

}  // namespace

HRESULT SaveControlToStream(COleControl& control, IStream* stream) {
  if (!stream) return E_POINTER;
  ByteWriter out;
  control.SaveToBytes(out);
  const std::vector<uint8_t>& bytes = out.Bytes();
  if (bytes.size() > kMaxStreamForm) return E_FAIL;
  uint8_t count[4];
  PutCount(count, static_cast<uint32_t>(bytes.size()));
  HRESULT hr = WriteAll(stream, count, sizeof count);
  if (SUCCEEDED(hr) && !bytes.empty()) hr = WriteAll(stream, bytes.data(), static_cast<ULONG>(bytes.size()));
  return hr;
}

HRESULT LoadControlFromStream(COleControl& control, IStream* stream) {
  if (!stream) return E_POINTER;
  uint8_t count[4];
  HRESULT hr = ReadExact(stream, count, sizeof count);
  if (FAILED(hr)) return RefuseLoad(control, hr);
  const uint32_t size = GetCount(count);
  if (size > kMaxStreamForm) return RefuseLoad(control, E_FAIL);
  std::vector<uint8_t> bytes(size);
  if (size > 0) {
    hr = ReadExact(stream, bytes.data(), size);
    if (FAILED(hr)) return RefuseLoad(control, hr);
  }
  ByteReader in(bytes);
  // LoadFromBytes resets the control itself when the bytes are not ours.
  return control.LoadFromBytes(in) ? S_OK : E_FAIL;
}

ULONGLONG StreamFormSize(COleControl& control) {
  ByteWriter out;
  control.SaveToBytes(out);
  return 4 + out.Bytes().size();
}
