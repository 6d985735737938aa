// page_text.cpp - escaping and short forms of message text for the browse
// pages.
#include "browse/page_text.h"

#include "message/charsets.h"
#include "message/text.h"
#include "platform/ascii.h"

namespace tessaly {

std::string pageText(std::string_view text) {
    const std::string utf8 = ensureUtf8(text);
    std::string out;
    out.reserve(utf8.size() + utf8.size() / 8);
    for (const char c : utf8) {
        switch (c) {
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '&': out += "&amp;"; break;
            case '"': out += "&quot;"; break;
            default:
                // Controls (NUL included) are not text a page can show.
                if ((static_cast<unsigned char>(c) < 32 && c != '\t') || c == 127) {
                    out += ' ';
                } else {
                    out += c;
                }
        }
    }
    return out;
}

std::string personName(std::string_view address) {
    const std::string whole = trimWhite(address);
    const size_t open = whole.find('<');
    std::string name = trimWhite(std::string_view(whole).substr(0, open));
    if (name.size() >= 2 && (name.front() == '"' || name.front() == '\'') && name.back() == name.front()) {
        name = trimWhite(std::string_view(name).substr(1, name.size() - 2));
    }
    if (!name.empty()) return name;
    if (open != std::string::npos) {
        const size_t close = whole.find('>', open);
        name = trimWhite(std::string_view(whole).substr(open + 1, close == std::string::npos ? std::string::npos
                                                                                             : close - open - 1));
    }
    if (name.empty()) name = whole;
    return name.empty() ? "(unknown)" : name;
}

std::string personKey(std::string_view address) {
    const std::string whole = trimWhite(address);
    const size_t open = whole.find('<');
    if (open == std::string::npos) return asciiLower(whole);
    const size_t close = whole.find('>', open);
    const std::string inside = trimWhite(
        std::string_view(whole).substr(open + 1, close == std::string::npos ? std::string::npos : close - open - 1));
    return asciiLower(inside.empty() ? whole : inside);
}

std::string textSnippet(std::string_view text, size_t limit) {
    std::string out;
    bool blank = false;
    for (const char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') {
            blank = !out.empty();
            continue;
        }
        if (blank) out += ' ';
        blank = false;
        out += c;
        if (out.size() > limit + 4) break;
    }
    if (out.size() <= limit) return out;
    out.resize(utf8Prefix(out, limit));
    return out + "...";
}

std::string countText(uint64_t count) {
    const std::string digits = std::to_string(count);
    std::string out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

std::string countedText(uint64_t count, std::string_view one, std::string_view many) {
    return countText(count) + " " + std::string(count == 1 ? one : many);
}

}  // namespace tessaly
