// body_truncation_test.cpp - every body converter on every prefix of sound
// inputs and on hostile bytes: no crash, no read or write out of bounds
// (run under AddressSanitizer), output within the room of its buffer.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "message/body_html.h"
#include "message/converter_run.h"

namespace tessaly {
namespace {

using test::kConverters;
using test::runConverter;

const char* const kSamples[] = {
    // Plain and flowed text with CR LF, spaces, signature and entities.
    "Hello <you> & all, \r\n  second line \r\n\r\n-- \r\nMe\r\n",
    "line one \nline two\n\n  next\n-- \nsig \nend",
    // Quoted-printable with soft breaks, pairs, bad pairs and a dangling "=".
    "caf=E9 =3Cb=3E =\r\nsoft= \nhard\n\n=0D=0A=zz=4",
    // Enriched.
    "<bold>x</bold>\n\n\r\n<param>y</param>",
    // Encapsulated HTML in RTF with every control word the reader knows.
    "{\\rtf1\\ansi\\fromhtml1 {\\*\\htmltag19 <html>}\\htmlrtf {\\b\\htmlrtf0 b"
    "\\htmlrtf }\\htmlrtf0 \\par\\tab \\li720 \\fi-360 {\\pntext 1.}\\'e9\\{\\}\\\\"
    "{\\*\\mhtmltag84 <img src=\"cid:a\">}{\\*\\htmltag84 <img>}\\htmlrtf0 }",
};

TEST(BodyConverters, EveryPrefixOfSoundInput) {
    DecodeContext context;
    for (const auto& converter : kConverters) {
        for (std::string_view sample : kSamples) {
            for (size_t n = 0; n <= sample.size(); ++n) {
                const std::string out = runConverter(converter.convert, context, sample.substr(0, n));
                ASSERT_NE(out, "<null>") << converter.name;
            }
        }
    }
}

TEST(BodyConverters, HostileBytes) {
    // Texts made only of the bytes the converters look at, so that every
    // branch meets its input's end at every offset.
    const std::string alphabet = " \r\n=<>&\\{}'-*0123456789abcdefhilmnoprtx";
    std::mt19937 random(11);
    DecodeContext context;
    for (int round = 0; round < 400; ++round) {
        std::string text(random() % 64, ' ');
        for (char& c : text) c = alphabet[random() % alphabet.size()];
        if (round % 2) text = "\\fromhtml{\\*\\htmltag" + text;
        for (const auto& converter : kConverters) {
            runConverter(converter.convert, context, text);
        }
    }
    // Every byte value, NUL included.
    std::string all;
    for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
    for (const auto& converter : kConverters) runConverter(converter.convert, context, all);
}

TEST(BodyConverters, InputInsideTheOutputBuffer) {
    // A converter handed its own buffer's previous output must read it
    // whole even when the buffer is replaced by a bigger one.
    DecodeContext context;
    std::string text;
    for (int i = 0; i < 3000; ++i) text += "<\n\n";
    const char* start = text.data();
    const char* end = start + text.size();
    enrichedToPlain(context, start, end);  // into buffer A
    const std::string expected = [&] {
        std::string all;
        for (int i = 0; i < 3000; ++i) all += "<p>&lt;</p>\r\n\r\n";
        return all;
    }();
    linesToParagraphs(context, start, end);  // from buffer A into buffer A
    EXPECT_EQ(std::string(start, end), expected);
}

}  // namespace
}  // namespace tessaly
