// catalogue_test.cpp - the archive's catalogue: the rows kept while
// archiving equal the rows read back from the files, a damaged catalogue
// is set aside, rows of an interrupted run follow the files, and pages
// that are cut or garbled still give a row.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <unordered_map>
#include <vector>

#include "archive/catalogue.h"
#include "archive/catalogue_rebuild.h"
#include "archive/page_row.h"
#include "message/html_text.h"
#include "message/charsets.h"
#include "support/temp_dir.h"
#include "support/test_run.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

const fs::path kCases = fs::path(TESSALY_TEST_DATA_DIR) / "archive";

struct Archived {
    std::unique_ptr<Catalogue> catalogue;
    std::vector<CatalogueRow> rows;  // as they were put in place, texts included
};

// Every golden message in one mailbox, archived into `root` with the
// catalogue attached.
Archived archiveCases(const std::string& root, bool html) {
    Archived archived;
    std::string box;
    std::vector<fs::path> cases;
    for (const auto& entry : fs::directory_iterator(kCases)) {
        if (entry.path().extension() == ".eml") cases.push_back(entry.path());
    }
    std::sort(cases.begin(), cases.end());
    for (const fs::path& path : cases) {
        box += "From golden@example.com Thu Sep  5 14:30:07 2002\n" + test::readFile(path.string()) + "\n";
    }
    test::TestFolder folder(root, html, "Cases", "Cases", true);
    folder.writer.attachCatalogue(Catalogue::open(root, nullptr));
    folder.writer.batch().setPlacedRowSink([&](const CatalogueRow& row) { archived.rows.push_back(row); });
    test::archiveMailbox(folder, box);
    archived.catalogue = folder.writer.finish();
    folder.run.endRun();
    return archived;
}

// A row as text, every field but the catalogue's own id, for comparison.
std::string described(const CatalogueRow& row) {
    std::string text = row.path + "|" + row.dir + "|" + row.folder + "|" + std::to_string(row.date) + "|" + row.from +
                       "|" + row.to + "|" + row.cc + "|" + row.subject + "|" + row.messageId + "|" + row.inReplyTo +
                       "|" + row.references + "|" + row.threadId + "|" + row.contentKey + "|";
    for (const CatalogueAttachment& a : row.attachments) {
        text += a.name + "=" + a.path + ":" + std::to_string(a.size) + ";";
    }
    return text + "|" + row.text;
}

std::vector<std::string> described(const std::vector<CatalogueRow>& rows) {
    std::vector<std::string> texts;
    for (const CatalogueRow& row : rows) texts.push_back(described(row));
    std::sort(texts.begin(), texts.end());
    return texts;
}

std::vector<std::string> everyRow(Catalogue& catalogue) {
    std::vector<CatalogueRow> rows;
    for (const CatalogueFolder& folder : catalogue.folders()) {
        for (CatalogueRow& row : catalogue.rowsIn(folder.dir)) rows.push_back(std::move(row));
    }
    return described(rows);
}

TEST(Catalogue, RowsKeptWhileArchivingEqualRowsReadBackFromTheFiles) {
    for (const bool html : {true, false}) {
        SCOPED_TRACE(html ? "pages" : "eml");
        test::TempDir dir;
        Archived archived = archiveCases(dir.path(), html);
        ASSERT_TRUE(archived.catalogue);
        Catalogue& catalogue = *archived.catalogue;
        const std::vector<std::string> stored = everyRow(catalogue);
        ASSERT_GT(stored.size(), 15u);
        const std::vector<std::string> live = described(archived.rows);
        EXPECT_EQ(live.size(), stored.size());
        DecodeContext decoder;
        std::vector<CatalogueRow> rebuilt;
        EXPECT_EQ(rebuildCatalogue(catalogue, decoder, {}, [&](const CatalogueRow& row) { rebuilt.push_back(row); }),
                  stored.size());
        EXPECT_FALSE(catalogue.isNew());
        EXPECT_EQ(everyRow(catalogue), stored);
        // Texts too: the search files made from either are the same.
        EXPECT_EQ(described(rebuilt), live);
        for (const std::string& row : live) EXPECT_TRUE(isValidUtf8(row)) << row;
    }
}

TEST(Catalogue, RowsHoldWhatPeopleSearchAndThreadBy) {
    test::TempDir dir;
    const Archived archived = archiveCases(dir.path(), true);
    ASSERT_TRUE(archived.catalogue);
    const std::vector<CatalogueRow>& rows = archived.rows;
    auto find = [&](const std::string& subject) {
        const auto row = std::find_if(rows.begin(), rows.end(),
                                      [&](const CatalogueRow& r) { return r.subject == subject; });
        return row == rows.end() ? CatalogueRow{} : *row;
    };
    const CatalogueRow forwarded = find("Fwd: Plans");
    EXPECT_EQ(forwarded.from, "Carol <carol@example.org>");
    EXPECT_EQ(forwarded.to, "Bob <bob@example.com>");
    EXPECT_EQ(forwarded.folder, "Cases");
    EXPECT_NE(forwarded.text.find("See what Dave sent, below."), std::string::npos);
    // The embedded message's text is searchable too.
    EXPECT_NE(forwarded.text.find("A note from Erin."), std::string::npos);
    ASSERT_EQ(forwarded.attachments.size(), 3u);
    EXPECT_EQ(forwarded.attachments[1].name, "plans.bin");
    EXPECT_TRUE(fs::exists(dir.file(forwarded.attachments[1].path)));
    EXPECT_EQ(forwarded.attachments[1].size, fs::file_size(dir.file(forwarded.attachments[1].path)));
    // Entities are resolved and text in any charset reads as UTF-8.
    const CatalogueRow mixed = find("Привет мир 日本語");
    EXPECT_EQ(mixed.from.rfind("René François", 0), 0u) << mixed.from;
    for (const CatalogueRow& row : rows) {
        EXPECT_EQ(row.path.rfind("Cases/", 0), 0u);
        EXPECT_TRUE(fs::exists(dir.file(row.path))) << row.path;
        EXPECT_EQ(row.text.find('\r'), std::string::npos);
    }
}

TEST(Catalogue, ADamagedCatalogueIsSetAsideAndBegunAnew) {
    test::TempDir dir;
    fs::create_directories(dir.file(".tessaly"));
    const std::string path = cataloguePath(dir.path());
    test::writeFile(path, std::string(8192, 'x'));
    std::string note;
    std::unique_ptr<Catalogue> catalogue = Catalogue::open(dir.path(), &note);
    ASSERT_TRUE(catalogue);
    EXPECT_TRUE(catalogue->isNew());
    EXPECT_NE(note.find("set aside"), std::string::npos);
    EXPECT_EQ(test::readFile(path + ".damaged"), std::string(8192, 'x'));
    EXPECT_EQ(catalogue->messageCount(), 0u);

    // A catalogue whose rebuild was cut short is new to the next open.
    catalogue->markComplete(false);
    catalogue.reset();
    EXPECT_TRUE(Catalogue::open(dir.path(), nullptr)->isNew());
}

TEST(Catalogue, PendingRowsOfAnInterruptedRunFollowTheirFiles) {
    test::TempDir dir;
    std::unique_ptr<Catalogue> catalogue = Catalogue::open(dir.path(), nullptr);
    ASSERT_TRUE(catalogue);
    catalogue->markComplete(true);
    std::vector<CatalogueRow> rows(3);
    rows[0].path = "Inbox/placed.html";
    rows[1].path = "Inbox/lost.html";
    rows[2].path = "Inbox/failed.html";
    for (CatalogueRow& row : rows) row.dir = "Inbox/";
    ASSERT_TRUE(catalogue->addPending(rows));
    // Pending rows are no rows of the archive yet.
    EXPECT_EQ(catalogue->messageCount(), 0u);
    catalogue->settle({}, {rows[2].id});
    fs::create_directories(dir.file("Inbox"));
    test::writeFile(dir.file("Inbox/placed.html"), "<html></html>");
    catalogue.reset();

    catalogue = Catalogue::open(dir.path(), nullptr);
    EXPECT_FALSE(catalogue->isNew());
    catalogue->settleInterrupted();
    const std::vector<CatalogueRow> left = catalogue->rowsIn("Inbox/");
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].path, "Inbox/placed.html");
    EXPECT_EQ(catalogue->staleFolders(), std::vector<std::string>{"Inbox/"});
}

TEST(PageRow, CutOrGarbledPagesStillGiveARow) {
    const fs::path page =
        kCases / "forwarded-message.expected" / "html" / "Carol - Fwd Plans - 03022003'092900'c0qb7g.html";
    const std::string whole = test::readFile(page.string());
    for (size_t cut = 0; cut <= whole.size(); cut += 7) {
        const CatalogueRow row = rowFromPage(std::string_view(whole).substr(0, cut), "a/b.html");
        EXPECT_TRUE(isValidUtf8(row.text));
        EXPECT_EQ(row.dir, "a/");
    }
    std::string garbled = whole;
    for (size_t i = 0; i < garbled.size(); i += 13) garbled[i] = static_cast<char>(0xFF - garbled[i]);
    EXPECT_TRUE(isValidUtf8(rowFromPage(garbled, "x.html").text));
    EXPECT_EQ(plainTextOfHtml("a&lt;b&gt; &amp;&#233;&#x263A;&#0;&bogus; <br>c&"), "a<b> &\u00e9\u263a\ufffd&bogus; \nc&");
}

TEST(PageRow, ThreadIdsLinesReadBackAndCutLinesAreSkipped) {
    CatalogueRow row;
    row.path = "Inbox/a.html";
    row.messageId = "<m@x>";
    row.inReplyTo = "<p@x>";
    row.threadId = "12\t34";
    for (int i = 0; i < 200; ++i) row.references += (i ? " <" : "<") + std::to_string(i) + "@example.org>";
    CatalogueRow later = row;
    later.inReplyTo = "<q@x>";
    std::unordered_map<std::string, CatalogueRow> ids;
    const std::string file = threadIdsLine(row) + "garbage\n" + threadIdsLine(later) + "Inbox/b.html\t<cut";
    readThreadIds(file, ids);
    ASSERT_EQ(ids.size(), 1u);
    const CatalogueRow& back = ids.at("Inbox/a.html");
    EXPECT_EQ(back.messageId, row.messageId);
    EXPECT_EQ(back.inReplyTo, "<q@x>");  // the last line counts
    EXPECT_EQ(back.references, row.references);
    EXPECT_EQ(back.threadId, "12 34");
    EXPECT_EQ(threadIdsLine(CatalogueRow{}), "");
}

}  // namespace
}  // namespace tessaly
