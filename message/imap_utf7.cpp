// imap_utf7.cpp - decoding IMAP's modified UTF-7 mailbox names.
#include "message/imap_utf7.h"

#include <cstdint>
#include <optional>
#include <vector>

#include "message/charsets.h"

namespace tessaly {

namespace {

// The value of a symbol of the modified base64 alphabet, or -1.
int symbolValue(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == ',') return 63;
    return -1;
}

// The UTF-8 text of the base64 run `run` (between "&" and "-"), or nothing
// when it is no well-formed UTF-16.
std::optional<std::string> decodeRun(std::string_view run) {
    std::vector<uint16_t> units;
    uint32_t bits = 0;
    int count = 0;
    for (const char c : run) {
        const int value = symbolValue(c);
        if (value < 0) return std::nullopt;
        bits = (bits << 6) | static_cast<uint32_t>(value);
        count += 6;
        if (count >= 16) {
            count -= 16;
            units.push_back(static_cast<uint16_t>(bits >> count));
            bits &= (uint32_t{1} << count) - 1;
        }
    }
    // An encoder pads the last unit with fewer than six zero bits.
    if (count >= 6 || bits != 0 || units.empty()) return std::nullopt;

    std::string out;
    for (size_t i = 0; i < units.size(); ++i) {
        uint32_t code = units[i];
        if (code >= 0xDC00 && code <= 0xDFFF) return std::nullopt;
        if (code >= 0xD800 && code <= 0xDBFF) {
            if (i + 1 == units.size() || units[i + 1] < 0xDC00 || units[i + 1] > 0xDFFF) return std::nullopt;
            code = 0x10000 + ((code - 0xD800) << 10) + (units[++i] - 0xDC00u);
        }
        if (code == 0) return std::nullopt;
        appendUtf8(out, code);
    }
    return out;
}

}  // namespace

std::string decodeImapUtf7(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    size_t i = 0;
    while (i < name.size()) {
        if (name[i] != '&') {
            out += name[i++];
            continue;
        }
        const size_t close = name.find('-', i + 1);
        if (close == i + 1) {
            out += '&';
            i += 2;
            continue;
        }
        if (close != std::string_view::npos) {
            if (const std::optional<std::string> text = decodeRun(name.substr(i + 1, close - i - 1))) {
                out += *text;
                i = close + 1;
                continue;
            }
        }
        out += name[i++];
    }
    return out;
}

}  // namespace tessaly
