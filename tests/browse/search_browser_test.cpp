// search_browser_test.cpp - search.html in a real browser from file://:
// the same results as searchArchive, and clear lines for damaged or
// missing search files. Skipped when chromium is not installed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "browse/browse_paths.h"
#include "browse/search_index.h"
#include "platform/ascii.h"
#include "support/temp_dir.h"

namespace tessaly {
namespace {

std::string urlQuery(std::string_view text) { return percentEncoded(text, ""); }

std::string pageDom(const test::TempDir& dir, const std::string& query) {
    const std::string command = "timeout 60 chromium --headless --no-sandbox --disable-gpu --no-first-run "
                                "--disable-background-networking --user-data-dir=" + dir.file("profile") +
                                " --dump-dom 'file://" + dir.file("search.html") + "?q=" + urlQuery(query) +
                                "' 2>/dev/null > " + dir.file("dom.html");
    if (std::system(command.c_str()) != 0) return "";
    return test::readFile(dir.file("dom.html"));
}

std::vector<std::string> subjectLinks(const std::string& dom) {
    std::vector<std::string> links;
    const std::regex link("<a href=\"([^\"]*)\" class=\"result-subject\"");
    for (auto it = std::sregex_iterator(dom.begin(), dom.end(), link); it != std::sregex_iterator(); ++it) links.push_back((*it)[1]);
    return links;
}

class SearchBrowser : public testing::Test {
protected:
    void SetUp() override {
        if (std::system("command -v chromium >/dev/null 2>&1") != 0) GTEST_SKIP() << "chromium is not installed";
    }
};

TEST_F(SearchBrowser, FindsWhatSearchArchiveFinds) {
    test::TempDir dir;
    const struct {
        const char* path;
        int64_t date;
        const char* from;
        const char* subject;
        const char* text;
    } messages[] = {
        {"Inbox/Résumé #1.html", 1100000000, "José Müller <jose@example.org>", "Résumé attached", "Please find my résumé attached."},
        {"Inbox/b.html", 1100086400, "Bob <bob@example.org>", "Budget 2005", "The budget meeting moves to Zürich."},
        {"Sent/c.html", 1200000000, "Me <me@example.org>", "東京の会議", "東京都庁で会議があります。"},
        {"Sent/d.html", 1300000000, "Мария <maria@example.org>", "Привет", "Встреча в пятницу. <script>alert(1)</script>"},
        {"Sent/e.html", 1300086400, "Bob <bob@example.org>", "Re: Budget 2005", "Budgets approved; see you at the meeting."},
    };
    SearchUpdate update(dir.path(), true);
    for (const auto& m : messages) {
        CatalogueRow row;
        row.path = m.path;
        row.date = m.date;
        row.from = m.from;
        row.subject = m.subject;
        row.text = m.text;
        update.add(row);
    }
    ASSERT_TRUE(update.finish());
    for (const std::string query : {"resume", "RÉSUMÉ", "budget meet", "from:bob budget", "東京", "会議", "встреча",
                                    "budget after:2005-01-01", "budget before:2004-11-10", "\"budget meeting\"", "alert"}) {
        std::string error;
        std::vector<std::string> expected;
        for (const std::string& path : searchArchive(dir.path(), query, &error)) expected.push_back(urlPath(path));
        ASSERT_EQ(error, "");
        const std::string dom = pageDom(dir, query);
        EXPECT_EQ(subjectLinks(dom), expected) << query;
        if (expected.empty()) {
            EXPECT_NE(dom.find("No messages match"), std::string::npos) << query;
        }
        EXPECT_EQ(dom.find("<script>alert"), std::string::npos) << query;  // message text stays text
    }
    const std::string marked = pageDom(dir, "resume");
    EXPECT_NE(marked.find("<mark>résumé</mark>"), std::string::npos) << marked;

    // A cut-off term file: a clear line, not a hung page.
    const std::string terms = searchFilesPath(dir.path()) + "s1-t0.js";
    const std::string whole = test::readFile(terms);
    test::writeFile(terms, whole.substr(0, whole.size() / 2));
    EXPECT_NE(pageDom(dir, "budget").find("The search files are damaged (s1-t0.js)"), std::string::npos);
    std::remove((searchFilesPath(dir.path()) + "index.js").c_str());
    EXPECT_NE(pageDom(dir, "budget").find("This archive has no search files yet"), std::string::npos);
}

}  // namespace
}  // namespace tessaly
