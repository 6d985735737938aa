// decoders_robustness_test.cpp - every decoder on every prefix of a valid
// input and on corrupted copies: no crash, no access outside the input
// (each input sits in a heap block of its exact size, for the sanitizer),
// and output within the room its length allows.
#include "message/decoding.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "message/transfer_encoders.h"

namespace tessaly {
namespace {

struct Subject {
    const char* name;
    bool (*decode)(DecodeContext&, const char*&, const char*&);
    std::string valid;
    size_t maxGrowth;  // output bytes per input byte, at most
};

bool binhexFull(DecodeContext& c, const char*& s, const char*& e) {
    return decodeBinhex(c, s, e, false);
}
bool binhexHeader(DecodeContext& c, const char*& s, const char*& e) {
    return decodeBinhex(c, s, e, true);
}

std::vector<Subject> subjects() {
    std::string bytes;
    for (int i = 0; i < 400; ++i) bytes += char(i % 5 ? i * 37 : 0x90);
    std::string macBinary(128, '\0');
    macBinary[1] = 4;
    macBinary[86] = 100;
    macBinary += bytes.substr(0, 100);
    return {
        {"base64", decodeBase64, test::wrapLines(test::base64Encode(bytes), 76, "\r\n"), 1},
        {"quoted-printable", decodeQuotedPrintable,
         "caf=E9 =\r\nsoft\nline=3D=ZZend=\r\n=4", 2},
        {"uuencode", decodeUuencode, test::uuencode(bytes), 1},
        {"binhex", binhexFull, test::binhexEncode("name.bin", bytes, "rsrc"), 0},
        {"binhex header", binhexHeader, test::binhexEncode("name.bin", bytes, "rsrc"), 0},
        {"macbinary", extractMacBinary, macBinary, 1},
        {"line ends", normaliseLineEnds, "a\nb\r\nc\rd\n\n", 2},
    };
}

void check(const Subject& subject, DecodeContext& context, const std::string& input) {
    const char* start = nullptr;
    const char* end = nullptr;
    auto got = test::runDecoder(
        [&](auto& s, auto& e) {
            bool ok = subject.decode(context, s, e);
            start = s;
            end = e;
            return ok;
        },
        input);
    if (!got) return;
    ASSERT_NE(start, nullptr);
    // BinHex runs may expand; the others stay within their documented room.
    if (subject.maxGrowth) {
        EXPECT_LE(got->size(), subject.maxGrowth * input.size() + 4);
    }
}

TEST(DecoderRobustness, EveryPrefixOfAValidInput) {
    DecodeContext context;
    for (const Subject& subject : subjects()) {
        for (size_t n = 0; n <= subject.valid.size(); ++n) {
            SCOPED_TRACE(std::string(subject.name) + " prefix " + std::to_string(n));
            check(subject, context, subject.valid.substr(0, n));
        }
    }
}

TEST(DecoderRobustness, CorruptedCopies) {
    DecodeContext context;
    std::mt19937 random(5);
    for (const Subject& subject : subjects()) {
        for (int round = 0; round < 300; ++round) {
            std::string input = subject.valid;
            int changes = 1 + int(random() % 8);
            for (int k = 0; k < changes && !input.empty(); ++k) {
                size_t at = random() % input.size();
                switch (random() % 3) {
                case 0: input[at] = char(random() & 0xff); break;
                case 1: input.erase(at, 1 + random() % 20); break;
                default: input.insert(at, 1 + random() % 4, "=?:\x90\n"[random() % 5]); break;
                }
            }
            SCOPED_TRACE(std::string(subject.name) + " round " + std::to_string(round));
            check(subject, context, input);
        }
    }
}

TEST(DecoderRobustness, EncodedWordsOnEveryPrefix) {
    const std::string value = "Re: =?utf-8?B?w6lsw6h2ZQ==?= and =?x?Q?caf=E9_=3D?= =?x?Z?raw?=";
    for (size_t n = 0; n <= value.size(); ++n) {
        std::string prefix = value.substr(0, n);
        std::string got = decodeWords(prefix);
        EXPECT_LE(got.size(), 2 * prefix.size()) << prefix;
    }
}

}  // namespace
}  // namespace tessaly
