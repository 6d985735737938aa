// text.cpp - trimming, bracket removal, file-name-safe text, sign cut and
// HTML escaping.
#include "message/text.h"

namespace tessaly {

namespace {

bool isWhite(char c) { return c == ' ' || c == '\r' || c == '\n' || c == '\t'; }

bool formsPair(char open, char close) {
    switch (open) {
    case '"': return close == '"';
    case '\'': return close == '\'';
    case '(': return close == ')';
    case '<': return close == '>';
    case '[': return close == ']';
    default: return false;
    }
}

// Characters a file name on the original platform cannot hold.
bool isForbiddenInName(unsigned char c) {
    if (c < 32) return true;
    switch (c) {
    case '"': case '*': case '/': case ':': case '<': case '>': case '?': case '\\': case '|':
        return true;
    default: return false;
    }
}

}  // namespace

std::string trimWhite(std::string_view text) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && isWhite(text[first])) ++first;
    while (last > first && isWhite(text[last - 1])) --last;
    return std::string(text.substr(first, last - first));
}

std::string stripEnclosing(std::string_view text) {
    while (text.size() >= 3 && formsPair(text.front(), text.back()))
        text = text.substr(1, text.size() - 2);
    return std::string(text);
}

std::string safeFileText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (isForbiddenInName(static_cast<unsigned char>(c))) continue;
        if (c == ' ' && !out.empty() && out.back() == ' ') continue;
        out += c;
    }
    return trimWhite(out);
}

size_t utf8Prefix(std::string_view text, size_t limit) {
    if (text.size() <= limit) return text.size();
    const auto continuation = [text](size_t i) {
        return (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80;
    };
    size_t start = limit;
    while (start > 0 && limit - start < 3 && continuation(start)) --start;
    return start < limit && static_cast<unsigned char>(text[start]) >= 0xC0 ? start : limit;
}

std::string textBeforeSign(std::string_view text) {
    return std::string(text.substr(0, text.find_first_of("+-")));
}

std::string htmlEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (char c : text) {
        switch (c) {
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '&': out += "&amp;"; break;
        default: out += c;
        }
    }
    return out;
}

}  // namespace tessaly
