// Every string of the module's string table, compared with its exact text.
#include <gtest/gtest.h>

#include "ResourceModule.h"
#include "resources/resource.h"

using namespace velmaric_test;

namespace {

std::wstring LoadModuleString(UINT id) {
    const wchar_t* text = nullptr;
    // With a zero buffer size LoadStringW hands out a pointer into the
    // resource itself, so trailing blanks and embedded text come back as stored.
    int length = LoadStringW(ModuleData(), id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 && text ? std::wstring(text, length) : std::wstring();
}

struct ExpectedString {
    UINT id;
    const wchar_t* text;
};

const ExpectedString kStrings[] = {
    {IDS_VELMARICAE, L"VelmaricAE Control"},
    {IDS_VELMARICAE_PPG, L"VelmaricAE Property Page"},
    {IDS_VELMARICAE_PPG_CAPTION, L"General"},
    {ID_REFRESH_EVENTS, L"Refresh events from AE server"},
    {ID_CLEAR_ALL, L"Clear all events from the list"},
    {ID_CONNECT, L"Connect to AE server"},
    {ID_DISCONNECT, L"Disconnect from AE server"},
    {ID_SORT_ASCENDING, L"Sort the selected column in ascending order"},
    {ID_SORT_DESCENDING, L"Sort the selected column in descending order"},
    {ID_FIND, L"Find"},
    {ID_REPEAT_FIND, L"Repeat last find"},
    {ID_ABOUT, L"About"},
    {ID_RESET_PROPERTIES, L"Reset all properties to default"},
    {IDS_SEVERITY_PPG, L"Severities / color map"},
    {IDS_COLUMNS_PPG, L"Column widths and positions"},
    {IDS_HIDE_PPG, L"Run-mode functions enablement"},
};

}  // namespace

TEST(ResourceStrings, ModuleLoadsAsData) {
    ASSERT_NE(ModuleData(), nullptr) << "cannot map the module; last error " << GetLastError();
}

TEST(ResourceStrings, EveryStringHasItsExactText) {
    ASSERT_NE(ModuleData(), nullptr);
    for (const ExpectedString& s : kStrings) {
        EXPECT_EQ(LoadModuleString(s.id), s.text) << "string " << s.id;
    }
}

TEST(ResourceStrings, CommandPromptsSitUnderTheCommandIds) {
    // The prompts must fill 32768..32777 without a gap; the neighbours stay empty.
    ASSERT_NE(ModuleData(), nullptr);
    for (UINT id = ID_REFRESH_EVENTS; id <= ID_RESET_PROPERTIES; ++id) {
        EXPECT_FALSE(LoadModuleString(id).empty()) << "no prompt for command " << id;
    }
    EXPECT_TRUE(LoadModuleString(ID_REFRESH_EVENTS - 1).empty());
    EXPECT_TRUE(LoadModuleString(ID_RESET_PROPERTIES + 1).empty());
}
