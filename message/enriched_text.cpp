// enriched_text.cpp - text/enriched as plain text with collapsed line breaks.
#include "message/body_html.h"
#include "message/convert_core.h"

namespace tessaly {

// A run of line breaks becomes one CR LF; formatting commands are not
// interpreted. A LF grows to CR LF, so the room is twice the input.
void enrichedToPlain(DecodeContext& context, const char*& start, const char*& end) {
    convertInto(context.bufferA(), start, end, 2, 1024, [](std::string_view in, TextOutput& out) {
        const size_t n = in.size();
        size_t i = 0;
        while (i < n) {
            const char c = in[i++];
            if (c == '\r') continue;
            if (c != '\n') {
                out.put(c);
                continue;
            }
            out.put("\r\n");
            while (i < n && (in[i] == '\r' || in[i] == '\n')) ++i;
        }
    });
}

}  // namespace tessaly
