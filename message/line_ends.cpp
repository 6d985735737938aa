// line_ends.cpp - turning bare LFs into CR LF.
#include <algorithm>
#include <cstring>

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

    // Line by line: the bytes up to a line feed go over in one copy.
    for (size_t i = 0; i < length;) {
        const void* lf = std::memchr(in.data() + i, '\n', length - i);
        size_t stop = lf ? static_cast<size_t>(static_cast<const char*>(lf) - in.data()) : length;
        const size_t fits = std::min(stop - i, static_cast<size_t>(out.limit - out.next));
        std::memcpy(out.next, in.data() + i, fits);
        out.next += fits;
        if (stop < length) {
            if (stop == 0 || in[stop - 1] != '\r') out.put('\r');
            out.put('\n');
            ++stop;
        }
        i = stop;
        if (!meter.at(i)) {
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
