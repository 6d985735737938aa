// flowed_text_test.cpp - format=flowed and quoted-printable text as HTML
// paragraphs, and flowed text as plain text, markup byte for byte.
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

TEST(FlowedToHtml, Markup) {
    const Row rows[] = {
        // Two soft-broken lines, a hard break and an empty line.
        {"line one \nline two\n\nnext",
         "<p>line one\r\nline two</p>\r\n\r\n<p>&nbsp;</p>\r\n<p>next"},
        // The same with CR LF line ends.
        {"line one \r\nline two\r\n\r\nnext",
         "<p>line one\r\nline two</p>\r\n\r\n<p>&nbsp;</p>\r\n<p>next"},
        // A hard break after a soft one with no empty line: the paragraph
        // closes and the LF is written raw after the new "<p>".
        {"a \nb\nc", "<p>a\r\nb</p>\r\n\r\n<p>\nc"},
        // Hard breaks without soft ones are "<br>".
        {"a\nb\nc", "<p>a<br>\r\nb<br>\r\nc"},
        // A hard break before an empty line closes the paragraph.
        {"a\n\nb", "<p>a</p>\r\n\r\n<p>&nbsp;</p>\r\n<p>b"},
        // One stuffed space after a line end is removed, a second one kept.
        {"a\n b\n  c", "<p>a<br>\r\nb<br>\r\n c"},
        // A leading space at the very start is stuffing too.
        {" a", "<p>a"},
        // Inner runs of spaces survive; a trailing one does not.
        {"a  b ", "<p>a  b"},
        // The HTML characters.
        {"<&>", "<p>&lt;&amp;&gt;"},
        // A LF before any content is written raw.
        {"\nx", "<p>\nx"},
        {"", ""},
    };
    DecodeContext context;
    for (const Row& row : rows) {
        EXPECT_EQ(runConverter(flowedToHtml, context, row.in), row.out) << row.in;
    }
}

TEST(FlowedToHtml, SignatureLinesStayPlainLines) {
    DecodeContext context;
    // After "-- " soft breaks no longer make the paragraph flowed, so the
    // hard break after "Smith" stays a "<br>".
    EXPECT_EQ(runConverter(flowedToHtml, context, "Hi\n-- \nJohn \nSmith\nPhone"),
              "<p>Hi<br>\r\n--<br>\r\nJohn\r\nSmith<br>\r\nPhone");
    // Without the separator the same lines close a paragraph.
    EXPECT_EQ(runConverter(flowedToHtml, context, "Hi\n--x\nJohn \nSmith\nPhone"),
              "<p>Hi<br>\r\n--x<br>\r\nJohn\r\nSmith</p>\r\n\r\n<p>\nPhone");
    // A separator too close to the start counts as a soft break.
    EXPECT_EQ(runConverter(flowedToHtml, context, "\n-- \nJo"), "<p>\n--\r\nJo");
}

TEST(FlowedToHtml, WorstCaseGrowthFitsTheRoom) {
    // Each "x \ny\n" closes a flowed paragraph and reopens one on the LF.
    std::string in;
    for (int i = 0; i < 3000; ++i) in += "x \ny\n";
    DecodeContext context;
    const std::string out = runConverter(flowedToHtml, context, in);
    const std::string unit = "x\r\ny</p>\r\n\r\n<p>\n";
    EXPECT_EQ(out, "<p>" + [&] {
        std::string all;
        for (int i = 0; i < 3000; ++i) all += unit;
        return all;
    }());
}

TEST(QuotedPrintableToHtml, Markup) {
    const Row rows[] = {
        // Encoded HTML characters become entities.
        {"=3C=26=3E", "<p>&lt;&amp;&gt;</p>\r\n\r\n"},
        // An encoded CR is dropped.
        {"a=0Db", "<p>ab</p>\r\n\r\n"},
        // A soft break joins the lines and flows the paragraph; the hard
        // break after it closes.
        {"one =\ntwo\nthree", "<p>one two</p>\r\n\r\n<p>three</p>\r\n\r\n"},
        // A soft break with spaces and CR after the "=".
        {"one=  \r\ntwo\n", "<p>onetwo</p>\r\n\r\n"},
        // A character split by the encoder comes out whole.
        {"na=C3=\n=AFve", "<p>na\xC3\xAFve</p>\r\n\r\n"},
        // Hard breaks alone are "<br>".
        {"a\nb", "<p>a<br>\r\nb</p>\r\n\r\n"},
        // After a hard break, soft breaks no longer flow the paragraph.
        {"a\nb=\nc\nd", "<p>a<br>\r\nbc<br>\r\nd</p>\r\n\r\n"},
        // An empty line.
        {"a\n\nb", "<p>a</p>\r\n\r\n<p>&nbsp;</p>\r\n<p>b</p>\r\n\r\n"},
        {"a\r\n\r\nb", "<p>a</p>\r\n\r\n<p>&nbsp;</p>\r\n<p>b</p>\r\n\r\n"},
        // A flowed paragraph before an empty line.
        {"a=\nb\n\nc", "<p>ab</p>\r\n\r\n<p>&nbsp;</p>\r\n<p>c</p>\r\n\r\n"},
        // An invalid pair: CR, LF and the two bytes, escaped.
        {"=<x", "<p>\r\n&lt;x</p>\r\n\r\n"},
        {"=zz!", "<p>\r\nzz!</p>\r\n\r\n"},
        // "=" with one byte left keeps both; a dangling "=" is dropped.
        {"a=4", "<p>a=4</p>\r\n\r\n"},
        {"a=", "<p>a</p>\r\n\r\n"},
        {"a=  ", "<p>a</p>\r\n\r\n"},
        // A LF with no paragraph open writes nothing.
        {"\nx", "<p>x</p>\r\n\r\n"},
        // Encoded line ends and bytes that look like marks are text.
        {"=0D\nx", "<p><br>\r\nx</p>\r\n\r\n"},
        {"a=0Ab\x01=02\n", "<p>a\nb\x01\x02<br>\r\n</p>\r\n\r\n"},
        {"", ""},
    };
    DecodeContext context;
    for (const Row& row : rows) {
        EXPECT_EQ(runConverter(quotedPrintableToHtml, context, row.in), row.out) << row.in;
        // Decoded first (as for a charset conversion), then marked up: the same.
        EXPECT_EQ(runConverter(markedTextToHtml, context, quotedPrintableToMarkedText(row.in)), row.out) << row.in;
    }
}

TEST(QuotedPrintableToHtml, WorstCaseGrowthFitsTheRoom) {
    std::string in;
    for (int i = 0; i < 3000; ++i) in += "&\n\n";
    DecodeContext context;
    const std::string out = runConverter(quotedPrintableToHtml, context, in);
    EXPECT_EQ(out.size(), 3000u * 31);
    EXPECT_EQ(out.substr(out.size() - 31), "<p>&amp;</p>\r\n\r\n<p>&nbsp;</p>\r\n");
}

TEST(FlowedToPlain, Text) {
    const Row rows[] = {
        // Soft break loses its space, stuffing is removed, lines not joined.
        {" a \nb\n c", "a\r\nb\r\nc"},
        // The space before a CR LF.
        {"abc \r\nd", "abc\r\nd"},
        // A line end within two bytes of the start keeps its space.
        {"a \nb", "a \r\nb"},
        // A line of one (stuffed) space: nothing to remove, plain CR LF.
        {"ab\n \nc", "ab\r\n\r\nc"},
        // Bare CRs are dropped.
        {"a\rb", "ab"},
        {"\n\n", "\r\n\r\n"},
        {"", ""},
    };
    DecodeContext context;
    for (const Row& row : rows) {
        EXPECT_EQ(runConverter(flowedToPlain, context, row.in), row.out) << row.in;
    }
}

}  // namespace
}  // namespace tessaly
