#include <gtest/gtest.h>

#include <map>
#include <set>

#include "plant/Plant.h"

using namespace wtsim;

TEST(Plant, CategoriesCoverTheEventTypesAndTheResetAndAckCodes) {
  const std::vector<Category> cats = Plant::Categories();
  std::set<uint32_t> types, ids;
  bool reset = false, ack = false;
  for (const Category& c : cats) {
    types.insert(c.eventType);
    EXPECT_TRUE(ids.insert(c.id).second) << "duplicate id " << c.id;
    EXPECT_FALSE(c.name.empty());
    if (c.eventType == kSimpleEvent && (c.id & 0xFF) == 1) reset = true;
    // Acknowledgements are simple events, whoever acknowledged: the control
    // looks names up among the simple-event categories.
    if (c.eventType == kSimpleEvent && (c.id & 0xFF) == 3) ack = true;
    // Only the reset and acknowledgement categories carry those codes, so
    // that the control's filters hide nothing else.
    if ((c.id & 0xFF) == 1) {
      EXPECT_EQ(c.id, plantcat::kReset);
    }
    if ((c.id & 0xFF) == 3) {
      EXPECT_EQ(c.id, plantcat::kAcknowledgement);
    }
  }
  EXPECT_EQ(types, (std::set<uint32_t>{kSimpleEvent, kTrackingEvent, kConditionEvent}));
  EXPECT_TRUE(reset);
  EXPECT_TRUE(ack);
  EXPECT_GE(Plant::SourceCount(), 24u);
}

TEST(Plant, TrafficLooksLikeAPlant) {
  Random rng(2024);
  ConditionTable conditions;
  std::map<uint32_t, uint32_t> typeOfCategory;
  for (const Category& c : Plant::Categories()) typeOfCategory[c.id] = c.eventType;

  std::map<uint32_t, int> perCategory;
  std::set<String> sources;
  uint32_t minSev = 1001, maxSev = 0;
  for (int i = 0; i < 5000; ++i) {
    const SimEvent e = Plant::Next(rng, 1000 + i, conditions);
    ASSERT_TRUE(typeOfCategory.count(e.category)) << e.category;
    EXPECT_EQ(e.eventType, typeOfCategory[e.category]);
    EXPECT_EQ(e.time, uint64_t(1000 + i));
    EXPECT_FALSE(e.source.empty());
    EXPECT_FALSE(e.message.empty());
    EXPECT_GE(e.severity, 1u);
    EXPECT_LE(e.severity, 1000u);
    minSev = std::min(minSev, e.severity);
    maxSev = std::max(maxSev, e.severity);
    ++perCategory[e.category];
    sources.insert(e.source);
    if (e.eventType == kConditionEvent) {
      EXPECT_TRUE(e.newState & kStateActive);
      EXPECT_FALSE(e.condition.empty());
    }
    if (e.category == plantcat::kAcknowledgement) {
      // The very record a client's acknowledgement of that condition makes.
      SimEvent condition = e;
      condition.newState = static_cast<uint16_t>(e.newState & ~kStateAcked);
      const SimEvent same = Plant::AcknowledgementOf(condition, e.time, e.actor);
      EXPECT_EQ(kChangeAckState, e.changeMask);
      EXPECT_EQ(kStateEnabled | kStateActive | kStateAcked, e.newState);
      EXPECT_FALSE(e.actor.empty());
      EXPECT_NE(0u, e.cookie);
      EXPECT_NE(0u, e.activeTime);
      EXPECT_EQ(same.message, e.message);
      EXPECT_EQ(same.eventType, e.eventType);
    }
    // At most one active condition per source, and not too many standing.
    std::set<String> active;
    for (size_t k = 0; k < conditions.Size(); ++k) EXPECT_TRUE(active.insert(conditions.At(k).source).second);
    EXPECT_LE(conditions.Size(), Plant::SourceCount());
  }
  EXPECT_EQ(perCategory.size(), Plant::Categories().size());  // every category occurs
  EXPECT_GT(perCategory[plantcat::kAcknowledgement], 100);
  EXPECT_GT(perCategory[plantcat::kReset], 100);
  EXPECT_GE(sources.size(), Plant::SourceCount());
  EXPECT_LT(minSev, 50u);
  EXPECT_GT(maxSev, 950u);
}
