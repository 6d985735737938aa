// dbx_message_test.cpp - gathering message texts from chains of text blocks,
// including chains that are empty, broken, cut off or run in a circle.
#include "sources/dbx_message.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "dbx_test_reading.h"
#include "support/dbx_writer.h"

namespace tessaly {
namespace {

using test::DbxWriter;
using test::dbxError;

std::string readText(const std::string& bytes, uint32_t start) {
    imemfile file(bytes.data(), bytes.size());
    const DbxMessage message(file, start);
    EXPECT_EQ(message.text()[message.length()], '\0');
    EXPECT_EQ(std::strlen(message.text()), message.length());
    return std::string(message.view());
}

TEST(DbxMessage, TextIsTheSameWhateverTheBlockSize) {
    const std::string text = test::sampleMessageText("Blocks", 3000);
    for (uint32_t blockText : {1u, 7u, 16u, 0x200u, 2999u, 3000u, 100000u}) {
        DbxWriter writer;
        std::vector<uint32_t> blocks;
        const uint32_t start = writer.addText(text, blockText, &blocks);
        EXPECT_EQ(blocks.size(), (text.size() + blockText - 1) / blockText) << blockText;
        EXPECT_EQ(readText(writer.bytes(), start), text) << blockText;
    }
}

TEST(DbxMessage, EmptyBlocksAddNothing) {
    DbxWriter writer;
    const uint32_t last = writer.addBlock(3, 0, "end");
    const uint32_t middle = writer.addBlock(0, last, "");
    const uint32_t first = writer.addBlock(5, middle, "start");
    EXPECT_EQ(readText(writer.bytes(), first), "startend");
}

TEST(DbxMessage, AChainWithoutTextIsRefused) {
    DbxWriter writer;
    const uint32_t second = writer.addBlock(0, 0, "");
    const uint32_t first = writer.addBlock(0, second, "");
    EXPECT_EQ(dbxError([&] { readText(writer.bytes(), first); }), "No text found !");
    EXPECT_EQ(dbxError([&] { readText(writer.bytes(), 0); }), "No text found !");
}

// Each row damages one field of the second of three blocks.
TEST(DbxMessage, ABrokenChainNamesWhatIsWrong) {
    struct Row {
        const char* why;
        uint32_t field;
        uint32_t value;  // UINT32_MAX - n: the block's own offset + n
        const char* message;
    };
    constexpr uint32_t kSelf = UINT32_MAX;
    const Row rows[] = {
        {"marker names another block", test::kBlockMarker, 0x40, "Wrong object marker !"},
        {"next block lies past the end of the file", test::kBlockNext, 0x7FFFFFF0, "Error reading from input stream !"},
        {"next block's head is cut by the end", test::kBlockNext, kSelf - 1, "Error reading from input stream !"},
        {"text runs past the end of the file", test::kBlockLength, 0x00100000, "Error reading from input stream !"},
        {"text longer than the file could hold", test::kBlockLength, 0xFFFFFFF0, "Error reading from input stream !"},
        {"the block links to itself", test::kBlockNext, kSelf, "Text blocks overlap !"},
    };
    for (const Row& row : rows) {
        DbxWriter writer;
        std::vector<uint32_t> blocks;
        const uint32_t start = writer.addText("one two three", 5, &blocks);
        ASSERT_EQ(blocks.size(), 3u);
        uint32_t value = row.value;
        if (value == kSelf) value = blocks[1];
        if (value == kSelf - 1) value = writer.size() - 8;
        test::put32(writer.bytes(), blocks[1] + row.field, value);
        EXPECT_EQ(dbxError([&] { readText(writer.bytes(), start); }), row.message) << row.why;
    }
}

// The job goes on with the next message after a damaged one, on the same file.
TEST(DbxMessage, ABrokenChainLeavesTheFileReadable) {
    DbxWriter writer;
    const uint32_t sound = writer.addText("still readable", 4);
    const uint32_t broken = writer.addBlock(4, 0x7FFFFFF0, "lost");
    imemfile file(writer.bytes().data(), writer.bytes().size());
    EXPECT_EQ(dbxError([&] { DbxMessage message(file, broken); }), "Error reading from input stream !");
    EXPECT_EQ(dbxError([&] { DbxMessage message(file, writer.size() - 4); }), "Error reading from input stream !");
    EXPECT_TRUE(file.good());
    EXPECT_EQ(DbxMessage(file, sound).view(), "still readable");
}

TEST(DbxMessage, ChainsThatRunInACircleEnd) {
    struct Row {
        const char* why;
        uint32_t blockText;  // text bytes in each block
    };
    const Row rows[] = {
        {"blocks with text", 5},
        {"blocks without text: the total never grows", 0},
    };
    for (const Row& row : rows) {
        DbxWriter writer;
        const std::string piece(row.blockText, 'x');
        const uint32_t b = writer.addBlock(row.blockText, 0, piece);
        const uint32_t a = writer.addBlock(row.blockText, b, piece);
        test::put32(writer.bytes(), b + test::kBlockNext, a);
        EXPECT_EQ(dbxError([&] { readText(writer.bytes(), a); }), "Text blocks overlap !") << row.why;
    }
}

}  // namespace
}  // namespace tessaly
