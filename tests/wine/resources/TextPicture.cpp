#include "TextPicture.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace velmaric_test {

bool ReadTextPicture(const std::wstring& path, TextPicture& out) {
    out = TextPicture{};
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file) return false;
    std::string text;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
    std::fclose(file);

    std::istringstream lines(text);
    std::string line;
    bool inPicture = false;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (inPicture) {
            out.rows.push_back(line);
            continue;
        }
        if (line.empty() || line[0] == ';') continue;
        std::istringstream words(line);
        std::string word;
        words >> word;
        if (word == "size") {
            words >> out.width >> out.height;
        } else if (word == "hotspot") {
            words >> out.hotX >> out.hotY;
        } else if (word == "key" && line.size() > 4) {
            out.keys[line[4]] = std::atoi(line.c_str() + 5);
        } else if (word == "picture") {
            inPicture = true;
        }
    }
    return inPicture && out.width > 0 && out.height > 0;
}

}  // namespace velmaric_test
