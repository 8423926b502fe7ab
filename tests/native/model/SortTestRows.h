// Rows for the sort tests, and the keys the original quicksort compares.
#pragma once
#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "framework/Types.h"
#include "tests/native/model/ReferenceQuickSort.h"

namespace sort_test {

inline String Ascii(const std::string& s) { return String(s.begin(), s.end()); }

inline const String& Pick(const std::vector<String>& v, std::mt19937& rng) { return v[rng() % v.size()]; }

// Rows like a plant's: sources sharing a long start, repeated messages, a
// few categories, severities 1..1000, and unique ranks 1..n, so no two keys
// are equal.
inline std::vector<reference::Row> PlantRows(int count, std::mt19937& rng) {
  const char* kinds[] = {"Pump", "Valve", "Tank", "Motor", "Boiler"};
  const char* messages[] = {"High level alarm", "Low pressure", "Motor tripped", "Returned to normal"};
  const std::vector<String> categories = {u"Level", u"Deviation", u"Discrete", u"System Message"};
  std::vector<reference::Row> rows;
  for (int n = 1; n <= count; ++n) {
    const std::string source = "Plant1.Area" + std::to_string(rng() % 4) + "." + kinds[rng() % 5] +
                               std::to_string(rng() % 12);
    const std::string message = std::string(messages[rng() % 4]) + " on unit " + std::to_string(rng() % 6);
    rows.push_back({Ascii(std::to_string(n)), Ascii("2024/05/17 10:0" + std::to_string(rng() % 3)),
                    Ascii(source), Ascii(message), Pick(categories, rng), Ascii(std::to_string(1 + rng() % 1000))});
  }
  return rows;
}

// Rows from small sets of cells, so that keys tie often: texts that are
// prefixes of each other and cross the 8-unit steps of the heads, texts cut
// short by a NUL, empty texts, units above 0xFF (surrogates and U+FFFF
// included), numbers in several spellings and non-numbers in the numeric
// fields. When uniqueRanks is false the Rank cells repeat as well.
inline std::vector<reference::Row> TieRows(int count, std::mt19937& rng, bool uniqueRanks) {
  const std::vector<String> texts = {u"",
                                     u"a",
                                     u"ab",
                                     u"abcdefg",
                                     u"abcdefgh",
                                     u"abcdefghi",
                                     u"abcdefghijklmnop",
                                     u"abcdefghijklmnopq",
                                     u"Abcdefgh",
                                     String(u"abc\0d", 5),
                                     String(u"abc\0e", 5),
                                     String(u"\0z", 2),
                                     u"\u00e9t\u00e9",
                                     u"\uffff",
                                     u"\U0001F600x",
                                     u"\ue000",
                                     u"*"};
  const std::vector<String> numbers = {u"1", u"01", u" 1", u"200", u"1000", u"*", u"", u"x", u"-1",
                                       u"4294967297", String(u"5\0" u"9", 3), String(u"\0" u"7", 2)};
  std::vector<reference::Row> rows;
  for (int n = 1; n <= count; ++n) {
    const String rank = uniqueRanks ? Ascii(std::to_string(n)) : Pick(numbers, rng);
    rows.push_back({rank, Pick(texts, rng), Pick(texts, rng), Pick(texts, rng), Pick(texts, rng), Pick(numbers, rng)});
  }
  return rows;
}

// The key the original quicksort builds, up to the NUL where its comparison
// stops.
inline String ReferenceKey(const reference::Sorter& sorter, int32_t field, int32_t row) {
  const String key = sorter.Key(field, row);
  const size_t nul = key.find(u'\0');
  return nul == String::npos ? key : key.substr(0, nul);
}

inline int Sign(int v) { return (v > 0) - (v < 0); }

inline std::vector<const String*> Cells(const std::vector<reference::Row>& rows) {
  std::vector<const String*> cells;
  for (const reference::Row& r : rows) cells.push_back(r.data());
  return cells;
}

inline std::array<int32_t, 6> RandomOrder(std::mt19937& rng) {
  std::array<int32_t, 6> order = {0, 1, 2, 3, 4, 5};
  std::shuffle(order.begin(), order.end(), rng);
  return order;
}

}  // namespace sort_test
