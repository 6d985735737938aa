// thunderbird_prefs.cpp - reading prefs.js statements.
#include "sources/thunderbird_prefs.h"

#include <cstdint>
#include <optional>

#include "message/charsets.h"
#include "platform/ascii.h"

namespace tessaly {

namespace {

constexpr uint32_t kReplacement = 0xFFFD;

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// A reader over the text, never past its end.
struct Cursor {
    std::string_view text;
    size_t at = 0;

    bool done() const { return at >= text.size(); }
    char peek() const { return done() ? '\0' : text[at]; }
    void skipSpace() {
        while (!done() && isSpace(text[at])) ++at;
    }
    bool take(char c) {
        if (peek() != c || done()) return false;
        ++at;
        return true;
    }
    // The value of `digits` hex digits at the cursor, consumed; nothing
    // (and nothing consumed) when they are not all there.
    std::optional<uint32_t> hex(int digits) {
        if (text.size() - at < static_cast<size_t>(digits)) return std::nullopt;
        uint32_t value = 0;
        for (int i = 0; i < digits; ++i) {
            const int d = hexDigitValue(text[at + static_cast<size_t>(i)]);
            if (d < 0) return std::nullopt;
            value = value * 16 + static_cast<uint32_t>(d);
        }
        at += static_cast<size_t>(digits);
        return value;
    }
};

// A "\u" escape's code point: a high surrogate takes the low one after it.
uint32_t unicodeEscape(Cursor& c, uint32_t unit) {
    if (unit >= 0xDC00 && unit <= 0xDFFF) return kReplacement;
    if (unit >= 0xD800 && unit <= 0xDBFF) {
        const size_t back = c.at;
        if (c.take('\\') && c.take('u')) {
            if (const std::optional<uint32_t> low = c.hex(4); low && *low >= 0xDC00 && *low <= 0xDFFF) {
                return 0x10000 + ((unit - 0xD800) << 10) + (*low - 0xDC00);
            }
        }
        c.at = back;
        return kReplacement;
    }
    return unit == 0 ? kReplacement : unit;
}

// A JavaScript string literal at the cursor, or nothing when there is none
// or it does not end.
std::optional<std::string> stringLiteral(Cursor& c) {
    const char quote = c.peek();
    if (quote != '"' && quote != '\'') return std::nullopt;
    ++c.at;
    std::string out;
    while (!c.done()) {
        const char ch = c.text[c.at++];
        if (ch == quote) return out;
        if (ch != '\\') {
            out += ch;
            continue;
        }
        if (c.done()) return std::nullopt;
        const char e = c.text[c.at++];
        switch (e) {
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'v': out += '\v'; break;
            case '0': appendUtf8(out, kReplacement); break;
            case 'x':
                if (const std::optional<uint32_t> v = c.hex(2)) {
                    appendUtf8(out, *v == 0 ? kReplacement : *v);
                } else {
                    out += 'x';
                }
                break;
            case 'u':
                if (const std::optional<uint32_t> v = c.hex(4)) {
                    appendUtf8(out, unicodeEscape(c, *v));
                } else {
                    out += 'u';
                }
                break;
            default: out += e; break;  // \" \' \\ and any other byte as itself
        }
    }
    return std::nullopt;
}

// One statement from its opening "(": ( "name" , value ) ; the cursor ends
// after it.
bool statement(Cursor& c, std::string& name, std::string& value) {
    c.skipSpace();
    if (!c.take('(')) return false;
    c.skipSpace();
    std::optional<std::string> key = stringLiteral(c);
    if (!key) return false;
    c.skipSpace();
    if (!c.take(',')) return false;
    c.skipSpace();
    if (std::optional<std::string> text = stringLiteral(c)) {
        value = std::move(*text);
    } else {
        const size_t start = c.at;
        while (!c.done() && c.peek() != ')' && c.peek() != ';') ++c.at;
        size_t end = c.at;
        while (end > start && isSpace(c.text[end - 1])) --end;
        if (end == start) return false;
        value = std::string(c.text.substr(start, end - start));
    }
    c.skipSpace();
    if (!c.take(')')) return false;
    name = std::move(*key);
    return true;
}

}  // namespace

std::map<std::string, std::string> parsePrefs(std::string_view text) {
    // Thunderbird writes one statement a line. Reading line by line keeps a
    // damaged file linear: a broken line costs that line only.
    std::map<std::string, std::string> prefs;
    bool inComment = false;
    while (!text.empty()) {
        const size_t lf = text.find('\n');
        std::string_view line = text.substr(0, lf);
        text.remove_prefix(lf == std::string_view::npos ? text.size() : lf + 1);
        while (!line.empty() && isSpace(line.front())) line.remove_prefix(1);
        if (inComment || line.substr(0, 2) == "/*") {
            const size_t close = line.find("*/", inComment ? 0 : 2);
            inComment = close == std::string_view::npos;
            if (inComment) continue;
            line.remove_prefix(close + 2);
            while (!line.empty() && isSpace(line.front())) line.remove_prefix(1);
        }
        size_t keyword = 0;
        for (const std::string_view word : {"user_pref", "sticky_pref", "pref"}) {
            if (line.substr(0, word.size()) == word) {
                keyword = word.size();
                break;
            }
        }
        if (keyword == 0) continue;
        Cursor c{line, keyword};
        std::string name;
        std::string value;
        if (statement(c, name, value)) prefs[std::move(name)] = std::move(value);
    }
    return prefs;
}

}  // namespace tessaly
