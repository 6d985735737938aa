// uuencode.cpp - uudecoding of the lines between "begin" and "end".
#include "message/decode_core.h"
#include "message/decoding.h"

namespace tessaly {

namespace {

uint8_t sixBits(char c) { return static_cast<uint8_t>((static_cast<unsigned char>(c) - 32) & 63); }

// A line holding "end" and nothing but blanks closes the data. No data line
// looks like that: a count of "e" (5 bytes) needs eight more symbols.
bool isEndLine(std::string_view in, size_t i) {
    if (in.substr(i, 3) != "end") return false;
    for (i += 3; i < in.size() && in[i] != '\n'; ++i)
        if (in[i] != ' ' && in[i] != '\r' && in[i] != '\t') return false;
    return true;
}

}  // namespace

// Each line: a count byte, then groups of four symbols giving three bytes,
// until the count is used up. Groups read on across line ends as long as
// input remains; a group cut short by the end of the input counts the
// missing symbols as zero (as for lines whose trailing blanks were lost).
bool decodeUuencode(DecodeContext& context, const char*& start, const char*& end) {
    StableInput input(context.bufferA(), start, end);
    std::string_view in = input.view();
    const size_t length = in.size();
    size_t room = length + 4;
    char* output = context.bufferA().request(room);
    OutputCursor out{output, output + room};
    context.setStopped(false);

    size_t i = in.find("begin");
    if (i == std::string_view::npos) i = length >= 5 ? length - 5 : 0;
    i = in.find('\n', i);
    i = i == std::string_view::npos ? length : i + 1;

    while (i < length) {
        if (isEndLine(in, i)) break;
        int count = sixBits(in[i++]);
        while (count > 0 && i < length) {
            uint8_t v[4];
            for (uint8_t& value : v) value = i < length ? sixBits(in[i++]) : 0;
            out.put(static_cast<char>((v[0] << 2) | (v[1] >> 4)));
            if (--count == 0) break;
            out.put(static_cast<char>(((v[1] << 4) | (v[2] >> 2)) & 0xff));
            if (--count == 0) break;
            out.put(static_cast<char>(((v[2] << 6) | v[3]) & 0xff));
            --count;
        }
        while (i < length && (in[i] == ' ' || in[i] == '\r' || in[i] == '\n')) ++i;
    }
    start = output;
    end = out.next;
    return true;
}

}  // namespace tessaly
