// header_scanner_test.cpp - cutting header blocks into fields: line ends,
// folding, names, the end of the block and malformed blocks.
#include "message/header_scanner.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace tessaly {
namespace {

using Fields = std::vector<std::pair<std::string, std::string>>;

struct Scanned {
    Fields fields;
    std::string body;  // the text from the body start on
    bool malformed = false;
};

// Scans an exact-size copy, so a read past the end shows under ASan.
Scanned scan(const std::string& text) {
    std::vector<char> bytes(text.begin(), text.end());
    const char* begin = bytes.data();
    Scanned out;
    const HeaderBlock block =
        scanHeaderBlock(begin, begin + bytes.size(), [&](std::string_view n, std::string_view v) {
            out.fields.emplace_back(std::string(n), std::string(v));
        });
    if (begin) out.body.assign(block.bodyStart, begin + bytes.size());
    out.malformed = block.malformedAt != nullptr;
    // A malformed block stops right after the offending byte.
    if (out.malformed) {
        EXPECT_EQ(block.malformedAt, block.bodyStart);
    }
    return out;
}

struct ScanRow {
    const char* why;
    std::string text;
    Fields fields;
    std::string body;
    bool malformed;
};

TEST(HeaderScanner, Table) {
    const ScanRow rows[] = {
        {"CR LF lines, blank line ends the block", "Subject: hi\r\nTo: a@b\r\n\r\nbody",
         {{"Subject", "hi"}, {"To", "a@b"}}, "body", false},
        {"bare LF lines", "Subject: hi\nTo: a@b\n\nbody", {{"Subject", "hi"}, {"To", "a@b"}},
         "body", false},
        {"bare CR line ends before a CR LF blank line", "Subject: hi\rTo: a\r\r\nbody",
         {{"Subject", "hi"}, {"To", "a"}}, "body", false},
        {"folded value keeps its line breaks and leading blanks",
         "Subject: one\r\n two\r\n\tthree\r\n\r\nbody", {{"Subject", "one\r\n two\r\n\tthree"}},
         "body", false},
        {"last line without line end is still a field", "Subject: hi", {{"Subject", "hi"}}, "",
         false},
        {"text ends right after the last field's CR LF", "Subject: hi\r\n", {{"Subject", "hi"}},
         "", false},
        {"text ends after a bare CR", "Subject: hi\r", {{"Subject", "hi"}}, "", false},
        {"only leading spaces are skipped, not tabs", "A1:   x\nA2:\t y\n\nbody",
         {{"A1", "x"}, {"A2", "\t y"}}, "body", false},
        {"empty value", "To:\r\n\r\nbody", {{"To", ""}}, "body", false},
        {"spaces only: empty value", "To:   \r\n\r\n", {{"To", ""}}, "", false},
        {"a space before the colon belongs to the name", "Subject : x\n\n", {{"Subject ", "x"}},
         "", false},
        {"a colon inside the value", "Subject: a:b\n\n", {{"Subject", "a:b"}}, "", false},
        {"a line without colon runs on into the next name", "garbage\r\nTo: x\r\n\r\nbody",
         {{"garbage\r\nTo", "x"}}, "body", false},
        {"the byte that ends a value starts the next name, so one-letter names work",
         "A: 1\nB: 2\nCc: 3\n\nbody", {{"A", "1"}, {"B", "2"}, {"Cc", "3"}}, "body", false},
        {"a one-letter last field does not swallow the body", "Subject: s\nX: 1\n\nbody",
         {{"Subject", "s"}, {"X", "1"}}, "body", false},
        {"empty text", "", {}, "", false},
        {"blank first line: no headers", "\r\nbody", {}, "body", false},
        {"bare LF first line: no headers", "\nbody", {}, "body", false},
        {"no colon at all: the whole text is one unfinished name", "no header here\n\nbody", {},
         "", false},
        {"a line starting with CR then a letter is malformed",
         "Subject: x\r\n\rX-Foo: y\r\n\r\nbody", {{"Subject", "x"}}, "-Foo: y\r\n\r\nbody",
         true},
        {"a bare CR blank line is malformed too", "Subject: x\r\rbody", {{"Subject", "x"}}, "ody",
         true},
        {"malformed at the very start", "\rabc", {}, "bc", true},
    };
    for (const ScanRow& row : rows) {
        SCOPED_TRACE(row.why);
        const Scanned got = scan(row.text);
        EXPECT_EQ(got.fields, row.fields);
        EXPECT_EQ(got.body, row.body);
        EXPECT_EQ(got.malformed, row.malformed);
    }
}

TEST(HeaderScanner, NullAndReversedRangesGiveNothing) {
    int calls = 0;
    auto count = [&](std::string_view, std::string_view) { ++calls; };
    EXPECT_EQ(scanHeaderBlock(nullptr, nullptr, count).bodyStart, nullptr);
    const char text[] = "To: x\n\n";
    EXPECT_EQ(scanHeaderBlock(text + 4, text, count).bodyStart, text + 4);
    EXPECT_EQ(calls, 0);
}

}  // namespace
}  // namespace tessaly
