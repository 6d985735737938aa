// file_system_names.cpp - names made safe for the rules of a file system.
#include "archive/file_system_names.h"

namespace tessaly {

namespace {

bool isRefusedOnWindows(unsigned char c) {
    if (c < 32) return true;
    switch (c) {
    case '"': case '*': case ':': case '<': case '>': case '?': case '\\': case '|':
        return true;
    default: return false;
    }
}

// Each character past ASCII (a UTF-8 sequence, or a lone byte) and DEL as
// one "_".
std::string asciiOnly(std::string_view name) {
    std::string out;
    for (size_t i = 0; i < name.size();) {
        const auto c = static_cast<unsigned char>(name[i++]);
        if (c < 0x7F) {
            out += static_cast<char>(c);
            continue;
        }
        out += '_';
        if (c >= 0xC0) {
            while (i < name.size() && (static_cast<unsigned char>(name[i]) & 0xC0) == 0x80) ++i;
        }
    }
    return out;
}

}  // namespace

std::string nameForFileSystem(std::string_view name, const NameRules& rules) {
    std::string safe(name);
    if (rules.keepsEveryName() || name.empty()) return safe;
    if (rules.refusesWindowsCharacters) {
        for (char& c : safe) {
            if (isRefusedOnWindows(static_cast<unsigned char>(c))) c = '_';
        }
    }
    if (rules.refusesNonAscii) safe = asciiOnly(safe);
    if (rules.dropsTrailingDotsAndSpaces) {
        const size_t kept = safe.find_last_not_of(". ");
        safe.resize(kept == std::string::npos ? 0 : kept + 1);
    }
    if (safe.empty()) safe.push_back('_');
    return safe;
}

std::string pathForFileSystem(std::string_view path, const NameRules& rules) {
    if (rules.keepsEveryName()) return std::string(path);
    std::string safe;
    size_t start = 0;
    while (start < path.size()) {
        size_t stop = path.find('/', start);
        if (stop == std::string_view::npos) stop = path.size();
        safe += nameForFileSystem(path.substr(start, stop - start), rules);
        if (stop < path.size()) safe += '/';
        start = stop + 1;
    }
    return safe;
}

}  // namespace tessaly
