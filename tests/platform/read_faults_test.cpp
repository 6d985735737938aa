// read_faults_test.cpp - a mapped file that another program shrinks: reads
// past the cut give zeros instead of SIGBUS, and the shrinking shows.
#include "platform/read_faults.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <string>

#include "platform/files.h"
#include "support/temp_dir.h"

namespace tessaly {
namespace {

TEST(MappedFileShrinking, ReadsPastTheCutGiveZerosAndTheCutShows) {
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    const size_t size = 5 * page + 100;
    struct Row {
        const char* what;
        size_t cutTo;
    };
    const Row rows[] = {
        {"cut to nothing: every page faults", 0},
        {"cut at a page boundary", 2 * page},
        {"cut inside a page: the rest of that page reads as zeros without a fault", 3 * page + 7},
        {"only the last partial page lost", 5 * page},
        {"a few bytes lost, no page faults at all", size - 3},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        test::TempDir temp;
        const std::string path = temp.file("box");
        test::writeFile(path, std::string(size, 'x'));
        MappedFile map;
        ASSERT_EQ(map.open(path), MappedFile::Status::Ok);
        EXPECT_FALSE(map.truncatedWhileMapped());
        EXPECT_FALSE(anyMappedFileShrunk());
        ASSERT_EQ(truncate(path.c_str(), static_cast<off_t>(row.cutTo)), 0);

        size_t kept = 0;
        size_t zeros = 0;
        for (size_t i = 0; i < size; ++i) {
            kept += map.data()[i] == 'x';
            zeros += map.data()[i] == 0;
        }
        EXPECT_EQ(kept, row.cutTo);
        EXPECT_EQ(zeros, size - row.cutTo);
        EXPECT_TRUE(map.truncatedWhileMapped());
        EXPECT_TRUE(anyMappedFileShrunk());
        map.close();
        EXPECT_FALSE(anyMappedFileShrunk());
    }
}

TEST(MappedFileShrinking, AFileThatGrowsIsNotCut) {
    test::TempDir temp;
    const std::string path = temp.file("box");
    test::writeFile(path, "From a@b.org Thu Sep  5 14:30:07 2002\n");
    MappedFile map;
    ASSERT_EQ(map.open(path), MappedFile::Status::Ok);
    ASSERT_EQ(truncate(path.c_str(), 100000), 0);
    EXPECT_FALSE(map.truncatedWhileMapped());
}

// The handler answers faults in guarded regions only; any other SIGBUS ends
// the process as it always did.
TEST(MappedFileShrinkingDeathTest, AFaultOutsideGuardedRegionsStillEndsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    test::TempDir temp;
    const std::string path = temp.file("plain");
    test::writeFile(path, std::string(10000, 'x'));
    // A guarded mapping exists, so the handler is installed.
    MappedFile guarded;
    ASSERT_EQ(guarded.open(path), MappedFile::Status::Ok);
    EXPECT_DEATH(
        {
            const int fd = ::open(path.c_str(), O_RDONLY);
            auto* bytes = static_cast<volatile const char*>(mmap(nullptr, 10000, PROT_READ, MAP_PRIVATE, fd, 0));
            if (ftruncate(::open(path.c_str(), O_WRONLY), 0) != 0) _exit(0);
            (void)bytes[8000];
            _exit(0);
        },
        "");
}

}  // namespace
}  // namespace tessaly
