// encoded_words.cpp - decoding "=?charset?B?...?=" and "=?charset?Q?...?="
// words in header values.
#include "message/decode_core.h"
#include "message/decoding.h"

namespace tessaly {

namespace {

// One encoded text, decoded with the letter's decoder into `out`; a base64
// text that does not decode adds nothing, an unknown letter adds the text.
void appendDecoded(char letter, std::string_view encoded, std::string& out) {
    if (letter == 'B' || letter == 'b') {
        std::string room(encoded.size(), '\0');
        OutputCursor cursor{room.data(), room.data() + room.size()};
        if (base64Loop(encoded, cursor, nullptr) == DecodeStatus::Ok)
            out.append(room.data(), size_t(cursor.next - room.data()));
    } else if (letter == 'Q' || letter == 'q') {
        // Quoted-printable as in bodies: an underscore stays an underscore.
        std::string room(2 * encoded.size(), '\0');
        OutputCursor cursor{room.data(), room.data() + room.size()};
        quotedPrintableLoop(encoded, cursor);
        out.append(room.data(), size_t(cursor.next - room.data()));
    } else {
        out.append(encoded);
    }
}

}  // namespace

// "=?" charset "?" letter "?" text "?="; the charset is ignored and blanks
// between words are kept. An "=?" that does not open a complete word is
// copied as it stands, so the rest of the value is never lost.
std::string decodeWords(std::string_view text) {
    if (text.find("=?") == std::string_view::npos) return std::string(text);
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] != '=' || i + 1 >= text.size() || text[i + 1] != '?') {
            out += text[i++];
            continue;
        }
        size_t charsetEnd = text.find('?', i + 2);
        size_t encodedStart = charsetEnd == std::string_view::npos ? charsetEnd : charsetEnd + 3;
        size_t close = encodedStart <= text.size() ? text.find("?=", encodedStart)
                                                   : std::string_view::npos;
        if (close == std::string_view::npos) {
            out += text[i++];
            continue;
        }
        appendDecoded(text[charsetEnd + 1], text.substr(encodedStart, close - encodedStart), out);
        i = close + 2;
    }
    return out;
}

}  // namespace tessaly
