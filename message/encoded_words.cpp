// encoded_words.cpp - decoding "=?charset?B?...?=" and "=?charset?Q?...?="
// words in header values: as bytes (decodeWords), and as UTF-8 text.
#include "message/decode_core.h"
#include "message/decoding.h"
#include "message/header_text.h"
#include "platform/ascii.h"

namespace tessaly {

namespace {

// One encoded text, decoded with the letter's decoder into `out`; a base64
// text that does not decode adds nothing, an unknown letter adds the text.
// With `underscoreIsSpace` a Q word's "_" is a blank (RFC 2047).
void appendDecoded(char letter, std::string_view encoded, std::string& out, bool underscoreIsSpace) {
    if (letter == 'B' || letter == 'b') {
        std::string room(encoded.size(), '\0');
        OutputCursor cursor{room.data(), room.data() + room.size()};
        if (base64Loop(encoded, cursor, nullptr) == DecodeStatus::Ok)
            out.append(room.data(), size_t(cursor.next - room.data()));
    } else if (letter == 'Q' || letter == 'q') {
        std::string room(2 * encoded.size(), '\0');
        OutputCursor cursor{room.data(), room.data() + room.size()};
        quotedPrintableLoop(encoded, cursor);
        const size_t start = out.size();
        out.append(room.data(), size_t(cursor.next - room.data()));
        if (underscoreIsSpace) {
            for (size_t i = start; i < out.size(); ++i) {
                if (out[i] == '_') out[i] = ' ';
            }
        }
    } else {
        out.append(encoded);
    }
}

// One piece of a header value: an encoded word or the text between.
struct Piece {
    bool word = false;
    std::string_view charset;  // of a word, without an RFC 2231 "*language"
    char letter = 0;
    std::string_view text;     // a word's encoded text, or the plain text
};

// "=?" charset "?" letter "?" text "?="; an "=?" that does not open a
// complete word is plain text, so the rest of the value is never lost.
template <class Visit>
void forEachPiece(std::string_view text, Visit visit) {
    size_t plainStart = 0;
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] != '=' || i + 1 >= text.size() || text[i + 1] != '?') {
            ++i;
            continue;
        }
        const size_t charsetEnd = text.find('?', i + 2);
        const size_t encodedStart = charsetEnd == std::string_view::npos ? charsetEnd : charsetEnd + 3;
        const size_t close =
            encodedStart <= text.size() ? text.find("?=", encodedStart) : std::string_view::npos;
        if (close == std::string_view::npos) {
            ++i;
            continue;
        }
        if (i > plainStart) visit(Piece{false, {}, 0, text.substr(plainStart, i - plainStart)});
        std::string_view charset = text.substr(i + 2, charsetEnd - i - 2);
        charset = charset.substr(0, charset.find('*'));
        visit(Piece{true, charset, text[charsetEnd + 1], text.substr(encodedStart, close - encodedStart)});
        i = close + 2;
        plainStart = i;
    }
    if (plainStart < text.size()) visit(Piece{false, {}, 0, text.substr(plainStart)});
}

bool isBlankRun(std::string_view text) { return text.find_first_not_of(" \t\r\n") == std::string_view::npos; }

// UTF-8 of the value; `forPeople` chooses the RFC 2047 rules over the
// names' old ones. Adjacent words of one charset are converted together.
std::string utf8Value(Charsets& charsets, std::string_view value, std::string_view fallback, bool forPeople) {
    std::string out;
    std::string bytes;  // decoded words of one charset, not yet converted
    std::string_view bytesCharset;
    bool afterWord = false;         // the last piece was a word (or blanks after one)
    std::string_view pendingBlank;  // blanks after a word: dropped before the next word
    auto flush = [&] {
        if (!bytes.empty()) out += charsets.toUtf8(bytes, bytesCharset, false);
        bytes.clear();
    };
    auto plain = [&](std::string_view text) { out += plainHeaderText(charsets, text, fallback); };
    forEachPiece(value, [&](const Piece& piece) {
        if (piece.word) {
            // People read adjacent words as one text; names keep the blank
            // between two, unless the first ends inside a character.
            const bool joins = afterWord && equalsIgnoringCase(piece.charset, bytesCharset) &&
                               (forPeople || pendingBlank.empty() || !charsets.fits(bytes, bytesCharset));
            if (!joins) {
                flush();
                if (!forPeople && !pendingBlank.empty()) plain(pendingBlank);
            }
            pendingBlank = {};
            bytesCharset = piece.charset;
            appendDecoded(piece.letter, piece.text, bytes, forPeople);
            afterWord = true;
        } else if (afterWord && pendingBlank.empty() && isBlankRun(piece.text)) {
            pendingBlank = piece.text;
        } else {
            flush();
            if (!pendingBlank.empty()) plain(pendingBlank);
            pendingBlank = {};
            plain(piece.text);
            afterWord = false;
        }
    });
    flush();
    if (!pendingBlank.empty()) plain(pendingBlank);
    return out;
}

}  // namespace

std::string plainHeaderText(Charsets& charsets, std::string_view value, std::string_view fallback) {
    return isValidUtf8(value) ? std::string(value) : charsets.toUtf8(value, fallback, false);
}

std::string decodeWords(std::string_view text) {
    if (text.find("=?") == std::string_view::npos) return std::string(text);
    std::string out;
    out.reserve(text.size());
    forEachPiece(text, [&](const Piece& piece) {
        if (piece.word) {
            appendDecoded(piece.letter, piece.text, out, false);
        } else {
            out.append(piece.text);
        }
    });
    return out;
}

std::string headerText(Charsets& charsets, std::string_view value, std::string_view fallback) {
    if (value.find("=?") == std::string_view::npos) return plainHeaderText(charsets, value, fallback);
    return utf8Value(charsets, value, fallback, true);
}

std::string headerNameText(Charsets& charsets, std::string_view value, std::string_view fallback) {
    if (value.find("=?") == std::string_view::npos) return plainHeaderText(charsets, value, fallback);
    bool asciiWords = true;
    forEachPiece(value, [&](const Piece& piece) { asciiWords = asciiWords && (!piece.word || asciiIsText(piece.charset)); });
    std::string bytes = decodeWords(value);
    if (asciiWords && isValidUtf8(bytes)) return bytes;
    return utf8Value(charsets, value, fallback, false);
}

}  // namespace tessaly
