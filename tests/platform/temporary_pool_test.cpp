// temporary_pool_test.cpp - staged files made ahead: handed out writable in
// the folder asked for, never in another, and gone when the pool goes;
// a folder that takes no files leaves the caller to try for itself.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/errors.h"
#include "platform/files.h"
#include "platform/temporary_pool.h"
#include "support/temp_dir.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

size_t filesIn(const std::string& folder) {
    size_t count = 0;
    for (const auto& entry : fs::directory_iterator(folder)) count += entry.is_regular_file();
    return count;
}

// The pool makes its files on a thread of its own, from the first time one
// is asked for: wait for one, a while at most.
bool takeSoon(TemporaryPool& pool, const std::string& folder, int& fd, std::string& path) {
    for (int tries = 0; tries < 2000; ++tries) {
        if (pool.take(folder, fd, path)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

TEST(TemporaryPool, FilesComeFromTheirFolderAndThoseNotTakenGo) {
    test::TempDir dir;
    fs::create_directories(dir.file("a/attachments"));
    fs::create_directories(dir.file("never"));
    const std::string a = dir.file("a") + "/", attachments = dir.file("a/attachments") + "/";
    {
        TemporaryPool pool({a, attachments, dir.file("never") + "/"});
        int fd = -1;
        std::string path;
        ASSERT_TRUE(takeSoon(pool, attachments, fd, path));
        EXPECT_EQ(path.rfind(attachments + ".tessaly-", 0), 0u) << path;
        EXPECT_TRUE(isStaleTemporaryName(fs::path(path).filename().string()));
        ASSERT_EQ(::write(fd, "xyz", 3), 3);
        ::close(fd);
        EXPECT_EQ(test::readFile(path), "xyz");
        EXPECT_FALSE(pool.take(dir.file("elsewhere") + "/", fd, path));
        EXPECT_EQ(filesIn(dir.file("never")), 0u);  // nothing asked for there, nothing made
        ASSERT_TRUE(takeSoon(pool, a, fd, path));
        ::close(fd);
        ::unlink(path.c_str());
    }
    EXPECT_EQ(filesIn(a), 0u);
    EXPECT_EQ(filesIn(attachments), 1u);  // the one taken and written stays
}

TEST(TemporaryPool, AFolderThatTakesNoFilesLeavesItToTheCaller) {
    test::TempDir dir;
    TemporaryPool pool({dir.file("missing") + "/"});
    OutputFile file;
    EXPECT_FALSE(file.createStaged(dir.file("missing/page.html"), &pool));
    EXPECT_EQ(lastSystemError(), ENOENT);  // the caller's own attempt, with its error
    fs::create_directories(dir.file("missing"));
    ASSERT_TRUE(file.createStaged(dir.file("missing/page.html"), &pool));  // made by the caller
    ASSERT_TRUE(file.write("page") && file.complete() && file.putInPlace(CreateMode::New));
    EXPECT_EQ(test::readFile(dir.file("missing/page.html")), "page");
}

}  // namespace
}  // namespace tessaly
