// search_index_test.cpp - search files written over several runs: results
// before and after merges and rebuilds, replaced messages, hostile text,
// damaged and cut-off files.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "browse/browse_paths.h"
#include "browse/search_codes.h"
#include "browse/search_files.h"
#include "browse/search_index.h"
#include "platform/files.h"
#include "support/temp_dir.h"

namespace tessaly {
namespace {

CatalogueRow row(int n, std::string text, std::string subject = "Weekly notes", std::string from = "Alice <alice@example.org>") {
    CatalogueRow r;
    r.path = "Inbox/message " + std::to_string(n) + ".html";
    r.dir = "Inbox/";
    r.date = 1100000000 + int64_t(n) * 86400;
    r.from = std::move(from);
    r.subject = std::move(subject);
    r.text = std::move(text);
    return r;
}

// Messages whose words vary with their number, so queries match subsets.
std::vector<CatalogueRow> rows(int count) {
    static const char* const kWords[] = {"budget", "garden", "Zürich", "Привет", "東京都庁", "meeting", "report"};
    std::vector<CatalogueRow> out;
    for (int n = 0; n < count; ++n) {
        std::string text;
        for (int k = 0; k < 7; ++k) {
            if ((n >> k) & 1) text += std::string(kWords[k]) + " ";
        }
        out.push_back(row(n, text + "number" + std::to_string(n % 5), n % 3 ? "Plans" : "Re: Budget",
                          n % 2 ? "Bob <bob@example.org>" : "Alice <alice@example.org>"));
    }
    return out;
}

const std::vector<std::string> kQueries = {"budget", "garden meet", "zurich", "привет", "東京", "京都", "from:bob budget",
                                           "subject:budget", "\"budget garden\"", "number3 rep", "after:2004-12-01 before:2005-01-10",
                                           "numb"};

std::vector<std::vector<std::string>> allResults(const std::string& root) {
    std::vector<std::vector<std::string>> out;
    for (const std::string& query : kQueries) {
        std::string error;
        out.push_back(searchArchive(root, query, &error));
        EXPECT_EQ(error, "") << query;
    }
    return out;
}

void archive(const std::string& root, const std::vector<CatalogueRow>& added, bool replaceAll) {
    SearchUpdate update(root, replaceAll);
    for (const CatalogueRow& r : added) update.add(r);
    ASSERT_TRUE(update.finish());
}

SearchManifest manifestOf(const std::string& root) {
    SearchManifest manifest;
    EXPECT_TRUE(readManifest(test::readFile(searchFilesPath(root) + "index.js"), manifest));
    return manifest;
}

TEST(SearchIndex, RunsAndMergesGiveTheResultsOfOneRebuild) {
    const std::vector<CatalogueRow> all = rows(128);
    test::TempDir whole, runs;
    archive(whole.path(), all, true);
    const auto expected = allResults(whole.path());
    EXPECT_EQ(expected[0].size(), 86u);  // odd numbers, and the subjects "Re: Budget"
    EXPECT_EQ(expected[0].front(), "Inbox/message 127.html");  // newest first
    size_t most = 0;
    for (size_t start = 0, step = 1; start < all.size(); start += step, step = step % 9 + 1) {
        archive(runs.path(), std::vector<CatalogueRow>(all.begin() + start, all.begin() + std::min(all.size(), start + step)), false);
        most = std::max(most, manifestOf(runs.path()).segments.size());
    }
    EXPECT_LE(most, 8u);
    EXPECT_EQ(allResults(runs.path()), expected);
    archive(runs.path(), all, true);
    EXPECT_EQ(manifestOf(runs.path()).segments.size(), 1u);
    EXPECT_EQ(allResults(runs.path()), expected);
    // Files of dropped segments are gone.
    std::vector<FolderEntry> entries;
    ASSERT_TRUE(listFolder(searchFilesPath(runs.path()), entries));
    for (const FolderEntry& entry : entries) {
        EXPECT_TRUE(entry.name == "index.js" || entry.name.rfind("s" + std::to_string(manifestOf(runs.path()).segments[0].id) + "-", 0) == 0)
            << entry.name;
    }
    EXPECT_TRUE(pathExists(runs.file("search.html")));
    EXPECT_TRUE(pathExists(runs.file(".tessaly/search.js")));
}

TEST(SearchIndex, ANewerMessageReplacesOneWithItsPath) {
    test::TempDir dir;
    archive(dir.path(), {row(1, "apple"), row(2, "apple pear"), row(3, "plum"), row(4, "plum"), row(5, "plum")}, true);
    archive(dir.path(), {row(2, "cherry")}, false);
    std::string error;
    EXPECT_EQ(searchArchive(dir.path(), "apple", &error), std::vector<std::string>{"Inbox/message 1.html"});
    EXPECT_EQ(searchArchive(dir.path(), "cherry", &error), std::vector<std::string>{"Inbox/message 2.html"});
    EXPECT_EQ(searchArchive(dir.path(), "pear", &error), std::vector<std::string>{});
    EXPECT_EQ(manifestOf(dir.path()).segments.size(), 2u);  // 4 live messages against 1: not merged
    EXPECT_EQ(manifestOf(dir.path()).segments[0].dead, std::vector<uint32_t>{3});
    EXPECT_EQ(error, "");
}

// One long run writes several updates, each given the segments the run
// made before: those are not searched for the run's own rows, yet a
// message from before the run, or a row from an earlier run, still
// replaces the one with its path.
TEST(SearchIndex, SegmentsOfOneRunAreNotSearchedForItsOwnRows) {
    test::TempDir dir;
    const std::vector<CatalogueRow> all = rows(80);
    archive(dir.path(), std::vector<CatalogueRow>(all.begin(), all.begin() + 50), true);  // an earlier run
    std::set<uint32_t> fresh;
    for (int part = 0; part < 3; ++part) {
        SearchUpdate update(dir.path(), false, fresh);
        for (int n = 50 + part * 7; n < 57 + part * 7; ++n) update.add(all[static_cast<size_t>(n)]);
        if (part == 0) update.add(row(2, "cherry"));  // the earlier run's message 2, archived anew
        ASSERT_TRUE(update.finish());
        fresh = update.freshSegments();
    }
    EXPECT_FALSE(fresh.empty());
    std::vector<CatalogueRow> final(all.begin(), all.begin() + 71);
    final[2] = row(2, "cherry");
    test::TempDir whole;
    archive(whole.path(), final, true);
    EXPECT_EQ(allResults(dir.path()), allResults(whole.path()));
    std::string error;
    EXPECT_EQ(searchArchive(dir.path(), "cherry", &error), std::vector<std::string>{"Inbox/message 2.html"});
    // A row from an earlier run whose path a segment of this run holds.
    SearchUpdate last(dir.path(), false, fresh);
    CatalogueRow again = all[62];
    again.text = "quince";
    last.addEarlier(again);
    ASSERT_TRUE(last.finish());
    EXPECT_EQ(searchArchive(dir.path(), "quince", &error), std::vector<std::string>{"Inbox/message 62.html"});
    final[62] = again;
    archive(whole.path(), final, true);
    EXPECT_EQ(allResults(dir.path()), allResults(whole.path()));
    EXPECT_EQ(last.freshSegments().count(manifestOf(dir.path()).segments.back().id), 0u);
    EXPECT_EQ(error, "");
}

TEST(SearchIndex, HostileTextStaysData) {
    test::TempDir dir;
    const std::string hostile = "</script><script>alert(1)</script> \"quote\" back\\slash \xE2\x80\xA8 line";
    archive(dir.path(), {row(1, hostile + " marker", hostile, hostile)}, true);
    for (const char* name : {"s1-d0.js", "s1-t0.js"}) {
        const std::string file = test::readFile(searchFilesPath(dir.path()) + name);
        EXPECT_EQ(file.find('<'), std::string::npos) << name;
        EXPECT_EQ(file.find("\xE2\x80\xA8"), std::string::npos) << name;
    }
    std::string error;
    EXPECT_EQ(searchArchive(dir.path(), "marker alert", &error).size(), 1u);
    SearchManifest manifest = manifestOf(dir.path());
    std::vector<SearchDoc> docs;
    ASSERT_TRUE(readDocsFile(test::readFile(searchFilesPath(dir.path()) + "s1-d0.js"), manifest.segments[0], 0, docs));
    EXPECT_EQ(docs[0].subject, hostile);
}

TEST(SearchIndex, DamagedFilesAreReported) {
    test::TempDir dir;
    archive(dir.path(), rows(60), true);
    const std::string folder = searchFilesPath(dir.path());
    std::string error;
    ASSERT_FALSE(searchArchive(dir.path(), "budget", &error).empty());
    // Each file cut at several places, then one byte changed: an error, never a crash.
    for (const char* name : {"index.js", "s1-n.js", "s1-t0.js", "s1-d0.js", "s1-d1.js"}) {
        const std::string original = test::readFile(folder + name);
        ASSERT_FALSE(original.empty()) << name;
        std::vector<std::string> damaged;
        for (size_t cut : {size_t(0), size_t(10), original.size() / 2, original.size() - 4}) damaged.push_back(original.substr(0, cut));
        for (size_t at : {size_t(20), original.size() / 3, original.size() - 6}) {
            std::string changed = original;
            changed[at] = changed[at] == '"' ? '*' : '"';
            damaged.push_back(changed);
        }
        for (const std::string& bytes : damaged) {
            test::writeFile(folder + name, bytes);
            error.clear();
            const auto found = searchArchive(dir.path(), "budget", &error);
            if (error.empty()) {
                EXPECT_EQ(found.size(), 40u) << name;  // a change the reader cannot see: results unchanged
            }
            else EXPECT_TRUE(found.empty());
        }
        test::writeFile(folder + name, original);
        error.clear();
        EXPECT_EQ(searchArchive(dir.path(), "budget", &error).size(), 40u);
    }
    test::writeFile(folder + "s1-t0.js", "tessalySearch.terms(\"s1-t0\",{\"budget\":\"!______________\"});\n");
    EXPECT_TRUE(searchArchive(dir.path(), "budget", &error).empty());
    EXPECT_NE(error.find("damaged"), std::string::npos);  // numbers past the segment's messages
    removeFile(folder + "index.js");
    EXPECT_TRUE(searchArchive(dir.path(), "budget", &error).empty());
    EXPECT_EQ(error, "this archive has no search files");
    // A run over a damaged list starts again rather than failing.
    test::writeFile(folder + "index.js", "tessalySearch.index({\"format\":1,");
    archive(dir.path(), {row(1, "fresh")}, false);
    EXPECT_EQ(searchArchive(dir.path(), "fresh", &error).size(), 1u);
}

TEST(SearchIndex, NumberCodesRoundTrip) {
    const std::vector<std::vector<uint32_t>> lists = {{}, {0}, {31, 32, 1023, 1024, 99999}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}};
    for (const auto& ids : lists) {
        std::vector<uint32_t> back;
        ASSERT_TRUE(decodeIds(encodeIds(ids, 100000), 100000, back));
        EXPECT_EQ(back, ids);
    }
    std::vector<int64_t> times = {2000000000, 5, 5, -1, -86400 * 365}, back;
    ASSERT_TRUE(decodeTimes(encodeTimes(times), times.size(), back));
    EXPECT_EQ(back, times);
    std::vector<uint32_t> ids;
    EXPECT_FALSE(decodeIds("g", 100, ids));    // a number cut off
    EXPECT_FALSE(decodeIds("B*", 100, ids));   // not a digit
    EXPECT_FALSE(decodeIds("-D", 100, ids));   // past the limit
    EXPECT_FALSE(decodeTimes("CC", 1, back));  // more times than messages
}

}  // namespace
}  // namespace tessaly
