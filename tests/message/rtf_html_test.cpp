// rtf_html_test.cpp - HTML encapsulated in RTF: the two tests and the
// extraction, on sound, odd and cut-off RTF.
#include <gtest/gtest.h>

#include <string>

#include "message/body_html.h"
#include "message/converter_run.h"

namespace tessaly {
namespace {

using test::runConverter;

bool rtfHtml(std::string_view rtf) { return isRtfHtml(rtf.data(), rtf.data() + rtf.size()); }
bool rtfText(std::string_view rtf) { return isRtfText(rtf.data(), rtf.data() + rtf.size()); }

const char kHead[] = "{\\rtf1\\ansi\\fromhtml1 \\deff0{\\fonttbl{\\f0 Arial;}}";

TEST(RtfKind, Tests) {
    EXPECT_TRUE(rtfHtml(std::string(kHead) + "{\\*\\htmltag19 <html>}}"));
    // "\fromhtml" after the first htmltag group does not count.
    EXPECT_FALSE(rtfHtml("{\\rtf1{\\*\\htmltag19 <html>}\\fromhtml1}"));
    EXPECT_FALSE(rtfHtml("{\\rtf1\\fromhtml1 no tags}"));
    EXPECT_FALSE(rtfHtml(""));
    EXPECT_TRUE(rtfText("{\\rtf1\\ansi\\fromtext \\deff0 text}"));
    // Only the first "\from" decides.
    EXPECT_FALSE(rtfText("{\\rtf1\\fromhtml1 \\fromtext}"));
    EXPECT_FALSE(rtfText("{\\rtf1 plain}"));
    // A "\from" cut off at the end.
    EXPECT_FALSE(rtfText("{\\rtf1\\fromtex"));
    EXPECT_FALSE(isRtfText(nullptr, nullptr));
    EXPECT_FALSE(isRtfHtml(nullptr, nullptr));
}

struct Row {
    std::string body;  // what follows kHead
    std::string html;
};

TEST(RtfToHtml, Extraction) {
    const Row rows[] = {
        // Tag groups give their text; braces and line ends vanish.
        {"{\\*\\htmltag19 <html>}\r\n{\\*\\htmltag34 <head>}}", "<html><head>"},
        // RTF-only text between \htmlrtf and \htmlrtf0 (and one space).
        {"{\\*\\htmltag19 <b>}\\htmlrtf {\\b\\htmlrtf0 bold\\htmlrtf }\\htmlrtf0 x",
         "<b>boldx"},
        // \par, \tab and a space after each.
        {"{\\*\\htmltag1 <p>}a\\par b\\tab c\\par\\par d", "<p>a\r\nb   c\r\n\r\nd"},
        // Hexadecimal escapes, escaped braces and backslash.
        {"{\\*\\htmltag1 <p>}caf\\'e9 \\{x\\} C:\\\\dir", "<p>caf\xe9 {x} C:\\dir"},
        // Indents and list numbers are dropped.
        {"{\\*\\htmltag1 <li>}\\li720 \\fi-360 {\\pntext 1.}item", "<li>item"},
        // The rewritten tag of an mhtmltag group replaces the htmltag group
        // of the same number that follows it.
        {"{\\*\\htmltag1 <p>}{\\*\\mhtmltag84 <img src=\"cid:a\">}"
         "{\\*\\htmltag84 <img src=\"a.gif\">}{\\*\\htmltag85 <br>}",
         "<p><img src=\"cid:a\"><br>"},
        // A different number is not a duplicate.
        {"{\\*\\htmltag1 <p>}{\\*\\mhtmltag84 <a>}{\\*\\htmltag85 <b>}", "<p><a><b>"},
        // An end of RTF-only text with no start is dropped alone.
        {"{\\*\\htmltag1 <p>}\\htmlrtf0 after", "<p>after"},
        // Unknown control words are copied.
        {"{\\*\\htmltag1 <p>}\\unknown x", "<p>\\unknown x"},
    };
    DecodeContext context;
    for (const Row& row : rows) {
        EXPECT_EQ(runConverter(rtfToHtml, context, kHead + row.body), row.html) << row.body;
    }
}

TEST(RtfToHtml, NotHtmlGivesEmpty) {
    DecodeContext context;
    EXPECT_EQ(runConverter(rtfToHtml, context, "{\\rtf1\\fromtext {\\*\\htmltag1 <p>}}"), "");
    EXPECT_EQ(runConverter(rtfToHtml, context, "{\\rtf1\\fromhtml1 text}"), "");
    EXPECT_EQ(runConverter(rtfToHtml, context, ""), "");
}

TEST(RtfToHtml, CutOffControlWords) {
    const Row rows[] = {
        // A backslash as the very last byte.
        {"{\\*\\htmltag1 <p>}x\\", "<p>x\\"},
        // A hex escape cut after one digit, and after the quote.
        {"{\\*\\htmltag1 <p>}x\\'e", "<p>x\\'e"},
        {"{\\*\\htmltag1 <p>}x\\'", "<p>x\\'"},
        // A hex escape with no hex digits.
        {"{\\*\\htmltag1 <p>}\\'zz", "<p>\\'zz"},
        // An htmltag word with no number and nothing after it.
        {"{\\*\\htmltag1 <p>}{\\*\\htmltag", "<p>"},
        // A duplicate htmltag group never closed.
        {"{\\*\\htmltag1 <p>}{\\*\\mhtmltag2 <a>}{\\*\\htmltag2 <b> and the rest", "<p><a>"},
        // RTF-only text never ended.
        {"{\\*\\htmltag1 <p>}\\htmlrtf {\\b bold", "<p>"},
        // \pntext never closed.
        {"{\\*\\htmltag1 <p>}{\\pntext 1.", "<p>"},
        // Unbalanced braces.
        {"}}}{\\*\\htmltag1 <p>}}}}", "<p>"},
        // Indent word at the end.
        {"{\\*\\htmltag1 <p>}\\li", "<p>"},
        // A tag number far too long for any integer.
        {"{\\*\\htmltag1 <p>}{\\*\\mhtmltag99999999999999999999999 <a>}"
         "{\\*\\htmltag99999999999999999999999 <b>}",
         "<p><a>"},
    };
    DecodeContext context;
    for (const Row& row : rows) {
        EXPECT_EQ(runConverter(rtfToHtml, context, kHead + row.body), row.html) << row.body;
    }
}

}  // namespace
}  // namespace tessaly
