// file_filters.cpp - case-blind globs for the file dialogs.
#include "app/file_filters.h"

#include <utility>

#include "platform/ascii.h"

namespace tessaly {

std::string caseBlindGlob(std::string_view glob) {
    std::string out;
    bool inBracket = false;
    for (const char c : glob) {
        if (inBracket) {
            // A bracket already says which letters it takes.
            if (c == ']') inBracket = false;
            out += c;
        } else if (c == '[') {
            inBracket = true;
            out += c;
        } else if (const char lower = asciiLower(c); lower >= 'a' && lower <= 'z') {
            out += '[';
            out += lower;
            out += static_cast<char>(lower - 'a' + 'A');
            out += ']';
        } else {
            out += c;
        }
    }
    return out;
}

FileFilter extensionFilter(std::string label, std::initializer_list<std::string_view> extensions) {
    FileFilter filter{std::move(label), {}, {}};
    for (const std::string_view extension : extensions) {
        filter.patterns.push_back(caseBlindGlob("*." + std::string(extension)));
    }
    return filter;
}

FileFilter allFilesFilter() { return {"All files", {"*"}, {}}; }

}  // namespace tessaly
