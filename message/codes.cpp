// codes.cpp - hexadecimal text, Macintosh type/creator extensions and the
// six-character base-32 key.
#include "message/text.h"
#include "platform/ascii.h"

namespace tessaly {

std::string hexText(std::string_view text) {
    std::string out;
    out.reserve(text.size() / 2);
    for (size_t i = 0; i + 1 < text.size(); i += 2) {
        int high = hexDigitValue(text[i]);
        int low = hexDigitValue(text[i + 1]);
        if (high >= 0 && low >= 0) {
            out += static_cast<char>(high * 16 + low);
        } else {
            out += "\r\n";
            out += text[i];
            out += text[i + 1];
        }
    }
    return out;
}

MacExtensions macExtension(std::string_view type, std::string_view creator) {
    MacExtensions ext;
    if (creator == "MSWD") {
        ext.creatorExtension = ".doc";
        if (type == "W8BN" || type == "W7BN" || type == "W6BN") ext.pairExtension = ".doc";
    } else if (creator == "MSXL") {
        ext.creatorExtension = ".xls";
    } else if (creator == "cDrw") {
        ext.creatorExtension = ".cdr";
        if (type == "dDrw") ext.pairExtension = ".cdr";
    }
    return ext;
}

std::string checksumKeyText(uint32_t value) {
    static constexpr char kAlphabet[] = "0123456789abcdefghijklmnopqrstuv";
    std::string key(6, '0');
    for (int i = 0; i < 6; ++i) key[i] = kAlphabet[(value >> (5 * i)) & 31];
    return key;
}

}  // namespace tessaly
