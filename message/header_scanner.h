// header_scanner.h - the byte-level scanner that cuts an RFC 822 header block
// into fields and finds where the body starts.
#pragma once

#include <functional>
#include <string_view>

namespace tessaly {

// Called once per field, in text order. The name is every byte from the start
// of the field's first line up to its first ":" (blanks before the colon
// included). The value starts after the colon and its leading spaces (byte 32
// only) and ends with the field's last line, less the final LF, CR LF or CR;
// folded lines stay inside it with their line breaks and leading blanks.
using HeaderFieldSink = std::function<void(std::string_view name, std::string_view value)>;

struct HeaderBlock {
    // After the blank line that ends the block, or `end` when the text ran
    // out first.
    const char* bodyStart = nullptr;
    // Set when a line began with CR not followed by LF: the position right
    // after the offending byte. The scan stops there and bodyStart equals it.
    const char* malformedAt = nullptr;
};

// Scans [text, end); never reads at or beyond `end`. A field still open when
// the text ends (a last line without a line end) is passed on too.
//
// Two mistakes of real mailers end the block where a MIME library would: a
// line of blanks alone that is followed by neither a field nor a folded
// line is the blank line; and with `partHeaders`, the headers of one MIME
// part, the first line without a ":" is the start of the body (a part
// written without the blank line before it).
HeaderBlock scanHeaderBlock(const char* text, const char* end, const HeaderFieldSink& sink,
                            bool partHeaders = false);

// Whether the line at `p` is a header field: a name of printable bytes
// other than blanks and ":", then ":".
bool isHeaderFieldLine(const char* p, const char* end);

}  // namespace tessaly
