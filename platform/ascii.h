// ascii.h - ASCII helpers the same in every locale: case folding of the
// letters A-Z and the value of a hexadecimal digit.
//
// Names in mail, registry keys and file extensions compare without regard
// to case, byte by byte: bytes above 127 are never folded, whatever locale
// the process runs in (the GTK shell sets one, the command line does not).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tessaly {

// 0 to 15 for "0"-"9", "a"-"f" and "A"-"F"; -1 for any other byte.
inline int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

inline char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The text with A-Z made lower case; other bytes unchanged.
std::string asciiLower(std::string_view text);

// Whether `text` begins with `prefix`, A-Z and a-z counting as the same.
inline bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (asciiLower(text[i]) != asciiLower(prefix[i])) return false;
    }
    return true;
}

// Whether the two are equal when A-Z and a-z count as the same.
inline bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && startsWithIgnoringCase(a, b);
}

}  // namespace tessaly
