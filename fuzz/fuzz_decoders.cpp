// fuzz_decoders.cpp - the transfer decoders and encoded words.
#include <string_view>
#include <vector>

#include "fuzz/targets.h"
#include "message/decoding.h"

namespace tessaly::fuzz {

void fuzzDecoders(const uint8_t* data, size_t size) {
    if (size == 0) return;
    const uint8_t choice = data[0];
    std::vector<char> input(data + 1, data + size);
    const char* start = input.data();
    const char* end = start + input.size();

    DecodeContext context;
    // Bit 4 asks for a stop at the first progress report.
    context.beginDecoding([stop = (choice & 0x10) != 0](double fraction) {
        if (fraction < 0 || fraction > 1) propertyFailed("progress outside 0..1");
        return !stop;
    });
    bool ok = true;
    switch (choice % 8) {
        case 0: ok = decodeBase64(context, start, end); break;
        case 1: ok = decodeQuotedPrintable(context, start, end); break;
        case 2: ok = decodeUuencode(context, start, end); break;
        case 3: ok = decodeBinhex(context, start, end, true); break;
        case 4: ok = decodeBinhex(context, start, end, false); break;
        case 5: ok = extractMacBinary(context, start, end); break;
        case 6: ok = normaliseLineEnds(context, start, end); break;
        case 7: {
            const std::string words = decodeWords(std::string_view(input.data(), input.size()));
            (void)words;
            break;
        }
    }
    context.endDecoding();
    if (ok && start && end < start) propertyFailed("decoder output range reversed");

    // A second decoding whose input is the first one's output in scratch
    // buffer A, as the writers do with nested encodings.
    if (ok && start && (choice & 0x20)) {
        const char* again = start;
        const char* againEnd = end;
        context.beginDecoding(nullptr);
        switch ((choice >> 6) & 3) {
            case 0: decodeBase64(context, again, againEnd); break;
            case 1: decodeQuotedPrintable(context, again, againEnd); break;
            case 2: normaliseLineEnds(context, again, againEnd); break;
            case 3: decodeUuencode(context, again, againEnd); break;
        }
        context.endDecoding();
    }
}

}  // namespace tessaly::fuzz
