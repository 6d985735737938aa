// shown_html_test.cpp - which HTML parts a page shows in a frame, how the
// frame sits among the texts, and what the safe copy holds.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "archive/catalogue_row.h"
#include "archive/page_row.h"
#include "message/charsets.h"
#include "support/temp_dir.h"
#include "support/test_run.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

struct Archived {
    std::string page;
    std::vector<std::string> attachments;  // names, sorted
    std::string safeCopy;                  // the one safe copy, if any
};

Archived archived(const std::string& message) {
    test::TempDir dir;
    EXPECT_EQ(test::archiveMessages(message, dir.path()), "");
    Archived out;
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        if (entry.path().extension() == ".html") out.page = test::readFile(entry.path().string());
    }
    if (fs::exists(dir.file("attachments"))) {
        for (const auto& entry : fs::directory_iterator(dir.file("attachments"))) {
            const std::string name = entry.path().filename().string();
            out.attachments.push_back(name);
            if (name.find(" (safe copy)") != std::string::npos) out.safeCopy = test::readFile(entry.path().string());
        }
    }
    std::sort(out.attachments.begin(), out.attachments.end());
    return out;
}

const std::string kHeaders =
    "From: Ann <ann@example.org>\nTo: Bob <bob@example.com>\nSubject: Test\n"
    "Date: Thu, 20 Feb 2003 08:55:00 +0000\nMIME-Version: 1.0\n";

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(ShownHtml, AnHtmlFileAttachedByNameIsLinkedNotShown) {
    const Archived a = archived(kHeaders +
                                "Content-Type: multipart/mixed; boundary=\"m\"\n\n--m\nContent-Type: text/plain\n\n"
                                "See the page.\n--m\nContent-Type: text/html; name=\"page.html\"\n"
                                "Content-Disposition: attachment; filename=\"page.html\"\n\n<p>attached</p>\n--m--\n");
    EXPECT_TRUE(contains(a.page, ">page.html</a>"));
    EXPECT_FALSE(contains(a.page, "<iframe"));
    EXPECT_EQ(a.attachments.size(), 1u);
}

TEST(ShownHtml, FramesFollowTheirMessageAndEachBodyOnce) {
    // A text, an HTML part beside it (not its alternative: shown open), and
    // a forwarded message whose only body is HTML, under its own headers.
    const Archived a = archived(
        kHeaders +
        "Content-Type: multipart/mixed; boundary=\"m\"\n\n--m\nContent-Type: text/plain\n\nOuter text.\n"
        "--m\nContent-Type: text/html\n\n<p>Outer html</p>\n"
        "--m\nContent-Type: message/rfc822\n\nFrom: Cy <cy@example.org>\nSubject: Inner\n"
        "Content-Type: text/html\n\n<p>Inner html</p>\n--m--\n");
    const size_t text = a.page.find("Outer text.");
    const size_t first = a.page.find("<div class=\"formatted\">");
    const size_t inner = a.page.find("Inner</span>");
    const size_t second = a.page.find("<div class=\"formatted\">", first + 1);
    ASSERT_NE(second, std::string::npos) << a.page;
    EXPECT_LT(text, first);
    EXPECT_LT(first, inner);
    EXPECT_LT(inner, second);
    EXPECT_FALSE(contains(a.page, "<details"));
    EXPECT_EQ(a.page.find("<iframe", a.page.find("<iframe", second) + 1), std::string::npos);
}

TEST(ShownHtml, SafeCopyIsUtf8FromTheCharsetTheHtmlDeclaresItself) {
    // windows-1251 declared only in the HTML's meta element.
    const Archived a = archived(kHeaders +
                                "Content-Type: text/html\nContent-Transfer-Encoding: 8bit\n\n"
                                "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
                                "charset=windows-1251\"></head><body><p>\xcf\xf0\xe8\xe2\xe5\xf2</p></body></html>\n");
    EXPECT_TRUE(isValidUtf8(a.safeCopy));
    EXPECT_TRUE(contains(a.safeCopy, "<p>\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82</p>")) << a.safeCopy;
    // The original keeps its bytes.
    ASSERT_EQ(a.attachments.size(), 2u);
}

TEST(ShownHtml, FoldedFrameAddsNothingToTheSearchText) {
    const Archived a = archived(kHeaders +
                                "Content-Type: multipart/alternative; boundary=\"a\"\n\n--a\nContent-Type: text/plain\n\n"
                                "Plain words.\n--a\nContent-Type: text/html\n\n<p>Plain words.</p>\n--a--\n");
    ASSERT_TRUE(contains(a.page, "<summary>Show the formatted version</summary>"));
    EXPECT_EQ(rowFromPage(a.page, "x.html").text, "Plain words.");
}

TEST(ShownHtml, HtmlTooLargeToParseInBoundedMemoryKeepsItsLink) {
    std::string body = "<html><body>";
    while (body.size() < (8u << 20) + 16) body += "<p>A long newsletter paragraph of plain words.</p>\n";
    const Archived a = archived(kHeaders + "Content-Type: text/html\n\n" + body + "</body></html>\n");
    EXPECT_TRUE(contains(a.page, ">message.html</a>"));
    EXPECT_FALSE(contains(a.page, "<iframe"));
    EXPECT_EQ(a.attachments.size(), 1u);
}

}  // namespace
}  // namespace tessaly
