// search_terms.cpp - folding and cutting text into search terms, the C++
// twin of fold() and terms() in search.js.
#include "browse/search_terms.h"

#include <glib.h>

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "message/charsets.h"

namespace tessaly {

namespace {

void appendUtf8(std::string& out, gunichar c) {
    char bytes[6];
    out.append(bytes, static_cast<size_t>(g_unichar_to_utf8(c, bytes)));
}

std::string normalized(std::string_view text, GNormalizeMode mode) {
    gchar* result = g_utf8_normalize(text.data(), static_cast<gssize>(text.size()), mode);
    std::string out = result != nullptr ? result : "";
    g_free(result);
    return out;
}

// A run of non-ASCII characters folded. NFKD and the dropping of marks work
// character by character, and NFC only joins characters that follow marks or
// Hangul jamo, so folding runs apart gives what folding the whole text would.
void foldRunWhole(std::string_view run, std::string& out) {
    const std::string decomposed = normalized(run, G_NORMALIZE_NFKD);
    std::string bare;
    bare.reserve(decomposed.size());
    for (const char* p = decomposed.c_str(); *p != 0; p = g_utf8_next_char(p)) {
        const gunichar c = g_utf8_get_char(p);
        if (!g_unichar_ismark(c)) appendUtf8(bare, c);
    }
    const std::string composed = normalized(bare, G_NORMALIZE_NFC);
    for (const char* p = composed.c_str(); *p != 0; p = g_utf8_next_char(p)) {
        gunichar c = g_unichar_tolower(g_utf8_get_char(p));
        if (c == 0x3C2) c = 0x3C3;  // final sigma: the same letter
        appendUtf8(out, c);
    }
}

// Marks and the conjoining Hangul letters are the characters that NFC may
// join to the one before; a run without them folds character by character.
bool joinsNeighbours(gunichar c) {
    return g_unichar_ismark(c) || (c >= 0x1100 && c <= 0x11FF) || (c >= 0xA960 && c <= 0xA97F) ||
           (c >= 0xD7B0 && c <= 0xD7FF);
}

// Each character's folding, kept once worked out: mail repeats the same few
// hundred letters of its script over and over.
void foldRun(std::string_view run, std::string& out) {
    thread_local std::unordered_map<gunichar, std::string> folded;
    thread_local std::unordered_map<gunichar, bool> joining;
    const size_t start = out.size();
    for (const char* p = run.data(); p < run.data() + run.size(); p = g_utf8_next_char(p)) {
        const gunichar c = g_utf8_get_char(p);
        auto join = joining.find(c);
        if (join == joining.end()) join = joining.emplace(c, joinsNeighbours(c)).first;
        if (join->second) {
            out.resize(start);
            foldRunWhole(run, out);
            return;
        }
        auto known = folded.find(c);
        if (known == folded.end()) {
            std::string one;
            foldRunWhole(std::string_view(p, static_cast<size_t>(g_utf8_next_char(p) - p)), one);
            known = folded.emplace(c, std::move(one)).first;
        }
        out += known->second;
    }
}

bool isWordChar(gunichar c) {
    switch (g_unichar_type(c)) {
    case G_UNICODE_LOWERCASE_LETTER:
    case G_UNICODE_MODIFIER_LETTER:
    case G_UNICODE_OTHER_LETTER:
    case G_UNICODE_TITLECASE_LETTER:
    case G_UNICODE_UPPERCASE_LETTER:
    case G_UNICODE_DECIMAL_NUMBER:
    case G_UNICODE_LETTER_NUMBER:
    case G_UNICODE_OTHER_NUMBER:
        return true;
    default:
        return false;
    }
}

enum class CharClass : uint8_t { Unknown, Separator, Word, Cjk };

// What a character is to the term cutter, worked out once per character of
// the Basic Multilingual Plane.
CharClass classOf(gunichar c) {
    const auto work = [c] {
        if (!isWordChar(c)) return CharClass::Separator;
        return isCjkChar(c) ? CharClass::Cjk : CharClass::Word;
    };
    if (c >= 0x10000) return work();
    thread_local std::vector<CharClass> classes(0x10000, CharClass::Unknown);
    CharClass& kind = classes[c];
    if (kind == CharClass::Unknown) kind = work();
    return kind;
}

}  // namespace

std::string foldText(std::string_view input) {
    const std::string owned = isValidUtf8(input) ? std::string() : ensureUtf8(input);
    const std::string_view text = owned.empty() ? input : std::string_view(owned);
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            // A run of ASCII at once: only its capitals change.
            size_t end = i;
            while (end < text.size() && static_cast<unsigned char>(text[end]) < 0x80) ++end;
            const size_t at = out.size();
            out.append(text, i, end - i);
            for (size_t k = at; k < out.size(); ++k) {
                if (out[k] >= 'A' && out[k] <= 'Z') out[k] = static_cast<char>(out[k] + 32);
            }
            i = end;
            continue;
        }
        size_t end = i;
        while (end < text.size() && static_cast<unsigned char>(text[end]) >= 0x80) ++end;
        foldRun(text.substr(i, end - i), out);
        i = end;
    }
    return out;
}

bool isCjkChar(char32_t c) {
    if (c == 0x30FC) return true;
    switch (g_unichar_get_script(c)) {
    case G_UNICODE_SCRIPT_HAN:
    case G_UNICODE_SCRIPT_HIRAGANA:
    case G_UNICODE_SCRIPT_KATAKANA:
    case G_UNICODE_SCRIPT_HANGUL:
        return true;
    default:
        return false;
    }
}

void forEachTerm(std::string_view folded, const std::function<void(const Term&)>& emit) {
    size_t wordStart = 0, wordEnd = 0, wordChars = 0;  // the word being gathered
    size_t previousCjk = std::string_view::npos;       // start of a CJK character just before
    const auto endWord = [&] {
        if (wordChars > 0) emit(Term{folded.substr(wordStart, wordEnd - wordStart)});
        wordChars = 0;
    };
    size_t i = 0;
    while (i < folded.size()) {
        const auto byte = static_cast<unsigned char>(folded[i]);
        if (byte < 0x80) {
            // Most text is ASCII: its word characters are the letters
            // (lower case once folded) and digits.
            if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9')) {
                if (wordChars == 0) wordStart = i;
                if (wordChars < kMaxTermChars) wordEnd = i + 1;
                ++wordChars;
            } else {
                endWord();
            }
            previousCjk = std::string_view::npos;
            ++i;
            continue;
        }
        const char* p = folded.data() + i;
        const gunichar c = g_utf8_get_char_validated(p, static_cast<gssize>(folded.size() - i));
        if (c >= 0x80000000u) {  // not UTF-8 (callers fold first): a separator
            endWord();
            previousCjk = std::string_view::npos;
            ++i;
            continue;
        }
        const size_t next = static_cast<size_t>(g_utf8_next_char(p) - folded.data());
        const CharClass kind = classOf(c);
        if (kind == CharClass::Separator) {
            endWord();
            previousCjk = std::string_view::npos;
        } else if (kind == CharClass::Cjk) {
            endWord();
            emit(Term{folded.substr(i, next - i), true, false});
            if (previousCjk != std::string_view::npos) {
                emit(Term{folded.substr(previousCjk, next - previousCjk), true, true});
            }
            previousCjk = i;
        } else {
            if (wordChars == 0) wordStart = i;
            if (wordChars < kMaxTermChars) wordEnd = next;
            ++wordChars;
            previousCjk = std::string_view::npos;
        }
        i = next;
    }
    endWord();
}

}  // namespace tessaly
