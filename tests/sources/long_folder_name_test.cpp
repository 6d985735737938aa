// long_folder_name_test.cpp - a source folder whose name is longer than a
// file name may be still gets an archive folder, and its messages land there.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "sources/mailbox.h"
#include "support/temp_dir.h"
#include "support/test_run.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

std::string repeat(const std::string& piece, size_t times) {
    std::string text;
    for (size_t i = 0; i < times; ++i) text += piece;
    return text;
}

TEST(LongFolderName, MessagesLandInTheShortenedFolder) {
    test::TempDir dir;
    test::writeFile(dir.file("box"), "From a@x.org Thu Sep  5 14:30:07 2002\nFrom: a@x.org\nSubject: hello\n"
                                     "Date: Thu, 5 Sep 2002 14:30:07 +0200\n\nBody\n\n");
    // 150 Cyrillic characters: 300 bytes of UTF-8, over the 255 a name may hold.
    const std::string longName = repeat("\xD0\xB6", 150);
    TDbxFolderInfo entry;
    entry.directory = dir.path();
    entry.fileName = "box";
    entry.name = longName;
    entry.folderPath = "Old/" + longName;

    test::TestRun test;
    test.archive(SourceKind::Mailboxes, {entry}, dir.file("archive"));
    const ArchiveRun& run = test.run;
    const std::vector<std::string>& lines = test.lines;

    EXPECT_TRUE(lines.empty()) << lines.front();
    EXPECT_EQ(run.messageCount, 1u);
    const std::string folder = dir.file("archive/Old/" + repeat("\xD0\xB6", 127));
    ASSERT_TRUE(fs::is_directory(folder));
    size_t pages = 0;
    for (const auto& e : fs::directory_iterator(folder)) pages += e.path().extension() == ".html";
    EXPECT_EQ(pages, 1u);
}

}  // namespace
}  // namespace tessaly
