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
        // Escaped braces and backslash.
        {"{\\*\\htmltag1 <p>}\\{x\\} C:\\\\dir", "<p>{x} C:\\dir"},
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

// HTML with characters beyond ASCII starts with the UTF-8 byte-order mark,
// which browsers obey over the charset of the HTML's own meta line.
const std::string kMark = "\xEF\xBB\xBF";

std::string rtfWithCodePage(const std::string& codePage, const std::string& body) {
    return "{\\rtf1\\ansi" + codePage + "\\fromhtml1 \\deff0{\\fonttbl{\\f0 Arial;}}" + body;
}

TEST(RtfToHtml, EscapedCharactersInUtf8) {
    const struct {
        std::string codePage;  // the header's code page word
        std::string body;
        std::string html;
    } rows[] = {
        // No code page: windows-1252, as RTF readers assume.
        {"", "{\\*\\htmltag1 <p>}caf\\'e9 \\'80", kMark + "<p>caf\u00e9 \u20ac"},
        {"\\ansicpg1251", "{\\*\\htmltag1 <p>}\\'cf\\'f0\\'e8", kMark + "<p>\u041f\u0440\u0438"},
        {"\\ansicpg1253", "{\\*\\htmltag1 <p>}\\'e1", kMark + "<p>\u03b1"},
        // Two escapes make one character of a double-byte code page, also
        // across a line break.
        {"\\ansicpg932", "{\\*\\htmltag1 <p>}\\'82\\'a0\\'82\r\n\\'a2", kMark + "<p>\u3042\u3044"},
        {"\\ansicpg936", "{\\*\\htmltag1 <p>}\\'d6\\'d0", kMark + "<p>\u4e2d"},
        // Bytes the code page does not have are read as windows-1252.
        {"\\ansicpg932", "{\\*\\htmltag1 <p>}\\'82x", kMark + "<p>\u201ax"},
        // \uN with the fallback character after it skipped; negative
        // numbers are the units above 32767, a pair one character.
        {"", "{\\*\\htmltag1 <p>}\\u1055 ?x", kMark + "<p>\u041fx"},
        {"", "{\\*\\htmltag1 <p>}\\u-10179?\\u-8704?", kMark + "<p>\U0001F600"},
        {"", "{\\*\\htmltag1 <p>}\\uc2\\u1055\\'3f\\'3fx\\uc0\\u1056 y", kMark + "<p>\u041fx\u0420y"},
        // A lone half of a pair, and one cut off at the end.
        {"", "{\\*\\htmltag1 <p>}\\u-10179?x", kMark + "<p>\ufffdx"},
        {"", "{\\*\\htmltag1 <p>}\\u-10179", kMark + "<p>\ufffd"},
        // A stray 8-bit byte (RTF is 7-bit) is read in the code page too.
        {"", "{\\*\\htmltag1 <p>}\xe9t\xe9", kMark + "<p>\u00e9t\u00e9"},
        // Control words that only start like \uN stay as they were; ASCII
        // HTML gets no mark.
        {"", "{\\*\\htmltag1 <p>}\\ul x\\u", "<p>\\ul x\\u"},
        {"\\ansicpg1251", "{\\*\\htmltag1 <p>}\\'41", "<p>A"},
    };
    DecodeContext context;
    for (const auto& row : rows) {
        EXPECT_EQ(runConverter(rtfToHtml, context, rtfWithCodePage(row.codePage, row.body)), row.html)
            << row.codePage << row.body;
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
