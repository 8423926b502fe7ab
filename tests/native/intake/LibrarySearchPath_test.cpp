// The folders the AE client library is loaded from: full paths only, in a
// fixed order, never through the current directory.
#include <gtest/gtest.h>

#include "intake/LibrarySearchPath.h"

namespace {

std::vector<String> Candidates(const String& ocx, const String& app, const String& system, const String& path) {
  return LibraryCandidates(u"WTclient.dll", LibraryFolders{ocx, app, system, path});
}

std::string Narrow(const String& s) { return std::string(s.begin(), s.end()); }

std::vector<std::string> Narrow(const std::vector<String>& v) {
  std::vector<std::string> out;
  for (const String& s : v) out.push_back(Narrow(s));
  return out;
}

TEST(LibrarySearchPath, ControlThenApplicationThenSystemThenPathInOrder) {
  const auto c = Narrow(Candidates(u"C:\\Plant\\Controls\\", u"D:\\Hmi\\", u"C:\\windows\\system32",
                                   u"E:\\one;F:\\two\\;G:\\three"));
  const std::vector<std::string> expected = {
      "C:\\Plant\\Controls\\WTclient.dll", "D:\\Hmi\\WTclient.dll", "C:\\windows\\system32\\WTclient.dll",
      "E:\\one\\WTclient.dll",           "F:\\two\\WTclient.dll", "G:\\three\\WTclient.dll"};
  EXPECT_EQ(c, expected);
}

TEST(LibrarySearchPath, RelativeAndEmptyPathEntriesAreDropped) {
  // Each of these would resolve against the current drive or directory.
  const auto c = Narrow(Candidates(u"C:\\ocx\\", u"", u"",
                                   u";.;bin;..\\up;.\\here;C:rel;\\rooted;/rooted; ;\t;E:\\ok;;"));
  const std::vector<std::string> expected = {"C:\\ocx\\WTclient.dll", "E:\\ok\\WTclient.dll"};
  EXPECT_EQ(c, expected);
}

TEST(LibrarySearchPath, QuotesAndBlanksAroundEntriesAreStripped) {
  const auto c =
      Narrow(Candidates(u"", u"", u"", u"\"C:\\Program Files\\Vendor\"; D:\\spaced ;C:\\Pro\"gram\" Files\\B"));
  const std::vector<std::string> expected = {"C:\\Program Files\\Vendor\\WTclient.dll",
                                             "D:\\spaced\\WTclient.dll",
                                             "C:\\Program Files\\B\\WTclient.dll"};
  EXPECT_EQ(c, expected);
}

TEST(LibrarySearchPath, NothingIsExpanded) {
  // "%SystemRoot%\x" is not a full path as written; a variable inside a full
  // path stays literal.
  const auto c = Narrow(Candidates(u"", u"", u"", u"%SystemRoot%\\x;C:\\%VENDOR%\\bin;~\\bin"));
  const std::vector<std::string> expected = {"C:\\%VENDOR%\\bin\\WTclient.dll"};
  EXPECT_EQ(c, expected);
}

TEST(LibrarySearchPath, BackslashesOnlyAndNoneDoubled) {
  const auto c = Narrow(Candidates(u"C:/ocx/", u"", u"", u"D:\\;E:/lib;F:\\mixed/dir\\"));
  const std::vector<std::string> expected = {"C:\\ocx\\WTclient.dll", "D:\\WTclient.dll", "E:\\lib\\WTclient.dll",
                                             "F:\\mixed\\dir\\WTclient.dll"};
  EXPECT_EQ(c, expected);
}

TEST(LibrarySearchPath, AFolderIsTriedOnceAtItsFirstPlace) {
  // The application next to the control, and the system folder again on PATH.
  const auto c = Narrow(Candidates(u"C:\\App\\", u"c:\\app", u"C:\\Windows\\System32",
                                   u"C:\\windows\\system32\\;C:/App;E:\\x;e:\\X\\"));
  const std::vector<std::string> expected = {"C:\\App\\WTclient.dll", "C:\\Windows\\System32\\WTclient.dll",
                                             "E:\\x\\WTclient.dll"};
  EXPECT_EQ(c, expected);
}

TEST(LibrarySearchPath, UncAndDevicePathsAreFullPaths) {
  const auto c = Narrow(Candidates(u"\\\\?\\C:\\ocx\\", u"", u"", u"\\\\server\\share\\bin;\\\\\\odd"));
  const std::vector<std::string> expected = {"\\\\?\\C:\\ocx\\WTclient.dll",
                                             "\\\\server\\share\\bin\\WTclient.dll"};
  EXPECT_EQ(c, expected);
}

TEST(LibrarySearchPath, UnknownFoldersAreSkipped) {
  EXPECT_TRUE(Candidates(u"", u"", u"", u"").empty());
  const auto c = Narrow(Candidates(u"", u"relative\\", u"C:\\windows\\system32", u""));
  const std::vector<std::string> expected = {"C:\\windows\\system32\\WTclient.dll"};
  EXPECT_EQ(c, expected);
}

TEST(LibrarySearchPath, AbsolutePathRule) {
  EXPECT_TRUE(IsAbsoluteWindowsPath(u"C:\\"));
  EXPECT_TRUE(IsAbsoluteWindowsPath(u"z:/tmp"));
  EXPECT_TRUE(IsAbsoluteWindowsPath(u"\\\\host\\share"));
  EXPECT_FALSE(IsAbsoluteWindowsPath(u"C:"));
  EXPECT_FALSE(IsAbsoluteWindowsPath(u"C:dir"));
  EXPECT_FALSE(IsAbsoluteWindowsPath(u"1:\\dir"));
  EXPECT_FALSE(IsAbsoluteWindowsPath(u"\\dir"));
  EXPECT_FALSE(IsAbsoluteWindowsPath(u"\\\\"));
  EXPECT_FALSE(IsAbsoluteWindowsPath(u"."));
  EXPECT_FALSE(IsAbsoluteWindowsPath(u""));
}

}  // namespace
