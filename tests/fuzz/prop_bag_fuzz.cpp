// The property-bag form, loaded from a bag that holds any names with values
// of any type, and that may answer a read with a value of another type than
// the one asked for (as a careless container's bag would). Each property
// takes the bag's value when the bag has its name with the property's type,
// else its default; nothing else in the bag matters. The loaded set then
// saves and loads again, through a bag and through the stream form, to the
// same values.
#include <map>

#include "tests/fuzz/FuzzControl.h"

using namespace fuzz;

namespace {

// Answers every read with what it holds under the name, whatever was asked.
class CarelessBag : public PropertyBagPort {
 public:
  std::optional<Value> Read(const String& name, VType) override {
    ++m_reads[name];
    auto it = m_values.find(name);
    if (it == m_values.end()) return std::nullopt;
    return it->second;
  }
  bool Write(const String& name, const Value& value) override {
    m_values[name] = value;
    return true;
  }
  std::map<String, Value> m_values;
  std::map<String, int> m_reads;
};

// A face name as a font keeps it: 31 units, never half a surrogate pair.
String FaceName(const String& name) {
  if (name.size() <= 31) return name;
  const bool split = name[30] >= 0xD800 && name[30] <= 0xDBFF;
  return name.substr(0, split ? 30 : 31);
}

// The value a property of `type` holds after loading `v` of that type.
Value AsLoaded(VType type, const Value& v) {
  switch (type) {
    case VType::I2: return Value::I2(static_cast<int16_t>(v.i));
    case VType::Bool: return Value::Bool(v.i != 0);
    case VType::I4: return Value::I4(v.i);
    case VType::Color: return Value::Color(static_cast<OleColor>(v.i));
    case VType::BStr: return Value::Str(v.s);
    case VType::Font: {
      FontDesc f = v.font;
      f.name = FaceName(f.name);
      return Value::Font(f);
    }
    default: return v;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FuzzControl first, second, third;
  Input in(data, size);
  const std::vector<Entry>& defaults = DefaultSnapshot();

  // Names: those of the set, sometimes in another case or with a suffix,
  // and any other text.
  CarelessBag bag;
  const size_t count = in.Int<size_t>(0, 48);
  for (size_t k = 0; k < count && !in.Empty(); ++k) {
    String name;
    switch (in.Pick(4)) {
      case 0: name = in.Text(16); break;
      case 1: {
        name = defaults[in.Pick(defaults.size())].first;
        if (!name.empty()) name[in.Pick(name.size())] ^= 0x20;
        break;
      }
      default: name = defaults[in.Pick(defaults.size())].first; break;
    }
    bag.m_values[name] = in.AnyValue();
  }

  CVelmaricAECtrl& c = first.Reset();
  c.SetModifiedFlag();
  c.LoadFromBag(bag);
  FUZZ_CHECK(!c.IsModified());

  // Every property asked for once, by its exact name; each took the bag's
  // value if its type was right, else its default.
  const std::vector<Entry> loaded = Snapshot(c);
  FUZZ_CHECK(loaded.size() == defaults.size());
  for (size_t k = 0; k < defaults.size(); ++k) {
    const String& name = defaults[k].first;
    const VType type = defaults[k].second.type;
    FUZZ_CHECK(loaded[k].first == name);
    FUZZ_CHECK(bag.m_reads[name] == 1);
    auto it = bag.m_values.find(name);
    const bool usable = it != bag.m_values.end() && it->second.type == type;
    if (name == u"_Version") {
      FUZZ_CHECK(c.GetVersionLoaded() == (usable ? static_cast<uint32_t>(it->second.i) : 0x00010000u));
      continue;  // a save always writes the control's own version
    }
    FUZZ_CHECK(loaded[k].second == (usable ? AsLoaded(type, it->second) : defaults[k].second));
  }
  FUZZ_CHECK(bag.m_reads.size() == defaults.size());

  // Saved to a bag, every property under its name with its type...
  CarelessBag saved;
  FUZZ_CHECK(c.SaveToBag(saved));
  FUZZ_CHECK(saved.m_values.size() == defaults.size());
  for (const Entry& e : loaded) {
    auto it = saved.m_values.find(e.first);
    FUZZ_CHECK(it != saved.m_values.end());
    FUZZ_CHECK(it->second == e.second);
  }
  // ...which loads again to the same set.
  CVelmaricAECtrl& copy = second.Reset();
  copy.LoadFromBag(saved);
  FUZZ_CHECK(Snapshot(copy) == loaded);

  // The same set through the stream form: whatever a bag delivered, a
  // container that later saves the control as a stream can load it again.
  ByteWriter out;
  c.SaveToBytes(out);
  CVelmaricAECtrl& streamed = third.Reset();
  ByteReader back(out.Bytes());
  const bool accepted = streamed.LoadFromBytes(back);
  if (!accepted) {
    std::fprintf(stderr, "font name '%s' (%zu units), version 0x%08x\n", Narrow(c.GetFont().name).c_str(),
                 c.GetFont().name.size(), c.GetVersionLoaded());
  }
  FUZZ_CHECK(accepted);
  FUZZ_CHECK(Snapshot(streamed) == loaded);
  return 0;
}
