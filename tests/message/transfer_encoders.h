// transfer_encoders.h - small reference encoders (base64, uuencode, BinHex)
// and decoder runners for the decoding tests.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "message/decoding.h"

namespace tessaly::test {

inline std::string base64Encode(std::string_view in) {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    size_t i = 0;
    for (; i + 3 <= in.size(); i += 3) {
        uint32_t v = (uint8_t(in[i]) << 16) | (uint8_t(in[i + 1]) << 8) | uint8_t(in[i + 2]);
        for (int s = 18; s >= 0; s -= 6) out += kAlphabet[(v >> s) & 63];
    }
    if (size_t rest = in.size() - i) {
        uint32_t v = uint8_t(in[i]) << 16;
        if (rest == 2) v |= uint8_t(in[i + 1]) << 8;
        out += kAlphabet[(v >> 18) & 63];
        out += kAlphabet[(v >> 12) & 63];
        out += rest == 2 ? kAlphabet[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

// Breaks text into lines of `width` joined by `lineEnd`.
inline std::string wrapLines(std::string_view text, size_t width, std::string_view lineEnd) {
    std::string out;
    for (size_t i = 0; i < text.size(); i += width) {
        out += text.substr(i, width);
        out += lineEnd;
    }
    return out;
}

// "begin 644 name", lines of up to 45 bytes ("`" for zero), "`", "end".
inline std::string uuencode(std::string_view in) {
    auto symbol = [](uint32_t v) { return char(v ? v + 32 : '`'); };
    std::string out = "begin 644 file.bin\r\n";
    for (size_t line = 0; line < in.size(); line += 45) {
        size_t n = std::min<size_t>(45, in.size() - line);
        out += symbol(uint32_t(n));
        for (size_t i = 0; i < n; i += 3) {
            uint8_t b[3] = {uint8_t(in[line + i]), 0, 0};
            if (i + 1 < n) b[1] = uint8_t(in[line + i + 1]);
            if (i + 2 < n) b[2] = uint8_t(in[line + i + 2]);
            out += symbol(b[0] >> 2);
            out += symbol(((b[0] << 4) | (b[1] >> 4)) & 63);
            out += symbol(((b[1] << 2) | (b[2] >> 6)) & 63);
            out += symbol(b[2] & 63);
        }
        out += "\r\n";
    }
    out += "`\r\nend\r\n";
    return out;
}

// The bytes of a BinHex file before run-length coding: header (with a zero
// CRC), data fork and resource fork (fork CRCs are not checked, left zero).
inline std::string binhexPlain(std::string_view name, std::string_view data,
                               std::string_view resource, std::string_view type = "TEXT",
                               std::string_view creator = "ttxt") {
    auto be32 = [](std::string& s, uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8) s += char((v >> shift) & 0xff);
    };
    std::string out;
    out += char(name.size());
    out += name;
    out += '\0';  // version
    out += type;
    out += creator;
    out += std::string(2, '\0');  // flags
    be32(out, uint32_t(data.size()));
    be32(out, uint32_t(resource.size()));
    out += std::string(2, '\0');  // header CRC
    out += data;
    out += std::string(2, '\0');
    out += resource;
    out += std::string(2, '\0');
    return out;
}

// Run-length coding: runs of three or more become byte, 0x90, count; a
// literal 0x90 becomes 0x90 0x00.
inline std::string binhexRunLength(std::string_view in) {
    std::string out;
    for (size_t i = 0; i < in.size();) {
        char c = in[i];
        size_t run = 1;
        while (i + run < in.size() && in[i + run] == c && run < 255) ++run;
        if (c == char(0x90)) {
            out += "\x90";
            out += '\0';
            i += 1;
            continue;
        }
        if (run >= 3) {
            out += c;
            out += char(0x90);
            out += char(run);
        } else {
            out.append(run, c);
        }
        i += run;
    }
    return out;
}

// Six-bit symbols in lines of 64, with the banner and both colons.
inline std::string binhexSymbols(std::string_view bytes) {
    static constexpr char kAlphabet[] =
        "!\"#$%&'()*+,-012345689@ABCDEFGHIJKLMNPQRSTUVXYZ[`abcdefhijklmpqr";
    std::string symbols;
    uint32_t acc = 0;
    int bits = 0;
    for (char c : bytes) {
        acc = (acc << 8) | uint8_t(c);
        bits += 8;
        while (bits >= 6) {
            bits -= 6;
            symbols += kAlphabet[(acc >> bits) & 63];
        }
    }
    if (bits) symbols += kAlphabet[(acc << (6 - bits)) & 63];
    return "(This file must be converted with BinHex 4.0)\r\n:" + wrapLines(symbols, 64, "\r\n") +
           ":\r\n";
}

inline std::string binhexEncode(std::string_view name, std::string_view data,
                                std::string_view resource = {}) {
    return binhexSymbols(binhexRunLength(binhexPlain(name, data, resource)));
}

// Runs a decoder over a copy of `in` in a heap block of exactly its size, so
// that the sanitizer catches any read past the end. Empty optional on
// failure.
template <class Decoder>
std::optional<std::string> runDecoder(Decoder decoder, std::string_view in) {
    std::unique_ptr<char[]> copy(new char[in.size() ? in.size() : 1]);
    std::copy(in.begin(), in.end(), copy.get());
    const char* start = copy.get();
    const char* end = copy.get() + in.size();
    bool ok = decoder(start, end);
    if (!ok) {
        if (start != nullptr) return std::string("<failure with a start pointer>");
        return std::nullopt;
    }
    if (start == nullptr || end < start) return std::string("<success without a range>");
    return std::string(start, end);
}

}  // namespace tessaly::test
