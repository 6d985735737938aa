// plain_html.cpp - plain text as an HTML fragment: one paragraph with line
// breaks, one paragraph per line, and non-breaking spaces.
#include <string>

#include "message/body_html.h"
#include "message/convert_core.h"

namespace tessaly {

// At most six output bytes per input byte ("&nbsp;", "<br>\r\n"), plus the
// paragraph tags.
void plainToHtml(DecodeContext& context, const char*& start, const char*& end) {
    convertInto(context.bufferB(), start, end, 7, 1024, [](std::string_view in, TextOutput& out) {
        const size_t n = in.size();
        out.put("<p>");
        for (size_t i = 0; i < n; ++i) {
            const char c = in[i];
            if (c == ' ') {
                // A browser folds spaces, so a run alternates hard and soft
                // ones; it starts hard at the beginning of a line.
                size_t runEnd = i;
                while (runEnd < n && in[runEnd] == ' ') ++runEnd;
                bool hard = i >= 2 && in[i - 1] == '\n';
                for (size_t k = i; k < runEnd; ++k) {
                    out.put(hard ? "&nbsp;" : " ");
                    hard = !hard;
                }
                i = runEnd - 1;
            } else if (c == '\n') {
                out.put("<br>\r\n");
            } else if (c != '\r') {
                out.putEscaped(c);
            }
        }
        out.put("</p>\r\n");
    });
}

// Up to "<p>&nbsp;</p>\r\n\r\n" (17 bytes) for one LF.
void linesToParagraphs(DecodeContext& context, const char*& start, const char*& end) {
    convertInto(context.bufferA(), start, end, 17, 1024, [](std::string_view in, TextOutput& out) {
        bool open = false;
        for (char c : in) {
            if (c == '\r') continue;
            if (c == '\n') {
                out.put(open ? "</p>\r\n\r\n" : "<p>&nbsp;</p>\r\n\r\n");
                open = false;
                continue;
            }
            if (!open) {
                out.put("<p>");
                open = true;
            }
            out.putEscaped(c);
        }
    });
}

std::string nonBreakingSpaces(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == ' ') {
            out += "&nbsp;";
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace tessaly
