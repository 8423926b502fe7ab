// The sort keys of a range of rows: the sort field's sort text, then the
// other fields' in display order, cut at the first NUL (where the ordinal
// comparison stops). Keys are written one after the other into a few large
// blocks, each followed by zero units, so a key reads as a NUL-terminated
// string and a chunk near its end reads without a bounds check.
//
// A key may be written only up to a given field (the list stops after Rank:
// ranks are unique, so the rest of a key hardly ever decides, and its cells
// are not even read). Such a key is incomplete: as soon as a head or a
// comparison reaches its end, the rest is written too, so every answer is
// the one the whole key gives.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "model/EventList.h"
#include "model/FieldOrder.h"

namespace velmaric_model {

// Eight units of a key from some offset on, as two 64-bit chunks of four
// units each: comparing heads compares those units.
struct KeyHead {
  uint64_t high, low;
  bool operator==(const KeyHead& o) const { return high == o.high && low == o.low; }
  bool operator!=(const KeyHead& o) const { return !(*this == o); }
  bool operator<(const KeyHead& o) const { return high != o.high ? high < o.high : low < o.low; }
};

class SortKeys {
 public:
  static constexpr size_t kHeadUnits = 8;

  // rows[k] points at the six cells (by field index) of key k; the cells must
  // outlive the keys (the rest of a key is read when needed). Keys are
  // written up to and including the part of `stopAfter` (a field index), or
  // whole when it is not a field.
  SortKeys(std::vector<const String*> rows, int32_t field, const FieldOrder& order,
           const uint8_t (&numeric)[kFieldCount], int32_t stopAfter = -1);

  int32_t Count() const { return static_cast<int32_t>(m_key.size()); }
  // Units every key starts with: no comparison needs to look at them.
  size_t CommonPrefix() const { return m_common; }
  // Where the first heads are read: the common prefix's end, or earlier so
  // that the heads lie within the written parts (a key written up to a short
  // Rank would else be written whole just for its first head).
  size_t FirstHeadOffset() const { return m_firstHead; }

  // Units [offset, offset + 8) of a key, zero past its end. The units before
  // offset must be known to exist: offset <= the key's length.
  KeyHead Head(int32_t key, size_t offset);
  // The head at FirstHeadOffset(), computed once.
  const KeyHead& FirstHead(int32_t key) const { return m_head[static_cast<size_t>(key)]; }
  // True when Head(key, offset) needs no more of the key than is written.
  bool HasHead(int32_t key, size_t offset) const {
    return m_complete[static_cast<size_t>(key)] || offset + kHeadUnits <= m_length[static_cast<size_t>(key)];
  }
  // True when the key is known to end before `offset` (its head there would
  // be all padding); for a key written in part, only once it is whole.
  bool EndsBefore(int32_t key, size_t offset) const {
    return m_complete[static_cast<size_t>(key)] && m_length[static_cast<size_t>(key)] < offset;
  }

  // Sign of wcscmp over the two keys: -1, 0 or 1.
  int Compare(int32_t a, int32_t b);
  // The same comparison of the keys' units from `offset` on; both keys must
  // have the same units before it.
  int CompareFrom(int32_t a, int32_t b, size_t offset);

  // The whole key (for tests): its units up to the cut.
  String Text(int32_t key);

 private:
  // Zero units after every key: a head read from any offset up to the key's
  // length stays inside them.
  static constexpr size_t kPadding = kHeadUnits;
  // Keys are written into blocks of at least this many units, so a key is
  // copied once and no pass over the rows is needed to size them.
  static constexpr size_t kBlockUnits = size_t{1} << 17;

  // Writes key k's parts [0, parts) at a fresh place and records it.
  void Write(size_t k, int32_t parts);
  void Complete(int32_t key) { Write(static_cast<size_t>(key), m_parts); }
  char16_t* Room(size_t units);
  uint64_t Chunk(const char16_t* p) const {
    return (uint64_t{p[0]} << 48) | (uint64_t{p[1]} << 32) | (uint64_t{p[2]} << 16) | p[3];
  }

  const std::vector<const String*> m_rows;
  uint8_t m_numeric[kFieldCount];
  int32_t m_sequence[kFieldCount];  // field of each part of a key
  int32_t m_parts = 0;

  std::vector<std::unique_ptr<char16_t[]>> m_blocks;
  char16_t* m_free = nullptr;
  char16_t* m_blockEnd = nullptr;

  std::vector<const char16_t*> m_key;
  std::vector<size_t> m_length;    // units written (the whole key once complete)
  std::vector<uint8_t> m_complete;
  std::vector<KeyHead> m_head;
  size_t m_common = 0;
  size_t m_firstHead = 0;
};

}  // namespace velmaric_model
