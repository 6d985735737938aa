// html_page_browser_test.cpp - message pages with HTML bodies opened in a
// real browser from file://: the body shows in its frame with the images
// it refers to, nothing in it runs, nothing is fetched. Skipped when
// chromium is not installed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/marker_server.h"
#include "support/temp_dir.h"
#include "support/test_run.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

// A 1x1 GIF.
const char kGif[] = "R0lGODlhAQABAIAAAAAAAP///yH5BAEAAAAALAAAAAABAAEAAAIBRAA7";

// An HTML-only message whose body refers to a saved image by cid and tries
// every way to run or fetch, aimed at `mark` or at the title.
std::string hostileMessage(const std::string& mark) {
    const std::string run = "document.title='ran'";
    return "From: Mallory <m@example.org>\nTo: Bob <bob@example.com>\nSubject: Offer\n"
           "Date: Thu, 20 Feb 2003 08:55:00 +0000\nMIME-Version: 1.0\n"
           "Content-Type: multipart/related; boundary=\"r\"\n\n--r\n"
           "Content-Type: text/html; charset=iso-8859-1\nContent-Transfer-Encoding: quoted-printable\n\n"
           "<html><head><title>untouched</title><base href=3D\"" + mark + "base/\"><meta http-equiv=3Drefresh "
           "content=3D\"0;url=3D" + mark + "refresh\"><link rel=3Dstylesheet href=3D\"" + mark + "link.css\">"
           "<style>body{background:url(" + mark + "css.png)}</style><script>" + run + "</script></head>"
           "<body onload=3D\"" + run + "\"><p id=3Dtext>Caf=E9</p><img id=3Dlogo src=3D\"cid:logo@x\">"
           "<img src=3D\"" + mark + "remote.png\"><img src=3Dx onerror=3D\"" + run + "\">"
           "<iframe src=3D\"" + mark + "frame\"></iframe><svg><script>" + run + "</script></svg></body></html>\n"
           "--r\nContent-Type: image/gif; name=\"logo.gif\"\nContent-ID: <logo@x>\n"
           "Content-Transfer-Encoding: base64\n\n" + kGif + "\n"
           "--r\nContent-Type: image/gif; name=\"other.gif\"\nContent-Transfer-Encoding: base64\n\n" + kGif +
           "\n--r--\n";
}

std::string alternativeMessage() {
    return "From: Frank <f@example.org>\nTo: Bob <bob@example.com>\nSubject: News\n"
           "Date: Wed, 15 Jan 2003 11:58:00 +0000\nMIME-Version: 1.0\n"
           "Content-Type: multipart/alternative; boundary=\"a\"\n\n--a\nContent-Type: text/plain\n\n"
           "Plain news.\n--a\nContent-Type: text/html\n\n<p id=text>Formatted <b>news</b>.</p>\n--a--\n";
}

fs::path pageWith(const fs::path& folder, const std::string& subject) {
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.find(subject) != std::string::npos && entry.path().extension() == ".html") return entry.path();
    }
    return {};
}

// A harness page (allowed to read file:// frames) that opens the message
// page and writes what the message's frame shows into its own title.
std::string reportOf(test::TempDir& dir, const fs::path& page) {
    const std::string harness =
        "<html><head><title>waiting</title></head><body><iframe id=page width=900 height=800 src=\"file://" +
        page.string() + "\"></iframe><script>\n"
        "document.getElementById('page').onload = function() { setTimeout(function() {\n"
        "  try {\n"
        "    var page = document.getElementById('page').contentDocument;\n"
        "    var frame = page.querySelector('iframe'), inner = frame.contentDocument;\n"
        "    var logo = inner.getElementById('logo'), folded = frame.closest('details');\n"
        "    document.title = 'text=' + inner.getElementById('text').textContent +\n"
        "      ' logo=' + (logo ? logo.naturalWidth : 'none') + ' inner=' + inner.title +\n"
        "      ' sandbox=' + frame.getAttribute('sandbox') + ' folded=' + (folded ? !folded.open : 'no') +\n"
        "      ' images=' + page.querySelectorAll('.images img').length;\n"
        "  } catch (e) { document.title = 'error ' + e; }\n"
        "}, 1500); };\n</script></body></html>";
    test::writeFile(dir.file("harness.html"), harness);
    const std::string dom =
        test::chromiumDom("file://" + dir.file("harness.html"), dir.file("profile"), "--allow-file-access-from-files");
    const size_t open = dom.find("<title>");
    return open == std::string::npos ? dom : dom.substr(open + 7, dom.find("</title>") - open - 7);
}

class PageBrowser : public testing::Test {
protected:
    void SetUp() override {
        if (std::system("command -v chromium >/dev/null 2>&1") != 0) GTEST_SKIP() << "chromium is not installed";
        if (server_.port() == 0) GTEST_SKIP() << "no loopback socket";
    }

    test::MarkerServer server_;
    test::TempDir dir_;
};

TEST_F(PageBrowser, HtmlOnlyBodyShowsInItsFrameWithItsImageAndRunsNothing) {
    const std::string mark = "http://127.0.0.1:" + std::to_string(server_.port()) + "/";
    test::archiveMessages(hostileMessage(mark), dir_.file("archive"));
    const fs::path page = pageWith(dir_.file("archive"), "Offer");
    ASSERT_FALSE(page.empty());
    const std::string report = reportOf(dir_, page);
    // The text in UTF-8, the cid image loaded (1 pixel wide), the title not
    // changed by any script; the referred image is not repeated below, the
    // other one is.
    EXPECT_EQ(report,
              "text=Caf\xc3\xa9 logo=1 inner=untouched sandbox=allow-same-origin allow-popups "
              "allow-popups-to-escape-sandbox folded=no images=1");
    EXPECT_TRUE(server_.requests().empty()) << server_.requests().front();
}

TEST_F(PageBrowser, AlternativeKeepsTheTextAndFoldsTheFormattedVersion) {
    test::archiveMessages(alternativeMessage(), dir_.file("archive"));
    const fs::path page = pageWith(dir_.file("archive"), "News");
    ASSERT_FALSE(page.empty());
    EXPECT_NE(test::readFile(page.string()).find("Plain news."), std::string::npos);
    const std::string report = reportOf(dir_, page);
    EXPECT_EQ(report.substr(0, report.find(" logo=")), "text=Formatted news.") << report;
    EXPECT_NE(report.find("folded=true images=0"), std::string::npos) << report;
}

}  // namespace
}  // namespace tessaly
