// message_files_test.cpp - which files of Maildir and MH folders are
// messages, and the order they are archived in.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/time.h"
#include "sources/message_files.h"
#include "support/temp_dir.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

// The paths below `root`, in the listing's order.
std::vector<std::string> relative(const std::vector<MessageFile>& files, const std::string& root) {
    std::vector<std::string> names;
    for (const MessageFile& f : files) names.push_back(f.path.substr(root.size() + 1));
    return names;
}

void writeAt(const std::string& path, const std::string& bytes, int64_t mtime) {
    test::writeFile(path, bytes);
    ASSERT_TRUE(setFileTime(path, unixToFileTime(mtime)));
}

TEST(MessageFiles, MaildirFilesComeInDeliveryOrder) {
    test::TempDir dir;
    const std::string md = dir.file("md");
    fs::create_directories(md + "/cur");
    fs::create_directories(md + "/new");
    fs::create_directories(md + "/tmp");
    fs::create_directories(md + "/cur/sub");
    test::writeFile(dir.file("outside"), "12345");
    const int64_t t = 1700000001;
    // Each row: a name and why it sorts where it does.
    writeAt(md + "/cur/1700000002.M5P1.host:2,S", "a", t);            // a later second
    writeAt(md + "/new/1700000001.M999999P1.host", "bb", t);          // same second, more microseconds
    writeAt(md + "/cur/1700000001.M10P1.host,S=3:2,RS", "ccc", t);    // same second, fewer microseconds
    writeAt(md + "/cur/1700000001.123_1.host:2,", "d", t);            // old style: no microseconds
    writeAt(md + "/new/999999999.M1P1.host", "e", 5);                 // nine digits: numerically earlier
    writeAt(md + "/cur/notes", "f", t);                               // no number: by file time
    writeAt(md + "/cur/2023-05-01", "g", 7);                          // a number, but no delivery time
    writeAt(md + "/new/99999999999999999999999.M1P1.h\xff", "h", t);  // no overflow, odd bytes
    writeAt(md + "/new/.hidden", "x", 1);                             // dot files are not mail
    writeAt(md + "/tmp/1600000000.M1P1.host", "x", 1);                // still being delivered
    writeAt(md + "/cur/sub/1600000000.M1P1.host", "x", 1);            // below a subfolder
    fs::create_symlink(dir.file("outside"), md + "/cur/1700000003.M1P1.host");  // a link to a file
    fs::create_directory_symlink(md + "/cur/sub", md + "/cur/1600000000.M2P1.host");
    fs::create_symlink(dir.file("gone"), md + "/cur/1600000000.M3P1.host");  // dangling

    const std::vector<MessageFile> files = maildirMessageFiles(md);
    EXPECT_EQ(relative(files, md), (std::vector<std::string>{
                                       "cur/2023-05-01",
                                       "new/999999999.M1P1.host",
                                       "cur/1700000001.123_1.host:2,",
                                       "cur/notes",
                                       "cur/1700000001.M10P1.host,S=3:2,RS",
                                       "new/1700000001.M999999P1.host",
                                       "cur/1700000002.M5P1.host:2,S",
                                       "cur/1700000003.M1P1.host",
                                       "new/99999999999999999999999.M1P1.h\xff",
                                   }));
    ASSERT_EQ(files.size(), 9u);
    EXPECT_EQ(files[4].size, 3u);
    EXPECT_EQ(files[7].size, 5u);  // the link's target
    EXPECT_TRUE(maildirMessageFiles(dir.file("missing")).empty());
}

TEST(MessageFiles, MhFilesComeInNumericOrder) {
    test::TempDir dir;
    for (const char* name : {"10", "9", "2", "007", "7", "0", "000", "abc", "1a", "-3", "+4", ".mh_sequences", ",5",
                             "123456789012345678901234567890", ".8"}) {
        test::writeFile(dir.file(name), std::string(name));
    }
    fs::create_directories(dir.file("3"));  // a subfolder, however it is named
    const std::vector<MessageFile> files = mhMessageFiles(dir.path());
    EXPECT_EQ(relative(files, dir.path()),
              (std::vector<std::string>{"2", "007", "7", "9", "10", "123456789012345678901234567890"}));
    ASSERT_FALSE(files.empty());
    EXPECT_EQ(files[1].size, 3u);
    EXPECT_TRUE(mhMessageFiles(dir.file("missing")).empty());
}

TEST(MessageFiles, WhichFoldersAreMaildirOrMh) {
    struct Row {
        std::vector<std::string> files;    // "name/" is a folder
        bool maildir;
        bool mh;
        const char* why;
    };
    const std::vector<Row> rows = {
        {{}, false, false, "an empty folder"},
        {{"cur/"}, true, false, "cur/ alone"},
        {{"new/"}, true, false, "new/ alone"},
        {{"cur", "new"}, false, false, "files named cur and new"},
        {{"1"}, false, true, "one numbered file"},
        {{".mh_sequences"}, false, true, "a sequences file only"},
        {{"0", "00"}, false, false, "zero is no message number"},
        {{"abc", "1a", "12/"}, false, false, "no numbered file"},
        {{"cur/", "1", ".mh_sequences"}, true, false, "a Maildir is no MH folder"},
    };
    for (const Row& row : rows) {
        test::TempDir dir;
        for (const std::string& f : row.files) {
            if (f.back() == '/') {
                fs::create_directories(dir.file(f));
            } else {
                test::writeFile(dir.file(f), "x");
            }
        }
        EXPECT_EQ(isMaildirFolder(dir.path()), row.maildir) << row.why;
        EXPECT_EQ(isMhFolder(dir.path()), row.mh) << row.why;
    }
    EXPECT_FALSE(isMaildirFolder("/nonexistent/folder"));
    EXPECT_FALSE(isMhFolder("/nonexistent/folder"));
}

}  // namespace
}  // namespace tessaly
