// decoders_test.cpp - base64, quoted-printable, uuencode, BinHex, MacBinary
// and line-end decoding on valid, odd and broken input.
#include "message/decoding.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "message/transfer_encoders.h"

namespace tessaly {
namespace {

using test::runDecoder;

std::optional<std::string> base64(DecodeContext& context, std::string_view in) {
    return runDecoder([&](auto& s, auto& e) { return decodeBase64(context, s, e); }, in);
}
std::optional<std::string> qp(DecodeContext& context, std::string_view in) {
    return runDecoder([&](auto& s, auto& e) { return decodeQuotedPrintable(context, s, e); }, in);
}
std::optional<std::string> uu(DecodeContext& context, std::string_view in) {
    return runDecoder([&](auto& s, auto& e) { return decodeUuencode(context, s, e); }, in);
}
std::optional<std::string> binhex(DecodeContext& context, std::string_view in, bool headerOnly) {
    return runDecoder(
        [&](auto& s, auto& e) { return decodeBinhex(context, s, e, headerOnly); }, in);
}
std::optional<std::string> lineEnds(DecodeContext& context, std::string_view in) {
    return runDecoder([&](auto& s, auto& e) { return normaliseLineEnds(context, s, e); }, in);
}

std::string randomBytes(std::mt19937& random, size_t n) {
    std::string bytes(n, '\0');
    for (char& c : bytes) c = char(random() & 0xff);
    return bytes;
}

TEST(Base64, RoundTripsRandomBytesInAnyLineLayout) {
    DecodeContext context;
    std::mt19937 random(7);
    for (size_t n : {0, 1, 2, 3, 4, 5, 56, 57, 58, 1000, 70000}) {
        std::string bytes = randomBytes(random, n);
        std::string encoded = test::base64Encode(bytes);
        EXPECT_EQ(base64(context, encoded), bytes) << n;
        EXPECT_EQ(base64(context, test::wrapLines(encoded, 76, "\r\n")), bytes) << n;
        EXPECT_EQ(base64(context, "\r\n\t " + test::wrapLines(encoded, 4, "\n")), bytes) << n;
    }
}

TEST(Base64, EndsAndPads) {
    DecodeContext context;
    struct {
        const char* input;
        std::optional<std::string> expected;
    } rows[] = {
        {"QUJD", "ABC"},
        {"QUI=", "AB"},
        {"QQ==", "A"},
        {"QUJDQ", "ABC"},                   // one stray symbol at the end is dropped
        {"QUJDQ\r\n", "ABC"},
        {"QUJDQU", "ABCA"},                 // cut short after two symbols: their byte is kept
        {"QUJDQUJ", "ABCAB"},               // and after three, their two bytes
        {"QQ=", "A"},                       // a pad group cut short
        {"QQ==QUJD", "A"},                  // the pad ends the text
        {"=QUJD", ""},                      // a pad first ends at once
        {"Q=JD", ""},                       // a pad second as well
        {"QU*J!D", "ABC"},                  // other bytes are skipped
        {"", ""},
        {"\r\n  ", ""},
        {"!!!", ""},                        // no symbol at all
    };
    for (const auto& row : rows) {
        context.setDecodeError("");
        auto got = base64(context, row.input);
        EXPECT_EQ(got, row.expected) << row.input;
        const std::string_view input = row.input;
        const bool cutShort = input == "QUJDQU" || input == "QUJDQUJ" || input == "QQ=";
        EXPECT_EQ(context.decodeError(), cutShort ? "Premature EOF when decoding base64." : "") << row.input;
    }
}

TEST(QuotedPrintable, Table) {
    DecodeContext context;
    struct {
        const char* input;
        const char* expected;
    } rows[] = {
        {"a=3Db", "a=b"},                      // encoded equals sign
        {"a=3db", "a=b"},                      // lower-case hex
        {"soft=\r\nbreak", "softbreak"},       // soft line break with CR LF
        {"soft=  \r \nbreak", "softbreak"},    // blanks before the break
        {"line\nnext", "line\r\nnext"},        // LF becomes CR LF
        {"line\r\nnext", "line\r\nnext"},      // CR is dropped, LF written
        {"bare\rcr", "barecr"},
        {"x=ZZy", "x\r\nZZy"},                 // not hexadecimal
        {"x= 41", "xA"},                       // spaces after "=" skipped
        {"under_score", "under_score"},
        {"end=", "end"},                       // "=" at the very end
        {"end=  ", "end"},
        {"end=4", "end=4"},                    // one byte left after "="
        {"", ""},
    };
    for (const auto& row : rows) EXPECT_EQ(qp(context, row.input), row.expected) << row.input;
}

TEST(Uuencode, RoundTripsAndStopsAtEnd) {
    DecodeContext context;
    std::mt19937 random(11);
    for (size_t n : {1, 2, 3, 44, 45, 46, 90, 1000}) {
        std::string bytes = randomBytes(random, n);
        EXPECT_EQ(uu(context, test::uuencode(bytes)), bytes) << n;
        // Text before "begin" and after "end" is not data.
        EXPECT_EQ(uu(context, "preamble\r\n" + test::uuencode(bytes) + "trailer text\r\n"), bytes);
    }
}

TEST(Uuencode, OddInput) {
    DecodeContext context;
    // "#86)C" encodes "abc"; count "#" is 3.
    EXPECT_EQ(uu(context, "begin 644 x\n#86)C\nend\n"), "abc");
    EXPECT_EQ(uu(context, "begin 644 x\n#86)C"), "abc");            // no end line
    // The missing last symbol counts as zero; the count still gives 3 bytes.
    EXPECT_EQ(uu(context, "begin 644 x\n#86)"), "ab@");
    EXPECT_EQ(uu(context, "begin 644 x\n"), "");
    EXPECT_EQ(uu(context, "no marker at all\n#86)C\n"), "");         // nothing after the last line
    EXPECT_EQ(uu(context, "beg"), "");                                // shorter than "begin"
    EXPECT_EQ(uu(context, "begin 644 x\n\"86)C\n"), "ab");           // count cuts the group
    EXPECT_EQ(uu(context, "begin 644 x\nend  \r\n#86)C\n"), "");      // end line with blanks
}

std::string sampleFork(size_t n) {
    std::string data;
    for (size_t i = 0; i < n; ++i) data += char(i % 7 == 0 ? 0x90 : (i / 50) % 3 ? 'x' : i & 0xff);
    return data;
}

TEST(BinHex, DataForkAndHeader) {
    DecodeContext context;
    std::string data = sampleFork(5000);  // long runs, literal 0x90 bytes
    std::string file = test::binhexEncode("report.txt", data, "resource fork");
    EXPECT_EQ(binhex(context, file, false), data);

    auto header = binhex(context, file, true);
    ASSERT_TRUE(header);
    ASSERT_EQ(header->size(), 10u + 22u);
    EXPECT_EQ(header->substr(1, 10), "report.txt");
    EXPECT_EQ(header->substr(12, 8), "TEXTttxt");  // type and creator after the version

    // Without the banner, starting at the colon.
    std::string bare = file.substr(file.find(':'));
    EXPECT_EQ(binhex(context, bare, false), data);
}

TEST(BinHex, Failures) {
    DecodeContext context;
    std::string file = test::binhexEncode("a", "hello");
    struct {
        std::string input;
        const char* error;
    } rows[] = {
        {"no colon anywhere", "Unable to find start of binhex"},
        {"(banner without data", "Unable to find start of binhex"},
        {":!!s!!", "Invalid character in binhex"},         // "s" is past the alphabet
        {":!!\t!!", "Invalid character in binhex"},        // tab is not skipped
        {":!!!!", ""},                                      // header cut short
        {"", "Unable to find start of binhex"},
    };
    for (const auto& row : rows) {
        context.setDecodeError("");
        EXPECT_EQ(binhex(context, row.input, false), std::nullopt) << row.input;
        EXPECT_EQ(context.decodeError(), row.error) << row.input;
        context.setDecodeError("");
        EXPECT_EQ(binhex(context, row.input, true), std::nullopt) << row.input;
        EXPECT_EQ(context.decodeError(), row.error) << row.input;
    }
    // A bad symbol in the resource fork fails the whole decoding.
    std::string plain = test::binhexPlain("a", "hello", std::string(300, 'r'));
    std::string symbols = test::binhexSymbols(plain);
    symbols.insert(symbols.rfind(':') - 4, "s");
    EXPECT_EQ(binhex(context, symbols, false), std::nullopt);
    EXPECT_EQ(context.decodeError(), "Invalid character in binhex");
}

TEST(BinHex, LongNameHeaderIsWhole) {
    // 250-byte name: the header (272 bytes) is longer than the first 256.
    DecodeContext context;
    std::string name(250, 'n');
    std::string file = test::binhexEncode(name, "data");
    auto header = binhex(context, file, true);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->size(), 272u);
    EXPECT_EQ(header->substr(252, 8), "TEXTttxt");
    EXPECT_EQ(binhex(context, file, false), "data");
}

TEST(BinHex, ForkLongerThanTheInputIsCutNotInvented) {
    DecodeContext context;
    // The header claims 4 GiB of data; only "abc" follows.
    std::string plain = test::binhexPlain("a", "abc", "");
    plain[1 + 1 + 1 + 4 + 4 + 2] = char(0xff);  // top byte of the data length
    auto got = binhex(context, test::binhexSymbols(plain), false);
    ASSERT_TRUE(got);
    EXPECT_EQ(got->substr(0, 3), "abc");
    EXPECT_LT(context.bufferA().capacity(), 1u << 20);  // no room sized from the claim
}

TEST(BinHex, RunMarkerEdges) {
    DecodeContext context;
    // Header for a 4-byte data fork; the fork is "A", then a run of 0 more
    // (count 1), a literal 0x90, and 0x90 with count 3 repeating the 0x90.
    std::string plain = test::binhexPlain("a", "", "");
    plain[1 + 1 + 1 + 4 + 4 + 2 + 3] = 5;  // data length 5
    std::string encoded = plain.substr(0, plain.size() - 4);  // drop the empty forks' CRCs
    encoded += "A\x90\x01\x90";
    encoded += '\0';
    encoded += "\x90\x03";
    encoded += "Z";
    EXPECT_EQ(binhex(context, test::binhexSymbols(encoded), false), "A\x90\x90\x90Z");
    // A marker as the last byte, with no count after it.
    std::string cut = plain.substr(0, plain.size() - 4) + "AB\x90";
    EXPECT_EQ(binhex(context, test::binhexSymbols(cut), false), "AB");
}

TEST(MacBinary, HeaderChecks) {
    DecodeContext context;
    auto make = [](uint8_t zero, uint8_t nameLength, uint32_t fork, size_t body) {
        std::string file(128, '\0');
        file[0] = char(zero);
        file[1] = char(nameLength);
        for (int i = 0; i < 4; ++i) file[83 + i] = char((fork >> (24 - 8 * i)) & 0xff);
        for (size_t i = 0; i < body; ++i) file += char('a' + i % 26);
        return file;
    };
    auto extract = [&](const std::string& in) {
        return runDecoder([&](auto& s, auto& e) { return extractMacBinary(context, s, e); }, in);
    };
    EXPECT_EQ(extract(make(0, 5, 3, 10)), "abc");
    EXPECT_EQ(extract(make(0, 63, 10, 10)), "abcdefghij");  // exactly as long as the fork
    EXPECT_EQ(extract(make(0, 5, 11, 10)), "");             // fork longer than the input
    EXPECT_EQ(extract(make(1, 5, 3, 10)), "");              // byte 0 not zero
    EXPECT_EQ(extract(make(0, 0, 3, 10)), "");              // no name
    EXPECT_EQ(extract(make(0, 64, 3, 10)), "");             // name too long
    EXPECT_EQ(extract(make(0, 5, 0, 10)), "");              // empty data fork
    EXPECT_EQ(extract(make(0, 5, 0xffffffffu, 10)), "");
    EXPECT_EQ(extract(make(0, 5, 3, 10).substr(0, 127)), "");  // shorter than a header
}

TEST(LineEnds, Table) {
    DecodeContext context;
    struct {
        const char* input;
        const char* expected;
    } rows[] = {
        {"a\nb", "a\r\nb"},
        {"a\r\nb", "a\r\nb"},
        {"a\rb", "a\rb"},          // a bare CR stays
        {"\n\n", "\r\n\r\n"},
        {"\r\r\n", "\r\r\n"},
        {"\n", "\r\n"},            // LF first
        {"", ""},
    };
    for (const auto& row : rows) EXPECT_EQ(lineEnds(context, row.input), row.expected) << row.input;
}

TEST(Decoders, InputMayLieInTheirOwnOutputBuffer) {
    DecodeContext context;
    std::string inner = test::base64Encode("payload bytes");
    std::string outer = test::base64Encode(inner);
    const char* start = outer.data();
    const char* end = start + outer.size();
    ASSERT_TRUE(decodeBase64(context, start, end));
    ASSERT_TRUE(decodeBase64(context, start, end));  // decodes buffer A into buffer A
    EXPECT_EQ(std::string(start, end), "payload bytes");

    std::string text(5000, '\n');
    start = text.data();
    end = start + text.size();
    ASSERT_TRUE(normaliseLineEnds(context, start, end));
    ASSERT_TRUE(normaliseLineEnds(context, start, end));  // grows buffer A on the way
    std::string crlf;
    for (int i = 0; i < 5000; ++i) crlf += "\r\n";
    EXPECT_EQ(std::string(start, end), crlf);
}

}  // namespace
}  // namespace tessaly
