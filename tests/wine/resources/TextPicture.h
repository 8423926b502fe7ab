// Reader for the committed text pictures that the build turns into the
// cursor and the bitmap, so that the tests compare the embedded images with
// their source pixel by pixel.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace velmaric_test {

struct TextPicture {
    int width = 0, height = 0;
    int hotX = -1, hotY = -1;
    std::map<char, int> keys;        // character -> palette index
    std::vector<std::string> rows;   // top row first, as written
};

// Reads the picture file at a Windows path; false when it cannot be read.
bool ReadTextPicture(const std::wstring& path, TextPicture& out);

}  // namespace velmaric_test
