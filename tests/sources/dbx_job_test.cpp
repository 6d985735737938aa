// dbx_job_test.cpp - archiving generated Outlook Express folder files:
// offline messages, boundary lines, damaged records and stopping.
#include "sources/dbx_job.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "message/boundary_lines.h"
#include "support/dbx_writer.h"
#include "support/derived_files.h"
#include "support/temp_dir.h"
#include "support/test_run.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

const char kPlain[] =
    "From: Ann <ann@example.org>\r\nTo: Bob <bob@example.com>\r\nSubject: Plain\r\n"
    "Date: Thu, 5 Sep 2002 14:30:07 +0200\r\n\r\nHello Bob.\r\n";
// LF-only line ends: the boundary lines still count.
const char kMultipart[] =
    "From: Ann <ann@example.org>\nTo: Bob <bob@example.com>\nSubject: With file\n"
    "Date: Fri, 6 Sep 2002 10:00:00 +0200\nContent-Type: multipart/mixed; boundary=\"b1\"\n\n"
    "--b1\nContent-Type: text/plain\n\nSee attached.\n\n--b1\n"
    "Content-Type: application/pdf; name=\"r.pdf\"\nContent-Transfer-Encoding: base64\n\n"
    "JVBERi0xLjQK\n--b1--\n";

struct JobResult {
    test::TestRun test;
    ArchiveRun& run = test.run;
    std::vector<std::string>& lines = test.lines;
    std::vector<std::string> files;  // relative paths below the archive
};

class DbxJobTest : public ::testing::Test {
protected:
    TDbxFolderInfo writeFolder(const std::string& fileName, const std::string& bytes) {
        test::writeFile(dir.file(fileName), bytes);
        TDbxFolderInfo entry;
        entry.name = entry.folderPath = "Inbox";
        entry.fileName = fileName;
        entry.directory = dir.path();
        return entry;
    }

    void archive(const std::vector<TDbxFolderInfo>& entries, bool stopAfterFirst = false) {
        JobRequest request;
        request.source = SourceKind::DbxFolders;
        request.files = entries;
        request.archiveFolder = archiveDir();
        result.test.drive(request, [&](const std::string&, double, const std::string&, double) {
            if (stopAfterFirst && result.run.messageCount >= 1) result.run.stopRequested = true;
        });
        // The files of the messages, without the archive's stylesheet.
        for (const auto& e : fs::recursive_directory_iterator(archiveDir())) {
            const std::string file = fs::relative(e.path(), archiveDir()).string();
            if (e.is_regular_file() && file != "folvane.css" && !test::isDerivedFile(file)) result.files.push_back(file);
        }
        std::sort(result.files.begin(), result.files.end());
    }

    std::string archiveDir() const { return dir.file("archive"); }

    test::TempDir dir;
    JobResult result;
};

TEST_F(DbxJobTest, ArchivesMessagesAndReportsOfflineOnes) {
    std::vector<test::DbxTestMessage> messages(3);
    messages[0].text = kPlain;
    messages[1].subject = "Gone <away>";
    messages[1].senderName = "Sam";
    messages[2].text = kMultipart;
    const TDbxFolderInfo entry = writeFolder("Inbox.dbx", test::makeDbxMailFile(messages).bytes);
    archive({entry});

    EXPECT_EQ(result.run.folderCount, 1u);
    EXPECT_EQ(result.run.messageCount, 3u);  // the offline record counts too
    EXPECT_EQ(result.run.offlineCount, 1u);
    EXPECT_EQ(result.run.problemCount, 0u);
    ASSERT_EQ(result.lines.size(), 1u);
    EXPECT_EQ(result.lines[0],
              "Error: <a href=\"help:err_offline.html\">This email was not available offline</a> "
              "(Inbox/Sam - Gone &lt;away&gt;)");
    // Two pages and the attachment of the multipart message, in the folder's subfolder.
    ASSERT_EQ(result.files.size(), 3u);
    EXPECT_EQ(result.files[0].rfind("Inbox/Bob (to) - Plain - 05092002'143007'", 0), 0u);
    EXPECT_EQ(result.files[1].rfind("Inbox/Bob (to) - With file - 06092002'100000'", 0), 0u);
    EXPECT_TRUE(std::any_of(result.files.begin(), result.files.end(), [](const std::string& f) {
        return f.find("attachments/r - 06092002'100000'") != std::string::npos;
    }));
}

TEST_F(DbxJobTest, ReceiverNamesOfflineMessagesInSentFolders) {
    std::vector<test::DbxTestMessage> messages(1);
    messages[0].receiverName = "Rita";
    TDbxFolderInfo entry = writeFolder("Sent.dbx", test::makeDbxMailFile(messages).bytes);
    entry.kind = 3;
    archive({entry});
    ASSERT_EQ(result.lines.size(), 1u);
    EXPECT_NE(result.lines[0].find("(Inbox/Rita - A subject)"), std::string::npos);
}

TEST_F(DbxJobTest, EmptyFolderIsNotCounted) {
    TDbxFolderInfo entry = writeFolder("Empty.dbx", test::makeDbxMailFile({}).bytes);
    archive({entry});
    EXPECT_EQ(result.run.folderCount, 0u);
    EXPECT_TRUE(result.lines.empty());
}

TEST_F(DbxJobTest, DamagedTextChainCostsOnlyItsMessage) {
    std::vector<test::DbxTestMessage> messages(2);
    messages[0].text = test::sampleMessageText("first", 3000);
    messages[1].text = kPlain;
    test::DbxTestFile file = test::makeDbxMailFile(messages);
    // The first message's second block points far outside the file.
    test::put32(file.bytes, file.blocks[0][1] + test::kBlockNext, 0x7FFFFFF0);
    const TDbxFolderInfo entry = writeFolder("Inbox.dbx", file.bytes);
    archive({entry});
    EXPECT_EQ(result.run.messageCount, 2u);
    EXPECT_EQ(result.run.problemCount, 1u);
    ASSERT_EQ(result.lines.size(), 1u);
    EXPECT_EQ(result.lines[0].rfind("Error: <a href=\"help:err_dbxfile.html\">damaged dbx file</a> - ", 0), 0u);
    EXPECT_TRUE(std::any_of(result.files.begin(), result.files.end(),
                            [](const std::string& f) { return f.find("Plain") != std::string::npos; }));
}

TEST_F(DbxJobTest, DamagedTreeEndsTheFolderAndTheRunGoesOn) {
    std::vector<test::DbxTestMessage> messages(1);
    messages[0].text = kPlain;
    test::DbxTestFile broken = test::makeDbxMailFile(messages);
    test::put32(broken.bytes, broken.root + test::kNodeMarker, 0x1234);
    const TDbxFolderInfo first = writeFolder("Broken.dbx", broken.bytes);
    TDbxFolderInfo second = writeFolder("Good.dbx", test::makeDbxMailFile(messages).bytes);
    second.name = second.folderPath = "Good";
    archive({first, second});
    EXPECT_EQ(result.run.folderCount, 2u);
    EXPECT_EQ(result.run.messageCount, 1u);
    ASSERT_EQ(result.lines.size(), 1u);
    EXPECT_NE(result.lines[0].find("damaged dbx file"), std::string::npos);
}

TEST_F(DbxJobTest, NotADbxFileIsReportedInTheScanningPass) {
    const TDbxFolderInfo entry = writeFolder("fake.dbx", "From a@b Thu Sep  5 14:30:07 2002\n");
    archive({entry});
    ASSERT_EQ(result.lines.size(), 1u);
    EXPECT_EQ(result.lines[0], "Error: file <a href=\"help:err_notdbx.html\">is not a valid dbx</a> - " +
                                   dir.file("fake.dbx"));
}

// A stop that comes with the first message's progress: no message is
// written, none counted, no other folder opened.
TEST_F(DbxJobTest, StopLeavesTheMessageInHandUncounted) {
    std::vector<test::DbxTestMessage> messages(3);
    for (auto& m : messages) m.text = kPlain;
    const TDbxFolderInfo entry = writeFolder("Inbox.dbx", test::makeDbxMailFile(messages).bytes);
    archive({entry, entry}, true);
    EXPECT_EQ(result.run.messageCount, 0u);
    EXPECT_EQ(result.run.folderCount, 1u);
    EXPECT_TRUE(result.files.empty());
}

TEST(DbxBoundaryScan, MarkersAfterAnyLineEndButNeverTheFirstLine) {
    const std::string text = "--notfirst\nx\n--a\r\n\n--a--\n-- \n--\n";
    std::vector<TMarker> markers;
    std::vector<size_t> chunks;
    scanBoundaryLines(text.data(), text.data() + text.size(), markers, [&](size_t n) { chunks.push_back(n); });
    ASSERT_EQ(markers.size(), 2u);
    EXPECT_EQ(markers[0].boundary, "a");
    EXPECT_FALSE(markers[0].closing);
    EXPECT_EQ(markers[0].lineNumber, 2u);
    EXPECT_EQ(markers[1].boundary, "a");
    EXPECT_TRUE(markers[1].closing);
    EXPECT_EQ(markers[1].lineNumber, 4u);
    EXPECT_EQ(chunks, std::vector<size_t>{text.size()});  // one chunk: the whole short text
}

}  // namespace
}  // namespace tessaly
