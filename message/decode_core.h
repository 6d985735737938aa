// decode_core.h - pieces the decoders share inside message/: the output
// cursor, the input guard for scratch-buffer inputs, and the base64 and
// quoted-printable loops that encoded words reuse on plain strings.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "message/decoding.h"

namespace tessaly {

// Writes bytes up to a fixed limit and drops the rest, so a miscounted room
// can never write out of bounds.
struct OutputCursor {
    char* next;
    char* limit;
    void put(char c) {
        if (next < limit) *next++ = c;
    }
};

// The input of a decoder as a view that stays valid while buffer A is
// replaced or overwritten: a copy when it overlaps that buffer.
class StableInput {
public:
    StableInput(const ScratchBuffer& output, const char* start, const char* end);
    std::string_view view() const { return view_; }

private:
    std::string copy_;
    std::string_view view_;
};

enum class DecodeStatus { Ok, PrematureEof, Stopped };

// Output room: the input length. `meter` may be null.
DecodeStatus base64Loop(std::string_view in, OutputCursor& out, ProgressMeter* meter);

// Output room: twice the input length.
void quotedPrintableLoop(std::string_view in, OutputCursor& out);

// Texts of decodeError.
inline constexpr std::string_view kBase64Eof = "Premature EOF when decoding base64.";
inline constexpr std::string_view kBinhexNoStart = "Unable to find start of binhex";
inline constexpr std::string_view kBinhexBadChar = "Invalid character in binhex";

}  // namespace tessaly
