// name_search_test.cpp - many files of one name: messages that share sender,
// subject, second and body (a mailing sent to many, each copy its own
// Message-ID) and a message of many parts named alike get the numbered
// names a search from 1 gives, with a bounded number of looks at the disk.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "platform/files.h"
#include "sources/mailbox.h"
#include "support/temp_dir.h"
#include "support/test_run.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

// Mail without Received lines is named after its recipient.
const char kStem[] = "list@example.org (to) - News - 05092002'143007'";

// Copy `n` of the mailing: the same body, its own Message-ID.
std::string copyOfMailing(size_t n) {
    return "From ann@example.org Thu Sep  5 14:30:07 2002\nFrom: Ann <ann@example.org>\n"
           "To: list@example.org\nSubject: News\nDate: Thu, 5 Sep 2002 14:30:07 +0000\n"
           "Message-ID: <" + std::to_string(n) + "@example.org>\n\nThe same text for all.\n\n";
}

TDbxFolderInfo entryFor(const test::TempDir& dir, const std::string& file) {
    TDbxFolderInfo e;
    e.directory = dir.path();
    e.fileName = file;
    e.name = e.folderPath = "Inbox";
    return e;
}

// The page names in the archive's Inbox folder.
std::set<std::string> pageNames(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) {
        if (e.path().extension() == ".html") names.insert(e.path().filename().string());
    }
    return names;
}

std::string numbered(const std::string& stem, size_t n, const std::string& extension) {
    return stem + (n == 1 ? std::string() : ";" + std::to_string(n)) + extension;
}

struct Archived {
    uint64_t probes = 0;
    std::vector<std::string> lines;
};

Archived archiveMailbox(const test::TempDir& dir, const std::string& file) {
    test::TestRun test;
    const uint64_t before = nameLookups();
    test.archive(SourceKind::Mailboxes, {entryFor(dir, file)}, dir.file("archive"));
    return {nameLookups() - before, test.lines};
}

TEST(NameSearch, ManyMessagesOfOneNameAreNumberedInOrderWithFewLooksAtTheDisk) {
    constexpr size_t kCopies = 700;  // more than a batch puts in place at once
    test::TempDir dir;
    std::string box;
    for (size_t n = 1; n <= kCopies; ++n) box += copyOfMailing(n);
    // Copies already seen, once early and once late: duplicates, not pages.
    box += copyOfMailing(1) + copyOfMailing(kCopies - 1);
    test::writeFile(dir.file("box"), box);

    const Archived first = archiveMailbox(dir, "box");
    const std::set<std::string> names = pageNames(dir.file("archive/Inbox"));
    ASSERT_EQ(names.size(), kCopies);
    const std::string key = names.begin()->substr(std::string(kStem).size(), 6);
    for (size_t n = 1; n <= kCopies; ++n) {
        EXPECT_TRUE(names.count(numbered(kStem + key, n, ".html"))) << n;
    }
    // A search from 1 for every message looked at the disk once per number
    // already taken: about kCopies squared over two.
    EXPECT_LT(first.probes, 8 * kCopies);
    ASSERT_EQ(first.lines.size(), 2u);
    EXPECT_NE(first.lines[0].find("This email is a duplicate"), std::string::npos);

    // Again: every copy is found in place, with as few looks.
    const Archived again = archiveMailbox(dir, "box");
    EXPECT_EQ(pageNames(dir.file("archive/Inbox")), names);
    EXPECT_LT(again.probes, 8 * kCopies);
    ASSERT_FALSE(again.lines.empty());
    EXPECT_NE(again.lines[0].find("This email was already in the archive"), std::string::npos);
}

TEST(NameSearch, ANumberFreedBeforeTheRunIsTakenByTheNextNewCopy) {
    test::TempDir dir;
    test::writeFile(dir.file("box"), copyOfMailing(1) + copyOfMailing(2) + copyOfMailing(3));
    archiveMailbox(dir, "box");
    const std::set<std::string> names = pageNames(dir.file("archive/Inbox"));
    ASSERT_EQ(names.size(), 3u);
    const std::string stem = kStem + names.begin()->substr(std::string(kStem).size(), 6);
    fs::remove(dir.file("archive/Inbox/" + numbered(stem, 2, ".html")));

    // Copies 1 and 3 are in place; the new copy 4 takes the free ";2", copy 2
    // (its page deleted) then the next free number.
    test::writeFile(dir.file("more"), copyOfMailing(1) + copyOfMailing(4) + copyOfMailing(3) + copyOfMailing(2));
    archiveMailbox(dir, "more");
    const std::set<std::string> after = pageNames(dir.file("archive/Inbox"));
    EXPECT_EQ(after.size(), 4u);
    const std::string second = test::readFile(dir.file("archive/Inbox/" + numbered(stem, 2, ".html")));
    EXPECT_NE(second.find("4@example.org"), std::string::npos);
    EXPECT_TRUE(after.count(numbered(stem, 4, ".html")));
}

TEST(NameSearch, PartsOfOneNameAreNumberedInOrderWithOneLookEach) {
    constexpr size_t kParts = 2000;
    test::TempDir dir;
    std::string box = "From ann@example.org Thu Sep  5 14:30:07 2002\nFrom: Ann <ann@example.org>\n"
                      "To: bob@example.org\nSubject: Parts\nDate: Thu, 5 Sep 2002 14:30:07 +0000\n"
                      "MIME-Version: 1.0\nContent-Type: multipart/mixed; boundary=\"b\"\n\n";
    for (size_t n = 0; n < kParts; ++n) {
        box += "--b\nContent-Type: application/octet-stream; name=\"same.bin\"\n"
               "Content-Transfer-Encoding: base64\n\ncGFydA==\n";
    }
    box += "--b--\n\n";
    test::writeFile(dir.file("box"), box);

    const Archived run = archiveMailbox(dir, "box");
    EXPECT_TRUE(run.lines.empty()) << run.lines.front();
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir.file("archive/Inbox/attachments"))) {
        names.insert(e.path().filename().string());
    }
    ASSERT_EQ(names.size(), kParts);
    const std::string stem = "same - 05092002'143007'" + names.begin()->substr(23, 6);
    for (size_t n = 1; n <= kParts; ++n) EXPECT_TRUE(names.count(numbered(stem, n, ".bin"))) << n;
    EXPECT_LT(run.probes, 2 * kParts + 100);
}

}  // namespace
}  // namespace tessaly
