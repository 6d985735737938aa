// store_cli_test.cpp - the commands over the mail stores of Linux mail
// programs, on the bundled samples: a Thunderbird profile, a Maildir++
// tree and a Gmail Takeout mailbox.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "support/derived_files.h"
#include "support/run_cli.h"
#include "support/temp_dir.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

const std::string kSamples = TESSALY_SAMPLES_DIR;

// The archive's message files (pages or EML files) by path, leaving out
// attachments and what the archive derives from them.
std::set<std::string> messageFiles(const std::string& root) {
    std::set<std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        const std::string relative = fs::relative(e.path(), root).string();
        if (!e.is_regular_file() || test::isDerivedFile(relative)) continue;
        if (relative.find("attachments/") != std::string::npos) continue;
        if (relative.ends_with(".css")) continue;
        files.insert(relative);
    }
    return files;
}

std::set<std::string> foldersOf(const std::set<std::string>& files) {
    std::set<std::string> folders;
    for (const std::string& f : files) folders.insert(fs::path(f).parent_path().string());
    return folders;
}

TEST(StoreCli, StoresListsWhatTheHomeFolderHolds) {
    test::TempDir dir;
    const std::string home = dir.file("home");
    fs::create_directories(home + "/.thunderbird");
    test::writeFile(home + "/.thunderbird/profiles.ini",
                    "[General]\nStartWithLastProfile=1\n\n[Profile0]\nName=default-release\nIsRelative=0\nPath=" +
                        kSamples + "/thunderbird-profile\nDefault=1\n");
    fs::copy(kSamples + "/Maildir", home + "/Maildir", fs::copy_options::recursive);

    const Outcome o = runCli({"stores"}, dir, nullptr, {{"HOME", home}});
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, "Thunderbird\tdefault-release\t" + kSamples + "/thunderbird-profile\nMaildir\tMaildir\t" + home +
                         "/Maildir\n");

    // A store is named by what `stores` printed.
    const Outcome listed = runCli({"list-store", "default-release"}, dir, nullptr, {{"HOME", home}});
    EXPECT_EQ(listed.status, 0) << listed.err;
    EXPECT_NE(listed.out.find("Entwürfe"), std::string::npos) << listed.out;

    const Outcome empty = runCli({"stores"}, dir, nullptr, {{"HOME", dir.file("nobody")}});
    EXPECT_EQ(empty.status, 0);
    EXPECT_EQ(empty.out, "");
}

TEST(StoreCli, AThunderbirdProfileIsArchivedWithItsFolderTreeAndWithoutDeletedMail) {
    test::TempDir dir;
    const std::string archive = dir.file("archive");
    const Outcome o = runCli({"archive-store", "--to", archive, kSamples + "/thunderbird-profile"}, dir);
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.err, "");
    EXPECT_NE(o.out.find("1 was deleted in the mail program, and left out"), std::string::npos) << o.out;
    const std::set<std::string> files = messageFiles(archive);
    EXPECT_EQ(files.size(), 6u);
    const std::set<std::string> expected = {"Local Folders/Inbox", "Local Folders/Sent", "Local Folders/Archives/2024",
                                            "grace@example.org/Inbox", "grace@example.org/Entwürfe"};
    EXPECT_EQ(foldersOf(files), expected);
    for (const std::string& f : files) EXPECT_EQ(f.find("Deleted long ago"), std::string::npos) << f;

    // Nothing new the second time.
    const Outcome again = runCli({"archive-store", "--to", archive, kSamples + "/thunderbird-profile"}, dir);
    EXPECT_NE(again.out.find("6 were already in the archive"), std::string::npos) << again.out;
    EXPECT_EQ(messageFiles(archive), files);
}

TEST(StoreCli, AMaildirTreeAndAMaildirFolderAreArchived) {
    test::TempDir dir;
    const std::string archive = dir.file("archive");
    const Outcome o = runCli({"archive-store", "--format", "eml", "--to", archive, kSamples + "/Maildir"}, dir);
    ASSERT_EQ(o.status, 0) << o.err;
    const std::set<std::string> files = messageFiles(archive);
    EXPECT_EQ(files.size(), 5u);
    const std::set<std::string> expected = {"Inbox", "Sent", "Lists/debian"};
    EXPECT_EQ(foldersOf(files), expected);

    // Chosen folders only, by name or by their place in the tree.
    const std::string chosen = dir.file("chosen");
    const Outcome some = runCli({"archive-store", "--to", chosen, kSamples + "/Maildir", "--folder", "Sent",
                                 "--folder", "Lists/debian"},
                                dir);
    ASSERT_EQ(some.status, 0) << some.err;
    const std::set<std::string> two = {"Sent", "Lists/debian"};
    EXPECT_EQ(foldersOf(messageFiles(chosen)), two);
    EXPECT_EQ(runCli({"archive-store", "--to", chosen, kSamples + "/Maildir", "--folder", "Nope"}, dir).status, 2);

    // One Maildir folder, named on the command line like a mailbox file.
    const std::string single = dir.file("single");
    const Outcome one = runCli({"archive", "--to", single, kSamples + "/Maildir/.Sent"}, dir);
    ASSERT_EQ(one.status, 0) << one.err;
    const std::set<std::string> sent = {"Sent"};
    EXPECT_EQ(foldersOf(messageFiles(single)), sent);
}

TEST(StoreCli, ATakeoutMailboxGoesIntoOneFolderPerLabelUnlessAskedNotTo) {
    test::TempDir dir;
    const std::string box = kSamples + "/Takeout/Mail/All mail Including Spam and Trash.mbox";
    const std::string archive = dir.file("archive");
    const Outcome o = runCli({"archive", "--to", archive, box}, dir);
    ASSERT_EQ(o.status, 0) << o.err;
    const std::string top = "All mail Including Spam and Trash.mbox";
    const std::set<std::string> expected = {top + "/Inbox", top + "/Sent", top + "/Family, friends",
                                            top + "/Projects/Garden", top + "/Archived"};
    EXPECT_EQ(foldersOf(messageFiles(archive)), expected);

    const std::string plain = dir.file("plain");
    ASSERT_EQ(runCli({"archive", "--no-labels", "--to", plain, box}, dir).status, 0);
    const std::set<std::string> one = {top};
    EXPECT_EQ(foldersOf(messageFiles(plain)), one);
}

TEST(StoreCli, StoreCommandUsageErrors) {
    test::TempDir dir;
    const std::vector<std::vector<std::string>> bad = {
        {"stores", "extra"},
        {"list-store"},
        {"archive-store", "--to", dir.file("a")},
        {"archive-store", kSamples + "/Maildir"},
        {"list-store", "--folder", "Inbox", kSamples + "/Maildir"},
        {"list-oe", "--no-labels"},
        {"list-store", dir.file("no such store")},
    };
    for (const auto& args : bad) {
        const Outcome o = runCli(args, dir);
        EXPECT_EQ(o.status, 2) << args[0] << " " << args.back();
        EXPECT_NE(o.err.find("Usage:"), std::string::npos);
    }
}

}  // namespace
}  // namespace tessaly
