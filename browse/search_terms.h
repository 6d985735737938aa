// search_terms.h - the words search finds: how text is folded (case and
// accents dropped) and cut into terms. search.js does exactly the same, so
// that the page and searchArchive agree on every message.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace tessaly {

// Words longer than this many characters are cut to it (long tokens such
// as encoded data would only bloat the index).
inline constexpr size_t kMaxTermChars = 24;

// `text` (UTF-8; invalid bytes are read as windows-1252) folded: NFKD,
// combining marks dropped, NFC again (so Hangul syllables stay whole), each
// character lowercased, final sigma as sigma.
std::string foldText(std::string_view text);

// Whether a code point is one of the scripts written without spaces (Han,
// Hiragana, Katakana with its prolonged sound mark, Hangul): each such
// character is a word by itself.
bool isCjkChar(char32_t c);

// One term of folded text. A word is a run of letters and digits (cut to
// kMaxTermChars), a CJK character is a word alone, and two CJK characters in
// a row also make a pair term (`pair` set), which is how a run of such
// characters is found in order.
struct Term {
    std::string_view text;
    bool cjk = false;   // a single CJK character or a pair of them
    bool pair = false;  // two CJK characters
};

// Calls `emit` for every term of already folded text, in text order (a pair
// comes after its second character).
void forEachTerm(std::string_view folded, const std::function<void(const Term&)>& emit);

}  // namespace tessaly
