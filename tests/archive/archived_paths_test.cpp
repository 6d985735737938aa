// archived_paths_test.cpp - the compact table of files written in a run:
// paths found again whatever their case, content keys of every form back
// as they were given, and nothing lost when the table grows.
#include <gtest/gtest.h>

#include <string>

#include "archive/archived_paths.h"

namespace tessaly {
namespace {

TEST(ArchivedPathsTest, KeysComeBackAsGivenAndPathsIgnoreCase) {
    ArchivedPaths paths;
    const struct {
        const char* path;
        const char* folder;
        const char* key;
    } cases[] = {
        {"/a/Inbox/One.html", "Inbox/", "1:0123456789abcdef"},
        {"/a/Inbox/Two.html", "Inbox/", ""},
        {"/a/Sent/Three.eml", "Sent/", "1:0123456789ABCDEF"},  // not the written form: kept as text
        {"/a/Sent/Four.eml", "Sent/", "2:something else"},
        {"/a/Sent/Five.eml", "Sent/", "1:ffffffffffffffff"},
    };
    for (const auto& c : cases) paths.record(c.path, c.folder, c.key);
    EXPECT_EQ(paths.size(), 5u);
    for (const auto& c : cases) {
        std::string upper = c.path;
        for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        for (const std::string& path : {std::string(c.path), upper}) {
            const auto entry = paths.find(path);
            ASSERT_TRUE(entry) << path;
            EXPECT_EQ(entry->subfolderPath, c.folder);
            EXPECT_EQ(entry->contentKey, c.key);
        }
    }
    EXPECT_FALSE(paths.find("/a/Inbox/One;2.html"));
    EXPECT_FALSE(ArchivedPaths().find("/a/Inbox/One.html"));
}

TEST(ArchivedPathsTest, TheFirstRecordOfAPathStands) {
    ArchivedPaths paths;
    paths.record("/a/x.html", "First/", "1:0000000000000001");
    paths.record("/a/X.HTML", "Second/", "1:0000000000000002");
    EXPECT_EQ(paths.size(), 1u);
    EXPECT_EQ(paths.find("/a/x.html")->subfolderPath, "First/");
    EXPECT_EQ(paths.find("/a/x.html")->contentKey, "1:0000000000000001");
}

TEST(ArchivedPathsTest, EveryPathIsFoundAfterTheTableGrew) {
    ArchivedPaths paths;
    constexpr int kCount = 200000;
    auto pathOf = [](int n) { return "/archive/Folder " + std::to_string(n % 7) + "/message " + std::to_string(n) + ".html"; };
    for (int n = 0; n < kCount; ++n) {
        paths.record(pathOf(n), "Folder " + std::to_string(n % 7) + "/", n % 3 ? "1:00000000000" + std::to_string(10000 + n % 90000) : "");
    }
    ASSERT_EQ(paths.size(), static_cast<size_t>(kCount));
    for (int n = 0; n < kCount; n += 997) {
        const auto entry = paths.find(pathOf(n));
        ASSERT_TRUE(entry) << n;
        EXPECT_EQ(entry->subfolderPath, "Folder " + std::to_string(n % 7) + "/");
        EXPECT_EQ(entry->contentKey, n % 3 ? "1:00000000000" + std::to_string(10000 + n % 90000) : "");
    }
    for (int n = kCount; n < kCount + 1000; ++n) EXPECT_FALSE(paths.find(pathOf(n)));
}

}  // namespace
}  // namespace tessaly
