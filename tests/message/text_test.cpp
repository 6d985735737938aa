// text_test.cpp - the name and text utilities on ordinary and awkward input.
#include "message/text.h"

#include <gtest/gtest.h>

#include <string>

namespace tessaly {
namespace {

struct Row {
    const char* input;
    const char* expected;
};

TEST(TextUtilities, TrimWhite) {
    const Row rows[] = {
        {"  a b \t", "a b"},        // inner blanks stay
        {"\r\n\t x\r\n", "x"},      // all four white bytes go at both ends
        {" \r\n\t ", ""},           // nothing but white
        {"", ""},
        {"\va\v", "\va\v"},         // vertical tab is not white here
    };
    for (const Row& row : rows) EXPECT_EQ(trimWhite(row.input), row.expected) << row.input;
}

TEST(TextUtilities, StripEnclosing) {
    const Row rows[] = {
        {"<id@host>", "id@host"},
        {"<\"inner\">", "inner"},    // wrapped twice
        {"<>", "<>"},                // two bytes stay
        {"<a>", "a"},                // three bytes is enough
        {"\"<>\"", "<>"},            // stops when only two are left
        {"[(x)]", "x"},
        {"'x'", "x"},
        {"<x)", "<x)"},              // not a pair
        {"(x(", "(x("},
        {"", ""},
        {"<", "<"},
    };
    for (const Row& row : rows) EXPECT_EQ(stripEnclosing(row.input), row.expected) << row.input;
}

TEST(TextUtilities, SafeFileText) {
    const Row rows[] = {
        {"Re: what?   now", "Re what now"},          // colon, question mark, run of spaces
        {"a\"*/:<>?\\|b", "ab"},                     // every forbidden character
        {"tab\there\x01", "tabhere"},                // control bytes go
        {"  lead and trail  ", "lead and trail"},
        {"x : y", "x y"},                            // spaces meet once the colon goes
        {"\r\n", ""},
        {"caf\xc3\xa9", "caf\xc3\xa9"},              // 8-bit bytes pass
    };
    for (const Row& row : rows) EXPECT_EQ(safeFileText(row.input), row.expected) << row.input;
}

TEST(TextUtilities, PathPieces) {
    EXPECT_EQ(baseName("C:\\mail\\inbox.dbx"), "inbox.dbx");
    EXPECT_EQ(baseName("/home/u/inbox"), "inbox");
    EXPECT_EQ(baseName("vol:file"), "file");    // Macintosh separator
    EXPECT_EQ(baseName("plain"), "plain");
    EXPECT_EQ(baseName("dir/"), "");
    EXPECT_EQ(directoryOf("a/b\\c"), "a/b");
    EXPECT_EQ(directoryOf("plain"), "plain");    // the whole text when there is none
    EXPECT_EQ(directoryOf("/x"), "");
    EXPECT_EQ(withoutTrailingSlash("a/b/"), "a/b");
    EXPECT_EQ(withoutTrailingSlash("a\\b\\"), "a\\b");
    EXPECT_EQ(withoutTrailingSlash("a//"), "a/");  // only one
    EXPECT_EQ(withoutTrailingSlash("a:"), "a:");
    EXPECT_EQ(withoutTrailingSlash(""), "");
}

TEST(TextUtilities, Extensions) {
    const Row rows[] = {
        {"report.pdf", ".pdf"},
        {"archive.tar.gz", ".gz"},
        {"dir.d/file", ""},       // the dot is in the folder
        {"dir.d\\file", ""},
        {"vol.x:file", ""},
        {"name.", "."},
        {".profile", ".profile"},
        {"", ""},
    };
    for (const Row& row : rows) EXPECT_EQ(extensionOf(row.input), row.expected) << row.input;

    EXPECT_EQ(replaceExtension("report.pdf", ".txt"), "report.txt");
    EXPECT_EQ(replaceExtension("dir.d/file", ".txt"), "dir.d/file.txt");
    EXPECT_EQ(replaceExtension("noext", ".html"), "noext.html");
    EXPECT_EQ(replaceExtension("a.b.c", ""), "a.b");
}

TEST(TextUtilities, TextBeforeSign) {
    EXPECT_EQ(textBeforeSign("0200 (CEST)"), "0200 (CEST)");
    EXPECT_EQ(textBeforeSign("10:00 +0200"), "10:00 ");
    EXPECT_EQ(textBeforeSign("x-y+z"), "x");
    EXPECT_EQ(textBeforeSign("-lead"), "");
}

TEST(TextUtilities, HeaderParameter) {
    const std::string type = "multipart/mixed; boundary=\"==abc def\"; charset=us-ascii x";
    EXPECT_EQ(headerParameter(type, "boundary"), "==abc def");  // quoted, with a space
    EXPECT_EQ(headerParameter(type, "charset"), "us-ascii");    // up to the space
    EXPECT_EQ(headerParameter(type, "name"), "");
    EXPECT_EQ(headerParameter("a; boundary=\"open", "boundary"), "open");  // no closing quote
    EXPECT_EQ(headerParameter("a; boundary=", "boundary"), "");
    EXPECT_EQ(headerParameter("a; boundary=\"", "boundary"), "");
    EXPECT_EQ(headerParameter("a; Boundary=x", "boundary"), "");           // case-sensitive
}

TEST(TextUtilities, NamedParameter) {
    const Row rows[] = {
        {"attachment; filename=\"a;b.txt\"", "a;b.txt"},     // ";" inside quotes
        {"application/pdf; NAME=Report.PDF", "Report.PDF"},  // capitals
        {"inline; FileName=x.doc; name=y.doc", "x.doc"},     // the first piece wins
        {"attachment", ""},
        {"attachment; filename=", ""},
        {"attachment; filename=\"", "\""},                   // a lone quote is kept
        {"attachment; filename=\"\"", ""},
        {"attachment;   filename=\"x y.txt\"  ", "x y.txt"}, // pieces are trimmed
        {"text/plain; myname=a", ""},                        // must begin the piece
        {"", ""},
    };
    for (const Row& row : rows) EXPECT_EQ(namedParameter(row.input), row.expected) << row.input;
}

TEST(TextUtilities, HexText) {
    EXPECT_EQ(hexText("4d535744"), "MSWD");     // a Macintosh code
    EXPECT_EQ(hexText("4D5"), "M");              // odd last byte ignored
    EXPECT_EQ(hexText(""), "");
    EXPECT_EQ(hexText("zz41"), "\r\nzzA");       // bad pair kept after CR LF
    EXPECT_EQ(hexText("4g"), "\r\n4g");
    EXPECT_EQ(hexText("ff00"), std::string("\xff\0", 2));
}

TEST(TextUtilities, MacExtension) {
    EXPECT_EQ(macExtension("W8BN", "MSWD").creatorExtension, ".doc");
    EXPECT_EQ(macExtension("W8BN", "MSWD").pairExtension, ".doc");
    EXPECT_EQ(macExtension("TEXT", "MSWD").pairExtension, "");
    EXPECT_EQ(macExtension("XLS8", "MSXL").creatorExtension, ".xls");
    EXPECT_EQ(macExtension("XLS8", "MSXL").pairExtension, "");
    EXPECT_EQ(macExtension("dDrw", "cDrw").pairExtension, ".cdr");
    EXPECT_EQ(macExtension("W8BN", "mswd").creatorExtension, "");  // exact case
    EXPECT_EQ(macExtension("", "").creatorExtension, "");
}

TEST(TextUtilities, ChecksumKeyText) {
    EXPECT_EQ(checksumKeyText(0), "000000");
    EXPECT_EQ(checksumKeyText(31), "v00000");
    EXPECT_EQ(checksumKeyText(32), "010000");
    EXPECT_EQ(checksumKeyText(0xC0000000u), "000000");  // bits 30 and 31 unused
    EXPECT_EQ(checksumKeyText(0x3fffffffu), "vvvvvv");
}

TEST(TextUtilities, HtmlEscape) {
    EXPECT_EQ(htmlEscape("a<b>&c\"'"), "a&lt;b&gt;&amp;c\"'");
    EXPECT_EQ(htmlEscape("&amp;"), "&amp;amp;");
    EXPECT_EQ(htmlEscape(""), "");
}

}  // namespace
}  // namespace tessaly
