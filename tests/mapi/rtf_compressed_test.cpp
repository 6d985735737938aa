// rtf_compressed_test.cpp - compressed RTF: the published example streams,
// the uncompressed form, literal-only streams of any length, and damaged or
// truncated input.
#include <gtest/gtest.h>

#include "mapi/memory_stream.h"
#include "mapi/provider.h"
#include "mapi/rtf_compressed.h"

namespace tessaly {
namespace {

std::string fromHex(const std::string& hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

std::string le32(uint32_t value) {
    std::string bytes;
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>(value >> (8 * i) & 0xFF);
    return bytes;
}

// The two examples of the format's documentation.
const std::string kExample1 =
    fromHex("2d0000002b0000004c5a4675f1c5c7a703000a007263706731323542320af32068656c090020627705b06c647d0a800fa0");
const std::string kPlain1 = "{\\rtf1\\ansi\\ansicpg1252\\pard hello world}\r\n";
const std::string kExample2 = fromHex("1a0000001c0000004c5a4675e2d44b51410004205758595a0d6e7d010eb0");
const std::string kPlain2 = "{\\rtf1 WXYZWXYZWXYZWXYZWXYZ}";

std::string withHeader(const std::string& contents, uint32_t rawSize, uint32_t type, uint32_t crc) {
    return le32(static_cast<uint32_t>(contents.size() + 12)) + le32(rawSize) + le32(type) + le32(crc) + contents;
}

// A valid stream of literals only, ended by a reference to the write
// position; `rawSize` as the header should announce it unless given.
std::string literalStream(const std::string& text, int64_t rawSize = -1) {
    std::string contents;
    size_t i = 0;
    for (;;) {
        const size_t run = std::min<size_t>(8, text.size() - i);
        unsigned control = run < 8 ? 1u << run : 0;
        contents += static_cast<char>(control);
        contents += text.substr(i, run);
        i += run;
        if (run < 8) {
            const unsigned end = static_cast<unsigned>((207 + text.size()) % 4096) << 4;
            contents += static_cast<char>(end >> 8);
            contents += static_cast<char>(end & 0xFF);
            break;
        }
    }
    return withHeader(contents, rawSize < 0 ? static_cast<uint32_t>(text.size()) : static_cast<uint32_t>(rawSize),
                      0x75465A4C, rtfCompressedCrc(contents));
}

TEST(RtfCompressed, DecodesThePublishedExamples) {
    std::string rtf;
    ASSERT_TRUE(decompressRtf(kExample1, rtf));
    EXPECT_EQ(rtf, kPlain1);
    // Example 2 repeats "WXYZ" through a reference that overlaps itself.
    ASSERT_TRUE(decompressRtf(kExample2, rtf));
    EXPECT_EQ(rtf, kPlain2);
}

TEST(RtfCompressed, UncompressedFormIsCopied) {
    std::string rtf;
    ASSERT_TRUE(decompressRtf(withHeader(kPlain1, static_cast<uint32_t>(kPlain1.size()), 0x414C454D, 0), rtf));
    EXPECT_EQ(rtf, kPlain1);
    // A raw size beyond the data is refused.
    EXPECT_FALSE(decompressRtf(withHeader(kPlain1, 1000, 0x414C454D, 0), rtf));
    EXPECT_TRUE(rtf.empty());
}

TEST(RtfCompressed, LiteralStreamsOfEveryRunLength) {
    // Lengths around a run of eight and past the 4096-byte dictionary.
    for (const size_t length : {0u, 1u, 7u, 8u, 9u, 16u, 4095u, 4096u, 5000u}) {
        std::string text;
        for (size_t i = 0; i < length; ++i) text += static_cast<char>('a' + i % 26);
        std::string rtf;
        ASSERT_TRUE(decompressRtf(literalStream(text), rtf)) << length;
        EXPECT_EQ(rtf, text) << length;
    }
}

TEST(RtfCompressed, OutputStopsAtTheAnnouncedSize) {
    std::string rtf;
    ASSERT_TRUE(decompressRtf(literalStream("abcdefghijkl", 5), rtf));
    EXPECT_EQ(rtf, "abcde");
}

TEST(RtfCompressed, RefusesDamagedHeaders) {
    std::string rtf;
    const struct {
        std::string input;
        const char* why;
    } cases[] = {
        {"", "empty"},
        {kExample1.substr(0, 15), "header cut short"},
        {kExample1.substr(0, 8) + "LZFv" + kExample1.substr(12), "unknown type"},
        {kExample1.substr(0, 12) + "\x00\x00\x00\x00" + kExample1.substr(16), "CRC that does not match"},
        {le32(0xFFFFFFF0) + kExample1.substr(4), "size far beyond the data"},
        {le32(3) + kExample1.substr(4), "size smaller than the header"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(decompressRtf(c.input, rtf)) << c.why;
        EXPECT_TRUE(rtf.empty()) << c.why;
    }
}

TEST(RtfCompressed, EveryTruncationIsRefused) {
    std::string rtf;
    for (size_t length = 0; length < kExample1.size(); ++length) {
        EXPECT_FALSE(decompressRtf(kExample1.substr(0, length), rtf)) << length;
    }
}

TEST(RtfCompressed, EveryCorruptedByteStaysInBounds) {
    // Damage past the CRC check (the CRC fixed up) must still decode within
    // the announced size and without reading outside the input.
    for (size_t at = 16; at < kExample1.size(); ++at) {
        for (const unsigned char flip : {0x01, 0x10, 0x80, 0xFF}) {
            std::string contents = kExample1.substr(16);
            contents[at - 16] = static_cast<char>(contents[at - 16] ^ flip);
            std::string rtf;
            ASSERT_TRUE(decompressRtf(withHeader(contents, 43, 0x75465A4C, rtfCompressedCrc(contents)), rtf));
            EXPECT_LE(rtf.size(), 43u);
        }
    }
}

TEST(RtfCompressed, WrappedStreamReadsTheSameInAnyStep) {
    class Library : public MapiLibrary {
    public:
        MapiResult MAPIInitialize(const void*) override { return SUCCESS_SUCCESS; }
        void MAPIUninitialize() override {}
        MapiResult MAPIAdminProfiles(uint32_t, std::shared_ptr<IProfAdmin>&) override { return MAPI_E_NO_SUPPORT; }
        MapiResult MAPILogonEx(void*, const std::string&, const std::string&, uint32_t,
                               std::shared_ptr<IMAPISession>&) override {
            return MAPI_E_NO_SUPPORT;
        }
    } library;
    for (const uint32_t step : {1u, 3u, 1024u}) {
        std::shared_ptr<IStream> plain;
        ASSERT_EQ(library.WrapCompressedRTFStream(std::make_shared<MemoryStream>(kExample1), 0, plain),
                  SUCCESS_SUCCESS);
        std::string rtf;
        ASSERT_EQ(readWholeStream(*plain, rtf, step), SUCCESS_SUCCESS);
        EXPECT_EQ(rtf, kPlain1) << step;
    }
    std::shared_ptr<IStream> plain;
    EXPECT_EQ(library.WrapCompressedRTFStream(std::make_shared<MemoryStream>("not rtf"), 0, plain),
              MAPI_E_CORRUPT_DATA);
    EXPECT_EQ(plain, nullptr);
}

}  // namespace
}  // namespace tessaly
