// header_text.h - header values as UTF-8: for people (pages, problem lines)
// and for archive names.
#pragma once

#include <string>
#include <string_view>

#include "message/charsets.h"

namespace tessaly {

// The value as UTF-8 for people: each encoded word in its own charset
// (adjacent words of one charset decoded together, so that a character
// split between them survives), the blanks between adjacent words dropped
// and a Q word's "_" a space (RFC 2047); text outside words as UTF-8 when
// it is valid, else in `fallback` (the body's charset), else windows-1252.
std::string headerText(Charsets& charsets, std::string_view value, std::string_view fallback);

// The value for archive names: decodeWords (bytes as they are, blanks and
// "_" kept) when that is UTF-8 (ASCII and UTF-8 mail, so names stay what
// they were), else the same rules with every word and byte made UTF-8 and
// two words that split a character joined.
std::string headerNameText(Charsets& charsets, std::string_view value, std::string_view fallback);

// A value without encoded words (a date, an id) as UTF-8: as it is when
// valid, else in `fallback`, else windows-1252.
std::string plainHeaderText(Charsets& charsets, std::string_view value, std::string_view fallback);

}  // namespace tessaly
