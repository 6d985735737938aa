// quoted_printable.cpp - quoted-printable decoding with CR LF line ends.
#include "message/decode_core.h"
#include "message/decoding.h"
#include "platform/ascii.h"

namespace tessaly {

// CR is dropped and LF written as CR LF. "=" followed by optional spaces and
// CRs and then LF is a soft line break; otherwise the two bytes after it are
// a hexadecimal pair, and a pair that is not one is kept as CR LF plus the
// two bytes (as hexText does). An "=" with fewer than two bytes left keeps
// them as they are. At most two output bytes per input byte.
void quotedPrintableLoop(std::string_view in, OutputCursor& out) {
    const size_t length = in.size();
    size_t i = 0;
    while (i < length) {
        char c = in[i++];
        if (c == '\r') continue;
        if (c == '\n') {
            out.put('\r');
            out.put('\n');
            continue;
        }
        if (c != '=') {
            out.put(c);
            continue;
        }
        while (i < length && (in[i] == ' ' || in[i] == '\r')) ++i;
        if (i >= length) break;
        if (in[i] == '\n') {
            ++i;
            continue;
        }
        if (length - i < 2) {
            out.put('=');
            out.put(in[i++]);
            continue;
        }
        int high = hexDigitValue(in[i]);
        int low = hexDigitValue(in[i + 1]);
        if (high >= 0 && low >= 0) {
            out.put(static_cast<char>(high * 16 + low));
        } else {
            out.put('\r');
            out.put('\n');
            out.put(in[i]);
            out.put(in[i + 1]);
        }
        i += 2;
    }
}

bool decodeQuotedPrintable(DecodeContext& context, const char*& start, const char*& end) {
    StableInput input(context.bufferA(), start, end);
    std::string_view in = input.view();
    size_t room = 2 * in.size() + 1024;
    char* output = context.bufferA().request(room);
    OutputCursor out{output, output + room};
    context.setStopped(false);
    quotedPrintableLoop(in, out);
    start = output;
    end = out.next;
    return true;
}

}  // namespace tessaly
