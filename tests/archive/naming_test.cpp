// naming_test.cpp - checksum, archive names, duplicate detection, stylesheet.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "archive/archive_writer.h"
#include "archive/checksum.h"
#include "archive/duplicates.h"
#include "archive/naming.h"
#include "archive/stylesheet.h"
#include "message/content_key.h"
#include "platform/files.h"
#include "support/temp_dir.h"
#include "support/test_run.h"

namespace tessaly {
namespace {

uint32_t checksumOf(const std::string& text) {
    return messageChecksum(text.data(), text.data() + text.size());
}

// The checksum must equal what the cksum utility prints for the same bytes
// with blanks and line ends removed.
TEST(MessageChecksum, MatchesTheCksumUtility) {
    test::TempDir dir;
    std::mt19937 random(7);
    const std::vector<size_t> sizes = {0, 1, 255, 256, 257, 65536 + 3};
    for (size_t size : sizes) {
        std::string bytes(size, '\0');
        for (char& c : bytes) c = static_cast<char>(random());
        std::string kept;
        for (char c : bytes) {
            if (c != ' ' && c != '\n' && c != '\r' && c != '\t') kept += c;
        }
        test::writeFile(dir.file("in"), kept);
        FILE* pipe = popen(("cksum < '" + dir.file("in") + "'").c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        unsigned long expected = 0;
        ASSERT_EQ(fscanf(pipe, "%lu", &expected), 1);
        pclose(pipe);
        EXPECT_EQ(checksumOf(bytes), expected) << "size " << size;
    }
}

TEST(MessageChecksum, IgnoresLineEndsAndBlanks) {
    EXPECT_EQ(checksumOf("Hello there,\r\nhow are you?\r\n"),
              checksumOf("Hello  there,\nhow are\tyou?"));
    EXPECT_NE(checksumOf("Hello"), checksumOf("Hellp"));
}

void makeSentMessage(TMessageInfo& info) {
    info.toName = "Bob";
    info.subjectName = "Hi";
    info.sentTime.wYear = 2002;
    info.sentTime.wMonth = 9;
    info.sentTime.wDay = 5;
    info.sentTime.wHour = 14;
    info.sentTime.wMinute = 30;
    info.sentTime.wSecond = 7;
    info.checksumKey = "k3p0qa";
}

TEST(ArchiveName, SentMessageIsNamedAfterItsRecipient) {
    TMessageInfo info;
    makeSentMessage(info);
    const ArchiveName n = archiveBaseName(info);
    EXPECT_EQ(n.name + n.stamp + ".html", "Bob (to) - Hi - 05092002'143007'k3p0qa.html");
}

TEST(ArchiveName, EdgeCases) {
    TMessageInfo info;
    makeSentMessage(info);
    info.toName.clear();
    EXPECT_EQ(archiveBaseName(info).name, " (to) - Hi - ");  // nobody to name: a leading blank

    info.ccName = "Carol";
    EXPECT_EQ(archiveBaseName(info).name, "Carol (to) - Hi - ");  // Cc stands in for To

    info.hasReceived = true;
    info.fromName = "A very long sender name that goes on";
    info.subjectName = "a/b: c?  d";
    EXPECT_EQ(archiveBaseName(info).name, "A very long sender name  - ab c d - ");  // 24 bytes kept

    info.subjectName = std::string(39, 'x') + " tail";
    EXPECT_EQ(archiveBaseName(info).name.substr(27), std::string(39, 'x') + "  - ");

    info.subjectName.clear();
    EXPECT_EQ(archiveBaseName(info).name, "A very long sender name  -  - ");

    info.sentTime = SYSTEMTIME{};  // no parsable Date header
    EXPECT_EQ(archiveBaseName(info).stamp, "00000000'000000'k3p0qa");
}

TEST(ArchiveName, DirectoryAndDescription) {
    EXPECT_EQ(archiveDirectory("/arch", "Inbox/Sub/", true), "/arch/Inbox/Sub/");
    EXPECT_EQ(archiveDirectory("/arch", "Inbox/Sub/", false), "/arch/");

    TMessageInfo info;
    info.date = "Thu, 5 Sep 2002 14:30:07 +0200";
    EXPECT_EQ(describeMessage(info, "<Bob> - "), "Thu, 5 Sep 2002 14:30:07 &lt;Bob&gt; - ");
    info.received = "Fri, 6 Sep 2002 01:00:00 -0700";
    info.hasReceived = true;
    EXPECT_EQ(describeMessage(info, "x"), "Fri, 6 Sep 2002 01:00:00 x");
}

class DuplicateTest : public ::testing::Test {
protected:
    void SetUp() override {
        test.begin();
        run.startFolder("Inbox/");
        run.setMessageText("msg");
    }
    // Where a message named `name` with `key` goes; empty when skipped.
    std::string claim(const std::string& name, const std::string& key = "", const std::string& extension = ".html") {
        return claimArchivePath(run, batch, archived, numbers, dir.file(name), extension, "Inbox/", key);
    }
    bool skipped(const std::string& name) { return claim(name).empty(); }
    void makeFile(const std::string& name, const std::string& bytes = "x") { test::writeFile(dir.file(name), bytes); }
    // Whether this file system keeps tags; the tests that need them say so.
    bool tagsKept() {
        makeFile("probe");
        return setFileTag(dir.file("probe"), "probe", "1");
    }

    test::TempDir dir;
    NameNumbers numbers;
    test::TestRun test;
    ArchiveRun& run = test.run;
    std::vector<std::string>& lines = test.lines;
    CommitBatch batch{run};
    ArchivedPaths archived;
};

TEST_F(DuplicateTest, NewFileIsNotSkipped) {
    EXPECT_EQ(claim("new"), dir.file("new.html"));
    EXPECT_TRUE(lines.empty());
}

TEST_F(DuplicateTest, FilesFromEarlierRunsAreLoggedOncePerFolder) {
    makeFile("a.html");
    makeFile("b.html");
    EXPECT_TRUE(skipped("a"));
    EXPECT_TRUE(skipped("b"));
    EXPECT_EQ(run.alreadyArchivedCount, 2u);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0],
              "Warning: <a href=\"help:err_already.html\">This email was already in the archive</a> "
              "(Inbox/msg) Further warnings of this type won't be reported for this folder.");
    run.startFolder("Sent/");
    EXPECT_TRUE(skipped("a"));
    EXPECT_EQ(lines.size(), 2u);
    EXPECT_FALSE(run.messageHadProblem);
}

TEST_F(DuplicateTest, DuplicatesWithinARunNameTheFirstFolderTwice) {
    makeFile("Dup.html");
    archived.record(dir.file("Dup.html"), "Old/Folder/", "");
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(skipped("Dup"));
    EXPECT_EQ(run.duplicateCount, 3u);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0],
              "Warning: <a href=\"help:err_duplicate.html\">This email is a duplicate</a> "
              "(Inbox/msg), previously found in Old/Folder.");
    EXPECT_EQ(lines[1], lines[0] + " Further warnings of this type won't be reported for this folder.");
}

// Two different messages with one name both get a file; the same message
// again is a duplicate of the one it equals.
TEST_F(DuplicateTest, ADifferentMessageWithTheSameNameGetsAFileOfItsOwn) {
    makeFile("M.html");
    archived.record(dir.file("M.html"), "Inbox/", "1:aa");
    EXPECT_EQ(claim("M", "1:bb"), dir.file("M;2.html"));
    makeFile("M;2.html");
    EXPECT_EQ(claim("M", "1:cc"), dir.file("M;3.html"));
    makeFile("M;3.html");
    EXPECT_TRUE(claim("M", "1:bb").empty());
    EXPECT_TRUE(claim("M", "1:aa").empty());
    EXPECT_EQ(run.duplicateCount, 2u);
    EXPECT_EQ(run.alreadyArchivedCount, 0u);
}

// A later run knows each file by the key it carries; a page without one is
// taken for the same message, as before keys were kept.
TEST_F(DuplicateTest, EarlierRunsAreToldApartByTheKeyTheirFilesCarry) {
    if (!tagsKept()) GTEST_SKIP() << "the temporary folder's file system keeps no tags";
    makeFile("M.html");
    setFileTag(dir.file("M.html"), kContentTag, "1:aa");
    makeFile("M;2.html");
    setFileTag(dir.file("M;2.html"), kContentTag, "1:bb");
    EXPECT_TRUE(claim("M", "1:aa").empty());
    EXPECT_TRUE(claim("M", "1:bb").empty());
    EXPECT_EQ(claim("M", "1:cc"), dir.file("M;3.html"));
    makeFile("Old.html");
    EXPECT_TRUE(claim("Old", "1:dd").empty());
    EXPECT_EQ(run.alreadyArchivedCount, 3u);
}

// An EML file is its message: without a key it is compared by its bytes,
// and keeps the key for the next run.
TEST_F(DuplicateTest, AnEmlFileWithoutKeyIsComparedByItsBytes) {
    const std::string text = "Subject: hi\r\n\r\nbody\r\n";
    makeFile("E.eml", text + "\r\n");
    const std::string key = contentKeyText(rawContentKey(text.data(), text.size()));
    EXPECT_TRUE(claim("E", key, ".eml").empty());
    EXPECT_EQ(run.alreadyArchivedCount, 1u);
    EXPECT_EQ(claim("E", "1:0000000000000001", ".eml"), dir.file("E;2.eml"));
    if (tagsKept()) {
        EXPECT_EQ(fileTag(dir.file("E.eml"), kContentTag), key);
    }
}

TEST_F(DuplicateTest, OfflineMessagesAreLoggedTwicePerFolder) {
    for (int i = 0; i < 3; ++i) reportOffline(run);
    EXPECT_EQ(run.offlineCount, 3u);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0],
              "Error: <a href=\"help:err_offline.html\">This email was not available offline</a> "
              "(Inbox/msg)");
    EXPECT_EQ(lines[1], lines[0] + " Further errors of this type won't be reported for this folder.");
}

TEST(Stylesheet, StylesEveryBlockOfThePageInPlainAscii) {
    const std::string_view css = defaultStylesheet();
    for (const char* rule : {"body {", ".headers {", ".headers .title {", ".attachments {", ".attachment {",
                             ".texts {", ".flowed {", ".flowed p {", ".fixed {", ".formatted iframe {",
                             "details.formatted summary {", ".images img {", ".footers {",
                             "@media (prefers-color-scheme: dark)", "@media print"}) {
        EXPECT_NE(css.find(rule), std::string_view::npos) << rule;
    }
    int opened = 0;
    for (size_t i = 0; i < css.size(); ++i) {
        ASSERT_LT(static_cast<unsigned char>(css[i]), 0x80u) << i;
        if (css[i] == '\n') {
            ASSERT_TRUE(i > 0 && css[i - 1] == '\r') << "bare line feed at " << i;
        }
        opened += css[i] == '{';
        opened -= css[i] == '}';
    }
    EXPECT_EQ(opened, 0);
}

TEST(Stylesheet, WrittenOnceAndNeverOverwritten) {
    test::TempDir dir;
    writeStylesheet(dir.path());
    EXPECT_EQ(test::readFile(dir.file("folvane.css")), defaultStylesheet());
    test::writeFile(dir.file("folvane.css"), "body {color: red;}");
    writeStylesheet(dir.path());
    EXPECT_EQ(test::readFile(dir.file("folvane.css")), "body {color: red;}");
    writeStylesheet(dir.file("missing/folder"));  // silent
}

TEST(ArchiveRoot, MadeWithItsParentsAndAStylesheetOnlyForPages) {
    test::TempDir dir;
    (void)prepareArchiveRoot(dir.file("a/b/pages"), true);
    EXPECT_EQ(test::readFile(dir.file("a/b/pages/folvane.css")), defaultStylesheet());
    (void)prepareArchiveRoot(dir.file("c/eml"), false);
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("c/eml")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("c/eml/folvane.css")));
}

}  // namespace
}  // namespace tessaly
