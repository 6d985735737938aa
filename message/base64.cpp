// base64.cpp - base64 decoding (RFC 2045 alphabet, "=" as the pad).
#include <array>

#include "message/decode_core.h"
#include "message/decoding.h"

namespace tessaly {

namespace {

constexpr uint8_t kSkip = 0xff;
constexpr uint8_t kPad = 64;

constexpr std::array<uint8_t, 256> makeValues() {
    std::array<uint8_t, 256> values{};
    for (auto& v : values) v = kSkip;
    constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (int i = 0; i < 64; ++i) values[static_cast<unsigned char>(kAlphabet[i])] = uint8_t(i);
    values['='] = kPad;
    return values;
}

constexpr std::array<uint8_t, 256> kValues = makeValues();

}  // namespace

// Groups of four symbols; every byte that is neither in the alphabet nor
// "=" is skipped, so line breaks cost nothing. A pad in the first or second
// place ends the text, in the third or fourth place after one or two bytes.
// The input may end before a group or after its first symbol (a stray
// symbol is dropped); ending later in a group is an error, after the bytes
// its symbols give are written.
DecodeStatus base64Loop(std::string_view in, OutputCursor& out, ProgressMeter* meter) {
    const size_t length = in.size();
    size_t i = 0;
    while (i < length && (in[i] == '\t' || in[i] == '\n' || in[i] == '\r' || in[i] == ' ')) ++i;
    for (;;) {
        // Whole groups of alphabet symbols, as in the lines of any encoder,
        // go three bytes at a time; anything else takes the careful way.
        while (length - i >= 4 && out.limit - out.next >= 3) {
            const unsigned a = kValues[static_cast<unsigned char>(in[i])];
            const unsigned b = kValues[static_cast<unsigned char>(in[i + 1])];
            const unsigned c = kValues[static_cast<unsigned char>(in[i + 2])];
            const unsigned d = kValues[static_cast<unsigned char>(in[i + 3])];
            if ((a | b | c | d) >= kPad) break;
            const unsigned bits = (a << 18) | (b << 12) | (c << 6) | d;
            out.next[0] = static_cast<char>(bits >> 16);
            out.next[1] = static_cast<char>((bits >> 8) & 0xff);
            out.next[2] = static_cast<char>(bits & 0xff);
            out.next += 3;
            i += 4;
            if (meter && !meter->at(i)) return DecodeStatus::Stopped;
        }
        uint8_t symbol[4];
        for (int k = 0; k < 4; ++k) {
            while (i < length && kValues[static_cast<unsigned char>(in[i])] == kSkip) ++i;
            if (i >= length) {
                if (k < 2) return DecodeStatus::Ok;
                if (symbol[0] != kPad && symbol[1] != kPad) {
                    out.put(static_cast<char>((symbol[0] << 2) | (symbol[1] >> 4)));
                    if (k == 3 && symbol[2] != kPad) {
                        out.put(static_cast<char>(((symbol[1] << 4) | (symbol[2] >> 2)) & 0xff));
                    }
                }
                return DecodeStatus::PrematureEof;
            }
            symbol[k] = kValues[static_cast<unsigned char>(in[i++])];
            if (meter && !meter->at(i)) return DecodeStatus::Stopped;
        }
        if (symbol[0] == kPad || symbol[1] == kPad) return DecodeStatus::Ok;
        out.put(static_cast<char>((symbol[0] << 2) | (symbol[1] >> 4)));
        if (symbol[2] == kPad) return DecodeStatus::Ok;
        out.put(static_cast<char>(((symbol[1] << 4) | (symbol[2] >> 2)) & 0xff));
        if (symbol[3] == kPad) return DecodeStatus::Ok;
        out.put(static_cast<char>(((symbol[2] << 6) | symbol[3]) & 0xff));
    }
}

bool decodeBase64(DecodeContext& context, const char*& start, const char*& end) {
    StableInput input(context.bufferA(), start, end);
    std::string_view in = input.view();
    char* room = context.bufferA().request(in.size());
    OutputCursor out{room, room + in.size()};
    ProgressMeter meter(context, in.size());
    context.setStopped(false);

    DecodeStatus status = base64Loop(in, out, &meter);
    if (status != DecodeStatus::Stopped) meter.finish();
    context.setLastDecodeLength(in.size());
    if (status == DecodeStatus::Stopped) {
        context.setStopped(true);
        start = nullptr;
        end = nullptr;
        return false;
    }
    // Text cut short still gives what it holds; the reason says so.
    if (status == DecodeStatus::PrematureEof) context.setDecodeError(kBase64Eof);
    start = room;
    end = out.next;
    return true;
}

}  // namespace tessaly
