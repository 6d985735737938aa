// writer_test.cpp - what the writers do around the page itself: file
// times, an archive folder that cannot take files, duplicates in one run,
// and the checksum key of messages without a text part.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/time.h"
#include "support/on_each_disk.h"
#include "support/temp_dir.h"
#include "support/test_run.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

const std::string kMessage =
    "Received: from a by b; Fri, 6 Sep 2002 09:15:00 +0100\r\n"
    "From: Alice <alice@example.org>\r\nTo: bob@example.com\r\nSubject: Times\r\n"
    "Date: Thu, 5 Sep 2002 14:30:07 +0200\r\n"
    "Content-Type: multipart/mixed; boundary=\"b\"\r\n\r\n"
    "--b\r\nContent-Type: text/plain\r\n\r\nHello\r\n"
    "--b\r\nContent-Type: application/octet-stream; name=\"data.bin\"\r\n"
    "Content-Disposition: attachment\r\n\r\nxyz\r\n--b--\r\n";

// Each message is put in place before the next is archived.
struct Archiver {
    test::TestFolder folder;
    ArchiveRun& run;
    std::vector<std::string>& lines;

    Archiver(const std::string& archiveFolder, bool html)
        : folder(archiveFolder, html), run(folder.run), lines(folder.test.lines) {}
    void archive(const std::string& text) {
        // The markers a scanner would find in kMessage.
        std::vector<TMarker> markers;
        for (size_t at = text.find("\r\n--b"); at != std::string::npos; at = text.find("\r\n--b", at + 1)) {
            TMarker m;
            m.position = text.data() + at + 2;
            m.closing = text.compare(at + 2, 5, "--b--") == 0;
            m.boundary = "b";
            markers.push_back(m);
        }
        folder.archive(text, markers);
        folder.commit();
    }
};

int64_t modifiedAt(const fs::path& path) {
    struct stat st{};
    stat(path.c_str(), &st);
    return st.st_mtim.tv_sec;
}

// Each case on the usual disk and on FAT32 and exFAT images.
class Writers : public test::OnEachDisk {};
TESSALY_ON_EACH_DISK(Writers);

TEST_P(Writers, FilesCarryTheReceivedTime) {
    test::TempDir dir(disk());
    Archiver html(dir.file("html"), true);
    html.archive(kMessage);
    Archiver eml(dir.file("eml"), false);
    eml.archive(kMessage);
    html.folder.close();
    eml.folder.close();

    // Received 6 Sep 2002 09:15:00 +0100: 08:15:00 UTC.
    SYSTEMTIME received{2002, 9, 5, 6, 8, 15, 0, 0};
    FILETIME expected;
    ASSERT_TRUE(systemTimeToFileTime(received, expected));
    size_t files = 0;
    for (const auto& e : fs::recursive_directory_iterator(dir.path())) {
        if (!e.is_regular_file()) continue;
        ++files;
        EXPECT_EQ(modifiedAt(e.path()), fileTimeToUnix(expected)) << e.path();
    }
    EXPECT_EQ(files, 3u);  // page, attachment, EML file
    EXPECT_TRUE(html.lines.empty());
}

TEST_P(Writers, ArchiveFolderThatCannotTakeFilesIsAProblemAndTheRunGoesOn) {
    test::TempDir dir(disk());
    test::writeFile(dir.file("taken"), "a file where the archive folder should be");
    Archiver a(dir.file("taken"), false);
    a.archive(kMessage);
    a.archive(kMessage + "more");
    EXPECT_EQ(a.run.problemCount, 2u);
    ASSERT_EQ(a.lines.size(), 2u);
    EXPECT_EQ(a.lines[0].rfind("Error: <a href=\"help:err_create.html\">unable to create file</a> "
                               "Alice - Times - 05092002'143007'",
                               0),
              0u);
    EXPECT_NE(a.lines[0].find(".eml - Not a directory (Inbox/Fri, 6 Sep 2002 09:15:00 Alice - Times - )"),
              std::string::npos);
}

TEST_P(Writers, SameMessageTwiceInOneRunIsWrittenOnce) {
    test::TempDir dir(disk());
    Archiver a(dir.file("archive"), false);
    a.archive(kMessage);
    a.archive(kMessage);
    EXPECT_EQ(a.run.duplicateCount, 1u);
    EXPECT_EQ(a.run.problemCount, 0u);
    ASSERT_EQ(a.lines.size(), 1u);
    EXPECT_NE(a.lines[0].find("previously found in ."), std::string::npos);  // the archive root
}

// Base64 cut short loses only what is missing: the bytes before are saved
// and the cut reported, without making the message a problem.
TEST_P(Writers, AnAttachmentCutShortKeepsWhatItHolds) {
    test::TempDir dir(disk());
    Archiver a(dir.file("archive"), true);
    std::string text = kMessage;
    text.replace(text.find("Content-Disposition: attachment\r\n\r\nxyz"), 38,
                 "Content-Disposition: attachment\r\nContent-Transfer-Encoding: base64\r\n\r\ncGF5bG9hZA");
    a.archive(text);
    a.folder.close();
    std::vector<std::string> saved;
    for (const auto& e : fs::directory_iterator(dir.file("archive/attachments"))) {
        saved.push_back(test::readFile(e.path().string()));
    }
    EXPECT_EQ(saved, std::vector<std::string>{"payload"});
    ASSERT_EQ(a.lines.size(), 1u);
    EXPECT_EQ(a.lines[0].rfind("Error: <a href=\"help:err_decode.html\">unable to decode</a> data.bin - "
                               "Premature EOF when decoding base64. (Inbox/",
                               0),
              0u)
        << a.lines[0];
    EXPECT_EQ(a.run.problemCount, 0u);
}

TEST_P(Writers, ChecksumKeyFollowsTheTextPartNotTheHeaders) {
    test::TempDir dir(disk());
    Archiver a(dir.file("archive"), false);
    a.archive(kMessage);
    std::string otherHeaders = kMessage;
    otherHeaders.replace(otherHeaders.find("To: bob"), 7, "To: ann");
    a.archive(otherHeaders);
    // Same body, same date and subject, another recipient: the same key in
    // the name, but another message, so a file of its own beside it.
    EXPECT_EQ(a.run.duplicateCount, 0u);
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir.file("archive"))) {
        if (e.path().extension() == ".eml") names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[1], names[0].substr(0, names[0].size() - 4) + ";2.eml");
}

// Copies of one message that differ only where mailboxes and servers write
// per copy (Status, Received, the empty line after it) are one message.
TEST_P(Writers, CopiesOfOneMessageAreDuplicatesWhateverTheirMailboxAdded) {
    test::TempDir dir(disk());
    Archiver a(dir.file("archive"), false);
    a.archive(kMessage);
    a.archive("Status: RO\r\nX-Mozilla-Status: 0001\r\nReceived: from c by d; Fri, 6 Sep 2002 09:16:00 +0100\r\n" +
              kMessage + "\r\n");
    EXPECT_EQ(a.run.duplicateCount, 1u);
}

}  // namespace
}  // namespace tessaly
