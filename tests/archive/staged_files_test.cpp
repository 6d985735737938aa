// staged_files_test.cpp - one message's files put in place together, and
// what a later run clears after a run killed half-way through.
#include "archive/staged_files.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "support/on_each_disk.h"
#include "support/temp_dir.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

pid_t endedProcess() {
    const pid_t child = fork();
    if (child == 0) _exit(0);
    waitpid(child, nullptr, 0);
    return child;
}

std::unique_ptr<OutputFile> completedFile(const std::string& path, const std::string& bytes) {
    auto file = std::make_unique<OutputFile>();
    EXPECT_TRUE(file->createStaged(path));
    file->write(bytes);
    EXPECT_TRUE(file->complete());
    return file;
}

size_t entryCount(const std::string& folder) {
    return static_cast<size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

// Each case on the usual disk and on FAT32 and exFAT images.
class StagedMessageFiles : public test::OnEachDisk {};
TESSALY_ON_EACH_DISK(StagedMessageFiles);

TEST_P(StagedMessageFiles, EverythingArrivesTogetherAndNothingElseStays) {
    test::TempDir dir(disk());
    fs::create_directories(dir.file("attachments"));
    MessageFiles files(dir.file("page.html"));
    ASSERT_TRUE(files.createMain());
    files.main().write("<html>");
    files.keepAttachment(completedFile(dir.file("attachments/a.bin"), "A"));
    files.keepAttachment(completedFile(dir.file("attachments/b.bin"), "B"));
    EXPECT_FALSE(fs::exists(dir.file("attachments/a.bin")));
    EXPECT_EQ(files.commit(), MessageFiles::Outcome::InPlace);
    EXPECT_EQ(test::readFile(dir.file("page.html")), "<html>");
    EXPECT_EQ(test::readFile(dir.file("attachments/b.bin")), "B");
    EXPECT_EQ(entryCount(dir.path()), 2u);  // no journal, no temporaries
    EXPECT_EQ(entryCount(dir.file("attachments")), 2u);
}

TEST_P(StagedMessageFiles, AnIncompleteMessagePutsNothingInPlace) {
    test::TempDir dir(disk());
    fs::create_directories(dir.file("attachments"));
    MessageFiles files(dir.file("page.html"));
    ASSERT_TRUE(files.createMain());
    files.keepAttachment(completedFile(dir.file("attachments/a.bin"), "A"));
    files.markIncomplete(ENOSPC);
    EXPECT_EQ(files.commit(), MessageFiles::Outcome::Failed);
    EXPECT_EQ(lastSystemError(), ENOSPC);
    EXPECT_EQ(entryCount(dir.path()), 1u);  // the attachments folder only
    EXPECT_EQ(entryCount(dir.file("attachments")), 0u);
}

// Each case on the usual disk and on FAT32 and exFAT images.
class StaleArchiveFiles : public test::OnEachDisk {};
TESSALY_ON_EACH_DISK(StaleArchiveFiles);

// A run killed after some attachments were renamed but before the page was
// leaves them with a journal; the next run takes them back unless the page
// arrived after all.
TEST_P(StaleArchiveFiles, AttachmentsOfAPageThatNeverArrivedAreRemoved) {
    const std::string ended = std::to_string(endedProcess());
    struct Row {
        const char* what;
        std::string journalName;
        std::string journal;
        bool pageArrived;
        std::vector<std::string> removed;
    };
    const std::string killed = ".tessaly-" + ended + "-9.journal";
    const std::string list = "page.html\0attachments/a.bin\0attachments/b.bin\0"s;
    const Row rows[] = {
        {"killed before the page", killed, list, false, {"attachments/a.bin", "attachments/b.bin"}},
        {"killed after the page", killed, list, true, {}},
        {"a journal cut short lists fewer", killed, list.substr(0, 29), false, {"attachments/a.bin"}},
        {"a journal of a process still running is left alone", ".tessaly-1-9.journal", list, false, {}},
        {"names that leave the attachments folder are ignored", killed,
         "page.html\0attachments/../keep.txt\0../keep.txt\0attachments/\0attachments/sub/x\0"
         "attachments/..\0/keep.txt\0"s,
         false, {}},
        {"an empty journal", killed, "", false, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        test::TempDir dir(disk());
        fs::create_directories(dir.file("attachments/sub"));
        for (const char* name : {"attachments/a.bin", "attachments/b.bin", "attachments/other.bin",
                                 "attachments/sub/x", "keep.txt"}) {
            test::writeFile(dir.file(name), "x");
        }
        if (row.pageArrived) test::writeFile(dir.file("page.html"), "<html>");
        test::writeFile(dir.file(row.journalName), row.journal);
        test::writeFile(dir.file(".tessaly-" + ended + "-10.tmp"), "half a page");
        test::writeFile(dir.file("attachments/.tessaly-" + ended + "-11.tmp"), "half a file");

        removeStaleArchiveFiles(dir.path());
        for (const char* name : {"attachments/a.bin", "attachments/b.bin", "attachments/other.bin",
                                 "attachments/sub/x", "keep.txt"}) {
            const bool removed = std::find(row.removed.begin(), row.removed.end(), name) != row.removed.end();
            EXPECT_EQ(fs::exists(dir.file(name)), !removed) << name;
        }
        EXPECT_EQ(fs::exists(dir.file(row.journalName)), row.journalName != killed);
        EXPECT_FALSE(fs::exists(dir.file(".tessaly-" + ended + "-10.tmp")));
        EXPECT_FALSE(fs::exists(dir.file("attachments/.tessaly-" + ended + "-11.tmp")));
    }
}

// A batch of messages shares one journal: each page takes back only its own
// attachments.
TEST_P(StaleArchiveFiles, AJournalOfSeveralPagesIsReadPageByPage) {
    const std::string ended = std::to_string(endedProcess());
    const std::string journal = ".tessaly-" + ended + "-3.journal";
    test::TempDir dir(disk());
    fs::create_directories(dir.file("attachments"));
    for (const char* name : {"attachments/1.bin", "attachments/2a.bin", "attachments/2b.bin", "attachments/3.bin"}) {
        test::writeFile(dir.file(name), "x");
    }
    test::writeFile(dir.file("one.html"), "<html>");  // arrived; two.html and three.html did not
    const std::string groups = "one.html\0attachments/1.bin\0\0two.html\0attachments/2a.bin\0attachments/2b.bin\0\0"
                               "three.html\0attachments/3."s;  // cut short inside the last name
    test::writeFile(dir.file(journal), groups);

    removeStaleArchiveFiles(dir.path());
    EXPECT_TRUE(fs::exists(dir.file("attachments/1.bin")));
    EXPECT_FALSE(fs::exists(dir.file("attachments/2a.bin")));
    EXPECT_FALSE(fs::exists(dir.file("attachments/2b.bin")));
    EXPECT_TRUE(fs::exists(dir.file("attachments/3.bin")));  // not the name listed
    EXPECT_FALSE(fs::exists(dir.file(journal)));
}

}  // namespace
}  // namespace tessaly
