// line_ends.cpp - turning bare LFs into CR LF.
#include "message/decode_core.h"
#include "message/decoding.h"

namespace tessaly {

bool normaliseLineEnds(DecodeContext& context, const char*& start, const char*& end) {
    StableInput input(context.bufferA(), start, end);
    std::string_view in = input.view();
    const size_t length = in.size();
    size_t room = 2 * length;
    char* output = context.bufferA().request(room);
    OutputCursor out{output, output + room};
    ProgressMeter meter(context, length);
    context.setStopped(false);

    for (size_t i = 0; i < length; ++i) {
        char c = in[i];
        if (c == '\n' && (i == 0 || in[i - 1] != '\r')) out.put('\r');
        out.put(c);
        if (!meter.at(i + 1)) {
            context.setLastDecodeLength(length);
            context.setStopped(true);
            start = nullptr;
            end = nullptr;
            return false;
        }
    }
    meter.finish();
    context.setLastDecodeLength(length);
    start = output;
    end = out.next;
    return true;
}

}  // namespace tessaly
