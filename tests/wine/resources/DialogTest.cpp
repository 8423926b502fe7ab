// The five dialog templates, read back from the module: frame, font and every
// control with its id, class, text, position and exact style; then each
// template is instantiated by the dialog manager.
#include <gtest/gtest.h>

#include <ostream>
#include <vector>

#include "DialogTemplate.h"
#include "ResourceModule.h"
#include "resources/resource.h"

using namespace velmaric_test;

namespace {

struct ExpectedControl {
    int32_t id;
    const wchar_t* className;
    const wchar_t* text;
    int16_t x, y, cx, cy;
    DWORD style;  // exact, WS_CHILD included
};

constexpr DWORD kShown = WS_CHILD | WS_VISIBLE;
constexpr DWORD kCheck = kShown | BS_AUTOCHECKBOX | WS_TABSTOP;
constexpr DWORD kLabel = kShown | SS_LEFT | WS_GROUP;
constexpr DWORD kEdit = kShown | ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
constexpr DWORD kDigits = kEdit | ES_NUMBER;
constexpr DWORD kGroup = kShown | BS_GROUPBOX;
constexpr DWORD kPush = kShown | BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kPageStyle = DS_SETFONT | WS_CHILD;

const std::vector<ExpectedControl> kGeneralPage = {
    {IDC_ADD_NEW_EVENTS_TO_BOTTOM, L"Button", L"Add new Events to bottom", 17, 16, 99, 10, kCheck},
    {IDC_LOCALIZE_TIMESTAMPS, L"Button", L"Localize Timestamps", 17, 29, 81, 10, kCheck},
    {IDC_SUPPRESS_ACKN_EVENTS, L"Button", L"Suppress Acknowledge events", 17, 69, 114, 10, kCheck},
    {IDC_SUPPRESS_RESET_EVENTS, L"Button", L"Suppress Reset events", 17, 82, 89, 10, kCheck},
    {IDC_STATIC, L"Static", L"Watchdog Timeout (sec)", 150, 16, 81, 8, kLabel},
    {IDC_WATCHDOG_TIMEOUT, L"Edit", L"", 188, 26, 40, 14, kEdit},
};

const std::vector<ExpectedControl> kColumnsPage = {
    {IDC_STATIC, L"Button", L"Width", 7, 7, 82, 96, kGroup},
    {IDC_STATIC, L"Static", L"Rank:", 12, 18, 20, 8, kLabel},
    {IDC_STATIC, L"Static", L"Timestamp:", 12, 32, 37, 8, kLabel},
    {IDC_STATIC, L"Static", L"Source:", 12, 46, 26, 8, kLabel},
    {IDC_STATIC, L"Static", L"Message:", 12, 59, 32, 8, kLabel},
    {IDC_STATIC, L"Static", L"Category:", 12, 74, 31, 8, kLabel},
    {IDC_STATIC, L"Static", L"Severity:", 12, 88, 28, 8, kLabel},
    {IDC_FIELD0_WIDTH, L"Edit", L"", 54, 16, 24, 12, kEdit},
    {IDC_FIELD1_WIDTH, L"Edit", L"", 54, 30, 24, 12, kEdit},
    {IDC_FIELD2_WIDTH, L"Edit", L"", 54, 44, 24, 12, kEdit},
    {IDC_FIELD3_WIDTH, L"Edit", L"", 54, 58, 24, 12, kEdit},
    {IDC_FIELD4_WIDTH, L"Edit", L"", 54, 72, 24, 12, kEdit},
    {IDC_FIELD5_WIDTH, L"Edit", L"", 54, 86, 24, 12, kEdit},
    {IDC_STATIC, L"Button", L"Order", 115, 7, 128, 96, kGroup},
    {IDC_ORDER_LIST, L"ListBox", L"", 122, 23, 68, 62,
     kShown | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP},
    {IDC_MOVE_UP, L"Button", L"Up", 198, 33, 37, 14, kPush},
    {IDC_MOVE_DOWN, L"Button", L"Down", 198, 57, 37, 14, kPush},
    {IDC_FIELD_ORDER, L"Edit", L"", 196, 82, 40, 14, WS_CHILD | ES_LEFT | ES_AUTOHSCROLL},
};

const std::vector<ExpectedControl> kSeverityPage = {
    {IDC_SEVERITY_A, L"Edit", L"", 51, 7, 40, 12, kDigits},
    {IDC_SEVERITY_B, L"Edit", L"", 51, 23, 40, 12, kDigits},
    {IDC_SEVERITY_C, L"Edit", L"", 51, 39, 40, 12, kDigits},
    {IDC_SEVERITY_D, L"Edit", L"", 51, 55, 40, 12, kDigits},
    {IDC_SEVERITY_E, L"Edit", L"", 51, 71, 40, 12, kDigits},
    {IDC_STATIC, L"Static", L"Severity A:", 7, 9, 38, 8, kLabel},
    {IDC_STATIC, L"Static", L"Severity B:", 7, 25, 38, 8, kLabel},
    {IDC_STATIC, L"Static", L"Severity C:", 7, 41, 38, 8, kLabel},
    {IDC_STATIC, L"Static", L"Severity D:", 7, 57, 38, 8, kLabel},
    {IDC_STATIC, L"Static", L"Severity E:", 7, 73, 38, 8, kLabel},
    {IDC_STATIC, L"Static", L"Severity F:", 7, 89, 38, 8, kLabel},
    {IDC_STATIC, L"Static", L"999", 51, 87, 40, 12, kShown | SS_RIGHT | SS_SUNKEN | WS_BORDER},
    {IDC_STATIC, L"Static",
     L"Events with severities up to and including the levels defined here will be represented in the "
     L"corresponding background and text colors defined on the Colors tab.",
     114, 10, 123, 90, kLabel},
};

const std::vector<ExpectedControl> kHidePage = {
    {IDC_HIDE_CONNECTION, L"Button", L"Hide OPC Connect / Disconnect", 19, 20, 119, 10, kCheck},
    {IDC_HIDE_CLEAR_ALL, L"Button", L"Hide Clear all events", 19, 37, 81, 10, kCheck},
    {IDC_HIDE_RESET, L"Button", L"Hide Reset properties", 19, 53, 84, 10, kCheck},
    {IDC_DISABLE_SIZING, L"Button", L"Disable column sizing", 19, 77, 83, 10, kCheck},
};

const std::vector<ExpectedControl> kFindDialog = {
    {IDC_FIND_TEXT, L"Edit", L"", 56, 8, 139, 14, kEdit},
    {IDOK, L"Button", L"OK", 211, 8, 46, 14, kShown | BS_DEFPUSHBUTTON | WS_TABSTOP},
    {IDCANCEL, L"Button", L"Cancel", 211, 28, 46, 14, kPush},
    {IDC_STATIC, L"Static", L"Search For", 12, 11, 36, 8, kLabel},
};

struct ExpectedDialog {
    int id;
    DWORD style;
    const wchar_t* title;
    int16_t cx, cy;
    const std::vector<ExpectedControl>* controls;
};

const ExpectedDialog kDialogs[] = {
    {IDD_PROPPAGE_VELMARICAE, kPageStyle, L"", 250, 110, &kGeneralPage},
    {IDD_PROPPAGE_COLUMNS, kPageStyle, L"", 250, 110, &kColumnsPage},
    {IDD_PROPPAGE_SEVERITY, kPageStyle, L"", 250, 110, &kSeverityPage},
    {IDD_PROPPAGE_HIDE, kPageStyle, L"", 250, 110, &kHidePage},
    {IDD_FIND, DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU, L"Find", 267, 54, &kFindDialog},
};

std::string Narrow(const std::wstring& s) {
    return std::string(s.begin(), s.end());
}

bool LoadTemplate(int id, DialogTemplate& dlg, std::string& error) {
    ResourceBytes bytes = FindModuleResource(RT_DIALOG, MAKEINTRESOURCEW(id));
    if (!bytes) {
        error = "no dialog resource";
        return false;
    }
    return ParseDialogTemplate(bytes.data, bytes.size, dlg, error);
}

// Names the dialog in failure messages instead of dumping its bytes.
void PrintTo(const ExpectedDialog& d, std::ostream* os) {
    *os << "dialog " << d.id;
}

INT_PTR CALLBACK NoOpDialogProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

class DialogResource : public ::testing::TestWithParam<ExpectedDialog> {};

}  // namespace

TEST_P(DialogResource, FrameAndFont) {
    const ExpectedDialog& want = GetParam();
    DialogTemplate dlg;
    std::string error;
    ASSERT_TRUE(LoadTemplate(want.id, dlg, error)) << error;
    EXPECT_EQ(dlg.style, want.style) << std::hex << dlg.style;
    EXPECT_EQ(dlg.exStyle, 0u);
    EXPECT_EQ(dlg.x, 0);
    EXPECT_EQ(dlg.y, 0);
    EXPECT_EQ(dlg.cx, want.cx);
    EXPECT_EQ(dlg.cy, want.cy);
    EXPECT_EQ(dlg.title, want.title);
    EXPECT_TRUE(dlg.menu.empty());
    EXPECT_TRUE(dlg.className.empty());
    ASSERT_TRUE(dlg.hasFont);
    EXPECT_EQ(dlg.pointSize, 8);
    EXPECT_EQ(dlg.typeface, L"MS Sans Serif");
    EXPECT_EQ(dlg.italic, 0);
}

TEST_P(DialogResource, ControlsInTemplateOrder) {
    const ExpectedDialog& want = GetParam();
    DialogTemplate dlg;
    std::string error;
    ASSERT_TRUE(LoadTemplate(want.id, dlg, error)) << error;
    const auto& controls = *want.controls;
    ASSERT_EQ(dlg.items.size(), controls.size());
    for (size_t i = 0; i < controls.size(); ++i) {
        const DialogItem& got = dlg.items[i];
        const ExpectedControl& c = controls[i];
        SCOPED_TRACE("control " + std::to_string(i) + " \"" + Narrow(c.text) + "\" id " + std::to_string(c.id));
        EXPECT_EQ(got.id, c.id);
        EXPECT_EQ(got.className, c.className);
        EXPECT_EQ(got.text, c.text);
        EXPECT_EQ(got.x, c.x);
        EXPECT_EQ(got.y, c.y);
        EXPECT_EQ(got.cx, c.cx);
        EXPECT_EQ(got.cy, c.cy);
        EXPECT_EQ(got.style, c.style) << std::hex << "got 0x" << got.style << " want 0x" << c.style;
        EXPECT_EQ(got.exStyle, 0u);
    }
}

TEST_P(DialogResource, DialogManagerBuildsEveryControl) {
    const ExpectedDialog& want = GetParam();
    ResourceBytes bytes = FindModuleResource(RT_DIALOG, MAKEINTRESOURCEW(want.id));
    ASSERT_TRUE(bytes);
    // Pages are child dialogs: give them a parent, as the property frame does.
    HWND parent = CreateWindowExW(0, L"Static", L"page host", WS_POPUP, 0, 0, 600, 400, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(parent, nullptr);
    HWND dlg = CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                          reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data),
                                          (want.style & WS_CHILD) ? parent : nullptr, NoOpDialogProc, 0);
    ASSERT_NE(dlg, nullptr) << "last error " << GetLastError();
    for (const ExpectedControl& c : *want.controls) {
        if (c.id == IDC_STATIC) continue;
        HWND item = GetDlgItem(dlg, c.id);
        ASSERT_NE(item, nullptr) << "control " << c.id;
        wchar_t cls[64] = {};
        GetClassNameW(item, cls, 64);
        EXPECT_EQ(_wcsicmp(cls, c.className), 0) << "control " << c.id << " is a " << Narrow(cls);
        EXPECT_EQ((GetWindowLongW(item, GWL_STYLE) & WS_VISIBLE) != 0, (c.style & WS_VISIBLE) != 0)
            << "control " << c.id;
    }
    // The template's font reaches the dialog.
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(dlg, WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    LOGFONTW lf = {};
    ASSERT_GT(GetObjectW(font, sizeof lf, &lf), 0);
    EXPECT_STREQ(lf.lfFaceName, L"MS Sans Serif");
    DestroyWindow(dlg);
    DestroyWindow(parent);
}

INSTANTIATE_TEST_SUITE_P(AllDialogs, DialogResource, ::testing::ValuesIn(kDialogs),
                         [](const ::testing::TestParamInfo<ExpectedDialog>& info) {
                             return "Dialog" + std::to_string(info.param.id);
                         });
