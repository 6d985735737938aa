// confined_root_test.cpp - writes below a confined root never pass a link
// nor leave the root, with the kernel's resolution and with the walk of
// O_NOFOLLOW opens alike.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/confined_root.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "support/temp_dir.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

bool isEmptyFolder(const std::string& path) { return fs::is_directory(path) && fs::is_empty(path); }

// An archive root with a real folder, and links planted in it.
class ConfinedRootTest : public ::testing::TestWithParam<ConfinedWalk> {
protected:
    void SetUp() override {
        setConfinedWalk(GetParam());
        root = dir.file("root");
        outside = dir.file("outside");
        fs::create_directories(root + "/sub");
        fs::create_directories(outside);
        fs::create_symlink(outside, root + "/away");                    // absolute, out of the root
        fs::create_symlink("sub", root + "/inside");                    // relative, to a folder inside
        fs::create_symlink(outside + "/planted.html", root + "/page");  // dangling, at a file's name
        fs::create_symlink("../sub", root + "/sub/up");                 // relative, back inside
    }
    void TearDown() override { setConfinedWalk(ConfinedWalk::Kernel); }

    test::TempDir dir;
    std::string root;
    std::string outside;
};

TEST_P(ConfinedRootTest, RefusesEveryWayThroughALinkOrOut) {
    const ConfinedRoot confined(root);
    ASSERT_TRUE(confined.active());
    struct Case {
        const char* reason;
        const char* path;
        int error;
    };
    const Case cases[] = {
        {"an absolute link to a folder outside", "away/x.html", ELOOP},
        {"a link to a folder inside is refused all the same", "inside/x.html", ELOOP},
        {"a link deeper down", "sub/up/x.html", ELOOP},
        {"a link at the file's own name", "page", ELOOP},
        {"\"..\" that leads out of the root", "sub/../../outside/x.html", EXDEV},
        {"\"..\" as the last name", "sub/..", EXDEV},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        const std::string path = root + "/" + c.path;
        OutputFile always;
        EXPECT_FALSE(always.create(path, CreateMode::Always));
        EXPECT_EQ(lastSystemError(), c.error);
        OutputFile staged;
        const bool made = staged.createStaged(path) && staged.write("x") && staged.commit(CreateMode::Always);
        EXPECT_FALSE(made);
        EXPECT_EQ(lastSystemError(), c.error);
        EXPECT_FALSE(appendToFile(path, "x"));
        EXPECT_FALSE(createFolderPath(path + "/deeper"));
    }
    EXPECT_TRUE(isEmptyFolder(outside));
    EXPECT_EQ(fs::read_symlink(root + "/page"), outside + "/planted.html");
    EXPECT_EQ(fs::read_symlink(root + "/sub/up"), "../sub");
    // Nothing was left under a temporary name either.
    for (const auto& e : fs::directory_iterator(root + "/sub")) EXPECT_EQ(e.path().filename(), "up");
}

TEST_P(ConfinedRootTest, LeavesLinksInPlace) {
    const ConfinedRoot confined(root);
    test::writeFile(outside + "/target.txt", "theirs");
    fs::create_symlink(outside + "/target.txt", root + "/sub/file.txt");
    test::writeFile(root + "/sub/mine.txt", "mine");

    EXPECT_FALSE(removeFile(root + "/sub/file.txt"));
    EXPECT_EQ(lastSystemError(), ELOOP);
    EXPECT_FALSE(renameFile(root + "/sub/mine.txt", root + "/sub/file.txt"));
    EXPECT_FALSE(renameFile(root + "/sub/file.txt", root + "/sub/moved.txt"));
    EXPECT_FALSE(setFileTag(root + "/sub/file.txt", "key", "value"));
    EXPECT_FALSE(setFileTime(root + "/sub/file.txt", FILETIME{}));
    EXPECT_FALSE(removeFolder(root + "/inside"));
    EXPECT_FALSE(createFolder(root + "/away"));
    // A link is no file of the archive: the name is free to be claimed, and
    // the claim then meets the link.
    EXPECT_FALSE(nameInUse(root + "/sub/file.txt"));
    EXPECT_TRUE(nameInUse(root + "/sub/mine.txt"));

    EXPECT_TRUE(fs::is_symlink(root + "/sub/file.txt"));
    EXPECT_TRUE(fs::is_symlink(root + "/inside"));
    EXPECT_TRUE(fs::is_symlink(root + "/away"));
    EXPECT_EQ(test::readFile(outside + "/target.txt"), "theirs");
    EXPECT_EQ(test::readFile(root + "/sub/mine.txt"), "mine");
}

TEST_P(ConfinedRootTest, LinksNamedLikeStagedFilesAreNeitherListedNorCleared) {
    const ConfinedRoot confined(root);
    test::writeFile(outside + "/kept", "theirs");
    // Of this process: a leftover of its own would be cleared.
    const std::string name = std::string(kStagedFilePrefix) + std::to_string(getpid()) + "-7.tmp";
    fs::create_symlink(outside + "/kept", root + "/sub/" + name);
    std::vector<std::string> names;
    ASSERT_TRUE(listNamesStarting(root + "/sub", kStagedFilePrefix, names));
    EXPECT_TRUE(names.empty());
    removeStaleTemporaries(root + "/sub");
    EXPECT_TRUE(fs::is_symlink(root + "/sub/" + name));
    EXPECT_EQ(test::readFile(outside + "/kept"), "theirs");
    // Nor are the folders behind a link listed.
    EXPECT_FALSE(listNamesStarting(root + "/away", "", names));
}

TEST_P(ConfinedRootTest, WritesBelowTheRootGoOnAsBefore) {
    // The root itself may be a link: the user chose it.
    const std::string chosen = dir.file("chosen");
    fs::create_symlink(root, chosen);
    const ConfinedRoot confined(chosen);
    ASSERT_TRUE(createFolderPath(chosen + "/a/b/attachments"));
    ASSERT_TRUE(createFolderPath(chosen + "/a/b/attachments"));  // exists already
    for (int i = 0; i < 6; ++i) {
        // Many files into a few folders, in turn, beyond what is cached.
        const std::string folder = chosen + (i % 3 == 0 ? "/a/b/" : i % 3 == 1 ? "/a/b/attachments/" : "/sub/");
        OutputFile file;
        ASSERT_TRUE(file.createStaged(folder + "f" + std::to_string(i)));
        ASSERT_TRUE(file.write("bytes") && file.commit(CreateMode::New));
    }
    OutputFile again;
    ASSERT_TRUE(again.createStaged(chosen + "/a/b/f0") && again.write("new") && again.commit(CreateMode::Always));
    EXPECT_EQ(test::readFile(root + "/a/b/f0"), "new");
    EXPECT_TRUE(appendToFile(chosen + "/sub/log", "one"));
    EXPECT_TRUE(appendToFile(chosen + "/sub/log", "two"));
    EXPECT_EQ(test::readFile(root + "/sub/log"), "onetwo");
    EXPECT_TRUE(renameFile(chosen + "/sub/log", chosen + "/a/log"));
    EXPECT_TRUE(removeFile(chosen + "/a/log"));
    EXPECT_TRUE(fs::exists(root + "/a/b/attachments/f1"));
    EXPECT_TRUE(fs::exists(root + "/sub/f5"));
}

INSTANTIATE_TEST_SUITE_P(Walks, ConfinedRootTest, ::testing::Values(ConfinedWalk::Kernel, ConfinedWalk::Checked),
                         [](const ::testing::TestParamInfo<ConfinedWalk>& walk) {
                             return walk.param == ConfinedWalk::Kernel ? "Kernel" : "Checked";
                         });

TEST(ConfinedRoot, PathsOutsideAnyRootAreUntouched) {
    test::TempDir dir;
    fs::create_directories(dir.file("real"));
    fs::create_symlink(dir.file("real"), dir.file("link"));
    {
        const ConfinedRoot confined(dir.file("archive-missing"));
        EXPECT_FALSE(confined.active());
        OutputFile file;
        EXPECT_TRUE(file.create(dir.file("link/x"), CreateMode::New));
    }
    EXPECT_TRUE(fs::exists(dir.file("real/x")));
}

}  // namespace
}  // namespace tessaly
