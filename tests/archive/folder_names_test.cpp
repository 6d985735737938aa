// folder_names_test.cpp - source folder names as archive folder names, and
// cutting text at a UTF-8 character boundary.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "archive/naming.h"
#include "message/text.h"

namespace tessaly {
namespace {

std::string repeat(const std::string& piece, size_t times) {
    std::string text;
    for (size_t i = 0; i < times; ++i) text += piece;
    return text;
}

TEST(SafeFolderName, FitsTheFileSystemAndKeepsShortNames) {
    const std::string a255(255, 'a');
    const std::string cyrillic = "\xD0\xB6";  // one two-byte character
    const std::string euro = "\xE2\x82\xAC";  // one three-byte character
    struct Row {
        std::string component;
        std::string expected;
    };
    const std::vector<Row> rows = {
        // A name that fits keeps what the old rules made of it, trailing dot too.
        {"Inbox", "Inbox"},
        {" a:b  c. ", "ab c."},
        {"", ""},
        {"  \t ", ""},
        // Dots only would climb out of the archive or vanish.
        {".", "_"},
        {"..", "__"},
        // The archive's own folder of derived files.
        {".tessaly", "_tessaly"},
        {".Tessaly", "_Tessaly"},
        // Exactly at the limit: unchanged.
        {a255, a255},
        // One byte over: cut at the limit.
        {a255 + "b", a255},
        // Forbidden characters go first, so this one fits after all.
        {std::string(250, 'a') + "??????**", std::string(250, 'a')},
        // The limit falls inside a two-byte character: the character goes.
        {std::string(254, 'a') + cyrillic, std::string(254, 'a')},
        // ... and inside a three-byte one, one byte before its end.
        {std::string(253, 'a') + euro + "z", std::string(253, 'a')},
        // A long non-ASCII folder name: 150 characters, 300 bytes.
        {repeat(cyrillic, 150), repeat(cyrillic, 127)},
        // The cut bares a blank, which is trimmed as any trailing blank is.
        {std::string(254, 'a') + " b", std::string(254, 'a')},
        // Bytes that are not UTF-8 are read as windows-1252 ("\xE9" is "\xC3\xA9",
        // 0x80 the euro sign) and then cut at a character boundary.
        {std::string(254, 'a') + "\xE9\xE9", std::string(254, 'a')},
        {std::string(250, 'a') + std::string(10, '\x80'), std::string(250, 'a') + euro},
        // A long name of dots, and one that is dots only after the cut.
        {std::string(300, '.'), std::string(255, '_')},
        {std::string(255, '.') + "x", std::string(255, '_')},
    };
    for (const Row& row : rows) {
        const std::string got = safeFolderName(row.component);
        EXPECT_EQ(got, row.expected) << "component of " << row.component.size() << " bytes: " << row.component;
        EXPECT_LE(got.size(), 255u);
    }
}

TEST(Utf8Prefix, NeverEndsInsideACharacter) {
    const std::string grin = "\xF0\x9F\x98\x80";  // one four-byte character
    struct Row {
        std::string text;
        size_t limit;
        size_t expected;
    };
    const std::vector<Row> rows = {
        // Shorter than the limit: all of it.
        {"abc", 5, 3},
        {"", 0, 0},
        {"abc", 0, 0},
        // The limit falls after the lead byte of a two-byte character.
        {"h\xC3\xA9llo", 2, 1},
        // Inside a four-byte character, at each of its inner bytes.
        {"a" + grin, 2, 1},
        {"a" + grin, 4, 1},
        {"a" + grin, 5, 5},
        {grin, 3, 0},
        // A lead byte with nothing after it is text, kept to the limit.
        {"ab\xC3", 2, 2},
        // Continuation bytes without a lead byte are not UTF-8: cut at the limit.
        {"ab\x80\x80\x80\x80\x80", 5, 5},
        {"\x80\x80", 1, 1},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(utf8Prefix(row.text, row.limit), row.expected) << row.text << " at " << row.limit;
    }
}

}  // namespace
}  // namespace tessaly
