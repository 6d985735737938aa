// url_query.cpp - decoding of submitted fields and percent encoding.
#include "app/url_query.h"

#include "platform/ascii.h"

namespace tessaly {

namespace {

// The byte of "%XY" at text[i], or -1 when the two digits are not there.
int escapedByte(std::string_view text, size_t i) {
    if (text.size() < 3 || i > text.size() - 3) return -1;
    const int high = hexDigitValue(text[i + 1]);
    const int low = hexDigitValue(text[i + 2]);
    return high < 0 || low < 0 ? -1 : high * 16 + low;
}

std::string decodeValue(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '+') {
            out += ' ';
        } else if (c == '%' && escapedByte(value, i) >= 0) {
            const int byte = escapedByte(value, i);
            out += byte == 0 ? '%' : static_cast<char>(byte);
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

FormFields decodeQuery(std::string_view url) {
    FormFields fields;
    const size_t question = url.find('?');
    if (question == std::string_view::npos) return fields;
    std::string_view rest = url.substr(question + 1);
    while (true) {
        const size_t amp = rest.find('&');
        const std::string_view piece = rest.substr(0, amp);
        const size_t equals = piece.find('=');
        if (equals == std::string_view::npos) {
            fields.emplace_back(std::string(piece), std::string());
        } else {
            fields.emplace_back(std::string(piece.substr(0, equals)), decodeValue(piece.substr(equals + 1)));
        }
        if (amp == std::string_view::npos) break;
        rest = rest.substr(amp + 1);
    }
    return fields;
}

const std::string* findField(const FormFields& fields, std::string_view name) {
    for (const auto& field : fields) {
        if (field.first == name) return &field.second;
    }
    return nullptr;
}

std::string withoutQuery(std::string_view url) { return std::string(url.substr(0, url.find('?'))); }

std::string percentEncode(std::string_view text) { return percentEncoded(text, ".-_*@"); }

std::string percentDecode(std::string_view text) { return percentDecoded(text); }

}  // namespace tessaly
