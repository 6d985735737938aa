// ascii.h - ASCII helpers the same in every locale: case folding of the
// letters A-Z, the value of a hexadecimal digit and percent-encoding.
//
// Names in mail, registry keys and file extensions compare without regard
// to case, byte by byte: bytes above 127 are never folded, whatever locale
// the process runs in (the GTK shell sets one, the command line does not).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tessaly {

// 0 to 15 for "0"-"9", "a"-"f" and "A"-"F"; -1 for any other byte.
inline int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// `text` with every byte but ASCII letters, digits and the punctuation in
// `kept` written as "%XX" (upper-case hex), as URLs and RFC 2231 values
// escape bytes.
inline std::string percentEncoded(std::string_view text, std::string_view kept) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9') ||
                           (byte != 0 && kept.find(c) != std::string_view::npos);
        if (plain) {
            out += c;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        }
    }
    return out;
}

// "%XX" escapes resolved; a "%" without two hex digits stays as it is.
inline std::string percentDecoded(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const int high = text[i] == '%' && i + 2 < text.size() ? hexDigitValue(text[i + 1]) : -1;
        const int low = high >= 0 ? hexDigitValue(text[i + 2]) : -1;
        if (low >= 0) {
            out += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

inline char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The text with A-Z made lower case; other bytes unchanged.
std::string asciiLower(std::string_view text);

// Whether `text` begins with `prefix`, A-Z and a-z counting as the same.
inline bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (asciiLower(text[i]) != asciiLower(prefix[i])) return false;
    }
    return true;
}

// Whether the two are equal when A-Z and a-z count as the same.
inline bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && startsWithIgnoringCase(a, b);
}

}  // namespace tessaly
