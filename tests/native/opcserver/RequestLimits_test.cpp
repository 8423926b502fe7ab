#include "opcserver/core/RequestLimits.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

using namespace opcsrv;

namespace {

const ClientList kLists[] = {ClientList::FilterCategories, ClientList::FilterAreas, ClientList::FilterSources,
                             ClientList::AckedConditions, ClientList::AttributeIds};

}  // namespace

TEST(RequestLimits, EachListTakesUpToItsBoundAndNoMore) {
  for (const ClientList list : kLists) {
    SCOPED_TRACE("list " + std::to_string(static_cast<int>(list)));
    const uint32_t max = MaxEntries(list);
    EXPECT_TRUE(CountAllowed(list, 0));
    EXPECT_TRUE(CountAllowed(list, 1));
    EXPECT_TRUE(CountAllowed(list, max));
    EXPECT_FALSE(CountAllowed(list, max + 1));
    // The counts opc_server_test sends across the process boundary: the
    // first reaches the server, which must refuse it itself.
    for (const uint32_t huge : {0x10000u, 0x80000000u, 0xFFFFFFFFu}) EXPECT_FALSE(CountAllowed(list, huge)) << huge;
    // At the bound the answer's arrays (a VARIANT of 24 bytes each at most)
    // still fit a 32-bit size.
    uint32_t bytes = 0;
    EXPECT_TRUE(ArrayBytes(max, 24, &bytes));
  }
}

TEST(RequestLimits, ListsRealClientsSendAreTaken) {
  // A filter naming a thousand sources or areas, an acknowledgement of a
  // thousand standing alarms, every category of a plant, tens of attributes.
  EXPECT_TRUE(CountAllowed(ClientList::FilterSources, 1000));
  EXPECT_TRUE(CountAllowed(ClientList::FilterAreas, 1000));
  EXPECT_TRUE(CountAllowed(ClientList::AckedConditions, 1000));
  EXPECT_TRUE(CountAllowed(ClientList::FilterCategories, 100));
  EXPECT_TRUE(CountAllowed(ClientList::AttributeIds, 100));
}

TEST(RequestLimits, ArrayBytesNeverWraps) {
  uint32_t small = 0xDEADBEEF;
  // A 32-bit server: VARIANTs of 16 bytes.
  EXPECT_FALSE(ArrayBytes(0x10000000u, 16, &small)) << "wraps to 0";
  EXPECT_EQ(0xDEADBEEFu, small) << "untouched when refused";
  ASSERT_TRUE(ArrayBytes(0x0FFFFFFFu, 16, &small));
  EXPECT_EQ(0xFFFFFFF0u, small);
  EXPECT_FALSE(ArrayBytes(0xFFFFFFFFu, 4, &small));
  EXPECT_FALSE(ArrayBytes(0x80000000u, 2, &small));
  ASSERT_TRUE(ArrayBytes(0x7FFFFFFFu, 2, &small));
  EXPECT_EQ(0xFFFFFFFEu, small);
  // A 64-bit server: every 32-bit count fits, a wider product does not.
  uint64_t wide = 0;
  ASSERT_TRUE(ArrayBytes(0xFFFFFFFFu, 24, &wide));
  EXPECT_EQ(0xFFFFFFFFull * 24, wide);
  EXPECT_FALSE(ArrayBytes(UINT64_MAX / 8 + 1, 8, &wide));
  // Nothing times anything is nothing.
  ASSERT_TRUE(ArrayBytes(0, 24, &small));
  EXPECT_EQ(0u, small);
  ASSERT_TRUE(ArrayBytes(0xFFFFFFFFu, 0, &small));
  EXPECT_EQ(0u, small);
}
