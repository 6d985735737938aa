// plain_html_test.cpp - plain text, Outlook lines and text/enriched as HTML
// or plain text, markup byte for byte.
#include <gtest/gtest.h>

#include <string>

#include "message/body_html.h"
#include "message/converter_run.h"

namespace tessaly {
namespace {

using test::runConverter;

struct Row {
    std::string in;
    std::string out;
};

TEST(PlainToHtml, Markup) {
    const Row rows[] = {
        // Empty body: the paragraph tags alone.
        {"", "<p></p>\r\n"},
        // Three spaces after a line break start hard.
        {"ab\n   c", "<p>ab<br>\r\n&nbsp; &nbsp;c</p>\r\n"},
        // Three spaces inside a line start soft.
        {"a   b", "<p>a &nbsp; b</p>\r\n"},
        // A run at the very start, and one right after a LF at offset 0,
        // start soft: the run must begin at least two bytes in.
        {"  a", "<p> &nbsp;a</p>\r\n"},
        {"\n  a", "<p><br>\r\n &nbsp;a</p>\r\n"},
        // CR LF line ends: CR dropped, the LF still starts the line.
        {"a\r\n  b\r\n", "<p>a<br>\r\n&nbsp; b<br>\r\n</p>\r\n"},
        // The three HTML characters, quotes untouched.
        {"<a href=\"x\">&amp;", "<p>&lt;a href=\"x\"&gt;&amp;amp;</p>\r\n"},
        // A lone space.
        {" ", "<p> </p>\r\n"},
    };
    DecodeContext context;
    for (const Row& row : rows) {
        EXPECT_EQ(runConverter(plainToHtml, context, row.in), row.out) << row.in;
    }
}

TEST(PlainToHtml, WritesBufferBSoAnInputInBufferASurvives) {
    DecodeContext context;
    const char* start = "one\n\n\ntwo";
    const char* end = start + 9;
    enrichedToPlain(context, start, end);
    ASSERT_EQ(start, context.bufferA().data());
    plainToHtml(context, start, end);
    EXPECT_EQ(start, context.bufferB().data());
    EXPECT_EQ(std::string(start, end), "<p>one<br>\r\ntwo</p>\r\n");
}

TEST(PlainToHtml, LongRunsOfSpacesAndBreaksFitTheRoom) {
    DecodeContext context;
    const std::string spaces(10000, ' ');
    const std::string out = runConverter(plainToHtml, context, "\n\n" + spaces);
    EXPECT_EQ(out.size(), 3 + 12 + 5000 * 7 + 6);
    EXPECT_EQ(out.substr(out.size() - 13), "&nbsp; </p>\r\n");
}

TEST(LinesToParagraphs, Markup) {
    const Row rows[] = {
        // One paragraph per line; an empty line (CR only) is "&nbsp;".
        {"a\r\n\r\nb\n", "<p>a</p>\r\n\r\n<p>&nbsp;</p>\r\n\r\n<p>b</p>\r\n\r\n"},
        // The last line without LF stays open.
        {"a\nb", "<p>a</p>\r\n\r\n<p>b"},
        // Message text is escaped.
        {"x < y & <b>", "<p>x &lt; y &amp; &lt;b&gt;"},
        {"", ""},
    };
    DecodeContext context;
    for (const Row& row : rows) {
        EXPECT_EQ(runConverter(linesToParagraphs, context, row.in), row.out) << row.in;
    }
}

TEST(LinesToParagraphs, ManyEmptyLinesFitTheRoom) {
    DecodeContext context;
    const std::string out = runConverter(linesToParagraphs, context, std::string(5000, '\n'));
    EXPECT_EQ(out.size(), 5000u * 17);
    EXPECT_EQ(out.substr(out.size() - 17), "<p>&nbsp;</p>\r\n\r\n");
}

TEST(EnrichedToPlain, CollapsesLineBreaks) {
    const Row rows[] = {
        // A run of CRs and LFs after a LF is one line end.
        {"a\r\n\r\n\nb\nc", "a\r\nb\r\nc"},
        // A CR alone is dropped, not a line end.
        {"a\rb", "ab"},
        // Commands pass through as text.
        {"<bold>x</bold>", "<bold>x</bold>"},
        {"\n\n", "\r\n"},
        {"", ""},
    };
    DecodeContext context;
    for (const Row& row : rows) {
        EXPECT_EQ(runConverter(enrichedToPlain, context, row.in), row.out) << row.in;
    }
}

TEST(EnrichedToPlain, ShortLinesGrowBeyondTheInputLength) {
    // Every LF becomes CR LF: one and a half times the input here.
    std::string in;
    for (int i = 0; i < 4000; ++i) in += "a\n";
    DecodeContext context;
    const std::string out = runConverter(enrichedToPlain, context, in);
    EXPECT_EQ(out.size(), 4000u * 3);
    EXPECT_EQ(out.substr(out.size() - 3), "a\r\n");
}

TEST(NonBreakingSpaces, EverySpace) {
    EXPECT_EQ(nonBreakingSpaces("a b  c "), "a&nbsp;b&nbsp;&nbsp;c&nbsp;");
    EXPECT_EQ(nonBreakingSpaces(""), "");
    EXPECT_EQ(nonBreakingSpaces("\tx"), "\tx");
}

}  // namespace
}  // namespace tessaly
