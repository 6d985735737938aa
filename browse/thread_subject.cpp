// thread_subject.cpp - normalised subjects for grouping mail without ids.
#include "browse/thread_subject.h"

#include <array>

#include "platform/ascii.h"

namespace tessaly {

namespace {

// Reply and forward words, compared without case; each must be followed
// by an optional counter ("[2]", "(2)", "^2") and a colon.
constexpr std::array<std::string_view, 22> kPrefixes = {
    "re",   "fwd",  "fw",  "aw",  "wg",  "sv",  "vs",  "antw", "odp", "rif", "tr",
    "r\xC3\xA9" "f",  // réf
    "ref",  "res",  "enc", "rv",  "vb",  "ynt", "atb", "bls", "\xE5\x9B\x9E\xE5\xA4\x8D",  // 回复
    "\xE7\xAD\x94\xE5\xA4\x8D",                                                            // 答复
};
constexpr std::string_view kForward = "\xE8\xBD\xAC\xE5\x8F\x91";  // 转发
constexpr std::string_view kWideColon = "\xEF\xBC\x9A";          // ：

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

// The length of a colon at the start of `s` (ASCII or full-width), or 0.
size_t colonAt(std::string_view s) {
    if (!s.empty() && s.front() == ':') return 1;
    if (s.substr(0, kWideColon.size()) == kWideColon) return kWideColon.size();
    return 0;
}

// The length of a reply or forward prefix at the start of `s`, or 0.
size_t prefixAt(std::string_view s) {
    auto tryWord = [&](std::string_view word) -> size_t {
        if (!startsWithIgnoringCase(s, word)) return 0;
        size_t at = word.size();
        // "Re[2]:", "Re(2):", "Re^2:"
        if (at < s.size() && (s[at] == '[' || s[at] == '(' || s[at] == '^')) {
            const char close = s[at] == '[' ? ']' : s[at] == '(' ? ')' : '\0';
            size_t digits = at + 1;
            while (digits < s.size() && s[digits] >= '0' && s[digits] <= '9') ++digits;
            if (digits == at + 1) return 0;
            if (close != '\0') {
                if (digits >= s.size() || s[digits] != close) return 0;
                ++digits;
            }
            at = digits;
        }
        while (at < s.size() && s[at] == ' ') ++at;  // "Re :"
        const size_t colon = colonAt(s.substr(at));
        return colon ? at + colon : 0;
    };
    for (const std::string_view word : kPrefixes) {
        if (const size_t length = tryWord(word)) return length;
    }
    return tryWord(kForward);
}

}  // namespace

ThreadSubject threadSubject(std::string_view subject) {
    ThreadSubject result;
    std::string_view rest = trimmed(subject);
    for (bool changed = true; changed && !rest.empty();) {
        changed = false;
        if (rest.front() == '[') {
            const size_t close = rest.find(']');
            // A tag alone is the subject, not a prefix of it.
            if (close != std::string_view::npos && !trimmed(rest.substr(close + 1)).empty()) {
                rest = trimmed(rest.substr(close + 1));
                changed = true;
                continue;
            }
        }
        if (const size_t length = prefixAt(rest)) {
            rest = trimmed(rest.substr(length));
            result.reply = true;
            changed = true;
        }
    }
    if (rest.size() >= 5 && equalsIgnoringCase(rest.substr(rest.size() - 5), "(fwd)")) {
        rest = trimmed(rest.substr(0, rest.size() - 5));
        result.reply = true;
    }
    result.key.reserve(rest.size());
    bool blank = false;
    for (const char c : rest) {
        if (isBlank(c)) {
            blank = true;
            continue;
        }
        if (blank && !result.key.empty()) result.key += ' ';
        blank = false;
        result.key += asciiLower(c);
    }
    return result;
}

}  // namespace tessaly
