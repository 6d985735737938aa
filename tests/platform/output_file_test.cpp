// output_file_test.cpp - staged output files: nothing under the final name
// until the whole file is on disk, nothing left behind by a failed or
// abandoned write, and the clearing of temporaries that interrupted runs
// left.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/files.h"
#include "support/file_size_limit.h"
#include "support/on_each_disk.h"
#include "support/temp_dir.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> entries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The id of a process that has ended.
pid_t endedProcess() {
    const pid_t child = fork();
    if (child == 0) _exit(0);
    waitpid(child, nullptr, 0);
    return child;
}

// Each case on the usual disk and on FAT32 and exFAT images.
class StagedFile : public test::OnEachDisk {};
TESSALY_ON_EACH_DISK(StagedFile);

TEST_P(StagedFile, TheFinalNameAppearsOnlyWithTheWholeFile) {
    test::TempDir temp(disk());
    const std::string path = temp.file("page.html");
    OutputFile file;
    ASSERT_TRUE(file.createStaged(path));
    ASSERT_TRUE(file.write("first half, "));
    EXPECT_FALSE(fs::exists(path));
    ASSERT_EQ(entries(temp.path()).size(), 1u);
    EXPECT_TRUE(isStaleTemporaryName(entries(temp.path())[0]));  // ours, by its name
    ASSERT_TRUE(file.write("second half"));
    ASSERT_TRUE(file.commit(CreateMode::Always));
    EXPECT_EQ(test::readFile(path), "first half, second half");
    EXPECT_EQ(entries(temp.path()), std::vector<std::string>{"page.html"});
}

TEST_P(StagedFile, AnAbandonedOrFailedWriteLeavesNothing) {
    test::TempDir temp(disk());
    const std::string path = temp.file("page.html");
    {
        OutputFile file;
        ASSERT_TRUE(file.createStaged(path));
        file.write("never finished");
    }
    EXPECT_TRUE(entries(temp.path()).empty());

    // A full disk: the write fails half-way and the file never gets its name.
    OutputFile file;
    ASSERT_TRUE(file.createStaged(path));
    {
        test::FileSizeLimit full(1000);
        EXPECT_FALSE(file.write(std::string(5000, 'x')));
    }
    file.write("more after the failure");
    EXPECT_FALSE(file.complete());
    EXPECT_EQ(lastSystemError(), EFBIG);  // the first failure, not a later one
    EXPECT_FALSE(file.putInPlace(CreateMode::Always));
    EXPECT_TRUE(entries(temp.path()).empty());
}

TEST_P(StagedFile, CreateNewKeepsAnExistingFile) {
    test::TempDir temp(disk());
    const std::string path = temp.file("folvane.css");
    test::writeFile(path, "edited by the user");
    OutputFile file;
    ASSERT_TRUE(file.createStaged(path));
    file.write("default");
    EXPECT_FALSE(file.commit(CreateMode::New));
    EXPECT_EQ(lastSystemError(), EEXIST);
    EXPECT_EQ(test::readFile(path), "edited by the user");
    EXPECT_EQ(entries(temp.path()), std::vector<std::string>{"folvane.css"});

    fs::remove(path);
    ASSERT_TRUE(file.createStaged(path));
    file.write("default");
    EXPECT_TRUE(file.commit(CreateMode::New));
    EXPECT_EQ(test::readFile(path), "default");
}

TEST_P(StagedFile, CreatingInAMissingFolderFails) {
    test::TempDir temp(disk());
    test::writeFile(temp.file("file"), "");
    OutputFile file;
    EXPECT_FALSE(file.createStaged(temp.file("missing/page.html")));
    EXPECT_EQ(lastSystemError(), ENOENT);
    EXPECT_FALSE(file.createStaged(temp.file("file/page.html")));  // a file where a folder should be
    EXPECT_EQ(lastSystemError(), ENOTDIR);
}

// A NUL byte would cut the path short in every system call, so that the
// file would be made under another name: such paths name nothing.
TEST_P(StagedFile, APathWithANulByteNamesNothing) {
    test::TempDir temp(disk());
    const std::string cut = temp.file("report");
    test::writeFile(cut, "an older file");
    const std::string path = cut + std::string("\0.pdf", 5);
    OutputFile file;
    EXPECT_FALSE(file.createStaged(path));
    EXPECT_EQ(lastSystemError(), EINVAL);
    EXPECT_FALSE(file.create(path, CreateMode::Always));
    EXPECT_FALSE(pathExists(path));
    EXPECT_FALSE(createFolder(temp.file(std::string("new\0folder", 10))));
    EXPECT_EQ(entries(temp.path()), std::vector<std::string>{"report"});
    EXPECT_EQ(test::readFile(cut), "an older file");
}

TEST(StaleTemporaries, OnlyThoseOfEndedProcessesAndOurOwnAreRemoved) {
    test::TempDir temp;
    const std::string ended = std::to_string(endedProcess());
    const std::string own = std::to_string(getpid());
    struct Row {
        std::string name;
        bool removed;
    };
    const Row rows[] = {
        {".tessaly-" + ended + "-17.tmp", true},     // its run was killed
        {".tessaly-" + own + "-3.tmp", true},        // this process holds none open here
        {".tessaly-1-5.tmp", false},                 // process 1 still runs
        {".tessaly-" + ended + "-17.journal", false},  // journals are the archive's to clear
        {".tessaly-" + ended + ".tmp", false},        // not our pattern
        {".tessaly-x-1.tmp", false},
        {".tessaly-4294967295-1.tmp", false},  // no process id: never kill(-1, 0)
        {"Ann - Hi - 05092002'143007'k3p0qa.html", false},
        {"notes.tmp", false},
        // Saved attachments declared as ".tessaly-<pid>-N.tmp": the stamp
        // after the name makes them no temporaries of ours.
        {".tessaly-" + ended + "-7 - 05092002'143007'k3p0qa.tmp", false},
        {".tessaly-" + ended + "-7 - 05092002'143007'k3p0qa;2.tmp", false},
        {".tessaly-" + ended + "-7x.tmp", false},
        {".tessaly-" + ended + "--7.tmp", false},
        {".tessaly-" + ended + "-.tmp", false},
        {".tessaly--" + ended + "-7.tmp", false},
        {".tessaly-+" + ended + "-7.tmp", false},
    };
    for (const Row& row : rows) test::writeFile(temp.file(row.name), "x");
    // A folder named like a staged file is no leftover of ours.
    const std::string folder = temp.file(".tessaly-" + ended + "-18.tmp");
    fs::create_directory(folder);
    removeStaleTemporaries(temp.path());
    for (const Row& row : rows) EXPECT_EQ(fs::exists(temp.file(row.name)), !row.removed) << row.name;
    EXPECT_TRUE(fs::is_directory(folder));
}

}  // namespace
}  // namespace tessaly
