#include "model/SortKeys.h"

#include <cstring>
#include <optional>
#include <utility>

#include "model/SortText.h"

namespace velmaric_model {
namespace {

// Nonzero when one of the four 16-bit lanes of x is zero.
inline uint64_t HasZeroUnit(uint64_t x) {
  return (x - 0x0001000100010001ull) & ~x & 0x8000800080008000ull;
}

inline uint64_t Load4(const char16_t* p) {
  uint64_t x;
  std::memcpy(&x, p, sizeof x);
  return x;
}

// Index of the first unit from i on where a and b differ or both end.
inline size_t Mismatch(const char16_t* a, const char16_t* b, size_t i) {
  // Four units at a time while they agree and hold no NUL.
  for (;;) {
    const uint64_t x = Load4(a + i);
    if (x != Load4(b + i) || HasZeroUnit(x)) break;
    i += 4;
  }
  while (a[i] == b[i] && a[i] != 0) ++i;
  return i;
}

// Rows ahead whose sort-field text is asked for early: after a sort the
// cells lie anywhere in memory, and they are read in row order.
constexpr size_t kAhead = 8;

inline void Prefetch(const void* p) {
#if defined(__GNUC__)
  __builtin_prefetch(p);
#else
  (void)p;
#endif
}

// ReadUnsigned32, with a shortcut for the plain digits that ranks and
// severities are: up to nine of them cannot overflow.
inline std::optional<uint32_t> NumberOf(const String& cell) {
  const size_t size = cell.size();
  if (size == 0 || size > 9) return ReadUnsigned32(cell);
  const char16_t* digits = cell.data();
  uint32_t value = 0;
  for (size_t i = 0; i < size; ++i) {
    if (digits[i] < u'0' || digits[i] > u'9') return ReadUnsigned32(cell);
    value = value * 10 + static_cast<uint32_t>(digits[i] - u'0');
  }
  return value;
}

// "%.8x": eight lowercase hex digits.
inline void WriteHex(uint32_t v, char16_t* out) {
  static const char16_t kHex[] = u"0123456789abcdef";
  out[0] = kHex[v >> 28];
  out[1] = kHex[(v >> 24) & 0xF];
  out[2] = kHex[(v >> 20) & 0xF];
  out[3] = kHex[(v >> 16) & 0xF];
  out[4] = kHex[(v >> 12) & 0xF];
  out[5] = kHex[(v >> 8) & 0xF];
  out[6] = kHex[(v >> 4) & 0xF];
  out[7] = kHex[v & 0xF];
}

}  // namespace

SortKeys::SortKeys(std::vector<const String*> rows, int32_t field, const FieldOrder& order,
                   const uint8_t (&numeric)[kFieldCount], int32_t stopAfter)
    : m_rows(std::move(rows)) {
  std::memcpy(m_numeric, numeric, sizeof m_numeric);
  m_sequence[m_parts++] = field;
  for (int32_t g : order) {
    if (g != field) m_sequence[m_parts++] = g;
  }
  int32_t written = m_parts;
  for (int32_t p = 0; p < m_parts; ++p) {
    if (m_sequence[p] == stopAfter) written = p + 1;
  }

  const size_t count = m_rows.size();
  m_key.resize(count);
  m_length.resize(count);
  m_complete.resize(count);
  for (size_t k = 0; k < count; ++k) {
    if (k + kAhead < count) Prefetch(m_rows[k + kAhead][m_sequence[0]].data());
    Write(k, written);
  }

  // Keys of one plant often share a long start ("Plant1.Area"): found once
  // here, it costs no comparison and no chunk later. The written parts are
  // enough, a shorter prefix is still a common one.
  if (count > 0) {
    size_t common = m_length[0];
    for (size_t k = 1; k < count && common > 0; ++k) {
      const size_t i = Mismatch(m_key[0], m_key[k], 0);
      if (i < common) common = i;
    }
    m_common = common;
  }
  m_firstHead = m_common;
  for (size_t k = 0; k < count; ++k) {
    if (m_complete[k]) continue;
    const size_t room = m_length[k] < kHeadUnits ? 0 : m_length[k] - kHeadUnits;
    if (room < m_firstHead) m_firstHead = room;
  }
  m_head.resize(count);
  for (size_t k = 0; k < count; ++k) m_head[k] = Head(static_cast<int32_t>(k), m_firstHead);
}

char16_t* SortKeys::Room(size_t units) {
  if (static_cast<size_t>(m_blockEnd - m_free) < units) {
    const size_t size = units > kBlockUnits ? units : kBlockUnits;
    m_blocks.emplace_back(new char16_t[size]);
    m_free = m_blocks.back().get();
    m_blockEnd = m_free + size;
  }
  return m_free;
}

void SortKeys::Write(size_t k, int32_t parts) {
  const String* cells = m_rows[k];
  // Room for the longest key these parts can give (a number's text may be
  // shorter than its eight hex digits) and the padding.
  size_t bound = kPadding;
  for (int32_t p = 0; p < parts; ++p) {
    const int32_t g = m_sequence[p];
    const size_t size = cells[g].size();
    bound += m_numeric[g] && size < 8 ? 8 : size;
  }
  char16_t* const start = Room(bound);
  char16_t* out = start;
  bool cut = false;
  for (int32_t p = 0; p < parts && !cut; ++p) {
    const int32_t g = m_sequence[p];
    const String& cell = cells[g];
    if (m_numeric[g]) {
      if (std::optional<uint32_t> value = NumberOf(cell)) {
        WriteHex(*value, out);
        out += 8;
        continue;
      }
    }
    // The comparison stops at a NUL: nothing after it can matter. Four
    // units at a time up to the word that holds one.
    const char16_t* const s = cell.data();
    const size_t size = cell.size();
    size_t i = 0;
    for (; i + 4 <= size; i += 4) {
      const uint64_t x = Load4(s + i);
      if (HasZeroUnit(x)) break;
      std::memcpy(out + i, &x, sizeof x);
    }
    for (; i < size && s[i] != 0; ++i) out[i] = s[i];
    out += i;
    cut = i < size;
  }
  m_key[k] = start;
  m_length[k] = static_cast<size_t>(out - start);
  m_complete[k] = cut || parts == m_parts;
  for (size_t z = 0; z < kPadding; ++z) *out++ = 0;
  m_free = out;
}

KeyHead SortKeys::Head(int32_t key, size_t offset) {
  const size_t k = static_cast<size_t>(key);
  if (!m_complete[k] && offset + kHeadUnits > m_length[k]) Complete(key);
  const char16_t* p = m_key[k] + offset;
  return {Chunk(p), Chunk(p + 4)};
}

int SortKeys::Compare(int32_t a, int32_t b) {
  const KeyHead& ha = FirstHead(a);
  const KeyHead& hb = FirstHead(b);
  if (ha != hb) return ha < hb ? -1 : 1;
  return CompareFrom(a, b, m_firstHead + kHeadUnits);
}

int SortKeys::CompareFrom(int32_t a, int32_t b, size_t offset) {
  const size_t ka = static_cast<size_t>(a);
  const size_t kb = static_cast<size_t>(b);
  for (;;) {
    // A written part must reach past the units compared.
    if (!m_complete[ka] && offset >= m_length[ka]) Complete(a);
    if (!m_complete[kb] && offset >= m_length[kb]) Complete(b);
    // Equal units up to a key's end mean both keys end there.
    if (offset > m_length[ka] || offset > m_length[kb]) return 0;
    const char16_t* pa = m_key[ka];
    const char16_t* pb = m_key[kb];
    const size_t i = Mismatch(pa, pb, offset);
    // The padding after a key written in part is not its end: look again
    // with the whole key from where they first differed.
    if ((!m_complete[ka] && i >= m_length[ka]) || (!m_complete[kb] && i >= m_length[kb])) {
      offset = i;
      continue;
    }
    if (pa[i] == pb[i]) return 0;
    return pa[i] < pb[i] ? -1 : 1;
  }
}

String SortKeys::Text(int32_t key) {
  const size_t k = static_cast<size_t>(key);
  if (!m_complete[k]) Complete(key);
  return String(m_key[k], m_length[k]);
}

}  // namespace velmaric_model
