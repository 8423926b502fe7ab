#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "plant/Plant.h"
#include "plant/Scenario.h"

using namespace wtsim;

namespace {

const char kFull[] =
    "# a plant trip\n"
    "category 1 257 Reset\n"
    "category 1 0x103 Acknowledgement\n"
    "category 4 1040 Level alarm\n"
    "\n"
    "rate 2.5\n"
    "burst 30 100\n"
    "seed 42\n"
    "fail connect 2\n"
    "fail query\n"
    "hang subscribe 1500\n"
    "event 2024-03-05T07:08:09.012Z 257 500 Area1.Boiler.TI101 Back to  normal # not a comment\n"
    "alarm now-1000 1040 800 Area1.Boiler.LI103 LEVEL Level high: 92 %\n"
    "batch\n"
    "WAIT 250\n"
    "normal ft:0x10 1040 10 Area1.Boiler.LI103 LEVEL\r\n"
    "silence 5000\n"
    "loop\n";

}  // namespace

TEST(ScenarioParse, ReadsEveryDirective) {
  const ParseResult r = ParseScenario(kFull);
  ASSERT_TRUE(r.ok) << r.line << ": " << r.error;
  const Scenario& sc = r.scenario;
  ASSERT_EQ(sc.categories.size(), 3u);
  EXPECT_EQ(sc.categories[1].id, 0x103u);
  EXPECT_EQ(sc.categories[1].name, u"Acknowledgement");
  EXPECT_EQ(sc.categories[2].eventType, kConditionEvent);
  EXPECT_EQ(sc.categories[2].name, u"Level alarm");
  EXPECT_DOUBLE_EQ(sc.rate, 2.5);
  EXPECT_EQ(sc.burstEverySec, 30u);
  EXPECT_EQ(sc.burstSize, 100u);
  EXPECT_EQ(sc.seed, 42u);
  EXPECT_EQ(sc.Mode(Call::Connect).failCount, 2);
  EXPECT_EQ(sc.Mode(Call::Query).failCount, -1);
  EXPECT_EQ(sc.Mode(Call::Subscribe).hangMs, 1500u);
  EXPECT_EQ(sc.Mode(Call::Refresh).failCount, 0);
  EXPECT_TRUE(sc.loop);

  ASSERT_EQ(sc.script.size(), 6u);
  const ScriptStep& e = sc.script[0];
  EXPECT_EQ(e.kind, ScriptStep::Event);
  EXPECT_EQ(e.line, 12);
  EXPECT_FALSE(e.time.relative);
  EXPECT_EQ(e.time.fileTime, 133540960890120000ULL);
  EXPECT_EQ(e.event.category, 257u);
  EXPECT_EQ(e.event.severity, 500u);
  EXPECT_EQ(e.event.eventType, kSimpleEvent);
  EXPECT_EQ(e.event.source, u"Area1.Boiler.TI101");
  EXPECT_EQ(e.event.message, u"Back to  normal # not a comment");

  const ScriptStep& a = sc.script[1];
  EXPECT_EQ(a.kind, ScriptStep::Alarm);
  EXPECT_TRUE(a.time.relative);
  EXPECT_EQ(a.time.offsetMs, -1000);
  EXPECT_EQ(a.event.eventType, kConditionEvent);
  EXPECT_EQ(a.event.condition, u"LEVEL");
  EXPECT_EQ(a.event.newState, kStateEnabled | kStateActive);
  EXPECT_TRUE(a.event.ackRequired);
  EXPECT_EQ(a.event.message, u"Level high: 92 %");

  EXPECT_EQ(sc.script[2].kind, ScriptStep::Flush);
  EXPECT_EQ(sc.script[3].kind, ScriptStep::Wait);
  EXPECT_EQ(sc.script[3].ms, 250u);
  const ScriptStep& n = sc.script[4];
  EXPECT_EQ(n.kind, ScriptStep::Normal);
  EXPECT_EQ(n.time.fileTime, 0x10u);
  EXPECT_EQ(n.event.message, u"");
  EXPECT_EQ(n.event.newState, kStateEnabled);
  EXPECT_EQ(sc.script[5].kind, ScriptStep::Silence);
  EXPECT_EQ(sc.script[5].ms, 5000u);
}

TEST(ScenarioParse, WithoutCategoriesUsesThePlantsAndTypesEventsByThem) {
  const ParseResult r = ParseScenario("event now 0x0412 700 Area2.Turbine.TI201 Hot\n"
                                      "event now 0x0210 100 Area2.Turbine.FIC205 SP\n"
                                      "event now 77 100 X unknown category\n");
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.scenario.categories.size(), Plant::Categories().size());
  EXPECT_EQ(r.scenario.script[0].event.eventType, kConditionEvent);
  EXPECT_EQ(r.scenario.script[1].event.eventType, kTrackingEvent);
  EXPECT_EQ(r.scenario.script[2].event.eventType, kSimpleEvent);
  EXPECT_EQ(r.scenario.rate, 0.0);  // a scenario scripts the server: no plant traffic unless asked
}

TEST(ScenarioParse, MalformedLinesReportTheirLineNumber) {
  struct Case {
    const char* line;
    const char* fragment;  // part of the message
  };
  const Case cases[] = {
      {"frobnicate 3", "unknown keyword"},
      {"category 3 10 Bad type", "event type"},
      {"category 1 10", "expected"},
      {"category 1 ten Name", "category id"},
      {"rate fast", "rate"},
      {"rate -1", "rate"},
      {"burst 10 0", "burst size"},
      {"fail disconnect", "fail takes"},
      {"fail connect 0", "fail count"},
      {"fail connect 1 2", "expected"},
      {"hang connect", "expected"},
      {"hang nap 100", "unknown call"},
      {"hang query 600001", "hang time"},
      {"event now 1 500", "expected"},
      {"event yesterday 1 500 S M", "bad time"},
      {"event 2023-02-29T00:00:00Z 1 500 S M", "bad time"},
      {"event 2024-01-01T24:00:00Z 1 500 S M", "bad time"},
      {"event 2024-01-01T00:00:00.1234Z 1 500 S M", "bad time"},
      {"event now 1 5000000000 S M", "severity"},
      {"alarm now 1 500 S", "expected"},
      {"wait -5", "time must be"},
      {"wait", "expected"},
      {"silence 86400001", "time must be"},
      {"batch now", "expected"},
  };
  for (const Case& c : cases) {
    const std::string text = std::string("# header\nrate 1\n") + c.line + "\nwait 10\n";
    const ParseResult r = ParseScenario(text);
    EXPECT_FALSE(r.ok) << c.line;
    EXPECT_EQ(r.line, 3) << c.line;
    EXPECT_NE(r.error.find(c.fragment), std::string::npos) << c.line << " -> " << r.error;
  }
}

TEST(ScenarioParse, LoopRules) {
  ParseResult r = ParseScenario("event now 1 1 S M\nloop\n");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.line, 2);
  EXPECT_NE(r.error.find("wait or silence"), std::string::npos);

  r = ParseScenario("wait 10\nloop\nevent now 1 1 S M\n");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.line, 3);

  // Settings may still follow the loop.
  r = ParseScenario("wait 10\nloop\nrate 1\n");
  EXPECT_TRUE(r.ok) << r.error;
}

TEST(ScenarioParse, DuplicateCategoryIsAnError) {
  const ParseResult r = ParseScenario("category 1 1 A\ncategory 4 0x1 B\n");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.line, 2);
}

TEST(ScenarioParse, TimeSpecs) {
  TimeSpec t;
  ASSERT_TRUE(ParseTimeSpec("NOW", t));
  EXPECT_EQ(t.Resolve(5000000), 5000000u);
  ASSERT_TRUE(ParseTimeSpec("now+2", t));
  EXPECT_EQ(t.Resolve(5000000), 5020000u);
  ASSERT_TRUE(ParseTimeSpec("now-1000", t));
  EXPECT_EQ(t.Resolve(5000000), 0u);  // clamped at the epoch, never wraps
  ASSERT_TRUE(ParseTimeSpec("2000-02-29T23:59:59", t));
  EXPECT_EQ(t.Resolve(1), 125963423990000000ULL);
  ASSERT_TRUE(ParseTimeSpec("1601-01-01T00:00:00.5Z", t));
  EXPECT_EQ(t.Resolve(1), 5000000u);
  ASSERT_TRUE(ParseTimeSpec("ft:18446744073709551615", t));
  EXPECT_EQ(t.Resolve(1), ~0ULL);
  EXPECT_FALSE(ParseTimeSpec("now+", t));
  EXPECT_FALSE(ParseTimeSpec("1600-12-31T23:59:59Z", t));
  EXPECT_FALSE(ParseTimeSpec("2024-03-05 07:08:09", t));
  EXPECT_FALSE(ParseTimeSpec("ft:-1", t));
}

// Offsets from now run up to ten years (of 365 days) either way, kept whole.
TEST(ScenarioParse, NowOffsetsFitOrAreRefusedByLine) {
  const struct {
    const char* time;
    int64_t offsetMs;
  } fits[] = {
      {"now+315360000000", 315360000000LL},   {"now-315360000000", -315360000000LL},
      {"now+4294967296", 4294967296LL},       {"now+5000000000", 5000000000LL},
      {"NOW-0x100000000", -4294967296LL},
  };
  for (const auto& f : fits) {
    const ParseResult r = ParseScenario(std::string("wait 1\nalarm ") + f.time + " 1 1 S C M\n");
    ASSERT_TRUE(r.ok) << f.time << ": " << r.error;
    EXPECT_EQ(r.scenario.script[1].time.offsetMs, f.offsetMs) << f.time;
  }
  const uint64_t now = 133540960890120000ULL;
  TimeSpec t;
  ASSERT_TRUE(ParseTimeSpec("now+315360000000", t));
  EXPECT_EQ(t.Resolve(now), now + 315360000000ULL * kFileTimePerMs);

  for (const char* time : {"now+315360000001", "now-315360000001", "now+18446744073709551615",
                           "now+99999999999999999999999", "now-0xFFFFFFFFFFFFFFFF"}) {
    const ParseResult r = ParseScenario(std::string("wait 1\nevent ") + time + " 1 1 S M\nwait 1\n");
    EXPECT_FALSE(r.ok) << time;
    EXPECT_EQ(r.line, 2) << time;
    EXPECT_NE(r.error.find(time), std::string::npos) << time << " -> " << r.error;
    EXPECT_NE(r.error.find("315360000000"), std::string::npos) << time << " -> " << r.error;
  }
}

TEST(ScenarioParse, FailureCountsAreConsumed) {
  ParseResult r = ParseScenario("fail connect 2\nfail refresh\n");
  ASSERT_TRUE(r.ok);
  Scenario& sc = r.scenario;
  EXPECT_TRUE(sc.TakeFailure(Call::Connect));
  EXPECT_TRUE(sc.TakeFailure(Call::Connect));
  EXPECT_FALSE(sc.TakeFailure(Call::Connect));
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(sc.TakeFailure(Call::Refresh));
  EXPECT_FALSE(sc.TakeFailure(Call::Query));
}

TEST(ScenarioParse, FilesAndUtf8) {
  const ParseResult missing = LoadScenarioFile("/nonexistent/dir/scenario.txt");
  EXPECT_FALSE(missing.ok);
  EXPECT_EQ(missing.line, 0);
  EXPECT_FALSE(missing.error.empty());

  const std::string path = testing::TempDir() + "wtclient_scenario_test.txt";
  {
    std::ofstream f(path, std::ios::binary);
    f << "\xEF\xBB\xBF" "category 1 5 K\xC3\xBChlung\r\nevent now 5 1 S \xE2\x82\xAC \xF0\x9F\x94\xA5\r\n";
  }
  const ParseResult r = LoadScenarioFile(path);
  std::remove(path.c_str());
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.scenario.categories[0].name, u"K\u00FChlung");
  EXPECT_EQ(r.scenario.script[0].event.message, u"\u20AC \U0001F525");
}

TEST(ScenarioParse, TheDocumentedExampleParses) {
  std::ifstream doc(WTCLIENT_SCENARIO_DOC);
  ASSERT_TRUE(doc) << WTCLIENT_SCENARIO_DOC;
  std::string line, example;
  bool inside = false;
  while (std::getline(doc, line)) {
    if (line == "```") {
      if (inside) break;
      inside = true;
      continue;
    }
    if (inside) example += line + "\n";
  }
  const ParseResult r = ParseScenario(example);
  ASSERT_TRUE(r.ok) << r.line << ": " << r.error;
  EXPECT_TRUE(r.scenario.loop);
  EXPECT_EQ(r.scenario.categories.size(), 4u);
  EXPECT_EQ(r.scenario.Mode(Call::Connect).failCount, 1);
}

// A number is the whole word, digits only (or 0x and hex digits): white
// space that the C conversions skip (vertical tab, form feed, a CR inside a
// line) and a NUL byte that would end the word early make it no number.
TEST(ScenarioParse, NumbersAreWholeWordsWithoutSkippedSpaceOrNul) {
  const std::string refused[] = {
      std::string("seed 5\0junk\n", 12), "seed \v-1\n", "wait \f10\n", "fail connect \r3\n",
      "event now 1 \v500 S M\n",          "event now+\v5 1 1 S M\n", std::string("rate \0\n", 7),
      std::string("rate 1\0x\n", 9),     "rate \v1\n",               "rate \r2\n"};
  for (const std::string& line : refused) {
    const ParseResult r = ParseScenario("# numbers\n" + line);
    EXPECT_FALSE(r.ok) << line;
    EXPECT_EQ(r.line, 2) << line;
  }
  ParseResult r = ParseScenario("seed 0x1F\nwait 007\nrate .5\n");
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.scenario.seed, 0x1Fu);
  EXPECT_EQ(r.scenario.script[0].ms, 7u);
  EXPECT_DOUBLE_EQ(r.scenario.rate, 0.5);
}
