// catalogue_labels_test.cpp - Gmail labels in the catalogue: stored with
// their rows and following them, read back from pages and EML files alike,
// and catalogues made before labels were kept made anew.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "archive/catalogue.h"
#include "archive/catalogue_rebuild.h"
#include "archive/page_row.h"
#include "support/temp_dir.h"
#include "support/test_run.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;
using Labels = std::vector<std::string>;

CatalogueRow labelled(const std::string& path, int64_t date, const Labels& labels) {
    CatalogueRow row;
    row.path = path;
    row.dir = path.substr(0, path.rfind('/') + 1);
    row.date = date;
    row.subject = path;
    row.labels = labels;
    return row;
}

std::vector<int64_t> idsOf(const std::vector<CatalogueRow>& rows) {
    std::vector<int64_t> ids;
    for (const CatalogueRow& row : rows) ids.push_back(row.id);
    return ids;
}

std::map<std::string, uint64_t> counts(Catalogue& catalogue) {
    std::map<std::string, uint64_t> out;
    for (const CatalogueLabel& label : catalogue.labels()) out[label.label] = label.messages;
    return out;
}

TEST(CatalogueLabels, LabelsFollowTheirRows) {
    test::TempDir dir;
    std::unique_ptr<Catalogue> catalogue = Catalogue::open(dir.path(), nullptr);
    ASSERT_TRUE(catalogue);
    std::vector<CatalogueRow> rows = {labelled("All/a.html", 300, {"Inbox", "Family/Kids"}),
                                      labelled("All/b.html", 100, {"Family/Kids", "Work, 2020"}),
                                      labelled("All/c.html", 200, {}), labelled("All/d.html", 400, {"Lost"})};
    ASSERT_TRUE(catalogue->addPending(rows));
    // Pending rows count nowhere; their labels' pages are due.
    EXPECT_TRUE(catalogue->labels().empty());
    EXPECT_EQ(catalogue->staleLabels(), (Labels{"Family/Kids", "Inbox", "Lost", "Work, 2020"}));
    catalogue->settle({rows[0].id, rows[1].id, rows[2].id}, {rows[3].id});
    using Counts = std::map<std::string, uint64_t>;
    EXPECT_EQ(counts(*catalogue), (Counts{{"Family/Kids", 2}, {"Inbox", 1}, {"Work, 2020", 1}}));
    const std::vector<CatalogueLabel> labels = catalogue->labels();
    EXPECT_EQ(labels[0].first, 100);
    EXPECT_EQ(labels[0].last, 300);

    // Oldest first, with each row's labels in their order.
    const std::vector<CatalogueRow> kids = catalogue->rowsLabelled("Family/Kids");
    ASSERT_EQ(kids.size(), 2u);
    EXPECT_EQ(kids[0].path, "All/b.html");
    EXPECT_EQ(kids[0].labels, (Labels{"Family/Kids", "Work, 2020"}));
    EXPECT_TRUE(catalogue->rowsLabelled("Lost").empty());
    EXPECT_EQ(catalogue->rowsIn("All/")[1].labels, Labels{});
    catalogue->markLabelsCurrent(catalogue->staleLabels());
    EXPECT_TRUE(catalogue->staleLabels().empty());

    // The same path written anew: its old labels go, and their pages are due.
    std::vector<CatalogueRow> again = {labelled("All/a.html", 300, {"Sent"})};
    ASSERT_TRUE(catalogue->addPending(again));
    catalogue->settle(idsOf(again), {});
    EXPECT_EQ(counts(*catalogue), (Counts{{"Family/Kids", 1}, {"Sent", 1}, {"Work, 2020", 1}}));
    EXPECT_EQ(catalogue->staleLabels(), (Labels{"Family/Kids", "Inbox", "Sent"}));

    ASSERT_TRUE(catalogue->clear());
    EXPECT_TRUE(catalogue->labels().empty());
    EXPECT_TRUE(catalogue->staleLabels().empty());
}

// A catalogue of a version that kept no labels reads as new, so the run
// makes it anew from the files; once made, it is whole again.
TEST(CatalogueLabels, ACatalogueWithoutLabelsIsMadeAnew) {
    test::TempDir dir;
    {
        std::unique_ptr<Catalogue> catalogue = Catalogue::open(dir.path(), nullptr);
        ASSERT_TRUE(catalogue);
        std::vector<CatalogueRow> rows = {labelled("Inbox/a.html", 1, {})};
        ASSERT_TRUE(catalogue->addPending(rows));
        catalogue->settle(idsOf(rows), {});
        catalogue->markComplete(true);
    }
    EXPECT_FALSE(Catalogue::open(dir.path(), nullptr)->isNew());
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(cataloguePath(dir.path()).c_str(), &db), SQLITE_OK);
    const char* older = "DROP TABLE message_labels; DROP TABLE stale_labels; DELETE FROM facts WHERE name = 'labels'";
    ASSERT_EQ(sqlite3_exec(db, older, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);

    std::unique_ptr<Catalogue> old = Catalogue::open(dir.path(), nullptr);
    ASSERT_TRUE(old);
    EXPECT_TRUE(old->isNew());
    EXPECT_EQ(old->messageCount(), 1u);
    EXPECT_TRUE(old->labels().empty());  // the tables are there again
    old->markComplete(true);
    old.reset();
    EXPECT_FALSE(Catalogue::open(dir.path(), nullptr)->isNew());
}

TEST(CatalogueLabels, ThreadIdsLinesCarryLabels) {
    CatalogueRow row = labelled("Inbox/a.html", 0, {"Inbox", "Work, 2020", "tab\there"});
    row.messageId = "<m@x>";
    CatalogueRow onlyLabels = labelled("Inbox/b.html", 0, {"Family/Kids"});
    std::unordered_map<std::string, CatalogueRow> ids;
    // A line as versions before labels wrote it still reads.
    readThreadIds(threadIdsLine(row) + threadIdsLine(onlyLabels) + "Inbox/c.html\t<c@x>\t\t\t\n", ids);
    ASSERT_EQ(ids.size(), 3u);
    EXPECT_EQ(ids.at("Inbox/a.html").messageId, "<m@x>");
    EXPECT_EQ(ids.at("Inbox/a.html").labels, (Labels{"Inbox", "Work, 2020", "tab here"}));
    EXPECT_EQ(ids.at("Inbox/b.html").labels, Labels{"Family/Kids"});
    EXPECT_EQ(ids.at("Inbox/b.html").messageId, "");
    EXPECT_EQ(ids.at("Inbox/c.html").messageId, "<c@x>");
    EXPECT_TRUE(ids.at("Inbox/c.html").labels.empty());
    // A later line without labels takes them away.
    row.labels.clear();
    readThreadIds(threadIdsLine(row), ids);
    EXPECT_TRUE(ids.at("Inbox/a.html").labels.empty());
}

// Rows kept while archiving a Takeout mailbox and rows read back from the
// files have the same labels, for pages and EML files.
TEST(CatalogueLabels, RebuildingFromTheFilesKeepsTheLabels) {
    for (const bool html : {true, false}) {
        SCOPED_TRACE(html ? "pages" : "EML files");
        test::TempDir dir;
        std::string box;
        const char* labels[] = {"Inbox,Opened", "=?UTF-8?Q?Gesch=C3=A4ft?=,\"Work, 2020\"", "Sent",
                                "Family/Kids,Unread"};
        for (size_t i = 0; i < std::size(labels); ++i) {
            box += "From 1@xxx Thu Nov 07 13:20:51 +0000 2023\nX-Gmail-Labels: " + std::string(labels[i]) +
                   "\nFrom: Ann <ann@example.org>\nSubject: m" + std::to_string(i) +
                   "\nDate: Tue, 07 Nov 2023 13:20:51 +0000\n\nBody " + std::to_string(i) + "\n\n";
        }
        test::writeFile(dir.file("box"), box);
        TDbxFolderInfo entry;
        entry.directory = dir.path();
        entry.fileName = "box";
        entry.name = entry.folderPath = "All mail";
        test::TestRun job;
        job.archive(SourceKind::Mailboxes, {entry}, dir.file("archive"), html);
        std::unique_ptr<Catalogue> catalogue = Catalogue::open(dir.file("archive"), nullptr);
        ASSERT_TRUE(catalogue);
        auto bySubject = [&] {
            std::map<std::string, Labels> out;
            for (const CatalogueFolder& folder : catalogue->folders()) {
                for (const CatalogueRow& row : catalogue->rowsIn(folder.dir)) out[row.subject] = row.labels;
            }
            return out;
        };
        const std::map<std::string, Labels> kept = bySubject();
        EXPECT_EQ(kept, (std::map<std::string, Labels>{{"m0", {"Inbox", "Opened"}},
                                                       {"m1", {"Geschäft", "Work, 2020"}},
                                                       {"m2", {"Sent"}},
                                                       {"m3", {"Family/Kids", "Unread"}}}));
        DecodeContext decoder;
        EXPECT_EQ(rebuildCatalogue(*catalogue, decoder, {}), std::size(labels));
        EXPECT_EQ(bySubject(), kept);
        EXPECT_EQ(catalogue->labels().size(), 7u);
    }
}

}  // namespace
}  // namespace tessaly
