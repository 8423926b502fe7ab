// Reader for dialog templates as stored in a module (DLGTEMPLATE and
// DLGTEMPLATEEX), so that tests can check every control of a template.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velmaric_test {

struct DialogItem {
    int32_t id = 0;                 // IDC_STATIC reads back as -1
    uint32_t style = 0;
    uint32_t exStyle = 0;
    int16_t x = 0, y = 0, cx = 0, cy = 0;
    std::wstring className;         // predefined classes by name: "Button", "Edit", ...
    std::wstring text;
};

struct DialogTemplate {
    bool extended = false;
    uint32_t style = 0;
    uint32_t exStyle = 0;
    int16_t x = 0, y = 0, cx = 0, cy = 0;
    std::wstring menu;              // empty: none; "#n": ordinal
    std::wstring className;         // empty: the standard dialog class
    std::wstring title;
    bool hasFont = false;
    uint16_t pointSize = 0;
    uint16_t weight = 0;
    uint8_t italic = 0;
    uint8_t charset = 0;
    std::wstring typeface;
    std::vector<DialogItem> items;
};

// Parses size bytes at data. Returns false (with a reason) when the bytes
// run out or the layout is inconsistent.
bool ParseDialogTemplate(const void* data, size_t size, DialogTemplate& out, std::string& error);

}  // namespace velmaric_test
