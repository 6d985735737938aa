// large_mailbox_test.cpp - mailboxes of more than 4 GiB (a Gmail Takeout
// file, say) are archived whole, with messages found after the 4 GiB mark.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "support/derived_files.h"
#include "support/temp_dir.h"
#include "support/test_run.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

std::string message(const std::string& subject, const std::string& extraHeader = "") {
    return "From ann@example.org Thu Sep  5 14:30:07 2002\nFrom: Ann <ann@example.org>\n"
           "To: Bob <bob@example.com>\nSubject: " + subject + "\n" + extraHeader +
           "Date: Thu, 5 Sep 2002 14:30:07 +0200\n\nThe text of " + subject + ".\n\n";
}

long peakResidentKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

bool writeAll(int fd, const std::string& bytes) {
    return ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
}

TEST(LargeMailbox, MessagesBeyondFourGiBAreArchived) {
    // A message deleted in Thunderbird spans a hole past the 4 GiB mark, so
    // the file takes no disk space and no message of gigabytes is converted;
    // real messages follow it.
    test::TempDir dir;
    const std::string path = dir.file("All mail");
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(writeAll(fd, message("before") + message("deleted", "X-Mozilla-Status: 0009\n")));
    const off_t beyond = (off_t{1} << 32) + 4096;
    const bool sparse = ::lseek(fd, beyond, SEEK_SET) == beyond;
    ASSERT_TRUE(writeAll(fd, "\n\n" + message("after one") + message("after two")));
    ::close(fd);
    if (!sparse) GTEST_SKIP() << "this file system cannot hold a sparse file of 4 GiB";

    TDbxFolderInfo entry;
    entry.directory = dir.path();
    entry.fileName = "All mail";
    entry.name = entry.folderPath = "All mail";
    test::TestRun job;
    const long peakBefore = peakResidentKiB();
    job.archive(SourceKind::Mailboxes, {entry}, dir.file("archive"), false);
    // The scan gives back what it passed, also inside the deleted message:
    // memory stays far below the file's size.
    EXPECT_LT(peakResidentKiB(), peakBefore + (1L << 20)) << "KiB";

    EXPECT_TRUE(job.lines.empty()) << job.lines.front();
    EXPECT_EQ(job.run.messageCount, 4u);
    EXPECT_EQ(job.run.deletedCount, 1u);
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir.file("archive/All mail"))) {
        if (!test::isDerivedFile(e.path().filename().string())) names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    ASSERT_EQ(names.size(), 3u);
    EXPECT_NE(names[0].find("after one"), std::string::npos) << names[0];
    EXPECT_NE(names[1].find("after two"), std::string::npos) << names[1];
    EXPECT_NE(names[2].find("before"), std::string::npos) << names[2];
}

}  // namespace
}  // namespace tessaly
