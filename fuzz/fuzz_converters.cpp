// fuzz_converters.cpp - the body converters, on fresh input and on input
// that already lies in a scratch buffer.
#include <string_view>
#include <vector>

#include "fuzz/targets.h"
#include "message/body_html.h"

namespace tessaly::fuzz {

namespace {

void convert(DecodeContext& context, unsigned which, const char*& start, const char*& end) {
    switch (which % 8) {
        case 0: plainToHtml(context, start, end); break;
        case 1: flowedToHtml(context, start, end); break;
        case 2: quotedPrintableToHtml(context, start, end); break;
        case 3: linesToParagraphs(context, start, end); break;
        case 4: flowedToPlain(context, start, end); break;
        case 5: enrichedToPlain(context, start, end); break;
        case 6: rtfToHtml(context, start, end); break;
        case 7:
            (void)isRtfHtml(start, end);
            (void)isRtfText(start, end);
            (void)nonBreakingSpaces(std::string_view(start, static_cast<size_t>(end - start)));
            break;
    }
    if (start && end < start) propertyFailed("converter output range reversed");
}

}  // namespace

void fuzzConverters(const uint8_t* data, size_t size) {
    if (size == 0) return;
    const uint8_t choice = data[0];
    std::vector<char> input(data + 1, data + size);
    const char* start = input.data();
    const char* end = start + input.size();
    DecodeContext context;
    convert(context, choice, start, end);
    // Bit 3 feeds the output to a second converter, so that input and
    // output may share a scratch buffer.
    if ((choice & 0x08) && start) convert(context, choice >> 4, start, end);
}

}  // namespace tessaly::fuzz
