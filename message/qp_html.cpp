// qp_html.cpp - quoted-printable text decoded straight into HTML paragraphs.
#include <string>

#include "message/body_html.h"
#include "message/convert_core.h"
#include "message/text.h"

namespace tessaly {

namespace {

// Soft line breaks ("=" at a line end) mark the paragraph as flowed, unless
// a hard break came first; a hard break in a flowed paragraph closes it, in
// any other one it is "<br>". An empty line closes the paragraph and stands
// for itself as "<p>&nbsp;</p>". Encoded bytes are escaped like plain ones:
// "=3C" is "&lt;", and so are the bytes of a pair that is not hexadecimal.
void quotedPrintableHtmlLoop(std::string_view in, TextOutput& out) {
    const size_t n = in.size();
    bool open = false;
    bool flowed = false;
    bool hardBreak = false;
    auto openContent = [&] {
        if (!open) {
            out.put("<p>");
            open = true;
        }
    };
    auto reset = [&] { open = flowed = hardBreak = false; };

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
            if (in[j] == '\n') {
                out.put("\r\n");
                if (!hardBreak) flowed = true;
                i = j + 1;
                continue;
            }
            i = j;
            openContent();
            if (n - i < 2) {
                // One byte left: kept as written.
                out.put('=');
                out.putEscaped(in[i++]);
                continue;
            }
            // One byte, or CR, LF and the pair when it is not hexadecimal.
            const std::string decoded = hexText(in.substr(i, 2));
            if (decoded != "\r") {
                for (char d : decoded) out.putEscaped(d);
            }
            i += 2;
            continue;
        }
        if (c == '\n') {
            const size_t empty = emptyLineAt(in, i);
            if (flowed) {
                if (open) out.put("</p>\r\n\r\n");
                reset();
                if (empty) {
                    out.put("<p>&nbsp;</p>\r\n");
                    i += empty;
                }
            } else if (empty) {
                if (open) out.put("</p>\r\n\r\n");
                reset();
                out.put("<p>&nbsp;</p>\r\n");
                i += empty;
            } else if (open) {
                out.put("<br>\r\n");
                hardBreak = true;
            }
            continue;
        }
        openContent();
        out.putEscaped(c);
    }
    if (open) out.put("</p>\r\n\r\n");
}

}  // namespace

// At most twelve output bytes per input byte: "&\n\n" gives
// "<p>&amp;</p>\r\n\r\n<p>&nbsp;</p>\r\n".
void quotedPrintableToHtml(DecodeContext& context, const char*& start, const char*& end) {
    convertInto(context.bufferA(), start, end, 12, 1024, quotedPrintableHtmlLoop);
}

}  // namespace tessaly
