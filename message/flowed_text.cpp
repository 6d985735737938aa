// flowed_text.cpp - format=flowed text (RFC 3676) as HTML paragraphs and as
// plain text with CR LF line ends.
#include "message/body_html.h"
#include "message/convert_core.h"

namespace tessaly {

namespace {

// A line ending in a space is soft-broken: the paragraph goes on, written
// with a plain line end. A hard break after soft ones closes the paragraph;
// other hard breaks are "<br>". An empty line closes the paragraph and
// stands for itself as "<p>&nbsp;</p>". After "-- " (the signature
// separator) soft breaks no longer make paragraphs. The last paragraph is
// left open, as the page closes it.
void flowedLoop(std::string_view in, TextOutput& out) {
    const size_t n = in.size();
    bool held = false;    // a space waiting to see whether the line ends
    bool open = false;    // "<p>" written
    bool flowed = false;  // a soft break in this paragraph
    bool signature = false;
    auto openContent = [&] {
        if (!open) {
            out.put("<p>");
            open = true;
        }
        if (held) {
            out.put(' ');
            held = false;
        }
    };
    auto reset = [&] { held = open = flowed = signature = false; };
    // One space at the start of a line is stuffing.
    auto skipStuffing = [&](size_t& at) {
        if (at < n && in[at] == ' ') ++at;
    };

    size_t i = 0;
    skipStuffing(i);
    while (i < n) {
        const char c = in[i];
        if (c == '\r') {
            ++i;
        } else if (c == ' ') {
            if (held) out.put(' ');
            held = true;
            ++i;
        } else if (c == '\n' && open) {
            if (held) {
                // "\n-- \n": the signature separator, not a soft break.
                if (i > 5 && in.substr(i - 4, 4) == "\n-- ") {
                    out.put("<br>\r\n");
                    signature = true;
                } else {
                    out.put("\r\n");
                    if (!signature) flowed = true;
                }
                held = false;
                ++i;
                skipStuffing(i);
            } else if (flowed) {
                out.put("</p>\r\n\r\n");
                reset();
                if (size_t empty = emptyLineAt(in, i + 1)) {
                    out.put("<p>&nbsp;</p>\r\n");
                    i += 1 + empty;
                    skipStuffing(i);
                }
                // Otherwise the same LF comes round again with no paragraph.
            } else if (size_t empty = emptyLineAt(in, i + 1)) {
                out.put("</p>\r\n\r\n");
                out.put("<p>&nbsp;</p>\r\n");
                reset();
                i += 1 + empty;
                skipStuffing(i);
            } else {
                out.put("<br>\r\n");
                ++i;
                skipStuffing(i);
            }
        } else {
            // Content, including a LF with no paragraph open (written raw).
            openContent();
            out.putEscaped(c);
            ++i;
        }
    }
}

}  // namespace

// At most twelve output bytes per input byte: a LF that closes a flowed
// paragraph and reopens one writes "</p>\r\n\r\n<p>\n".
void flowedToHtml(DecodeContext& context, const char*& start, const char*& end) {
    convertInto(context.bufferA(), start, end, 12, 1024, flowedLoop);
}

// A soft break loses its trailing space; every line end becomes CR LF and
// one stuffed space after it is dropped.
void flowedToPlain(DecodeContext& context, const char*& start, const char*& end) {
    convertInto(context.bufferA(), start, end, 8, 1024, [](std::string_view in, TextOutput& out) {
        const size_t n = in.size();
        size_t i = (n > 0 && in[0] == ' ') ? 1 : 0;
        while (i < n) {
            const char c = in[i++];
            if (c == '\r') continue;
            if (c != '\n') {
                out.put(c);
                continue;
            }
            const size_t lf = i - 1;
            const bool soft =
                lf > 2 && (in[lf - 1] == ' ' || (in[lf - 1] == '\r' && in[lf - 2] == ' '));
            // Only a space actually written is replaced (a stuffed space
            // was never written).
            if (soft && out.last() == ' ') {
                out.next[-1] = '\r';
                out.put('\n');
            } else {
                out.put("\r\n");
            }
            if (i < n && in[i] == ' ') ++i;
        }
    });
}

}  // namespace tessaly
