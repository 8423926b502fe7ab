#include "opcserver/core/Outbox.h"

#include <gtest/gtest.h>

#include "TestRecords.h"

using namespace opcsrv;
using opcsrv_test::Numbered;

namespace {

std::vector<size_t> Sizes(const std::vector<wtsim::Batch>& calls) {
  std::vector<size_t> out;
  for (const wtsim::Batch& b : calls) out.push_back(b.size());
  return out;
}

}  // namespace

TEST(Outbox, WithoutBufferTimeEachBatchGoesAsItArose) {
  Outbox o;
  o.Configure(0, 0);
  EXPECT_EQ(Outbox::kNever, o.DueAt());
  o.Add(Numbered(0, 3), 100);
  o.Add(Numbered(3, 2), 105);
  EXPECT_LE(o.DueAt(), 100u);
  const std::vector<wtsim::Batch> calls = o.Take(105);
  ASSERT_EQ((std::vector<size_t>{3, 2}), Sizes(calls));
  EXPECT_EQ(u"3", calls[1][0].message);
  EXPECT_EQ(0u, o.Pending());
  EXPECT_EQ(Outbox::kNever, o.DueAt());
}

TEST(Outbox, MaxSizeSplitsInOrder) {
  Outbox o;
  o.Configure(0, 4);
  o.Add(Numbered(0, 10), 0);
  const std::vector<wtsim::Batch> calls = o.Take(0);
  ASSERT_EQ((std::vector<size_t>{4, 4, 2}), Sizes(calls));
  EXPECT_EQ(u"0", calls[0][0].message);
  EXPECT_EQ(u"4", calls[1][0].message);
  EXPECT_EQ(u"9", calls[2][1].message);
}

TEST(Outbox, BufferTimeCollectsAndSpacesCalls) {
  Outbox o;
  o.Configure(1000, 0);
  // The first records after a quiet spell go at once...
  o.Add(Numbered(0, 1), 0);
  EXPECT_EQ((std::vector<size_t>{1}), Sizes(o.Take(0)));
  // ...later ones wait for the buffer time and go together, in one call.
  o.Add(Numbered(1, 2), 10);
  o.Add(Numbered(3, 3), 500);
  EXPECT_EQ(1000u, o.DueAt());
  EXPECT_TRUE(o.Take(999).empty());
  const std::vector<wtsim::Batch> calls = o.Take(1000);
  ASSERT_EQ((std::vector<size_t>{5}), Sizes(calls));
  EXPECT_EQ(u"1", calls[0].front().message);
  EXPECT_EQ(u"5", calls[0].back().message);
  // A record long after the last call goes when it arrives.
  o.Add(Numbered(6, 1), 5000);
  EXPECT_EQ(5000u, o.DueAt());
}

TEST(Outbox, AFullMaxSizeGoesBeforeTheBufferTime) {
  Outbox o;
  o.Configure(1000, 4);
  o.Add(Numbered(0, 1), 0);
  o.Take(0);
  o.Add(Numbered(1, 3), 100);
  EXPECT_EQ(1000u, o.DueAt());
  o.Add(Numbered(4, 6), 200);  // 9 waiting: two full calls may go now
  EXPECT_EQ(200u, o.DueAt());
  EXPECT_EQ((std::vector<size_t>{4, 4}), Sizes(o.Take(200)));
  EXPECT_EQ(1u, o.Pending());
  // The rest waits a whole buffer time after that call.
  EXPECT_EQ(1200u, o.DueAt());
  const std::vector<wtsim::Batch> rest = o.Take(1200);
  ASSERT_EQ((std::vector<size_t>{1}), Sizes(rest));
  EXPECT_EQ(u"9", rest[0][0].message);
}

TEST(Outbox, ClearDropsAndReconfigureKeepsPending) {
  Outbox o;
  o.Configure(1000, 0);
  o.Add(Numbered(0, 1), 0);
  o.Take(0);
  o.Add(Numbered(1, 5), 10);
  o.Configure(0, 2);  // now as they come, two at a time
  EXPECT_EQ((std::vector<size_t>{2, 2, 1}), Sizes(o.Take(11)));
  o.Add(Numbered(6, 3), 20);
  o.Clear();
  EXPECT_EQ(0u, o.Pending());
  EXPECT_TRUE(o.Take(10000).empty());
}
