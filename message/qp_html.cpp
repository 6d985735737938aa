// qp_html.cpp - quoted-printable text decoded straight into HTML paragraphs.
#include <string>

#include "message/body_html.h"
#include "message/charsets.h"
#include "message/convert_core.h"
#include "message/text.h"
#include "platform/ascii.h"

namespace tessaly {

namespace {

// The paragraph being written and what its lines were: a line feed closes
// a flowed paragraph, is "<br>" in any other, and an empty line closes the
// paragraph and stands for itself.
struct Paragraph {
    TextOutput& out;
    bool open = false;
    bool flowed = false;
    bool hardBreak = false;

    void openContent() {
        if (!open) {
            out.put("<p>");
            open = true;
        }
    }
    void reset() { open = flowed = hardBreak = false; }
    void softBreak() {
        if (!hardBreak) flowed = true;
    }
    // The line feed before in[i]; `i` moves past an empty line after it.
    void lineFeed(std::string_view in, size_t& i) {
        const size_t empty = emptyLineAt(in, i);
        if (flowed) {
            close();
            reset();
            if (empty) {
                out.put("<p>&nbsp;</p>\r\n");
                i += empty;
            }
        } else if (empty) {
            close();
            reset();
            out.put("<p>&nbsp;</p>\r\n");
            i += empty;
        } else if (open) {
            out.put("<br>\r\n");
            hardBreak = true;
        }
    }
    void close() {
        if (open) out.put("</p>\r\n\r\n");
    }
};

// Soft line breaks ("=" at a line end) mark the paragraph as flowed, unless
// a hard break came first; a hard break in a flowed paragraph closes it, in
// any other one it is "<br>". An empty line closes the paragraph and stands
// for itself as "<p>&nbsp;</p>". Encoded bytes are escaped like plain ones:
// "=3C" is "&lt;", and so are the bytes of a pair that is not hexadecimal.
//
// `Latin` reads the decoded bytes as windows-1252 and writes them as UTF-8,
// for the most common charset of mail that is not UTF-8.
template <bool Latin>
void quotedPrintableHtmlLoop(std::string_view in, TextOutput& out) {
    auto putText = [&](char c) {
        if (Latin && static_cast<unsigned char>(c) >= 0x80) {
            char utf8[3];
            out.put(std::string_view(utf8, static_cast<size_t>(windows1252Utf8(static_cast<unsigned char>(c), utf8))));
        } else {
            out.putEscaped(c);
        }
    };
    const size_t n = in.size();
    Paragraph paragraph{out};

    size_t i = 0;
    while (i < n) {
        const char c = in[i++];
        if (c == '\r') continue;
        if (c == '=') {
            // "=" then spaces and CRs then LF: a soft line break.
            size_t j = i;
            while (j < n && (in[j] == ' ' || in[j] == '\r')) ++j;
            if (j >= n) {
                i = j;  // a dangling "=" at the very end
                continue;
            }
            // A soft break joins the lines: nothing is written, so a word
            // or a character the encoder broke stays whole.
            if (in[j] == '\n') {
                paragraph.softBreak();
                i = j + 1;
                continue;
            }
            i = j;
            paragraph.openContent();
            if (n - i < 2) {
                // One byte left: kept as written.
                out.put('=');
                putText(in[i++]);
                continue;
            }
            // One byte, or CR, LF and the pair when it is not hexadecimal.
            const std::string decoded = hexText(in.substr(i, 2));
            if (decoded != "\r") {
                for (char d : decoded) putText(d);
            }
            i += 2;
            continue;
        }
        if (c == '\n') {
            paragraph.lineFeed(in, i);
            continue;
        }
        paragraph.openContent();
        putText(c);
    }
    paragraph.close();
}

// The same paragraphs over text already decoded (and converted): a
// kSoftBreakMark right before a line feed says that the line had soft
// breaks; every other byte is text.
void markedTextHtmlLoop(std::string_view in, TextOutput& out) {
    const size_t n = in.size();
    Paragraph paragraph{out};
    size_t i = 0;
    while (i < n) {
        const char c = in[i++];
        if (c == '\r') continue;
        if (c == kSoftBreakMark) {
            paragraph.softBreak();
            continue;
        }
        if (c == kEncodedCrMark) {
            paragraph.openContent();
            continue;
        }
        if (c == kLiteralMark) {
            if (i < n) {
                paragraph.openContent();
                out.putEscaped(in[i++]);
            }
            continue;
        }
        if (c == '\n') {
            paragraph.lineFeed(in, i);
            continue;
        }
        paragraph.openContent();
        out.putEscaped(c);
    }
    paragraph.close();
}

// Writes a decoded byte, marked when it would read as a line end or mark.
inline char* putMarked(char* out, char c) {
    if (c == '\r' || c == '\n' || c == kSoftBreakMark || c == kLiteralMark || c == kEncodedCrMark) {
        *out++ = kLiteralMark;
    }
    *out++ = c;
    return out;
}

}  // namespace

std::string quotedPrintableToMarkedText(std::string_view in) {
    // At most three bytes out per byte in (an invalid pair, all marked),
    // and a mark at the end.
    std::string room(3 * in.size() + 1, '\0');
    char* out = room.data();
    bool softBreaks = false;  // in the line being decoded
    const size_t n = in.size();
    size_t i = 0;
    while (i < n) {
        const char c = in[i++];
        if (c == '\r') {
            *out++ = c;  // skipped by the markup, but it decides what an empty line is
            continue;
        }
        if (c == '\n') {
            if (softBreaks) *out++ = kSoftBreakMark;
            softBreaks = false;
            *out++ = '\n';
            continue;
        }
        if (c != '=') {
            out = putMarked(out, c);
            continue;
        }
        size_t j = i;
        while (j < n && (in[j] == ' ' || in[j] == '\r')) ++j;
        if (j >= n) {
            i = j;
            continue;
        }
        if (in[j] == '\n') {
            softBreaks = true;
            i = j + 1;
            continue;
        }
        i = j;
        if (n - i < 2) {
            *out++ = '=';
            out = putMarked(out, in[i++]);
            continue;
        }
        const int high = hexDigitValue(in[i]);
        const int low = hexDigitValue(in[i + 1]);
        if (high < 0 || low < 0) {
            // Not a pair: CR, LF and the two bytes, as the one-pass markup writes.
            out = putMarked(putMarked(out, '\r'), '\n');
            out = putMarked(putMarked(out, in[i]), in[i + 1]);
        } else if (const char byte = static_cast<char>(high * 16 + low); byte == '\r') {
            *out++ = kEncodedCrMark;
        } else {
            out = putMarked(out, byte);
        }
        i += 2;
    }
    if (softBreaks) *out++ = kSoftBreakMark;
    room.resize(static_cast<size_t>(out - room.data()));
    return room;
}

void markedTextToHtml(DecodeContext& context, const char*& start, const char*& end) {
    convertInto(context.bufferA(), start, end, 12, 1024, markedTextHtmlLoop);
}

// At most twelve output bytes per input byte: "&\n\n" gives
// "<p>&amp;</p>\r\n\r\n<p>&nbsp;</p>\r\n".
void quotedPrintableToHtml(DecodeContext& context, const char*& start, const char*& end) {
    convertInto(context.bufferA(), start, end, 12, 1024, quotedPrintableHtmlLoop<false>);
}

void windows1252QuotedPrintableToHtml(DecodeContext& context, const char*& start, const char*& end) {
    convertInto(context.bufferA(), start, end, 12, 1024, quotedPrintableHtmlLoop<true>);
}

}  // namespace tessaly
