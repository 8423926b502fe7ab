#include "opcserver/core/CommandLine.h"

#include <gtest/gtest.h>

#include "opcserver/core/ResultText.h"

using namespace opcsrv;

TEST(CommandLine, RegistrationSwitchesInAnyCaseAndPrefix) {
  ServerOptions o;
  std::string err;
  ASSERT_TRUE(ParseCommandLine({u"/RegServer"}, o, err));
  EXPECT_EQ(ServerOptions::Register, o.action);
  ASSERT_TRUE(ParseCommandLine({u"-unregserver"}, o, err));
  EXPECT_EQ(ServerOptions::Unregister, o.action);
  ASSERT_TRUE(ParseCommandLine({u"/REGSERVER", u"--scenario", u"C:\\s.txt"}, o, err));
  EXPECT_EQ(ServerOptions::Register, o.action);
  EXPECT_EQ(u"C:\\s.txt", o.scenario);
}

TEST(CommandLine, ServingOptions) {
  ServerOptions o;
  std::string err;
  ASSERT_TRUE(
      ParseCommandLine({u"--scenario", u"a b.txt", u"--ready", u"ev1", u"--log", u"x.log", u"-Embedding"}, o, err));
  EXPECT_EQ(ServerOptions::Serve, o.action);
  EXPECT_TRUE(o.embedding);
  EXPECT_EQ(u"a b.txt", o.scenario);
  EXPECT_EQ(u"ev1", o.readyEvent);
  EXPECT_EQ(u"x.log", o.logFile);
  ASSERT_TRUE(ParseCommandLine({}, o, err));
  EXPECT_EQ(ServerOptions::Serve, o.action);
  EXPECT_FALSE(o.embedding);
}

TEST(CommandLine, Errors) {
  ServerOptions o;
  std::string err;
  EXPECT_FALSE(ParseCommandLine({u"--scenario"}, o, err));
  EXPECT_NE(std::string::npos, err.find("needs a value"));
  EXPECT_FALSE(ParseCommandLine({u"/frobnicate"}, o, err));
  EXPECT_NE(std::string::npos, err.find("frobnicate"));
  EXPECT_FALSE(ParseCommandLine({u"stray"}, o, err));
}

TEST(CommandLine, LocalServerCommandQuotesEachPath) {
  EXPECT_EQ(u"\"C:\\p q\\s.exe\"", LocalServerCommand(u"C:\\p q\\s.exe", u""));
  EXPECT_EQ(u"\"C:\\s.exe\" --scenario \"Z:\\t m\\a.txt\" --log \"Z:\\l.log\"",
            LocalServerCommand(u"C:\\s.exe", u"Z:\\t m\\a.txt", u"Z:\\l.log"));
}

TEST(ResultText, OpcCodesHaveTextsOthersNot) {
  for (uint32_t code : {0xC0040001u, 0xC0040204u, 0xC0040205u, 0xC0040206u, 0x00040200u, 0x00040201u,
                        0x00040202u}) {
    const char16_t* t = OpcResultText(code);
    ASSERT_NE(nullptr, t) << std::hex << code;
    EXPECT_GT(std::char_traits<char16_t>::length(t), 10u);
  }
  EXPECT_EQ(nullptr, OpcResultText(0x80004005u));
  EXPECT_EQ(nullptr, OpcResultText(0));
  EXPECT_TRUE(IsSupportedLocale(0x0409));
  EXPECT_TRUE(IsSupportedLocale(0x0800));
  EXPECT_FALSE(IsSupportedLocale(0x0407));
}
