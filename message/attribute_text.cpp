// attribute_text.cpp - encoding of file names inside link attributes.
#include "message/attribute_text.h"

namespace tessaly {

std::string attributeText(std::string_view text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 32 || c == '%' || c == '#' || c == '?' || c == '"') {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        } else if (c == '&') {
            out += "&amp;";
        } else if (c == '<') {
            out += "&lt;";
        } else if (c == '>') {
            out += "&gt;";
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace tessaly
