// maildir_job_test.cpp - the Maildir and MH job: what is archived and in
// which order, a second run, and what a message file that vanishes,
// changes or cannot be read since it was listed reports.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "sources/maildir_message.h"
#include "support/derived_files.h"
#include "support/temp_dir.h"
#include "support/test_run.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;
using Tree = std::map<std::string, std::string>;

// Messages of one subject, date and body share their archive name: the
// archive numbers them ";2", ";3" in the order they come, X-Seq tells them
// apart.
std::string message(const std::string& subject, const std::string& extra = "",
                    const std::string& body = "Hello Bob.\n") {
    return "From: Ann <ann@example.org>\nTo: Bob <bob@example.com>\nSubject: " + subject +
           "\nDate: Thu, 5 Sep 2002 14:30:07 +0200\n" + extra + "\n" + body;
}

const std::string kWithFile = message("With file", "Content-Type: multipart/mixed; boundary=\"b\"\n",
                                      "--b\n\nSee the file.\n--b\nContent-Type: application/octet-stream; "
                                      "name=\"report.bin\"\nContent-Transfer-Encoding: base64\n\nQUJDREVG\n--b--\n");

TDbxFolderInfo folderEntry(const std::string& directory, FolderStorage storage, const std::string& name) {
    TDbxFolderInfo e;
    e.directory = directory;
    e.storage = storage;
    e.name = e.folderPath = name;
    return e;
}

// Every archive file below `root` by relative path, catalogue and stylesheet left out.
Tree readTree(const std::string& root) {
    Tree files;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        const std::string relative = fs::relative(e.path(), root).string();
        if (e.is_regular_file() && !test::isDerivedFile(relative) && relative != "folvane.css") {
            files[relative] = test::readFile(e.path().string());
        }
    }
    return files;
}

// The X-Seq values of the EML files whose names begin with `prefix`, in
// name order: "stamp.eml" before "stamp;2.eml".
std::string sequence(const Tree& tree, const std::string& prefix) {
    std::string seqs;
    for (const auto& [path, bytes] : tree) {
        const size_t at = bytes.find("X-Seq: ");
        if (path.rfind(prefix, 0) == 0 && at != std::string::npos) {
            seqs += bytes.substr(at + 7, bytes.find('\r', at) - at - 7) + " ";
        }
    }
    return seqs;
}

size_t countNames(const Tree& tree, const std::string& part) {
    return static_cast<size_t>(std::count_if(tree.begin(), tree.end(), [&](const auto& file) {
        return file.first.find(part) != std::string::npos;
    }));
}

TEST(MaildirJob, ArchivesEachMessageOnceInDeliveryOrderAndASecondRunNothing) {
    test::TempDir dir;
    const std::string md = dir.file("md"), mh = dir.file("mh");
    for (const char* sub : {"/cur", "/new", "/tmp"}) fs::create_directories(md + sub);
    const std::map<std::string, std::string> files = {
        {"md/new/1700000003.M1P1.h", message("Same", "X-Seq: 3\n")},
        {"md/cur/1700000001.M1P1.h:2,S", message("Same", "X-Seq: 1\n")},
        {"md/cur/1700000002.M1P1.h:2,RS", message("Same", "X-Seq: 2\n")},
        {"md/new/1700000001.M1P1.h", message("Same", "X-Seq: 1\n")},  // delivered twice
        {"md/cur/1700000004.M1P1.h:2,S", "From: Ann\r\nTo: Bob <bob@example.com>\r\nSubject: CR LF\r\n\r\nHi\r\n"},
        {"md/new/1700000005.M1P1.h", "From ann@example.org Thu Sep  5 14:30:07 2002\n" + message("Kept from line")},
        {"md/cur/1700000006.M1P1.h:2,", kWithFile},
        {"md/cur/1700000007.M1P1.h:2,", ""},
        {"md/tmp/1700000008.M1P1.h", message("Not delivered yet")},
        {"md/cur/1700000009.M1P1.h:2,ST", message("Deleted in the mail program")},
        {"mh/10", message("Same", "X-Seq: 10\n")},
        {"mh/9", message("Same", "X-Seq: 9\n")},
        {"mh/2", message("Same", "X-Seq: 2\n")},
        {"mh/.mh_sequences", "unseen: 9-10\n"},
        {"mh/,3", message("Deleted in MH")},
    };
    fs::create_directories(mh);
    for (const auto& [name, bytes] : files) test::writeFile(dir.file(name), bytes);
    // Not a file: never listed, never waited on.
    ASSERT_EQ(mkfifo(dir.file("md/new/1700000010.M1P1.h").c_str(), 0644), 0);
    const std::vector<TDbxFolderInfo> entries = {folderEntry(md, FolderStorage::Maildir, "Mail"),
                                                 folderEntry(mh, FolderStorage::MH, "Inbox")};
    for (const bool html : {true, false}) {
        SCOPED_TRACE(html ? "pages" : "EML files");
        const std::string archive = dir.file(html ? "pages" : "eml");
        test::TestRun job;
        job.archive(SourceKind::Mailboxes, entries, archive, html);
        EXPECT_EQ(job.run.messageCount, 11u);  // the empty file is no message
        EXPECT_EQ(job.run.duplicateCount, 1u);
        EXPECT_EQ(job.run.deletedCount, 1u);
        EXPECT_EQ(job.run.problemCount, 0u);
        const Tree tree = readTree(archive);
        EXPECT_EQ(tree.size(), html ? 10u : 9u);  // with the attachment
        EXPECT_EQ(countNames(tree, "Mail/Bob (to) - CR LF - ") + countNames(tree, "Mail/Bob (to) - Kept from line - "),
                  2u);
        EXPECT_EQ(countNames(tree, "Mail/attachments/report - "), html ? 1u : 0u);
        if (!html) {
            EXPECT_EQ(sequence(tree, "Mail/Bob (to) - Same - "), "1 2 3 ");
            EXPECT_EQ(sequence(tree, "Inbox/Bob (to) - Same - "), "2 9 10 ");
            for (const auto& [path, bytes] : tree) EXPECT_EQ(bytes.rfind("From: Ann", 0), 0u) << path;
        }
        test::TestRun again;
        again.archive(SourceKind::Mailboxes, entries, archive, html);
        EXPECT_EQ(again.run.alreadyArchivedCount + again.run.duplicateCount + again.run.deletedCount, 11u);
        EXPECT_EQ(again.run.problemCount, 0u);
        EXPECT_EQ(readTree(archive), tree);
    }
}

TEST(MaildirJob, ProgressRunsByBytesToTheEndAndAStopEndsTheFolder) {
    test::TempDir dir;
    const std::string mh = dir.file("mh");
    fs::create_directories(mh);
    for (int i = 1; i <= 6; ++i) test::writeFile(mh + "/" + std::to_string(i), message("Subject " + std::to_string(i)));
    std::vector<std::pair<double, double>> overall;
    test::TestRun job;
    JobRequest request;
    request.source = SourceKind::Mailboxes;
    request.files = {folderEntry(mh, FolderStorage::MH, "Inbox")};
    request.archiveFolder = dir.file("archive");
    job.drive(request, [&](const std::string& text1, double f1, const std::string&, double f2) {
        if (text1 == "Overall") overall.emplace_back(f1, f2);
    });
    ASSERT_FALSE(overall.empty());
    for (size_t i = 1; i < overall.size(); ++i) {
        EXPECT_GE(overall[i].first, overall[i - 1].first);
        EXPECT_LE(overall[i].second, 1.0);
    }
    EXPECT_DOUBLE_EQ(overall.back().first, 1.0);
    EXPECT_DOUBLE_EQ(overall.back().second, 1.0);

    // A stop asked for during the third message: that one is left for a
    // later run (and not counted), and no more are read.
    test::TestRun stopped;
    request.archiveFolder = dir.file("stopped");
    stopped.drive(request, [&](const std::string&, double, const std::string&, double) {
        if (stopped.run.messageCount == 3) stopped.run.stopRequested = true;
    });
    EXPECT_EQ(stopped.run.messageCount, 2u);
    EXPECT_EQ(readTree(dir.file("stopped")).size(), 2u);
}

// Between the listing and the reading a mail program renames, moves and
// deletes files, and other programs write into them.
TEST(MaildirJob, FilesThatChangedSinceTheListing) {
    test::TempDir dir;
    const std::string md = dir.file("md");
    fs::create_directories(md + "/cur");
    fs::create_directories(md + "/new");
    const std::vector<std::string> names = {"cur/1.A:2,S", "new/2.B", "cur/3.C:2,S", "cur/4.D:2,S", "cur/5.E:2,S",
                                            "cur/6.F:2,",  "cur/7.G:2,", "cur/8.H:2,",  "cur/9.I:2,"};
    for (const std::string& name : names) {
        test::writeFile(md + "/" + name, name == "cur/9.I:2," ? "" : message("Message " + name.substr(4, 3)));
    }
    const std::vector<MessageFile> files = maildirMessageFiles(md);
    ASSERT_EQ(files.size(), names.size());

    fs::rename(md + "/cur/1.A:2,S", md + "/cur/1.A:2,RS");  // flags changed
    fs::rename(md + "/new/2.B", md + "/cur/2.B:2,");         // seen
    fs::remove(md + "/cur/3.C:2,S");                         // deleted
    fs::remove(md + "/cur/4.D:2,S");
    fs::create_symlink(dir.file("nowhere"), md + "/cur/4.D:2,S");
    fs::remove(md + "/cur/5.E:2,S");
    fs::create_directory(md + "/cur/5.E:2,S");
    test::writeFile(md + "/cur/6.F:2,", message("Message 6.F") + "More text.\n");
    test::writeFile(md + "/cur/7.G:2,", "From: Ann\n");
    test::writeFile(md + "/cur/8.H:2,", "");

    {
        test::TestFolder folder(dir.file("archive"), false, "Inbox", "Inbox", true);
        WholeFileReader reader;
        for (const MessageFile& file : files) {
            archiveMessageFile(folder.run, file, true, folder.target, reader, nullptr);
        }
        folder.close();
        const std::string cannotOpen = "Error: <a href=\"help:err_openfile.html\">cannot open file</a> - ";
        const std::string truncated =
            "Error: file <a href=\"help:err_mapfile.html\">was truncated while being read</a> - ";
        const std::string changed = "Error: file <a href=\"help:err_mapfile.html\">changed while being read</a> - ";
        EXPECT_EQ(folder.test.lines,
                  (std::vector<std::string>{
                      cannotOpen + md + "/cur/3.C:2,S - No such file or directory",
                      cannotOpen + md + "/cur/4.D:2,S - No such file or directory",
                      cannotOpen + md + "/cur/5.E:2,S - Is a directory",
                      changed + md + "/cur/6.F:2,",
                      truncated + md + "/cur/7.G:2,",
                      truncated + md + "/cur/8.H:2,",
                  }));
        EXPECT_EQ(folder.run.messageCount, 8u);
        EXPECT_EQ(folder.run.problemCount, 6u);
        const Tree tree = readTree(dir.file("archive"));
        EXPECT_EQ(countNames(tree, "Message 1.A") + countNames(tree, "Message 2.B"), 2u);
        EXPECT_EQ(tree.size(), 2u);
    }

    // The next run lists them again and archives what is there whole.
    test::TestRun later;
    later.archive(SourceKind::Mailboxes, {folderEntry(md, FolderStorage::Maildir, "Inbox")}, dir.file("archive"),
                  false);
    EXPECT_EQ(later.run.problemCount, 0u);
    EXPECT_EQ(later.run.alreadyArchivedCount, 2u);
    const Tree tree = readTree(dir.file("archive"));
    EXPECT_EQ(tree.size(), 4u);  // with 6.F as it is now, and 7.G's remains
}

TEST(MaildirJob, ReaderMapsBigFilesAndTellsTheirChanges) {
    test::TempDir dir;
    const std::string path = dir.file("big");
    test::writeFile(path, message("Big"));
    const uint64_t size = WholeFileReader::kMapFrom + 1;
    ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(size)), 0);  // sparse: no disk used
    WholeFileReader reader;
    ASSERT_EQ(reader.read(path, size), WholeFileReader::Status::Ok);
    EXPECT_EQ(std::string(reader.data(), 9) + std::to_string(reader.size()), "From: Ann" + std::to_string(size));
    EXPECT_EQ(reader.read(path, size - 1), WholeFileReader::Status::Changed);
    EXPECT_EQ(reader.read(path, size + 1), WholeFileReader::Status::Shrank);
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);  // must not block
    EXPECT_EQ(reader.read(dir.file("fifo"), 0), WholeFileReader::Status::CannotOpen);
}

// Junk, cut-off messages and binary files in a Maildir: every file that is
// not empty is one message, and nothing crashes.
TEST(MaildirJob, RandomAndTruncatedFilesAreArchivedWithoutHarm) {
    test::TempDir dir;
    const std::string md = dir.file("md");
    fs::create_directories(md + "/cur");
    std::mt19937 random(20240607);
    const std::string whole =
        "From ann@example.org Thu Sep  5 14:30:07 2002\n" + kWithFile + "=?utf-8?B?w6k=?=\r\n--b\r\n";
    size_t nonEmpty = 0;
    for (int i = 0; i < 120; ++i) {
        std::string bytes;
        switch (i % 4) {
            case 0: bytes = whole.substr(0, random() % (whole.size() + 1)); break;
            case 1:
                bytes.resize(random() % 3000);
                for (char& c : bytes) c = static_cast<char>(random());
                break;
            case 2:  // a message with a few bytes overwritten by junk
                bytes = whole;
                for (int k = 0; k < 8; ++k) bytes[random() % bytes.size()] = static_cast<char>(random());
                break;
            default:  // lines of boundaries, From lines and NULs
                for (int k = 0; k < 40; ++k) {
                    const std::string pieces[] = {"--b\n", "--b--\n", "From x\n", std::string(3, '\0'), "\r", "\n"};
                    bytes += pieces[random() % 6];
                }
        }
        nonEmpty += !bytes.empty();
        test::writeFile(md + "/cur/" + std::to_string(1700000000 + i) + ".M1P1.h:2,S", bytes);
    }
    for (const bool html : {true, false}) {
        SCOPED_TRACE(html ? "pages" : "EML files");
        test::TestRun job;
        job.archive(SourceKind::Mailboxes, {folderEntry(md, FolderStorage::Maildir, "Junk")},
                    dir.file(html ? "pages" : "eml"), html);
        EXPECT_EQ(job.run.messageCount, nonEmpty);
        EXPECT_EQ(job.run.folderCount, 1u);
    }
}

}  // namespace
}  // namespace tessaly
