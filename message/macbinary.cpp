// macbinary.cpp - the data fork of a MacBinary file.
#include "message/decoding.h"

namespace tessaly {

// A 128-byte header (byte 0 zero, name length 1..63 in byte 1, big-endian
// data-fork length at 83) followed by the data fork. The result is a range
// inside the input; an empty range when the header does not hold.
bool extractMacBinary(DecodeContext& context, const char*& start, const char*& end) {
    static const char kEmpty[1] = {0};
    context.setStopped(false);
    const char* data = start;
    size_t length = (start && end && end > start) ? size_t(end - start) : 0;
    auto byteAt = [data](size_t offset) { return static_cast<unsigned char>(data[offset]); };

    if (length >= 128 && byteAt(0) == 0 && byteAt(1) >= 1 && byteAt(1) <= 63) {
        uint64_t fork = (uint64_t(byteAt(83)) << 24) | (uint64_t(byteAt(84)) << 16) |
                        (uint64_t(byteAt(85)) << 8) | byteAt(86);
        if (fork != 0 && length - 128 >= fork) {
            start = data + 128;
            end = data + 128 + fork;
            return true;
        }
    }
    start = length ? data : kEmpty;
    end = start;
    return true;
}

}  // namespace tessaly
