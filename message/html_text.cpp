// html_text.cpp - text out of the program's own HTML.
#include "message/html_text.h"

#include <cstdint>

#include "message/charsets.h"
#include "platform/ascii.h"

namespace tessaly {

namespace {

constexpr size_t npos = std::string_view::npos;

// A code point of a character reference; one no text may hold is U+FFFD.
void appendCodePoint(std::string& out, uint32_t code) {
    if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) code = 0xFFFD;
    appendUtf8(out, code);
}

// The entity at `text[pos]` ("&...;") appended to `out`; returns its
// length, or 0 when it is none the pages write (then "&" is kept as it is).
size_t appendEntity(std::string_view text, size_t pos, std::string& out) {
    const size_t semicolon = text.find(';', pos);
    if (semicolon == npos || semicolon - pos > 10) return 0;
    const std::string_view name = text.substr(pos + 1, semicolon - pos - 1);
    const size_t length = semicolon - pos + 1;
    if (name == "lt") {
        out += '<';
    } else if (name == "gt") {
        out += '>';
    } else if (name == "amp") {
        out += '&';
    } else if (name == "quot") {
        out += '"';
    } else if (name == "nbsp") {
        out += ' ';
    } else if (name.size() > 1 && name[0] == '#') {
        const bool hex = name[1] == 'x' || name[1] == 'X';
        uint32_t code = 0;
        const std::string_view digits = name.substr(hex ? 2 : 1);
        if (digits.empty()) return 0;
        for (const char c : digits) {
            const int value = hex ? hexDigitValue(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
            if (value < 0) return 0;
            code = code * (hex ? 16 : 10) + static_cast<uint32_t>(value);
            if (code > 0x10FFFF) code = 0x110000;
        }
        appendCodePoint(out, code);
    } else {
        return 0;
    }
    return length;
}

bool tagIs(std::string_view tag, std::string_view name) {
    if (tag.size() < name.size()) return false;
    if (!equalsIgnoringCase(tag.substr(0, name.size()), name)) return false;
    return tag.size() == name.size() || tag[name.size()] == ' ' || tag[name.size()] == '>' ||
           tag[name.size()] == '/';
}

}  // namespace

std::string htmlUnescaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&') {
            const size_t length = appendEntity(text, i, out);
            if (length) {
                i += length - 1;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

std::string plainTextOfHtml(std::string_view html) {
    std::string out;
    out.reserve(html.size());
    size_t i = 0;
    while (i < html.size()) {
        // Plain runs go across whole; only tags, entities and CRs stop them.
        size_t stop = i;
        while (stop < html.size() && html[stop] != '<' && html[stop] != '&' && html[stop] != '\r') ++stop;
        out.append(html, i, stop - i);
        if (stop == html.size()) break;
        i = stop;
        const char c = html[i];
        if (c == '\r') {
            ++i;
        } else if (c == '<') {
            const size_t close = html.find('>', i);
            if (close == npos) break;
            const std::string_view tag = html.substr(i + 1, close - i - 1);
            i = close + 1;
            if (tagIs(tag, "br")) {
                out += '\n';
                if (i < html.size() && html[i] == '\r') ++i;
                if (i < html.size() && html[i] == '\n') ++i;
            }
        } else {
            const size_t length = appendEntity(html, i, out);
            if (length) {
                i += length;
            } else {
                out += '&';
                ++i;
            }
        }
    }
    if (!isValidUtf8(out)) return ensureUtf8(out);
    return out;
}

}  // namespace tessaly
