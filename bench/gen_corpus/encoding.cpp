// encoding.cpp - base64, quoted-printable, encoded words, RFC 2231 values
// and header folding for the generated messages.
#include "gen_corpus/encoding.h"

#include <algorithm>
#include <cstdint>

namespace tessaly::bench {

namespace {

const char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
const char kHex[] = "0123456789ABCDEF";

// Base64 of [p, p + n) appended without line ends.
void appendBase64(std::string& out, const unsigned char* p, size_t n) {
    size_t i = 0;
    for (; i + 3 <= n; i += 3) {
        const uint32_t v = (uint32_t{p[i]} << 16) | (uint32_t{p[i + 1]} << 8) | p[i + 2];
        out += kBase64[v >> 18];
        out += kBase64[(v >> 12) & 63];
        out += kBase64[(v >> 6) & 63];
        out += kBase64[v & 63];
    }
    if (i < n) {
        uint32_t v = uint32_t{p[i]} << 16;
        if (i + 1 < n) v |= uint32_t{p[i + 1]} << 8;
        out += kBase64[v >> 18];
        out += kBase64[(v >> 12) & 63];
        out += i + 1 < n ? kBase64[(v >> 6) & 63] : '=';
        out += '=';
    }
}

void appendHexEscape(std::string& out, char prefix, unsigned char c) {
    out += prefix;
    out += kHex[c >> 4];
    out += kHex[c & 15];
}

// Length in bytes of the UTF-8 sequence that starts with `lead`.
size_t utf8Length(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xF0) return 4;
    if (lead >= 0xE0) return 3;
    return 2;
}

// Splits `text` into pieces of at most `limit` bytes, never inside a UTF-8
// sequence, and hands each to `encode`.
template <class Encode>
std::string encodedWords(std::string_view text, size_t limit, Encode&& encode) {
    std::string out;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = start;
        while (end < text.size()) {
            const size_t length = utf8Length(static_cast<unsigned char>(text[end]));
            if (end + length - start > limit && end > start) break;
            end += length;
        }
        if (end > text.size()) end = text.size();
        if (!out.empty()) out += "\n ";
        out += encode(text.substr(start, end - start));
        start = end;
    }
    return out;
}

}  // namespace

void appendBase64Lines(std::string& out, std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    out.reserve(out.size() + bytes.size() / 57 * 77 + 80);
    for (size_t at = 0; at < bytes.size(); at += 57) {
        appendBase64(out, p + at, std::min<size_t>(57, bytes.size() - at));
        out += '\n';
    }
}

std::string base64(std::string_view bytes) {
    std::string out;
    appendBase64(out, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    return out;
}

void appendQuotedPrintable(std::string& out, std::string_view text) {
    size_t column = 0;
    std::string token;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\n') {
            out += '\n';
            column = 0;
            continue;
        }
        const bool lineEndFollows = i + 1 == text.size() || text[i + 1] == '\n';
        token.clear();
        if (c == '=' || c >= 0x7F || (c < 0x20 && c != '\t') || ((c == ' ' || c == '\t') && lineEndFollows)) {
            appendHexEscape(token, '=', c);
        } else {
            token += static_cast<char>(c);
        }
        // Room for a soft break "=" unless this is the line's last token.
        const size_t room = lineEndFollows ? 76 : 75;
        if (column + token.size() > room) {
            out += "=\n";
            column = 0;
        }
        out += token;
        column += token.size();
    }
}

std::string latin1FromUtf8(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const size_t length = utf8Length(c);
        if (length == 2 && i + 1 < text.size() && c <= 0xC3) {
            out += static_cast<char>(((c & 0x1F) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3F));
        } else if (length == 1) {
            out += static_cast<char>(c);
        } else {
            out += '?';
        }
        i += length;
    }
    return out;
}

bool isAscii(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

bool fitsLatin1(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) > 0xC3) return false;
    }
    return true;
}

std::string encodedWordsB(std::string_view charset, std::string_view text) {
    const std::string head = "=?" + std::string(charset) + "?B?";
    // 75 characters: the head, "?=" and 4 characters per 3 bytes.
    const size_t limit = (75 - head.size() - 2) / 4 * 3;
    return encodedWords(text, limit, [&](std::string_view piece) { return head + base64(piece) + "?="; });
}

std::string encodedWordsQ(std::string_view charset, std::string_view text) {
    const std::string head = "=?" + std::string(charset) + "?Q?";
    // At worst 3 characters per byte.
    const size_t limit = (75 - head.size() - 2) / 3;
    return encodedWords(text, limit, [&](std::string_view piece) {
        std::string word = head;
        for (char ch : piece) {
            const auto c = static_cast<unsigned char>(ch);
            if (c == ' ') {
                word += '_';
            } else if (c >= 0x7F || c < 0x20 || c == '=' || c == '?' || c == '_' || c == '"' || c == '(' ||
                       c == ')' || c == ',' || c == ':' || c == ';' || c == '<' || c == '>' || c == '@') {
                appendHexEscape(word, '=', c);
            } else {
                word += static_cast<char>(c);
            }
        }
        return word + "?=";
    });
}

std::string percentEncoded(std::string_view text) {
    std::string out;
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           c == '.' || c == '-' || c == '_';
        if (plain) {
            out += static_cast<char>(c);
        } else {
            appendHexEscape(out, '%', c);
        }
    }
    return out;
}

std::string foldedHeader(std::string_view name, std::string_view value) {
    std::string out(name);
    out += ':';
    size_t column = out.size();
    size_t start = 0;
    // Words are separated by single blanks; a "\n " already in the value
    // (between encoded words) starts a new line.
    while (start < value.size()) {
        size_t end = start;
        while (end < value.size() && value[end] != ' ' && value[end] != '\n') ++end;
        const std::string_view word = value.substr(start, end - start);
        if (column > name.size() + 1 && column + 1 + word.size() > 78) {
            out += "\n";
            column = 0;
        }
        out += ' ';
        out += word;
        column += 1 + word.size();
        if (end < value.size() && value[end] == '\n') {
            out += '\n';
            column = 0;
            ++end;  // the blank after it opens the next word
        }
        start = end < value.size() ? end + 1 : end;
    }
    out += '\n';
    return out;
}

}  // namespace tessaly::bench
