// files_test.cpp - existence patterns, folder creation, output files with
// their times, and whole-file mapping limits.
#include "platform/files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "platform/errors.h"
#include "support/temp_dir.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TempDir;
using test::writeFile;

TEST(PathExists, PatternsAndPlainPaths) {
    TempDir temp;
    const std::string& t = temp.path();
    fs::create_directories(t + "/empty");
    fs::create_directories(t + "/withfile");
    writeFile(t + "/withfile/a.eml", "x");
    fs::create_directories(t + "/withfolder/sub");
    fs::create_directories(t + "/hidden");
    writeFile(t + "/hidden/.dot", "");
    writeFile(t + "/file.txt", "");
    struct Row {
        std::string pattern;
        bool exists;
    };
    const Row rows[] = {
        {t + "/empty/*", false},                                  // only "." and ".."
        {t + "/withfile/*", true},  {t + "/withfolder/*", true},  // a subfolder counts as an entry
        {t + "/hidden/*", true},                                  // so does a dot file
        {t + "/withfile\\*", true},                               // backslash before the star
        {t + "/missing/*", false},  {t + "/file.txt/*", false},   // a file is not a folder
        {t + "/file.txt", true},    {t + "/empty", true},          {t + "/empty/", true},
        {t + "/missing", false},    {t + "/withfile/a.eml", true}, {"", false},
    };
    for (const Row& row : rows) EXPECT_EQ(pathExists(row.pattern), row.exists) << row.pattern;
    setLastSystemError(0);
    pathExists(t + "/missing");
    EXPECT_EQ(lastSystemError(), ENOENT);
}

TEST(CreateFolderPath, CreatesEveryMissingLevel) {
    TempDir temp;
    const std::string deep = temp.file("a/b/c/d");
    EXPECT_TRUE(createFolderPath(deep));
    EXPECT_TRUE(isFolder(deep));
    EXPECT_TRUE(createFolderPath(deep));                 // already there
    EXPECT_TRUE(createFolderPath(temp.file("a/b/e/")));  // trailing slash
    EXPECT_TRUE(isFolder(temp.file("a/b/e")));
    writeFile(temp.file("a/file"), "x");
    EXPECT_FALSE(createFolderPath(temp.file("a/file/sub")));  // a file in the way
    EXPECT_FALSE(createFolderPath(temp.file("a/file")));
    EXPECT_FALSE(createFolderPath(""));
}

TEST(OutputFile, CreateNewRefusesAnExistingFile) {
    TempDir temp;
    const std::string path = temp.file("out.eml");
    writeFile(path, "keep me");
    OutputFile out;
    EXPECT_FALSE(out.create(path, CreateMode::New));
    EXPECT_EQ(lastSystemError(), EEXIST);
    EXPECT_FALSE(out.isOpen());
    EXPECT_EQ(readFile(path), "keep me");

    const std::string fresh = temp.file("fresh.eml");
    ASSERT_TRUE(out.create(fresh, CreateMode::New));
    EXPECT_TRUE(out.write("new"));
    EXPECT_TRUE(out.close());
    EXPECT_EQ(readFile(fresh), "new");
    struct stat st{};
    ASSERT_EQ(stat(fresh.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777 & ~0022u, 0644u & ~0022u);
}

TEST(OutputFile, CreateAlwaysTruncates) {
    TempDir temp;
    const std::string path = temp.file("out.html");
    writeFile(path, std::string(10000, 'x'));
    OutputFile out;
    ASSERT_TRUE(out.create(path, CreateMode::Always));
    const std::string big(3 << 20, 'y');  // more than one write() may take
    ASSERT_TRUE(out.write(big.data(), big.size()));
    ASSERT_TRUE(out.write("!"));
    ASSERT_TRUE(out.close());
    EXPECT_TRUE(out.close());  // closing twice is harmless
    EXPECT_EQ(readFile(path), big + "!");

    ASSERT_TRUE(out.create(path, CreateMode::Always));
    ASSERT_TRUE(out.close());
    EXPECT_EQ(fs::file_size(path), 0u);
}

TEST(OutputFile, SetTimeGivesTheWantedModificationTime) {
    TempDir temp;
    const std::string path = temp.file("dated.eml");
    writeFile(path, "");
    const timespec knownAccess[2] = {{1'000'000'000, 0}, {0, UTIME_OMIT}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), knownAccess, 0), 0);

    SYSTEMTIME when;
    when.wYear = 2001;
    when.wMonth = 2;
    when.wDay = 3;
    when.wHour = 4;
    when.wMinute = 5;
    when.wSecond = 6;
    when.wMilliseconds = 789;
    FILETIME ft;
    ASSERT_TRUE(systemTimeToFileTime(when, ft));
    OutputFile out;
    ASSERT_TRUE(out.create(path, CreateMode::Always));
    ASSERT_TRUE(out.write("body"));
    ASSERT_TRUE(out.setTime(ft));
    ASSERT_TRUE(out.close());

    struct stat st{};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mtim.tv_sec, 981173106);  // 2001-02-03 04:05:06 UTC
    EXPECT_EQ(st.st_mtim.tv_nsec, 789'000'000);
    EXPECT_EQ(st.st_atim.tv_sec, 1'000'000'000);  // access time left alone

    // By path, and before 1970.
    ASSERT_TRUE(setFileTime(path, unixToFileTime(-86400 * 365, 500'000'000)));
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mtim.tv_sec, -86400 * 365);
    EXPECT_EQ(st.st_mtim.tv_nsec, 500'000'000);
    EXPECT_FALSE(setFileTime(temp.file("missing"), ft));

    std::vector<FolderEntry> entries;
    ASSERT_TRUE(listFolder(temp.path(), entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "dated.eml");
    EXPECT_EQ(entries[0].size, 4u);
    EXPECT_FALSE(entries[0].isFolder);
    EXPECT_EQ(fileTimeValue(entries[0].lastWriteTime),
              fileTimeValue(unixToFileTime(-86400 * 365, 500'000'000)));
}

TEST(MappedFile, MapsAWholeFile) {
    TempDir temp;
    std::string bytes;
    for (int i = 0; i < 70000; ++i) bytes += static_cast<char>(i * 7);
    writeFile(temp.file("mail.dbx"), bytes);
    MappedFile map;
    ASSERT_EQ(map.open(temp.file("mail.dbx")), MappedFile::Status::Ok);
    ASSERT_EQ(map.size(), bytes.size());
    EXPECT_EQ(std::string(map.data(), map.end()), bytes);

    // Opening another file lets go of the first; a failed open leaves nothing mapped.
    writeFile(temp.file("one"), "1");
    ASSERT_EQ(map.open(temp.file("one")), MappedFile::Status::Ok);
    EXPECT_EQ(std::string(map.data(), map.end()), "1");
    EXPECT_EQ(map.open(temp.file("missing")), MappedFile::Status::CannotOpen);
    EXPECT_EQ(lastSystemError(), ENOENT);
    EXPECT_EQ(map.data(), nullptr);
    EXPECT_EQ(map.size(), 0u);
}

TEST(MappedFile, RefusesEmptyAndTooBigFiles) {
    TempDir temp;
    writeFile(temp.file("empty"), "");
    MappedFile map;
    EXPECT_EQ(map.open(temp.file("empty")), MappedFile::Status::Empty);
    EXPECT_EQ(map.data(), nullptr);

    // Sparse files: no disk space is used.
    const auto sparse = [&](const std::string& name, off_t size) {
        const int fd = ::open(temp.file(name).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(ftruncate(fd, size), 0);
        ::close(fd);
    };
    sparse("4gib", off_t{1} << 32);
    EXPECT_EQ(map.open(temp.file("4gib")), MappedFile::Status::TooBig);
    sparse("huge", off_t{1} << 40);
    EXPECT_EQ(map.open(temp.file("huge")), MappedFile::Status::TooBig);
    // One byte less is still mapped.
    sparse("justbelow", (off_t{1} << 32) - 1);
    ASSERT_EQ(map.open(temp.file("justbelow")), MappedFile::Status::Ok);
    EXPECT_EQ(map.size(), 0xFFFFFFFFu);
    EXPECT_EQ(map.data()[0], 0);
    map.close();
    EXPECT_EQ(map.data(), nullptr);
}

TEST(MappedFile, RefusesWhatIsNotARegularFile) {
    TempDir temp;
    MappedFile map;
    EXPECT_EQ(map.open(temp.path()), MappedFile::Status::CannotOpen);
    EXPECT_EQ(lastSystemError(), EISDIR);
    // A FIFO would block a plain open until a writer came along.
    ASSERT_EQ(mkfifo(temp.file("fifo").c_str(), 0600), 0);
    EXPECT_EQ(map.open(temp.file("fifo")), MappedFile::Status::CannotOpen);
}

}  // namespace
}  // namespace tessaly
