// ascii.h - case folding of the ASCII letters A-Z, the same in every locale.
//
// Names in mail, registry keys and file extensions compare without regard
// to case, byte by byte: bytes above 127 are never folded, whatever locale
// the process runs in (the GTK shell sets one, the command line does not).
#pragma once

#include <string>
#include <string_view>

namespace tessaly {

inline char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The text with A-Z made lower case; other bytes unchanged.
std::string asciiLower(std::string_view text);

// Whether the two are equal when A-Z and a-z count as the same.
bool equalsIgnoringCase(std::string_view a, std::string_view b);

// Whether `text` begins with `prefix`, A-Z and a-z counting as the same.
bool startsWithIgnoringCase(std::string_view text, std::string_view prefix);

}  // namespace tessaly
