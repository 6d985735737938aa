// label_pages_test.cpp - the browse pages of Gmail labels: where they lie,
// the labels on the index page, links that resolve, and archives without
// labels whose pages stay as they were.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "browse/browse_pages.h"
#include "browse/browse_paths.h"
#include "support/temp_dir.h"
#include "support/test_run.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

CatalogueRow row(const std::string& path, int64_t date, const std::string& subject) {
    CatalogueRow r;
    r.path = path;
    r.dir = path.substr(0, path.rfind('/') + 1);
    r.date = date;
    r.subject = subject;
    r.from = "Ann <ann@example.org>";
    return r;
}

// Every page below `root` (index.html and the derived folder's), by path.
std::map<std::string, std::string> pagesUnder(const std::string& root) {
    std::map<std::string, std::string> pages;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        const std::string name = fs::relative(e.path(), root).string();
        if (e.is_regular_file() && e.path().extension() == ".html" &&
            (name == "index.html" || name.rfind(".tessaly/", 0) == 0)) {
            pages[name] = test::readFile(e.path().string());
        }
    }
    return pages;
}

TEST(LabelPages, FoldersAreStableUniqueAndInsideTheDerivedFolder) {
    const std::vector<std::string> labels = {"Family", "Family/Kids", "../x", "<b>", ""};
    const auto folders = labelPagesFolders(labels);
    ASSERT_EQ(folders.size(), labels.size());
    std::set<std::string> distinct;
    for (const auto& [label, folder] : folders) {
        EXPECT_TRUE(std::regex_match(folder, std::regex("\\.tessaly/labels/[0-9a-v]{10}(-[0-9]+)?/"))) << folder;
        distinct.insert(folder);
    }
    EXPECT_EQ(distinct.size(), labels.size());
    EXPECT_EQ(labelPagesFolders({"Family/Kids"}).at("Family/Kids"), folders.at("Family/Kids"));
    // The same label twice keeps one folder.
    EXPECT_EQ(labelPagesFolders({"a", "a"}).size(), 1u);
}

TEST(LabelPages, TheIndexListsLabelsAsATreeAndEveryLinkResolves) {
    test::TempDir dir;
    const std::vector<CatalogueRow> rows = {row("All/Inbox/a.html", 1000000000, "First"),
                                            row("All/Family/Kids/b.html", 1000003600, "Second")};
    for (const CatalogueRow& r : rows) {
        fs::create_directories(dir.file(r.dir));
        test::writeFile(dir.file(r.path), "<html>message</html>");
    }
    test::writeFile(dir.file("search.html"), "");
    const std::string hostile = "Family/<b>&\"x\"";
    const auto folders = labelPagesFolders({"Family/Kids", hostile, "Inbox"});
    const std::vector<LabelSummary> labels = {
        {"Family/Kids", folders.at("Family/Kids"), 1, rows[1].date, rows[1].date},
        {hostile, folders.at(hostile), 2, rows[0].date, rows[1].date},
        {"Inbox", folders.at("Inbox"), 1, rows[0].date, rows[0].date},
    };
    ASSERT_TRUE(writeLabelPages(dir.path(), labels[0], {rows[1]}));
    ASSERT_TRUE(writeLabelPages(dir.path(), labels[1], rows));
    ASSERT_TRUE(writeLabelPages(dir.path(), labels[2], {rows[0]}));
    ArchiveSummary summary{{{"All/Family/Kids/", "Kids", 1, rows[1].date, rows[1].date},
                            {"All/Inbox/", "Inbox", 1, rows[0].date, rows[0].date}},
                           {{2001, 2}},
                           2,
                           labels};
    ASSERT_TRUE(writeFolderPages(dir.path(), summary.folders[0], {rows[1]}));
    ASSERT_TRUE(writeFolderPages(dir.path(), summary.folders[1], {rows[0]}));
    ASSERT_TRUE(writeRootIndex(dir.path(), summary));

    const auto pages = pagesUnder(dir.path());
    const std::string& index = pages.at("index.html");
    const size_t labelsAt = index.find("<h2>Labels</h2>");
    ASSERT_NE(labelsAt, std::string::npos);
    // "Family" stands for no label: a plain name with both of its labels below.
    EXPECT_NE(index.find("<span class=\"label\">Family</span>", labelsAt), std::string::npos);
    EXPECT_NE(index.find("&lt;b&gt;&amp;&quot;x&quot;</a>", labelsAt), std::string::npos);
    EXPECT_EQ(index.find("<b>&"), std::string::npos);
    // A label's page lists its messages like a folder's, under its name.
    const std::string& kids = pages.at(folders.at("Family/Kids") + "messages-1.html");
    EXPECT_NE(kids.find("<h1>Family/Kids</h1>"), std::string::npos);
    EXPECT_NE(kids.find(">Second</a>"), std::string::npos);
    EXPECT_EQ(kids.find(">First</a>"), std::string::npos);

    const std::regex href("href=\"([^\"]*)\"");
    size_t checked = 0;
    for (const auto& [page, bytes] : pages) {
        for (auto it = std::sregex_iterator(bytes.begin(), bytes.end(), href); it != std::sregex_iterator(); ++it) {
            std::string link = (*it)[1];
            if (link.empty() || link[0] == '#') continue;
            link = link.substr(0, link.find_first_of("?#"));
            std::string decoded;
            for (size_t i = 0; i < link.size(); ++i) {
                if (link[i] == '%' && i + 2 < link.size()) {
                    decoded += static_cast<char>(std::stoi(link.substr(i + 1, 2), nullptr, 16));
                    i += 2;
                } else {
                    decoded += link[i];
                }
            }
            EXPECT_TRUE(fs::exists(fs::path(dir.path()) / fs::path(page).parent_path() / decoded))
                << page << " links " << (*it)[1];
            ++checked;
        }
    }
    EXPECT_GT(checked, 10u);
}

// Without labels an archive's pages are what they were: no labels section,
// no label pages.
TEST(LabelPages, AnArchiveWithoutLabelsHasNone) {
    test::TempDir dir;
    test::writeFile(dir.file("box"), "From a@x.org Thu Sep  5 14:30:07 2002\nFrom: a@x.org\nSubject: s\n"
                                     "Date: Thu, 5 Sep 2002 14:30:07 +0200\n\nBody\n");
    TDbxFolderInfo entry;
    entry.directory = dir.path();
    entry.fileName = "box";
    entry.name = entry.folderPath = "Box";
    test::TestRun job;
    job.archive(SourceKind::Mailboxes, {entry}, dir.file("archive"), true);
    EXPECT_EQ(test::readFile(dir.file("archive/index.html")).find("Labels"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir.file("archive/.tessaly/labels")));
}

}  // namespace
}  // namespace tessaly
