#include "opcserver/core/EventFilter.h"

#include <gtest/gtest.h>

#include "TestRecords.h"
#include "opcserver/core/Wildcard.h"

using namespace opcsrv;
using opcsrv_test::Record;
using wtsim::kConditionEvent;
using wtsim::kSimpleEvent;
using wtsim::kTrackingEvent;

TEST(Wildcard, StarsQuestionMarksAndDigits) {
  EXPECT_TRUE(WildcardMatch(u"*", u""));
  EXPECT_TRUE(WildcardMatch(u"Area1.*", u"Area1.Boiler.TI101"));
  EXPECT_FALSE(WildcardMatch(u"Area1.*", u"Area2.Boiler.TI101"));
  EXPECT_TRUE(WildcardMatch(u"*.TI1#1", u"Area1.Boiler.TI101"));
  EXPECT_FALSE(WildcardMatch(u"*.TI1#1", u"Area1.Boiler.TIx01"));
  EXPECT_TRUE(WildcardMatch(u"A?ea*T*1", u"Area1.Boiler.TI101"));
  // A star must be able to give back what it took.
  EXPECT_TRUE(WildcardMatch(u"*ab*ab", u"xabyabab"));
  EXPECT_FALSE(WildcardMatch(u"abc", u"abcd"));
  EXPECT_FALSE(WildcardMatch(u"abcd", u"abc"));
}

TEST(EventFilter, DefaultPassesEverything) {
  EventFilter f;
  EXPECT_TRUE(f.Matches(Record(kSimpleEvent, 1, 1, u"")));
  EXPECT_TRUE(f.Matches(Record(kConditionEvent, 0x410, 1000, u"Area1.Boiler.LI103")));
  EXPECT_TRUE(f.Matches(Record(kTrackingEvent, 0x210, 500, u"x")));
}

TEST(EventFilter, EachCriterionNarrows) {
  EventFilter types;
  types.eventTypes = kConditionEvent;
  EXPECT_FALSE(types.Matches(Record(kSimpleEvent, 0x104, 500, u"a")));
  EXPECT_TRUE(types.Matches(Record(kConditionEvent, 0x410, 500, u"a")));

  EventFilter cats;
  cats.categories = {0x410, 0x104};
  EXPECT_TRUE(cats.Matches(Record(kSimpleEvent, 0x104, 500, u"a")));
  EXPECT_FALSE(cats.Matches(Record(kSimpleEvent, 0x103, 500, u"a")));

  EventFilter sev;
  sev.lowSeverity = 300;
  sev.highSeverity = 700;
  EXPECT_FALSE(sev.Matches(Record(kSimpleEvent, 1, 299, u"a")));
  EXPECT_TRUE(sev.Matches(Record(kSimpleEvent, 1, 300, u"a")));
  EXPECT_TRUE(sev.Matches(Record(kSimpleEvent, 1, 700, u"a")));
  EXPECT_FALSE(sev.Matches(Record(kSimpleEvent, 1, 701, u"a")));

  EventFilter src;
  src.sources = {u"Area1.Boiler.*", u"System.Console"};
  EXPECT_TRUE(src.Matches(Record(kSimpleEvent, 1, 5, u"Area1.Boiler.TI101")));
  EXPECT_TRUE(src.Matches(Record(kSimpleEvent, 1, 5, u"System.Console")));
  EXPECT_FALSE(src.Matches(Record(kSimpleEvent, 1, 5, u"System.Console2")));
}

TEST(EventFilter, AreasAreDottedPrefixesOfTheSource) {
  EXPECT_TRUE(SourceInArea(u"Area1.Boiler.TI101", u"Area1"));
  EXPECT_TRUE(SourceInArea(u"Area1.Boiler.TI101", u"Area1.Boiler"));
  EXPECT_TRUE(SourceInArea(u"Area1.Boiler.TI101", u"*.Boiler"));
  // The source itself is not an area, nor is a partial name.
  EXPECT_FALSE(SourceInArea(u"Area1.Boiler.TI101", u"Area1.Boiler.TI101"));
  EXPECT_FALSE(SourceInArea(u"Area1.Boiler.TI101", u"Area"));
  EXPECT_FALSE(SourceInArea(u"Area10.Pump", u"Area1"));
  EXPECT_FALSE(SourceInArea(u"NoDots", u"*"));

  EventFilter f;
  f.areas = {u"Area2", u"Area3.Cooling"};
  EXPECT_TRUE(f.Matches(Record(kSimpleEvent, 1, 5, u"Area2.Turbine.TI201")));
  EXPECT_TRUE(f.Matches(Record(kSimpleEvent, 1, 5, u"Area3.Cooling.M304")));
  EXPECT_FALSE(f.Matches(Record(kSimpleEvent, 1, 5, u"Area3.Compressor.M314")));
}

TEST(EventFilter, AllCriteriaMustHold) {
  EventFilter f;
  f.eventTypes = kConditionEvent;
  f.categories = {0x410};
  f.lowSeverity = 500;
  f.areas = {u"Area1"};
  EXPECT_TRUE(f.Matches(Record(kConditionEvent, 0x410, 800, u"Area1.Boiler.LI103")));
  EXPECT_FALSE(f.Matches(Record(kConditionEvent, 0x410, 800, u"Area2.Boiler.LI103")));
  EXPECT_FALSE(f.Matches(Record(kConditionEvent, 0x410, 400, u"Area1.Boiler.LI103")));
  EXPECT_FALSE(f.Matches(Record(kConditionEvent, 0x411, 800, u"Area1.Boiler.LI103")));
}

TEST(EventFilter, ValidationRejectsWhatCannotMatch) {
  const std::vector<wtsim::Category> known = {{kSimpleEvent, 0x104, u"P"}, {kConditionEvent, 0x410, u"L"}};
  EventFilter ok;
  ok.categories = {0x410};
  EXPECT_EQ(FilterError::None, Validate(ok, known));

  EventFilter noType;
  noType.eventTypes = 0x100;
  EXPECT_EQ(FilterError::NoEventType, Validate(noType, known));

  EventFilter unknown;
  unknown.categories = {0x410, 0x999};
  EXPECT_EQ(FilterError::UnknownCategory, Validate(unknown, known));

  EventFilter reversed;
  reversed.lowSeverity = 600;
  reversed.highSeverity = 500;
  EXPECT_EQ(FilterError::BadSeverity, Validate(reversed, known));
  EventFilter zero;
  zero.lowSeverity = 0;
  EXPECT_EQ(FilterError::BadSeverity, Validate(zero, known));
  EventFilter high;
  high.highSeverity = 1001;
  EXPECT_EQ(FilterError::BadSeverity, Validate(high, known));
}
