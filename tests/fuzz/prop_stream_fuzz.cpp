// The stream form of the property set, loaded from any bytes. A refused
// stream leaves every property at its default (whatever the control held
// before); an accepted one was read to a definite end, and saving it gives
// a canonical stream of exactly that length that loads again to the same
// values and saves again to the same bytes.
#include "tests/fuzz/FuzzControl.h"

using namespace fuzz;

namespace {

std::vector<uint8_t> Save(CVelmaricAECtrl& c) {
  ByteWriter out;
  c.SaveToBytes(out);
  return out.Bytes();
}

// Non-default values in every kind of property, so that a refused load
// that forgot to reset anything shows.
void Dirty(CVelmaricAECtrl& c) {
  FontDesc f;
  f.name = u"Courier New";
  f.size = 123456;
  f.italic = true;
  c.SetFont(f);
  c.SetBackColor(0x00123456);
  c.SetExtent({1, 2});
  for (const DispEntry& e : c.GetDispatchTable()) {
    if (e.isMethod) continue;
    Value v;
    switch (e.type) {
      case VType::I2: v = Value::I2(-4321); break;
      case VType::Bool: v = Value::Bool(e.get(c).i == 0); break;
      case VType::Color: v = Value::Color(0x80000011); break;
      case VType::BStr: v = Value::Str(u"5x"); break;
      default: continue;
    }
    e.put(c, v);
  }
  FUZZ_CHECK(c.IsModified());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FuzzControl first, second;
  CVelmaricAECtrl& c = first.Reset();
  Dirty(c);

  ByteReader in(data, size);
  const bool accepted = c.LoadFromBytes(in);
  FUZZ_CHECK(!c.IsModified());
  const std::vector<Entry> loaded = Snapshot(c);
  if (!accepted) {
    FUZZ_CHECK(loaded == DefaultSnapshot());
    return 0;
  }
  FUZZ_CHECK((c.GetVersionLoaded() >> 16) == 1);
  FUZZ_CHECK(!in.Failed());
  FUZZ_CHECK(in.Position() <= size);

  const std::vector<uint8_t> saved = Save(c);
  // Every value has a fixed size or a length prefix, so the canonical form
  // is as long as what was read.
  FUZZ_CHECK(saved.size() == in.Position());

  CVelmaricAECtrl& copy = second.Reset();
  Dirty(copy);
  ByteReader again(saved);
  FUZZ_CHECK(copy.LoadFromBytes(again));
  FUZZ_CHECK(again.Remaining() == 0);
  FUZZ_CHECK(Snapshot(copy) == loaded);
  FUZZ_CHECK(Save(copy) == saved);
  return 0;
}
