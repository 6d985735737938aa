// commit_batch_test.cpp - messages that wait for one shared sync: judged as
// if in place already, put in place together, and reported one by one
// when that fails.
#include "archive/commit_batch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "support/on_each_disk.h"
#include "support/temp_dir.h"
#include "support/test_run.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

// Same date and body, so the same stamp: only the subject tells them apart.
std::string message(const std::string& subject) {
    return "From: Alice <alice@example.org>\r\nTo: bob@example.com\r\nSubject: " + subject +
           "\r\nDate: Thu, 5 Sep 2002 14:30:07 +0200\r\n"
           "Content-Type: multipart/mixed; boundary=\"b\"\r\n\r\n"
           "--b\r\nContent-Type: text/plain\r\n\r\nHello\r\n"
           "--b\r\nContent-Type: application/octet-stream; name=\"data.bin\"\r\n"
           "Content-Disposition: attachment\r\n\r\nxyz\r\n--b--\r\n";
}

struct Archive {
    test::TestFolder target;
    ArchiveRun& run;
    std::vector<std::string>& lines;
    std::string folder;

    explicit Archive(const std::string& archiveFolder)
        : target(archiveFolder, true), run(target.run), lines(target.test.lines), folder(archiveFolder) {}
    void archive(const std::string& text) {
        std::vector<TMarker> markers;
        for (size_t at = text.find("\r\n--b"); at != std::string::npos; at = text.find("\r\n--b", at + 1)) {
            TMarker m;
            m.position = text.data() + at + 2;
            m.closing = text.compare(at + 2, 5, "--b--") == 0;
            m.boundary = "b";
            markers.push_back(m);
        }
        target.archive(text, markers);
    }
    bool isNameTaken(const std::string& path) { return target.writer.batch().isNameTaken(path); }
    void commit() { target.commit(); }
    void close() { target.close(); }
};

std::vector<std::string> names(const std::string& folder) {
    std::vector<std::string> all;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) all.push_back(fs::relative(entry.path(), folder).string());
    }
    std::sort(all.begin(), all.end());
    return all;
}

bool onlyArchiveNames(const std::vector<std::string>& all) {
    for (const std::string& name : all) {
        if (name.find(".tessaly-") != std::string::npos) return false;
    }
    return true;
}

// Each case on the usual disk and on FAT32 and exFAT images.
class CommitBatch : public test::OnEachDisk {};
TESSALY_ON_EACH_DISK(CommitBatch);

TEST_P(CommitBatch, WaitingMessagesCountAsArchivedAndArriveTogether) {
    test::TempDir dir(disk());
    Archive archive(dir.file("a"));
    archive.archive(message("First"));
    archive.archive(message("First"));   // a duplicate of a waiting message
    archive.archive(message("Second"));  // same attachment name and stamp
    EXPECT_EQ(archive.run.duplicateCount, 1u);
    for (const std::string& name : names(archive.folder)) {
        EXPECT_EQ(name.find(".html"), std::string::npos) << name << " in place before the sync";
    }
    archive.close();
    const std::vector<std::string> all = names(archive.folder);
    EXPECT_TRUE(onlyArchiveNames(all));
    ASSERT_EQ(all.size(), 4u);  // two pages, two attachments
    EXPECT_NE(all[0], all[1]);
    EXPECT_NE(all[0].find(";2"), all[1].find(";2"));  // the second got a name of its own
    EXPECT_EQ(archive.run.problemCount, 0u);
}

TEST_P(CommitBatch, ManyMessagesDoNotAllWaitForTheEnd) {
    if (GetParam() == test::Disk::Vfat) {
        GTEST_SKIP() << "fusefat looks up each name through the whole folder: 300 pages take minutes";
    }
    test::TempDir dir(disk());
    Archive archive(dir.file("a"));
    for (int i = 0; i < 300; ++i) archive.archive(message("Number " + std::to_string(i)));
    size_t pages = 0;
    for (const std::string& name : names(archive.folder)) pages += name.find(".html") != std::string::npos;
    // At least one batch is in place (256 messages, or fewer when two
    // seconds passed first, as on a loaded machine); the last still waits.
    EXPECT_GT(pages, 0u);
    EXPECT_LT(pages, 300u);
}

// Where the page of a message goes, learnt from a run of its own.
std::string pageOf(const std::string& scratch, const std::string& subject) {
    Archive trial(scratch);
    trial.archive(message(subject));
    trial.commit();
    for (const std::string& name : names(trial.folder)) {
        if (name.find(".html") != std::string::npos) return name;
    }
    return std::string();
}

TEST_P(CommitBatch, ANameDifferingOnlyInCaseAsksTheDiskAfterTheWaitingArrive) {
    test::TempDir dir(disk());
    const std::string page = pageOf(dir.file("trial"), "First");
    ASSERT_FALSE(page.empty());
    Archive archive(dir.file("a"));
    archive.archive(message("First"));
    const std::string path = archive.folder + "/" + page;
    ASSERT_FALSE(fs::exists(path));
    EXPECT_TRUE(archive.isNameTaken(path));

    // On a file system that ignores case the other spelling is the same
    // file: the waiting message goes in place and the disk decides.
    std::string shouted = page;
    for (char& c : shouted) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    ASSERT_NE(shouted, page);
    archive.isNameTaken(archive.folder + "/" + shouted);
    EXPECT_TRUE(fs::exists(path));
}

TEST_P(CommitBatch, AMessageThatCannotBePutInPlaceIsReportedAsItself) {
    test::TempDir dir(disk());
    const std::string page = pageOf(dir.file("trial"), "Blocked");
    ASSERT_FALSE(page.empty());

    Archive archive(dir.file("a"));
    archive.archive(message("Blocked"));
    // A folder in its place: that rename fails, the other goes on.
    fs::create_directories(archive.folder + "/" + page);
    archive.archive(message("Fine"));
    EXPECT_EQ(archive.run.problemCount, 0u);
    archive.commit();
    EXPECT_EQ(archive.run.problemCount, 1u);
    ASSERT_EQ(archive.lines.size(), 1u);
    EXPECT_NE(archive.lines[0].find("unable to create file"), std::string::npos);
    EXPECT_NE(archive.lines[0].find("Blocked"), std::string::npos) << archive.lines[0];
    EXPECT_EQ(archive.lines[0].find("Fine"), std::string::npos) << archive.lines[0];

    archive.close();
    const std::vector<std::string> all = names(archive.folder);
    EXPECT_TRUE(onlyArchiveNames(all));
    ASSERT_EQ(all.size(), 2u);  // the page and attachment of "Fine" alone
    for (const std::string& name : all) EXPECT_EQ(name.find("Blocked"), std::string::npos) << name;
}

}  // namespace
}  // namespace tessaly
