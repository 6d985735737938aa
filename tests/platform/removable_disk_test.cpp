// removable_disk_test.cpp - staged files on FAT and exFAT sticks: put in
// place where renames cannot refuse to replace and there are no hard links,
// and dated where drivers take a new time only with both times.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/errors.h"
#include "platform/files.h"
#include "platform/name_rules.h"
#include "platform/time.h"
#include "support/on_each_disk.h"
#include "support/temp_dir.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

int64_t modifiedAt(const std::string& path) {
    struct stat st{};
    stat(path.c_str(), &st);
    return st.st_mtim.tv_sec;
}

class RemovableDisk : public test::OnEachDisk {};
TESSALY_ON_EACH_DISK(RemovableDisk);

// Staged files put in place only when the name is free: an existing file
// is kept under any spelling the file system takes for its own name.
TEST_P(RemovableDisk, APlaceTakenInAnyLetterCaseIsKept) {
    test::TempDir dir(disk());
    test::writeFile(dir.file("Report.pdf"), "the first");
    const bool ignoresCase = nameRulesFor(dir.path()).ignoresCase;
    OutputFile file;
    ASSERT_TRUE(file.createStaged(dir.file("report.pdf")));
    file.write("the second");
    if (ignoresCase) {
        EXPECT_FALSE(file.commit(CreateMode::New));
        EXPECT_EQ(lastSystemError(), EEXIST);
        EXPECT_EQ(test::entryCount(dir.path()), 1u);
    } else {
        EXPECT_TRUE(file.commit(CreateMode::New)) << systemErrorText();
        EXPECT_EQ(test::readFile(dir.file("report.pdf")), "the second");
    }
    EXPECT_EQ(test::readFile(dir.file("Report.pdf")), "the first");

    ASSERT_TRUE(file.createStaged(dir.file("other.pdf")));
    file.write("free");
    EXPECT_TRUE(file.commit(CreateMode::New)) << systemErrorText();
    EXPECT_EQ(test::readFile(dir.file("other.pdf")), "free");
}

TEST_P(RemovableDisk, StagedFilesGetTheirTime) {
    test::TempDir dir(disk());
    struct Row {
        const char* why;
        int64_t seconds;
    };
    const Row rows[] = {
        {"an even second, which FAT can hold", 1031300100},  // 2002-09-06 08:15:00 UTC
        {"an odd second: FAT keeps it to two seconds", 1031300101},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        const std::string path = dir.file("dated-" + std::to_string(row.seconds) + ".eml");
        OutputFile file;
        ASSERT_TRUE(file.createStaged(path));
        file.write("body");
        EXPECT_TRUE(file.setTime(unixToFileTime(row.seconds, 0)));
        ASSERT_TRUE(file.commit(CreateMode::Always));
        EXPECT_LE(std::abs(modifiedAt(path) - row.seconds), onImage() ? 1 : 0);

        ASSERT_TRUE(setFileTime(path, unixToFileTime(row.seconds + 10, 0)));
        EXPECT_LE(std::abs(modifiedAt(path) - row.seconds - 10), onImage() ? 1 : 0);
    }
}

}  // namespace
}  // namespace tessaly
