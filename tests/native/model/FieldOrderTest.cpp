#include <gtest/gtest.h>

#include "model/FieldOrder.h"

namespace {

const FieldOrder kNatural = {0, 1, 2, 3, 4, 5};

TEST(ColumnOrder, KeepsAPermutationAndTakesAnythingElseAsTheNaturalOrder) {
  const int32_t reversed[] = {5, 4, 3, 2, 1, 0};
  EXPECT_EQ(ColumnOrder(reversed).Order(), (FieldOrder{5, 4, 3, 2, 1, 0}));
  const int32_t repeated[] = {0, 1, 2, 3, 4, 4};
  const int32_t outside[] = {0, 1, 2, 3, 4, 6};
  const int32_t negative[] = {-1, 1, 2, 3, 4, 5};
  for (const auto* bad : {&repeated, &outside, &negative}) EXPECT_EQ(ColumnOrder(*bad).Order(), kNatural);
  EXPECT_EQ(ColumnOrder().Order(), kNatural);
}

TEST(ColumnOrder, FromTextTakesSixDigitsNamingEachFieldOnce) {
  EXPECT_EQ(ColumnOrder::FromText(u"543210").Order(), (FieldOrder{5, 4, 3, 2, 1, 0}));
  EXPECT_EQ(ColumnOrder::FromText(u"102345")[0], 1);
  // Short, long, a letter, a repeat, a digit of another script.
  for (const char16_t* bad : {u"", u"01234", u"0123456", u"01234a", u"011345", u"01234\u0665"})
    EXPECT_EQ(ColumnOrder::FromText(bad).Order(), kNatural);
}

}  // namespace
