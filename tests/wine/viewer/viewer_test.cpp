// The viewer as an integrator uses it: VelmaricAEView.exe runs as a child
// process with a settings file of the test's own; its property frame is
// found by the process's windows and driven with messages, as a user's
// clicks and typing would; what lasts is read back from the settings file and
// from the properties the next start prints.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "tests/wine/common/WineTestUtil.h"
#include "viewer/PropertyFrame.h"

#include <commctrl.h>

namespace {

const int kWatchdogField = 211;  // the General page's watchdog timeout
const int kColumnsTab = 2;       // General, Severity, Columns, Run-mode (the stock pages are not in Wine)

std::string ReadText(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteText(const std::wstring& path, const std::string& text) {
  std::ofstream(path.c_str(), std::ios::binary) << text;
}

// The value of a "Name=Value" line of a settings file, or of a "  Name  = Value"
// line of the viewer's output; "<none>" without one.
std::string ValueOf(const std::string& text, const std::string& name) {
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t b = line.find_first_not_of(' '), eq = line.find('=');
    if (b == std::string::npos || eq == std::string::npos) continue;
    std::string key = line.substr(b, eq - b);
    key.erase(key.find_last_not_of(' ') + 1);
    if (key != name) continue;
    size_t v = line.find_first_not_of(' ', eq + 1);
    return v == std::string::npos ? std::string() : line.substr(v);
  }
  return "<none>";
}

bool WaitFor(const std::function<bool()>& done, DWORD ms = 20000) {
  for (DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(20))
    if (done()) return true;
  return false;
}

class Viewer {
 public:
  Viewer(const std::wstring& folder, const std::wstring& settings, const std::wstring& args)
      : m_out(folder + L"\\out.txt"), m_err(folder + L"\\err.txt") {
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    HANDLE out = CreateFileW(m_out.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
    HANDLE err = CreateFileW(m_err.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = out;
    si.hStdError = err;
    std::wstring cmd = L"\"" + BinPath(L"VelmaricAEView.exe") + L"\" --no-connect --settings \"" + settings + L"\" " + args;
    m_started = CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &m_pi);
    CloseHandle(out);
    CloseHandle(err);
  }
  ~Viewer() {
    if (!m_started) return;
    if (WaitForSingleObject(m_pi.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(m_pi.hProcess, 99);
    CloseHandle(m_pi.hThread);
    CloseHandle(m_pi.hProcess);
  }
  bool Started() const { return m_started != FALSE; }

  // A visible top-level window of the viewer's process.
  HWND Find(const wchar_t* cls, const wchar_t* caption, HWND except = nullptr) const {
    Query q = {m_pi.dwProcessId, cls, caption, except, nullptr};
    EnumWindows(&Viewer::Matches, reinterpret_cast<LPARAM>(&q));
    return q.found;
  }
  HWND Wait(const wchar_t* cls, const wchar_t* caption, HWND except = nullptr) const {
    HWND h = nullptr;
    WaitFor([&] { return (h = Find(cls, caption, except)) != nullptr; });
    return h;
  }
  HWND MainWindow() const { return Wait(L"VelmaricAEViewFrame", nullptr); }
  HWND Frame() const { return Wait(L"#32770", L"Velmaric AE Properties"); }

  // Closes the main window and waits: the exit code, or -1.
  int Close() {
    PostMessageW(MainWindow(), WM_CLOSE, 0, 0);
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(m_pi.hProcess, 30000) == WAIT_OBJECT_0) GetExitCodeProcess(m_pi.hProcess, &code);
    return static_cast<int>(code);
  }
  std::string Out() const { return ReadText(m_out); }
  std::string Err() const { return ReadText(m_err); }

 private:
  struct Query {
    DWORD pid;
    const wchar_t *cls, *caption;
    HWND except, found;
  };
  static BOOL CALLBACK Matches(HWND h, LPARAM lp) {
    Query& q = *reinterpret_cast<Query*>(lp);
    DWORD pid = 0;
    wchar_t c[64] = {}, t[128] = {};
    GetWindowThreadProcessId(h, &pid);
    GetClassNameW(h, c, 64);
    GetWindowTextW(h, t, 128);
    if (pid == q.pid && h != q.except && IsWindowVisible(h) && !lstrcmpW(c, q.cls) &&
        (!q.caption || !lstrcmpW(t, q.caption)))
      q.found = h;
    return !q.found;
  }

  std::wstring m_out, m_err;
  PROCESS_INFORMATION m_pi = {};
  BOOL m_started = FALSE;
};

// The visible control with this id anywhere in the frame (a page is a child dialog).
struct FieldQuery {
  int id;
  HWND found;
};
BOOL CALLBACK MatchField(HWND h, LPARAM lp) {
  FieldQuery& q = *reinterpret_cast<FieldQuery*>(lp);
  if (GetDlgCtrlID(h) == q.id && IsWindowVisible(h)) q.found = h;
  return !q.found;
}
HWND Field(HWND frame, int id) {
  FieldQuery q = {id, nullptr};
  EnumChildWindows(frame, &MatchField, reinterpret_cast<LPARAM>(&q));
  return q.found;
}

std::wstring TextOf(HWND h) {
  wchar_t buf[512] = {};
  DWORD_PTR n = 0;
  SendMessageTimeoutW(h, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 5000, &n);
  return buf;
}

// Types into a field: the edit control then notifies its page (EN_CHANGE).
void SetText(HWND h, const wchar_t* text) {
  DWORD_PTR r = 0;
  SendMessageTimeoutW(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, &r);
}

// Clicks are posted: an Apply that shows a message box does not return until it closes.
void Click(HWND dialog, int id) { PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

// Picks a tab as a click on it would: the frame is told of the change.
void PickTab(HWND frame, int index) {
  DWORD_PTR r = 0;
  SendMessageTimeoutW(GetDlgItem(frame, kFrameTabId), TCM_SETCURFOCUS, index, 0, SMTO_ABORTIFHUNG, 5000, &r);
}

// The text of a message box: its static control that is not the icon.
std::wstring BoxText(HWND box) {
  std::wstring found;
  for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    wchar_t cls[32] = {};
    GetClassNameW(c, cls, 32);
    if (!lstrcmpiW(cls, L"Static") && !TextOf(c).empty()) found = TextOf(c);
  }
  return found;
}

class ViewerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    m_folder = std::wstring(temp) + L"viewer_test_" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(m_folder.c_str(), nullptr);
    m_settings = m_folder + L"\\view.settings";
    DeleteFileW(m_settings.c_str());
  }
  void TearDown() override {
    for (const wchar_t* f : {L"\\view.settings", L"\\view.settings.bak", L"\\out.txt", L"\\err.txt"})
      DeleteFileW((m_folder + f).c_str());
    RemoveDirectoryW(m_folder.c_str());
  }
  // The settings the control starts with when there are none.
  std::string Defaults() {
    Viewer v(m_folder, m_settings, L"");
    EXPECT_EQ(v.Close(), 0);
    return ReadText(m_settings);
  }

  std::wstring m_folder, m_settings;
};

TEST_F(ViewerTest, AValueAppliedInTheGeneralPageIsSavedAndLoadedAtTheNextStart) {
  {
    Viewer v(m_folder, m_settings, L"--open-properties");
    ASSERT_TRUE(v.Started());
    HWND frame = v.Frame();
    ASSERT_TRUE(frame);
    HWND watchdog = Field(frame, kWatchdogField), apply = GetDlgItem(frame, kFrameApplyId);
    ASSERT_TRUE(watchdog) << "the General page is the first tab";
    EXPECT_FALSE(IsWindowEnabled(apply)) << "nothing to apply yet";
    SetText(watchdog, L"42");
    EXPECT_TRUE(IsWindowEnabled(apply)) << "the page reported itself dirty";
    Click(frame, kFrameApplyId);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowEnabled(apply); })) << "applied";
    Click(frame, IDOK);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(frame); }));
    EXPECT_EQ(v.Close(), 0) << v.Err();
    EXPECT_EQ(v.Err(), "");
  }
  EXPECT_EQ(ValueOf(ReadText(m_settings), "WatchdogTimeout"), "42");
  Viewer again(m_folder, m_settings, L"");
  ASSERT_TRUE(again.MainWindow());
  EXPECT_EQ(again.Close(), 0);
  EXPECT_EQ(ValueOf(again.Out(), "WatchdogTimeout"), "42") << again.Out();
}

TEST_F(ViewerTest, AnEditSurvivesAChangeOfTabAndOkAppliesItCancelDoesNot) {
  for (bool ok : {true, false}) {
    Viewer v(m_folder, m_settings, L"--open-properties");
    HWND frame = v.Frame();
    ASSERT_TRUE(frame);
    const std::wstring value = ok ? L"77" : L"88";
    SetText(Field(frame, kWatchdogField), value.c_str());
    PickTab(frame, kColumnsTab);
    EXPECT_FALSE(Field(frame, kWatchdogField)) << "the General page is hidden";
    PickTab(frame, 0);
    HWND watchdog = Field(frame, kWatchdogField);
    ASSERT_TRUE(watchdog);
    EXPECT_EQ(TextOf(watchdog), value);
    Click(frame, ok ? IDOK : IDCANCEL);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(frame); }));
    EXPECT_EQ(v.Close(), 0);
    EXPECT_EQ(ValueOf(ReadText(m_settings), "WatchdogTimeout"), "77") << (ok ? "OK applies" : "Cancel drops the edit");
  }
}

TEST_F(ViewerTest, ARefusedApplyKeepsTheFrameOpenOnThatPageAndWritesNothing) {
  std::string defaults = Defaults();
  std::string before = ValueOf(defaults, "WatchdogTimeout");
  Viewer v(m_folder, m_settings, L"--open-properties --properties-page " + std::to_wstring(kColumnsTab));
  HWND frame = v.Frame();
  ASSERT_TRUE(frame);
  PickTab(frame, 0);
  SetText(Field(frame, kWatchdogField), L"301");
  PickTab(frame, kColumnsTab);
  for (int button : {static_cast<int>(kFrameApplyId), static_cast<int>(IDOK)}) {
    Click(frame, button);
    HWND box = v.Wait(L"#32770", nullptr, frame);
    ASSERT_TRUE(box) << "the page tells why";
    EXPECT_EQ(BoxText(box), L"Please enter an integer between 0 and 300.");
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); }));
    EXPECT_TRUE(IsWindow(frame)) << "the frame stays open";
    EXPECT_EQ(SendMessageW(GetDlgItem(frame, kFrameTabId), TCM_GETCURSEL, 0, 0), 0) << "on the refusing page";
    EXPECT_TRUE(Field(frame, kWatchdogField));
  }
  Click(frame, IDCANCEL);
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(frame); }));
  EXPECT_EQ(v.Close(), 0);
  EXPECT_EQ(ValueOf(ReadText(m_settings), "WatchdogTimeout"), before);
}

// The page runs a dialog of its own; the keys that leave it are the frame's.
TEST_F(ViewerTest, TabLeavesThePageForTheButtonsAndEscapeCancels) {
  Viewer v(m_folder, m_settings, L"--open-properties");
  HWND frame = v.Frame();
  ASSERT_TRUE(frame);
  const DWORD thread = GetWindowThreadProcessId(frame, nullptr);
  auto focus = [thread] {
    GUITHREADINFO gi = {};
    gi.cbSize = sizeof gi;
    GetGUIThreadInfo(thread, &gi);
    return gi.hwndFocus;
  };
  ASSERT_TRUE(IsChild(frame, focus())) << "the page has the focus";
  SetText(Field(frame, kWatchdogField), L"99");
  int tabs = 0;
  for (HWND f = focus(); GetDlgCtrlID(f) != IDOK && tabs < 12; ++tabs) {
    PostMessageW(f, WM_KEYDOWN, VK_TAB, 1);
    WaitFor([&] { return focus() != f; }, 2000);
    f = focus();
  }
  EXPECT_LT(tabs, 12) << "Tab reached OK";
  PostMessageW(focus(), WM_KEYDOWN, VK_ESCAPE, 1);
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(frame); }));
  EXPECT_EQ(v.Close(), 0);
  EXPECT_NE(ValueOf(ReadText(m_settings), "WatchdogTimeout"), "99");
}

TEST_F(ViewerTest, ADamagedFileGivesOneMessageAndDefaultsOnlyForItsBadLines) {
  std::string defaults = Defaults();
  std::string watchdog = std::to_string(std::stoi(ValueOf(defaults, "WatchdogTimeout")) + 18);
  std::string order = ValueOf(defaults, "FieldOrder");
  std::reverse(order.begin(), order.end());
  WriteText(m_settings, "WatchdogTimeout=" + watchdog + "\r\nthis line is garbage\r\nNoSuchProperty=1\r\n" +
                            "SeverityB=abc\r\nFieldOrder=" + order + "\r\n");
  Viewer v(m_folder, m_settings, L"");
  ASSERT_TRUE(v.MainWindow());
  EXPECT_EQ(v.Close(), 0);
  std::string err = v.Err(), out = v.Out();
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  EXPECT_NE(err.find("view.settings, line 2:"), std::string::npos) << err;
  EXPECT_EQ(ValueOf(out, "WatchdogTimeout"), watchdog);
  EXPECT_EQ(ValueOf(out, "FieldOrder"), order);
  EXPECT_EQ(ValueOf(out, "SeverityB"), ValueOf(defaults, "SeverityB"));
  // The file is whole again.
  std::string saved = ReadText(m_settings);
  EXPECT_EQ(ValueOf(saved, "SeverityB"), ValueOf(defaults, "SeverityB"));
  EXPECT_EQ(saved.find("garbage"), std::string::npos);
}

TEST_F(ViewerTest, AFileWithoutSomePropertiesSaysSoOnceAndLoadsTheRest) {
  std::string defaults = Defaults();
  WriteText(m_settings, "# only one property\nWatchdogTimeout=21\n");
  Viewer v(m_folder, m_settings, L"");
  ASSERT_TRUE(v.MainWindow());
  EXPECT_EQ(v.Close(), 0);
  std::string err = v.Err();
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  EXPECT_NE(err.find("has no line for"), std::string::npos) << err;
  EXPECT_EQ(ValueOf(v.Out(), "WatchdogTimeout"), "21");
  EXPECT_EQ(ValueOf(v.Out(), "SeverityE"), ValueOf(defaults, "SeverityE"));
}

// A file the viewer could not load whole still holds the user's settings: it is
// kept beside the new one before the save on exit replaces it, and the start
// says so once. A file that loaded whole is simply replaced.
TEST_F(ViewerTest, AFileNotLoadedWholeIsKeptAsBakBeforeItIsReplaced) {
  const std::string defaults = Defaults();
  const std::wstring bak = m_settings + L".bak";
  const std::string watchdog = "WatchdogTimeout=" + ValueOf(defaults, "WatchdogTimeout");
  std::string good = defaults;
  good.replace(good.find(watchdog), watchdog.size(), "WatchdogTimeout=27");
  {
    WriteText(m_settings, good);
    Viewer v(m_folder, m_settings, L"");
    ASSERT_TRUE(v.MainWindow());
    EXPECT_EQ(v.Close(), 0);
    EXPECT_EQ(v.Err(), "");
    EXPECT_EQ(GetFileAttributesW(bak.c_str()), INVALID_FILE_ATTRIBUTES) << "nothing to keep";
    EXPECT_EQ(ValueOf(ReadText(m_settings), "WatchdogTimeout"), "27");
  }
  // The same file as an editor re-saves it in UTF-16.
  std::wstring wide(good.begin(), good.end());
  std::string utf16 = "\xFF\xFE";
  for (wchar_t c : wide) utf16 += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  const struct {
    const char* what;
    std::string text;
    bool lockedAtStart;
  } kCases[] = {
      {"too large", good + "# " + std::string(1 << 20, '-') + "\r\n", false},
      {"UTF-16", utf16, false},
      {"no usable line", "not a setting\r\nNoSuchProperty=1\r\nWatchdogTimeout=many\r\n", false},
      {"unreadable at start", good, true},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    DeleteFileW(bak.c_str());
    WriteText(m_settings, c.text);
    HANDLE lock = c.lockedAtStart ? CreateFileW(m_settings.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)
                                  : INVALID_HANDLE_VALUE;
    Viewer v(m_folder, m_settings, L"");
    ASSERT_TRUE(v.MainWindow());
    if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);  // the load is over; the save may replace it
    EXPECT_EQ(v.Close(), 0) << v.Err();
    EXPECT_TRUE(ReadText(bak) == c.text) << "the old file is kept whole (" << ReadText(bak).size() << " bytes)";
    const std::string saved = ReadText(m_settings);
    EXPECT_FALSE(saved == c.text);
    EXPECT_EQ(ValueOf(saved, "WatchdogTimeout"), ValueOf(v.Out(), "WatchdogTimeout")) << "the settings in use";
    const std::string err = v.Err();
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find("view.settings.bak"), std::string::npos) << err;
  }
}

}  // namespace
