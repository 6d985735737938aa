// browse_pages_test.cpp - the browse pages on disk: escaping, UTF-8,
// paging, links that resolve, stale pages, stable bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "browse/browse_pages.h"
#include "browse/browse_paths.h"
#include "browse/page_dates.h"
#include "message/charsets.h"
#include "support/temp_dir.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

CatalogueRow row(const std::string& path, int64_t date, const std::string& subject, const std::string& from,
                 const std::string& id = "", const std::string& references = "") {
    CatalogueRow r;
    r.path = path;
    r.dir = path.substr(0, path.rfind('/') + 1);
    r.date = date;
    r.subject = subject;
    r.from = from;
    r.messageId = id;
    r.references = references;
    return r;
}

// Every file under `root`, relative, with its bytes.
std::map<std::string, std::string> filesUnder(const std::string& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file()) {
            files[fs::relative(entry.path(), root).string()] = test::readFile(entry.path().string());
        }
    }
    return files;
}

// The pages this layer writes: index.html and those under .tessaly/.
std::map<std::string, std::string> pagesUnder(const std::string& root) {
    std::map<std::string, std::string> pages;
    for (auto& [name, bytes] : filesUnder(root)) {
        const bool html = name.size() > 5 && name.substr(name.size() - 5) == ".html";
        if (name == "index.html" || (html && name.rfind(".tessaly/", 0) == 0)) {
            pages[name] = bytes;
        }
    }
    return pages;
}

std::string percentDecoded(const std::string& link) {
    std::string out;
    for (size_t i = 0; i < link.size(); ++i) {
        if (link[i] == '%' && i + 2 < link.size()) {
            out += static_cast<char>(std::stoi(link.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += link[i];
        }
    }
    return out;
}

// Each href and the stylesheet link of every page, resolved against the
// page's folder, must name a file inside the archive.
void expectLinksResolve(const std::string& root) {
    const std::regex href("(?:href|action)=\"([^\"]*)\"");
    const fs::path base = fs::path(root).lexically_normal();
    size_t checked = 0;
    for (const auto& [page, bytes] : pagesUnder(root)) {
        for (auto it = std::sregex_iterator(bytes.begin(), bytes.end(), href); it != std::sregex_iterator(); ++it) {
            std::string link = (*it)[1];
            if (link.empty() || link[0] == '#') continue;
            link = link.substr(0, link.find_first_of("?#"));
            const fs::path target = (base / fs::path(page).parent_path() / percentDecoded(link)).lexically_normal();
            EXPECT_TRUE(fs::exists(target)) << page << " links " << (*it)[1];
            EXPECT_EQ(target.string().rfind(base.string(), 0), 0u) << page << " links outside: " << (*it)[1];
            ++checked;
        }
    }
    EXPECT_GT(checked, 0u);
}

void makeMessageFiles(const std::string& root, const std::vector<CatalogueRow>& rows) {
    for (const CatalogueRow& r : rows) {
        fs::create_directories(fs::path(root) / r.dir);
        test::writeFile(root + "/" + r.path, "<html>message</html>");
    }
}

FolderSummary summaryOf(const std::string& dir, const std::string& name, const std::vector<CatalogueRow>& rows) {
    FolderSummary s{dir, name, rows.size(), 0, 0};
    for (size_t i = 0; i < rows.size(); ++i) {
        s.first = i ? std::min(s.first, rows[i].date) : rows[i].date;
        s.last = i ? std::max(s.last, rows[i].date) : rows[i].date;
    }
    return s;
}

size_t occurrences(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

TEST(FolderPages, EscapesHostileTextAndStaysUtf8) {
    test::TempDir dir;
    const std::string hostile = "<script>alert(\"x\")</script> & 'q' \x01";
    std::vector<CatalogueRow> rows = {
        row("In <b>/a \"1\" & #?.html", 1044264540, hostile, hostile + " <evil@x\">", "<a@x>"),
        row("In <b>/b.html", 1044264600, "Re: " + hostile, "Caf\xE9 \xFF\xFE <b@x>", "<b@x>", "<a@x>"),
        row("In <b>/c.html", 1044264660, "Cut \xE2\x82", "", ""),
    };
    rows[1].text = hostile + " caf\xE9";
    makeMessageFiles(dir.path(), rows);
    test::writeFile(dir.file("search.html"), "");
    ASSERT_TRUE(writeFolderPages(dir.path(), summaryOf("In <b>/", "In <b> \"&\"", rows), rows));
    ArchiveSummary archive{{summaryOf("In <b>/", "In <b> \"&\"", rows)}, {{2003, 3}}, 3};
    ASSERT_TRUE(writeRootIndex(dir.path(), archive));

    const auto pages = pagesUnder(dir.path());
    ASSERT_GE(pages.size(), 5u);  // index, messages, threads, people, one thread page
    for (const auto& [name, bytes] : pages) {
        EXPECT_EQ(bytes.rfind("<!DOCTYPE html>\n", 0), 0u) << name;
        EXPECT_NE(bytes.find("<meta charset=\"utf-8\">"), std::string::npos) << name;
        EXPECT_NE(bytes.find("name=\"viewport\""), std::string::npos) << name;
        EXPECT_NE(bytes.find("<input type=\"search\" name=\"q\""), std::string::npos) << name;
        EXPECT_TRUE(isValidUtf8(bytes)) << name;
        EXPECT_EQ(bytes.find("<script"), std::string::npos) << name;
        EXPECT_EQ(bytes.find("<b>"), std::string::npos) << name;
        EXPECT_EQ(bytes.find("evil@x\">"), std::string::npos) << name;
        EXPECT_EQ(bytes.find('\x01'), std::string::npos) << name;
    }
    const std::string& list = pages.at(folderPagesRelative("In <b>/") + "messages-1.html");
    EXPECT_NE(list.find("&lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt; &amp; 'q'"), std::string::npos);
    EXPECT_NE(list.find("2003-02-03 09:29"), std::string::npos);  // UTC
    expectLinksResolve(dir.path());
}

TEST(FolderPages, PagesOfFiveHundredWithNavigation) {
    test::TempDir dir;
    std::vector<CatalogueRow> rows;
    for (int i = 0; i < 1201; ++i) {
        rows.push_back(row("Inbox/m" + std::to_string(i) + ".html", 1000000000 + int64_t(i) * 3600 * 7, "S", "A <a@x>"));
    }
    makeMessageFiles(dir.path(), rows);
    test::writeFile(dir.file("search.html"), "");
    ASSERT_TRUE(writeFolderPages(dir.path(), summaryOf("Inbox/", "Inbox", rows), rows));
    ASSERT_TRUE(writeRootIndex(dir.path(), ArchiveSummary{{summaryOf("Inbox/", "Inbox", rows)}, {}, rows.size()}));
    const std::string folder = folderPagesPath(dir.path(), "Inbox/");
    const size_t expected[] = {500, 500, 201};
    for (int p = 1; p <= 3; ++p) {
        const std::string page = test::readFile(folder + "messages-" + std::to_string(p) + ".html");
        EXPECT_EQ(occurrences(page, "<tr>"), expected[p - 1]) << p;
        // Every page lists the whole series; the current one unlinked.
        for (int q = 1; q <= 3; ++q) {
            EXPECT_EQ(occurrences(page, "href=\"messages-" + std::to_string(q) + ".html\""), q == p ? 0u : 2u)
                << p << " " << q;
        }
        EXPECT_EQ(occurrences(page, "aria-current=\"page\">"), 2u + 1u);  // two navigations and the tab
    }
    EXPECT_FALSE(fs::exists(folder + "messages-4.html"));
    // Newest first: the newest message leads page 1, the oldest ends page 3.
    const std::string first = test::readFile(folder + "messages-1.html");
    EXPECT_LT(first.find(dateTimeText(rows[1200].date)), first.find(dateTimeText(rows[1199].date)));
    EXPECT_NE(test::readFile(folder + "messages-3.html").find("/m0.html"), std::string::npos);
    expectLinksResolve(dir.path());
}

TEST(FolderPages, RemovesPagesItNoLongerWritesAndKeepsTheRest) {
    test::TempDir dir;
    std::vector<CatalogueRow> rows;
    for (int i = 0; i < 1001; ++i) {
        rows.push_back(row("F/m" + std::to_string(i) + ".html", 1000 + i, "Topic", "A <a@x>", "<m" + std::to_string(i) + ">",
                           i ? "<m0>" : ""));
    }
    const std::string folder = folderPagesPath(dir.path(), "F/");
    ASSERT_TRUE(writeFolderPages(dir.path(), summaryOf("F/", "F", rows), rows));
    auto threadPages = [&] {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(folder)) {
            const std::string n = e.path().filename().string();
            if (n.rfind("thread-", 0) == 0) names.push_back(n);
        }
        return names;
    };
    ASSERT_EQ(threadPages().size(), 1u);
    EXPECT_TRUE(fs::exists(folder + "messages-3.html"));
    test::writeFile(folder + "notes.txt", "mine");
    fs::create_directories(folder + "Sub");
    test::writeFile(folder + "Sub/messages-1.html", "a subfolder's page");

    // The thread falls apart and the folder shrinks to one page.
    rows.resize(3);
    for (CatalogueRow& r : rows) r.references.clear();
    ASSERT_TRUE(writeFolderPages(dir.path(), summaryOf("F/", "F", rows), rows));
    EXPECT_TRUE(threadPages().empty());
    EXPECT_FALSE(fs::exists(folder + "messages-2.html"));
    EXPECT_TRUE(fs::exists(folder + "messages-1.html"));
    EXPECT_TRUE(fs::exists(folder + "notes.txt"));
    EXPECT_TRUE(fs::exists(folder + "Sub/messages-1.html"));
}

TEST(FolderPages, SameRowsSameBytesInAnyOrder) {
    test::TempDir a;
    test::TempDir b;
    std::vector<CatalogueRow> rows;
    std::mt19937 random(3);
    for (int i = 0; i < 700; ++i) {
        rows.push_back(row("D/m" + std::to_string(i) + ".html", 5000 + i % 40, "Re: s" + std::to_string(i % 9),
                           "P" + std::to_string(i % 13) + " <p" + std::to_string(i % 13) + "@x>",
                           "<m" + std::to_string(i) + ">", "<m" + std::to_string(random() % 700) + ">"));
    }
    ASSERT_TRUE(writeFolderPages(a.path(), summaryOf("D/", "D", rows), rows));
    std::shuffle(rows.begin(), rows.end(), random);
    ASSERT_TRUE(writeFolderPages(b.path(), summaryOf("D/", "D", rows), rows));
    EXPECT_EQ(filesUnder(a.path()), filesUnder(b.path()));
}

TEST(FolderPages, EmptyFolderAndMissingFields) {
    test::TempDir dir;
    ASSERT_TRUE(writeFolderPages(dir.path(), FolderSummary{}, {}));
    const std::string folder = folderPagesPath(dir.path(), "");
    EXPECT_NE(test::readFile(folder + "messages-1.html").find("no messages"), std::string::npos);
    EXPECT_TRUE(fs::exists(folder + "threads.html"));
    EXPECT_TRUE(fs::exists(folder + "people.html"));
    std::vector<CatalogueRow> blank(4);
    blank[1].date = INT64_MIN;
    blank[2].date = INT64_MAX;
    EXPECT_TRUE(writeFolderPages(dir.path(), FolderSummary{}, blank));
    EXPECT_EQ(occurrences(test::readFile(folder + "messages-1.html"), "<tr>"), 4u);
}

TEST(FolderPages, FailsWhenThePagesCannotBeWritten) {
    test::TempDir dir;
    test::writeFile(dir.file("file"), "x");
    EXPECT_FALSE(writeFolderPages(dir.file("file"), FolderSummary{}, {}));
    EXPECT_FALSE(writeRootIndex(dir.file("file"), ArchiveSummary{}));
}

TEST(RootIndex, FolderTreeYearsAndSearch) {
    test::TempDir dir;
    ArchiveSummary archive;
    archive.folders = {{"", "Top", 2, 100, 200},
                       {"Mail/", "Mail", 1, 100, 100},
                       {"Mail/Inbox/", "Inbox", 5, 1044264540, 1044264540},
                       {"Old/2003/", "2003", 3, 0, 0}};
    archive.years = {{2003, 5}, {1970, 6}};
    archive.messages = 11;
    for (const FolderSummary& f : archive.folders) ASSERT_TRUE(writeFolderPages(dir.path(), f, {}));
    test::writeFile(dir.file("search.html"), "");
    ASSERT_TRUE(writeRootIndex(dir.path(), archive));
    const std::string index = test::readFile(dir.file("index.html"));
    EXPECT_NE(index.find("<form class=\"search\" action=\"search.html\" method=\"get\""), std::string::npos);
    EXPECT_NE(index.find("href=\"search.html?q=after:2003-01-01%20before:2004-01-01\""), std::string::npos);
    EXPECT_LT(index.find(">2003</a>"), index.find(">1970</a>"));
    // Inbox nested under Mail, and "Old" a label with 2003 below it.
    EXPECT_NE(index.find(">Mail</a>"), std::string::npos);
    EXPECT_LT(index.find(">Mail</a>"), index.find("<ul>\n<li><a href=\".tessaly/browse/Mail/Inbox/messages-1.html\">Inbox</a>"));
    EXPECT_NE(index.find("<span class=\"label\">Old</span>\n<ul>\n<li><a"), std::string::npos);
    EXPECT_EQ(occurrences(index, "<ul"), occurrences(index, "</ul>"));
    EXPECT_EQ(occurrences(index, "<li>"), occurrences(index, "</li>"));
    EXPECT_NE(index.find("2003-02-03"), std::string::npos);
    expectLinksResolve(dir.path());
}

TEST(BrowseStylesheet, WrittenOnlyWhenMissing) {
    test::TempDir dir;
    ASSERT_TRUE(writeRootIndex(dir.path(), ArchiveSummary{}));
    const std::string css = test::readFile(dir.file(".tessaly/browse.css"));
    EXPECT_NE(css.find("prefers-color-scheme: dark"), std::string::npos);
    EXPECT_NE(css.find("@media print"), std::string::npos);
    test::writeFile(dir.file(".tessaly/browse.css"), "/* mine */");
    ASSERT_TRUE(writeFolderPages(dir.path(), FolderSummary{}, {}));
    EXPECT_EQ(test::readFile(dir.file(".tessaly/browse.css")), "/* mine */");
}

}  // namespace
}  // namespace tessaly
