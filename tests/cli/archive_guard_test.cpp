// archive_guard_test.cpp - the archive folder before and during a run: a
// second run into it is refused while the first holds it, a folder that
// cannot be written is said so once before anything starts, and a disk
// that fills up ends the run after what fits, which a later run completes.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/file_lock.h"
#include "support/run_cli.h"
#include "support/temp_dir.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

const std::string kInbox = std::string(TESSALY_SAMPLES_DIR) + "/Inbox.bmf";

size_t linesContaining(const std::string& text, const std::string& piece) {
    size_t n = 0;
    for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
    return n;
}

// The message pages of an archive: .html files in its folders, not the
// index and search pages at its root nor those of .tessaly/.
size_t pagesBelow(const std::string& root) {
    size_t n = 0;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        const std::string relative = fs::relative(e.path(), root).string();
        n += e.is_regular_file() && e.path().extension() == ".html" && relative.find('/') != std::string::npos &&
             relative.rfind(".tessaly/", 0) != 0;
    }
    return n;
}

// A small file system of its own for one test (tmpfs, so root only).
class SmallDisk {
public:
    SmallDisk(const std::string& where, const std::string& options) : where_(where) {
        fs::create_directories(where);
        mounted_ = ::mount("tmpfs", where.c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~SmallDisk() {
        if (mounted_) ::umount2(where_.c_str(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool mounted() const { return mounted_; }
    bool remount(const std::string& options, unsigned long flags = 0) {
        return ::mount("tmpfs", where_.c_str(), "tmpfs", MS_REMOUNT | flags, options.c_str()) == 0;
    }

private:
    std::string where_;
    bool mounted_ = false;
};

TEST(ArchiveGuard, ASecondRunIntoAnArchiveInUseIsRefusedAndAStaleLockNeverBlocks) {
    test::TempDir dir;
    const std::string archive = dir.file("archive");
    fs::create_directories(archive + "/.tessaly");
    const std::vector<std::string> args = {"archive", "--to", archive, kInbox};
    {
        FileLock held;  // the other run
        ASSERT_EQ(held.take(archive + "/.tessaly/run.lock"), FileLock::Result::Taken);
        const Outcome refused = runCli(args, dir);
        EXPECT_EQ(refused.status, 1);
        EXPECT_NE(refused.err.find("is in use by another run of Tessaly"), std::string::npos) << refused.err;
        EXPECT_FALSE(fs::exists(archive + "/Inbox"));
    }
    // A run that was killed leaves its lock file, not its lock.
    const pid_t child = fork();
    if (child == 0) {
        FileLock dying;
        dying.take(archive + "/.tessaly/run.lock");
        _exit(dying.held() ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(fs::exists(archive + "/.tessaly/run.lock"));
    const Outcome later = runCli(args, dir);
    EXPECT_EQ(later.status, 0) << later.err;
    EXPECT_GT(pagesBelow(archive), 0u);
}

TEST(ArchiveGuard, AnArchiveFolderThatCannotBeWrittenIsSaidOnceBeforeTheRun) {
    test::TempDir dir;
    test::writeFile(dir.file("file"), "not a folder");
    const Outcome onFile = runCli({"archive", "--to", dir.file("file"), kInbox}, dir);
    EXPECT_EQ(onFile.status, 1);
    EXPECT_NE(onFile.err.find("is a file, not a folder."), std::string::npos) << onFile.err;
    EXPECT_EQ(linesContaining(onFile.err, "\n"), 1u) << onFile.err;

    const Outcome below = runCli({"archive", "--to", dir.file("file/archive"), kInbox}, dir);
    EXPECT_EQ(below.status, 1);
    EXPECT_NE(below.err.find("cannot be created: Not a directory."), std::string::npos) << below.err;

    SmallDisk disk(dir.file("ro"), "size=1m");
    if (!disk.mounted()) GTEST_SKIP() << "no tmpfs mount here (needs root): the read-only case is not tried";
    ASSERT_TRUE(disk.remount("size=1m", MS_RDONLY));
    const Outcome readOnly = runCli({"archive", "--to", dir.file("ro"), kInbox}, dir);
    EXPECT_EQ(readOnly.status, 1);
    EXPECT_NE(readOnly.err.find("cannot be written to: Read-only file system."), std::string::npos)
        << readOnly.err;
    EXPECT_EQ(linesContaining(readOnly.err, "\n"), 1u) << readOnly.err;
}

// Messages of about 40 KB each, one attachment apiece.
std::string bigMessages(int count) {
    std::string box;
    std::string line(76, 'Q');
    for (int i = 0; i < count; ++i) {
        box += "From ann@example.org Thu Sep  5 14:30:07 2002\nFrom: Ann <ann@example.org>\nTo: bob@example.org\n"
               "Subject: part " + std::to_string(i) + "\nDate: Thu, 5 Sep 2002 14:30:07 +0000\nMIME-Version: 1.0\n"
               "Content-Type: multipart/mixed; boundary=\"b\"\n\n--b\nContent-Type: text/plain\n\nSee the file.\n"
               "--b\nContent-Type: application/octet-stream; name=\"data.bin\"\nContent-Transfer-Encoding: base64\n\n";
        for (int k = 0; k < 500; ++k) box += line + "\n";
        box += "--b--\n\n";
    }
    return box;
}

TEST(ArchiveGuard, AFullDiskEndsTheRunWithOneLineAndALaterRunArchivesTheRest) {
    test::TempDir dir;
    test::writeFile(dir.file("box"), bigMessages(60));
    SmallDisk disk(dir.file("small"), "size=640k");
    if (!disk.mounted()) GTEST_SKIP() << "no tmpfs mount here (needs root): a full disk is not tried";
    const std::string archive = dir.file("small/archive");
    const std::vector<std::string> args = {"archive", "--to", archive, dir.file("box")};

    const Outcome full = runCli(args, dir);
    EXPECT_EQ(full.status, 1);  // stopped
    EXPECT_EQ(linesContaining(full.err, "the disk of the archive folder is full"), 1u) << full.err;
    EXPECT_LE(linesContaining(full.err, "Error"), 4u) << full.err;
    const size_t fitted = pagesBelow(archive);
    EXPECT_GT(fitted, 0u);
    EXPECT_LT(fitted, 60u);

    ASSERT_TRUE(disk.remount("size=16m"));
    const Outcome rest = runCli(args, dir);
    EXPECT_EQ(rest.status, 0) << rest.err;
    EXPECT_EQ(pagesBelow(archive), 60u);
    for (const auto& e : fs::recursive_directory_iterator(archive)) {
        if (e.path().filename().string().rfind("data - ", 0) == 0) {
            EXPECT_EQ(fs::file_size(e.path()), 500u * 57u) << e.path();
        }
    }
}

// A disk out of files (inodes) has no room for the journal that puts the
// waiting messages in place: the newest of them give theirs back, so that
// the others are archived, and one line says why the run stopped.
TEST(ArchiveGuard, ADiskOutOfFilesArchivesWhatFitsWithOneLine) {
    test::TempDir dir;
    test::writeFile(dir.file("box"), bigMessages(60));
    SmallDisk disk(dir.file("small"), "size=16m,nr_inodes=80");
    if (!disk.mounted()) GTEST_SKIP() << "no tmpfs mount here (needs root): a full disk is not tried";
    const std::string archive = dir.file("small/archive");
    const std::vector<std::string> args = {"archive", "--to", archive, dir.file("box")};

    const Outcome full = runCli(args, dir);
    EXPECT_EQ(full.status, 1);  // stopped
    EXPECT_EQ(linesContaining(full.err, "\n"), 1u) << full.err;
    EXPECT_EQ(linesContaining(full.err, "the disk of the archive folder is full"), 1u) << full.err;
    // Each message takes two files; the folders and catalogue a few more.
    const size_t fitted = pagesBelow(archive);
    EXPECT_GE(fitted, 25u);
    EXPECT_LT(fitted, 60u);

    ASSERT_TRUE(disk.remount("size=16m,nr_inodes=4000"));
    const Outcome rest = runCli(args, dir);
    EXPECT_EQ(rest.status, 0) << rest.err;
    EXPECT_EQ(pagesBelow(archive), 60u);
}

}  // namespace
}  // namespace tessaly
