// convert_core.h - the output writer and the run-in-a-scratch-buffer step
// that the body converters share inside message/.
#pragma once

#include <cstddef>
#include <limits>
#include <string_view>

#include "message/decode_core.h"
#include "message/decoding.h"

namespace tessaly {

// Writes into [begin, limit) and drops whatever would not fit, so a
// miscounted room can never write out of bounds.
struct TextOutput {
    char* begin;
    char* next;
    char* limit;

    void put(char c) {
        if (next < limit) *next++ = c;
    }
    void put(std::string_view text) {
        for (char c : text) put(c);
    }
    // A message byte inside HTML.
    void putEscaped(char c) {
        switch (c) {
            case '<': put("&lt;"); break;
            case '>': put("&gt;"); break;
            case '&': put("&amp;"); break;
            default: put(c); break;
        }
    }
    char last() const { return next > begin ? next[-1] : '\0'; }
};

// Bytes of room for an input of `length`: perByte * length + extra, capped
// instead of wrapping around.
inline size_t roomFor(size_t length, size_t perByte, size_t extra) {
    const size_t most = std::numeric_limits<size_t>::max() / 2;
    if (length > (most - extra) / perByte) return most;
    return perByte * length + extra;
}

// Runs `convert(in, out)` over [start, end) with `room` bytes of `buffer`
// and leaves the output range in start and end.
template <class Convert>
void convertInto(ScratchBuffer& buffer, const char*& start, const char*& end, size_t perByte,
                 size_t extra, Convert convert) {
    StableInput input(buffer, start, end);
    const std::string_view in = input.view();
    const size_t room = roomFor(in.size(), perByte, extra);
    char* data = buffer.request(room);
    TextOutput out{data, data, data + room};
    convert(in, out);
    start = data;
    end = out.next;
}

// Length of the empty line that starts at `at` ("\n" or "\r\n"), or 0.
inline size_t emptyLineAt(std::string_view in, size_t at) {
    if (at < in.size() && in[at] == '\n') return 1;
    if (at + 1 < in.size() && in[at] == '\r' && in[at + 1] == '\n') return 2;
    return 0;
}

}  // namespace tessaly
