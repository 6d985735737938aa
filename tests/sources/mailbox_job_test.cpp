// mailbox_job_test.cpp - the mailbox job over real files: what is skipped,
// what each unusable file reports, and where the pages go.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "sources/mailbox.h"
#include "support/derived_files.h"
#include "support/temp_dir.h"
#include "support/test_run.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

std::string message(const std::string& from, const std::string& subject) {
    return "From " + from + " Thu Sep  5 14:30:07 2002\nFrom: " + from + "\nSubject: " + subject +
           "\nDate: Thu, 5 Sep 2002 14:30:07 +0200\n\nBody of " + subject + "\n\n";
}

TDbxFolderInfo entryFor(const std::string& directory, const std::string& fileName,
                        const std::string& name) {
    TDbxFolderInfo e;
    e.directory = directory;
    e.fileName = fileName;
    e.name = e.folderPath = name;
    return e;
}

struct MailboxRun {
    test::TestRun test;
    ArchiveRun& run = test.run;
    std::vector<std::string>& lines = test.lines;
    void go(const std::vector<TDbxFolderInfo>& entries, const std::string& archive, bool html,
            bool subfolders = true) {
        test.archive(SourceKind::Mailboxes, entries, archive, html, subfolders);
    }
};

// Bounces are mail; only the server's folder data at the top is left out,
// and counted.
TEST(MailboxJob, MailSystemMessagesAreArchivedButNotTheServersFolderData) {
    test::TempDir dir;
    const std::string folderData =
        "From MAILER-DAEMON Thu Sep  5 14:30:07 2002\nDate: Thu, 5 Sep 2002 14:30:07 +0200\n"
        "From: Mail System Internal Data <MAILER-DAEMON@host>\n"
        "Subject: DON'T DELETE THIS MESSAGE -- FOLDER INTERNAL DATA\nX-IMAP: 1031234567 0000000002\n\n"
        "This text is part of the internal format of your mail folder.\n\n";
    test::writeFile(dir.file("box"), folderData + message("a@x.org", "one") + message("MAILER-DAEMON", "bounce") +
                                         message("b@x.org", "two"));
    MailboxRun job;
    job.go({entryFor(dir.path(), "box", "Box")}, dir.file("archive"), false);
    EXPECT_EQ(job.run.messageCount, 4u);
    EXPECT_EQ(job.run.folderDataCount, 1u);
    EXPECT_EQ(job.run.problemCount, 0u);
    EXPECT_EQ(job.lines, (std::vector<std::string>{
                             "Warning: <a href=\"help:err_folderdata.html\">the mail server's folder information</a> "
                             "was left out (Box/)"}));
    size_t files = 0;
    bool bounce = false;
    for (const auto& e : fs::directory_iterator(dir.file("archive/Box"))) {
        files += e.is_regular_file();
        bounce = bounce || e.path().filename().string().find("bounce") != std::string::npos;
    }
    EXPECT_EQ(files, 3u);
    EXPECT_TRUE(bounce);
}

TEST(MailboxJob, UnusableFilesAreReportedAndTheOthersArchived) {
    test::TempDir dir;
    test::writeFile(dir.file("empty"), "");
    test::writeFile(dir.file("notes.txt"), "Dear diary,\nnothing happened.\n");
    test::writeFile(dir.file("good"), message("a@x.org", "hello"));
    fs::create_directories(dir.file("folder"));
    MailboxRun job;
    job.go({entryFor(dir.path(), "missing", "M"), entryFor(dir.path(), "empty", "E"),
            entryFor(dir.path(), "notes.txt", "N"), entryFor(dir.path(), "folder", "F"),
            entryFor(dir.path(), "good", "G")},
           dir.file("archive"), true);
    ASSERT_EQ(job.lines.size(), 4u);
    EXPECT_EQ(job.lines[0], "Error: <a href=\"help:err_openfile.html\">cannot open file</a> - " +
                                dir.file("missing") + " - No such file or directory");
    EXPECT_EQ(job.lines[1], "Error: file <a href=\"help:err_notbmf.html\">is empty</a> - " + dir.file("empty"));
    EXPECT_EQ(job.lines[2],
              "Error: file <a href=\"help:err_notbmf.html\">is not a valid bmf</a> - " + dir.file("notes.txt"));
    EXPECT_EQ(job.lines[3], "Error: <a href=\"help:err_openfile.html\">cannot open file</a> - " +
                                dir.file("folder") + " - Is a directory");
    EXPECT_EQ(job.run.folderCount, 1u);
    EXPECT_EQ(job.run.messageCount, 1u);
    // Nothing was saved beside the page: the attachments folder is gone again.
    EXPECT_FALSE(fs::exists(dir.file("archive/G/attachments")));
}

TEST(MailboxJob, FolderNamesCannotLeaveTheArchive) {
    test::TempDir dir;
    test::writeFile(dir.file("box"), message("a@x.org", "hello"));
    MailboxRun job;
    job.go({entryFor(dir.path(), "box", "..")}, dir.file("archive"), false);
    EXPECT_TRUE(fs::is_directory(dir.file("archive/__")));
    EXPECT_EQ(job.run.messageCount, 1u);
}

TEST(MailboxJob, FlatArchiveStillNamesTheFolder) {
    test::TempDir dir;
    test::writeFile(dir.file("box"), message("a@x.org", "hello"));
    MailboxRun job;
    job.go({entryFor(dir.path(), "box", "Old/Inbox")}, dir.file("archive"), true, false);
    size_t pages = 0;
    auto isPage = [](const fs::path& path) {
        return path.extension() == ".html" && !test::isDerivedFile(path.filename().string());
    };
    for (const auto& e : fs::directory_iterator(dir.file("archive"))) pages += isPage(e.path());
    EXPECT_EQ(pages, 1u);
    for (const auto& e : fs::directory_iterator(dir.file("archive"))) {
        if (isPage(e.path())) {
            EXPECT_NE(test::readFile(e.path().string()).find("<span class=\"value\">Old/Inbox</span>"),
                      std::string::npos);
        }
    }
}

// A stop asked for while a message's progress shows: the messages before it
// are archived and counted, that one neither, so the finish page counts
// what is in the archive.
TEST(MailboxJob, AStoppedRunCountsOnlyWhatItArchived) {
    test::TempDir dir;
    std::string box;
    for (int i = 0; i < 8; ++i) box += message("a@x.org", "m" + std::to_string(i));
    test::writeFile(dir.file("box"), box);
    test::TestRun test;
    JobRequest request;
    request.source = SourceKind::Mailboxes;
    request.files = {entryFor(dir.path(), "box", "Inbox")};
    request.archiveFolder = dir.file("archive");
    test.drive(request, [&](const std::string&, double, const std::string&, double) {
        if (test.run.messageCount == 5) test.run.stopRequested = true;
    });
    size_t pages = 0;
    for (const auto& e : fs::directory_iterator(dir.file("archive/Inbox"))) pages += e.path().extension() == ".html";
    EXPECT_EQ(pages, 4u);
    EXPECT_EQ(test.run.messageCount, 4u);
}

}  // namespace
}  // namespace tessaly
