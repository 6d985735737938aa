// html_sanitizer_browser_test.cpp - hostile mail and its safe copy opened in
// a real browser from file://: the copy runs nothing (the title stays) and
// fetches nothing (a local server sees no request). Skipped when chromium is
// not installed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "message/html_sanitizer.h"
#include "support/marker_server.h"
#include "support/temp_dir.h"

namespace tessaly {
namespace {

// Every way mail has to run script or to fetch, aimed at the server at
// MARK ("http://127.0.0.1:port/") or at the title.
std::string hostileMail(const std::string& mark) {
    const std::string run = "document.title='ran'";
    return "<html><head><title>untouched</title><base href=\"" + mark + "base/\">"
           "<link rel=stylesheet href=\"" + mark + "link.css\"><style>@import '" + mark + "import.css'; body{background:url(" + mark +
           "css.png)} p{background:u\\72l(" + mark + "escape.png)}</style><script>" + run + "</script></head>"
           "<body onload=\"" + run + "\" background=\"" + mark + "body.png\"><p>text</p>"
           "<img src=x onerror=\"" + run + "\"><img src=\"" + mark + "remote.png\"><img src=relative.png>"
           "<svg><script>" + run + "</script><image href=\"" + mark + "svg.png\"/></svg>"
           "<iframe src=\"" + mark + "frame\"></iframe><object data=\"" + mark + "object\"></object>"
           "<embed src=\"" + mark + "embed\"><video poster=\"" + mark + "poster.png\"></video>"
           "<form action=\"" + mark + "form\"><input type=image src=\"" + mark + "input.png\"></form>"
           "<div style=\"background-image:url(" + mark + "style.png)\">x</div>"
           "<table background=\"" + mark + "table.png\"><tr><td>x</td></tr></table>"
           "<a id=link href=\"&#106;avascript:" + run + "\">link</a>"
           "<img src=\"data:image/svg+xml,<svg xmlns='http://www.w3.org/2000/svg' onload=&quot;" + run + "&quot;/>\">"
           "<details open ontoggle=\"" + run + "\">x</details></body></html>";
}

class SanitizerBrowser : public testing::Test {
protected:
    void SetUp() override {
        if (std::system("command -v chromium >/dev/null 2>&1") != 0) GTEST_SKIP() << "chromium is not installed";
        if (server_.port() == 0) GTEST_SKIP() << "no loopback socket";
    }

    // The page's DOM after load, as chromium leaves it.
    std::string dom(const std::string& name, const std::string& html) {
        test::writeFile(dir_.file(name), html);
        return test::chromiumDom("file://" + dir_.file(name), dir_.file("profile"));
    }

    test::MarkerServer server_;
    test::TempDir dir_;
};

TEST_F(SanitizerBrowser, TheCopyRunsAndFetchesNothing) {
    const std::string mark = "http://127.0.0.1:" + std::to_string(server_.port()) + "/";
    const std::string mail = hostileMail(mark);
    // The original shows the harness sees both.
    const std::string original = dom("original.html", mail);
    ASSERT_NE(original.find("<title>ran</title>"), std::string::npos) << original;
    ASSERT_FALSE(server_.requests().empty());

    const size_t before = server_.requests().size();
    const std::string copy = dom("copy.html", sanitizeHtml(mail, nullptr));
    ASSERT_NE(copy.find("<p>text</p>"), std::string::npos) << copy;
    EXPECT_NE(copy.find("<title>untouched</title>"), std::string::npos) << copy;
    const std::vector<std::string> requests = server_.requests();
    EXPECT_EQ(requests.size(), before) << requests.back();
}

}  // namespace
}  // namespace tessaly
