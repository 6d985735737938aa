// fuzz_converters.cpp - the body converters, on fresh input and on input
// that already lies in a scratch buffer.
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/targets.h"
#include "message/body_html.h"
#include "message/charsets.h"

namespace tessaly::fuzz {

namespace {

// One converter's output over a copy of `in`.
std::string converted(void (*convert)(DecodeContext&, const char*&, const char*&), DecodeContext& context,
                      const std::string& in) {
    const char* start = in.data();
    const char* end = start + in.size();
    convert(context, start, end);
    return start ? std::string(start, static_cast<size_t>(end - start)) : std::string();
}

// Quoted-printable text made into paragraphs in two steps (decoded with
// its soft breaks marked, then marked up, as for text in another charset)
// must come out as the one-step converter makes it.
void markedText(DecodeContext& context, const char*& start, const char*& end) {
    if (!start) return;
    // A copy: the input may lie in the scratch buffer the passes reuse.
    const std::string in(start, static_cast<size_t>(end - start));
    const std::string marked = quotedPrintableToMarkedText(in);
    const std::string oneStep = converted(quotedPrintableToHtml, context, in);
    // The windows-1252 pass is the two steps with windows-1252 between.
    if (converted(windows1252QuotedPrintableToHtml, context, in) !=
        converted(markedTextToHtml, context, windows1252ToUtf8(marked))) {
        propertyFailed("windows-1252 quoted-printable paragraphs differ from the two steps");
    }
    // Last, so that the output stays in the scratch buffer for a next pass.
    start = marked.data();
    end = start + marked.size();
    markedTextToHtml(context, start, end);
    const std::string twoSteps = start ? std::string(start, static_cast<size_t>(end - start)) : "";
    if (twoSteps != oneStep) propertyFailed("marked quoted-printable text differs from the one-step paragraphs");
}

void convert(DecodeContext& context, unsigned which, const char*& start, const char*& end) {
    switch (which % 9) {
        case 0: plainToHtml(context, start, end); break;
        case 1: flowedToHtml(context, start, end); break;
        case 2: quotedPrintableToHtml(context, start, end); break;
        case 3: linesToParagraphs(context, start, end); break;
        case 4: flowedToPlain(context, start, end); break;
        case 5: enrichedToPlain(context, start, end); break;
        case 6:
            rtfToHtml(context, start, end);
            // Every escape is converted, so the HTML is whole UTF-8.
            if (start && !isValidUtf8(std::string_view(start, static_cast<size_t>(end - start)))) {
                propertyFailed("HTML taken out of RTF is not valid UTF-8");
            }
            break;
        case 7:
            (void)isRtfHtml(start, end);
            (void)isRtfText(start, end);
            (void)nonBreakingSpaces(std::string_view(start, static_cast<size_t>(end - start)));
            break;
        case 8: markedText(context, start, end); break;
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
