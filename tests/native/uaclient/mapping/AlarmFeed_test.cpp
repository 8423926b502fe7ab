// The refresh bracket of one subscription's stream, and the standard types' categories known up front.
#include <gtest/gtest.h>

#include "uaclient/AlarmFeed.h"

using namespace ua;

namespace {

using Events = std::vector<std::vector<Variant>>;

std::vector<Variant> OfType(uint32_t type, const char* source = "") {
  std::vector<Variant> f(kAlarmEventFieldCount);
  f[kFieldEventType] = Variant::Scalar(NodeId::Numeric(0, type));
  f[kFieldSourceName] = Variant::Scalar(ua::String(source));
  f[kFieldSeverity] = Variant::Scalar(uint16_t{300});
  return f;
}

std::vector<Variant> Alarm(const char* source) {
  std::vector<Variant> f = OfType(10637, source);
  f[kFieldConditionName] = Variant::Scalar(ua::String("Fault"));
  f[kFieldActiveStateId] = Variant::Scalar(true);
  f[kFieldAckedStateId] = Variant::Scalar(false);
  return f;
}

std::vector<std::u16string> Sources(const wtsim::Batch& batch) {
  std::vector<std::u16string> out;
  for (const wtsim::SimEvent& e : batch) out.emplace_back(e.source.begin(), e.source.end());
  return out;
}

TEST(AlarmFeed, LiveEventsOutsideTheBracketRefreshInsideAndTheBracketItselfDropped) {
  AlarmFeed feed;
  FeedOutput a = feed.Take({Alarm("A"), OfType(kRefreshStartEventTypeId), Alarm("B")}, 1);
  EXPECT_EQ(Sources(a.live), (std::vector<std::u16string>{u"A"}));
  EXPECT_FALSE(a.refreshEnded);
  EXPECT_TRUE(feed.InRefresh());

  // The bracket spans notification messages: nothing of it comes out before its end.
  FeedOutput b = feed.Take({Alarm("C")}, 2);
  EXPECT_TRUE(b.live.empty());
  EXPECT_FALSE(b.refreshEnded);

  FeedOutput c = feed.Take({Alarm("D"), OfType(kRefreshEndEventTypeId), Alarm("E")}, 3);
  EXPECT_TRUE(c.refreshEnded);
  EXPECT_EQ(Sources(c.refresh), (std::vector<std::u16string>{u"B", u"C", u"D"}));
  EXPECT_EQ(Sources(c.live), (std::vector<std::u16string>{u"E"}));
  EXPECT_FALSE(feed.InRefresh());
}

TEST(AlarmFeed, EmptyRefreshStrayEndRestartAndAbandon) {
  AlarmFeed feed;
  // Nothing active: the refresh still ends, with no record.
  FeedOutput empty = feed.Take({OfType(kRefreshStartEventTypeId), OfType(kRefreshEndEventTypeId)}, 1);
  EXPECT_TRUE(empty.refreshEnded);
  EXPECT_TRUE(empty.refresh.empty());

  // An end without a start is no refresh.
  FeedOutput stray = feed.Take({OfType(kRefreshEndEventTypeId), Alarm("A")}, 2);
  EXPECT_FALSE(stray.refreshEnded);
  EXPECT_EQ(stray.live.size(), 1u);

  // A second start drops what the first one collected.
  feed.Take({OfType(kRefreshStartEventTypeId), Alarm("old")}, 3);
  FeedOutput restarted = feed.Take({OfType(kRefreshStartEventTypeId), Alarm("new"), OfType(kRefreshEndEventTypeId)}, 4);
  EXPECT_EQ(Sources(restarted.refresh), (std::vector<std::u16string>{u"new"}));

  // Abandoned: what it collected never comes out, and later events are live again.
  feed.Take({OfType(kRefreshStartEventTypeId), Alarm("lost")}, 5);
  feed.AbandonRefresh();
  FeedOutput after = feed.Take({Alarm("live")}, 6);
  EXPECT_EQ(Sources(after.live), (std::vector<std::u16string>{u"live"}));
  EXPECT_FALSE(after.refreshEnded);
}

TEST(AlarmFeed, StandardTypesHaveTheirCategoriesBeforeAnyEventAndNewTypesFollowThem) {
  AlarmFeed feed;
  feed.Mapper().KnowStandardTypes();
  const std::vector<wtsim::Category> known = feed.Mapper().Categories().Categories();
  // The two fixed categories and the 22 standard types.
  ASSERT_EQ(known.size(), 24u);
  const auto named = [&](const char16_t* name) {
    for (const wtsim::Category& c : known)
      if (c.name == name) return c;
    return wtsim::Category{0, 0, u""};
  };
  EXPECT_EQ(named(u"BaseEventType").id, 0x0100u);
  EXPECT_EQ(named(u"BaseEventType").eventType, wtsim::kSimpleEvent);
  EXPECT_EQ(named(u"OffNormalAlarmType").eventType, wtsim::kConditionEvent);
  EXPECT_EQ(named(u"AuditConditionEventType").eventType, wtsim::kSimpleEvent);
  EXPECT_EQ(named(u"Acknowledgement").id, kCategoryAcknowledgement);

  // An event of a known type keeps that category; a vendor's type gets the next one.
  FeedOutput out = feed.Take({Alarm("A"), OfType(2041, "B")}, 1);
  ASSERT_EQ(out.live.size(), 2u);
  EXPECT_EQ(out.live[0].category, named(u"OffNormalAlarmType").id);
  EXPECT_EQ(out.live[1].category, 0x0100u);
  std::vector<Variant> vendor = OfType(0);
  vendor[kFieldEventType] = Variant::Scalar(NodeId::Numeric(2, 5001));
  FeedOutput custom = feed.Take({vendor}, 2);
  EXPECT_EQ(custom.live[0].category, 23u << 8);
}

}  // namespace
