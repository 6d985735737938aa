// job_faults_test.cpp - the mailbox and DBX jobs under faults: an archive
// folder that cannot be written, a disk that fills up, a source file cut
// short while mapped, DBX trees that point
// outside the file. The run always goes on, and whatever it could not
// finish it leaves for a later run to write whole.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/dbx_writer.h"
#include "support/file_size_limit.h"
#include "support/derived_files.h"
#include "support/on_each_disk.h"
#include "support/temp_dir.h"
#include "support/test_run.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;
using Tree = std::map<std::string, std::string>;

// A message from Ann to Bob; `attachmentBytes` > 0 adds a base64 part that
// decodes to that many bytes (rounded to whole lines).
std::string message(const std::string& subject, size_t attachmentBytes = 0, size_t bodyLines = 3) {
    std::string m = "From ann@example.org Thu Sep  5 14:30:07 2002\nFrom: Ann <ann@example.org>\n"
                    "To: Bob <bob@example.com>\nSubject: " + subject +
                    "\nDate: Thu, 5 Sep 2002 14:30:07 +0200\nMIME-Version: 1.0\n"
                    "Content-Type: multipart/mixed; boundary=\"b\"\n\n--b\nContent-Type: text/plain\n\n";
    for (size_t i = 0; i < bodyLines; ++i) m += "Line " + std::to_string(i) + " of " + subject + ".\n";
    if (attachmentBytes > 0) {
        m += "--b\nContent-Type: application/octet-stream; name=\"" + subject +
             ".bin\"\nContent-Transfer-Encoding: base64\n\n";
        std::string line;
        for (int i = 0; i < 19; ++i) line += "QUFB";  // 57 bytes of "A"
        for (size_t done = 0; done < attachmentBytes; done += 57) m += line + "\n";
    }
    return m + "--b--\n\n";
}

TDbxFolderInfo entryFor(const std::string& directory, const std::string& fileName,
                        const std::string& name) {
    TDbxFolderInfo e;
    e.directory = directory;
    e.fileName = fileName;
    e.name = e.folderPath = name;
    return e;
}

// Every file below `root` by relative path; temporaries and journals too.
Tree readTree(const std::string& root) {
    Tree files;
    if (!fs::exists(root)) return files;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        const std::string relative = fs::relative(e.path(), root).string();
        if (e.is_regular_file() && !test::isDerivedFile(relative)) files[relative] = test::readFile(e.path().string());
    }
    return files;
}

std::vector<std::string> leftovers(const Tree& tree) {
    std::vector<std::string> names;
    for (const auto& [path, bytes] : tree) {
        if (fs::path(path).filename().string().rfind(".tessaly-", 0) == 0) names.push_back(path);
    }
    return names;
}

size_t countContaining(const std::vector<std::string>& lines, const std::string& text) {
    return static_cast<size_t>(std::count_if(lines.begin(), lines.end(), [&](const std::string& l) {
        return l.find(text) != std::string::npos;
    }));
}

struct Job {
    test::TestRun test;
    ArchiveRun& run = test.run;
    std::vector<std::string>& lines = test.lines;
    ArchiveRun::ProgressSink progress;

    void go(SourceKind source, const std::vector<TDbxFolderInfo>& entries, const std::string& archive, bool html) {
        JobRequest request;
        request.source = source;
        request.files = entries;
        request.archiveFolder = archive;
        request.format = html ? OutputFormat::Html : OutputFormat::Eml;
        test.drive(request, progress);
    }
    void mailboxes(const std::vector<TDbxFolderInfo>& entries, const std::string& archive, bool html) {
        go(SourceKind::Mailboxes, entries, archive, html);
    }
    void dbx(const std::vector<TDbxFolderInfo>& entries, const std::string& archive) {
        go(SourceKind::DbxFolders, entries, archive, true);
    }
};

// Each case on the usual disk and on FAT32 and exFAT images.
class JobFaults : public test::OnEachDisk {};
TESSALY_ON_EACH_DISK(JobFaults);

TEST_P(JobFaults, AnArchiveFolderThatCannotBeWrittenFailsEachMessageAndTheRunGoesOn) {
    // Permissions do not bind root; a file where the folder should be does.
    test::TempDir dir(disk());
    test::writeFile(dir.file("box"), message("one") + message("two"));
    test::writeFile(dir.file("other"), message("three"));
    fs::create_directories(dir.file("archive"));
    test::writeFile(dir.file("archive/Box"), "in the way");
    for (const bool html : {true, false}) {
        SCOPED_TRACE(html ? "pages" : "EML files");
        Job job;
        job.mailboxes({entryFor(dir.path(), "box", "Box"), entryFor(dir.path(), "other", "Other")},
                      dir.file("archive"), html);
        EXPECT_EQ(job.run.messageCount, 3u);
        EXPECT_EQ(job.run.problemCount, 2u);
        ASSERT_EQ(job.lines.size(), 2u);
        for (const std::string& line : job.lines) {
            EXPECT_EQ(line.rfind("Error: <a href=\"help:err_create.html\">unable to create file</a> Bob (to) - ", 0), 0u)
                << line;
            EXPECT_NE(line.find(" - Not a directory (Box/"), std::string::npos) << line;
        }
        const Tree tree = readTree(dir.file("archive"));
        EXPECT_EQ(tree.at("Box"), "in the way");
        EXPECT_EQ(std::count_if(tree.begin(), tree.end(), [](const auto& f) { return f.first.rfind("Other/", 0) == 0; }),
                  1);
        EXPECT_TRUE(leftovers(tree).empty());
        fs::remove_all(dir.file("archive/Other"));
    }
}

// The disk fills up with the second message: it is reported and left out
// whole, and a later run with room writes exactly what one run would have.
TEST_P(JobFaults, AMessageCutShortByAFullDiskIsWrittenWholeByTheNextRun) {
    for (const bool html : {true, false}) {
        SCOPED_TRACE(html ? "pages" : "EML files");
        test::TempDir dir(disk());
        // Small pages and files fit under the limit; the second message's
        // attachment (pages) or text (EML) does not.
        test::writeFile(dir.file("box"), message("one", 1000) + message("two", 120000) + message("three", 1000));
        const std::vector<TDbxFolderInfo> entries{entryFor(dir.path(), "box", "Box")};

        Job full;
        {
            test::FileSizeLimit limit(64 * 1024);
            full.mailboxes(entries, dir.file("archive"), html);
        }
        EXPECT_EQ(full.run.messageCount, 3u);
        EXPECT_EQ(full.run.problemCount, 1u);
        EXPECT_EQ(countContaining(full.lines, "File too large"), html ? 2u : 1u);
        ASSERT_FALSE(full.lines.empty());
        EXPECT_EQ(full.lines.back().rfind("Error: <a href=\"help:err_create.html\">unable to create file</a> Bob (to) - two - ", 0),
                  0u)
            << full.lines.back();
        Tree tree = readTree(dir.file("archive"));
        EXPECT_TRUE(leftovers(tree).empty());
        for (const auto& [path, bytes] : tree) EXPECT_EQ(path.find("two"), std::string::npos) << path;

        Job again;
        again.mailboxes(entries, dir.file("archive"), html);
        EXPECT_EQ(again.run.alreadyArchivedCount, 2u);
        EXPECT_EQ(again.run.problemCount, 0u);

        Job whole;
        whole.mailboxes(entries, dir.file("whole"), html);
        EXPECT_EQ(readTree(dir.file("archive")), readTree(dir.file("whole")));
    }
}

// An attachment file that cannot be made for a cause other than space (here
// a file in the way of the attachments folder) keeps its page out too: a
// page in place without its attachment would never be repaired. Once the
// cause is gone, the next run writes those messages whole.
TEST_P(JobFaults, AnAttachmentThatCannotBeMadeKeepsItsPageOutUntilALaterRun) {
    test::TempDir dir(disk());
    test::writeFile(dir.file("box"), message("one", 1000) + message("two") + message("three", 2000));
    const std::vector<TDbxFolderInfo> entries{entryFor(dir.path(), "box", "Box")};
    fs::create_directories(dir.file("archive/Box"));
    test::writeFile(dir.file("archive/Box/attachments"), "in the way");

    Job blocked;
    blocked.mailboxes(entries, dir.file("archive"), true);
    EXPECT_EQ(blocked.run.messageCount, 3u);
    EXPECT_EQ(blocked.run.problemCount, 2u);
    EXPECT_EQ(countContaining(blocked.lines, "unable to create</a> one - "), 1u)
        << testing::PrintToString(blocked.lines);
    EXPECT_EQ(countContaining(blocked.lines, "unable to create</a> three - "), 1u);
    EXPECT_EQ(countContaining(blocked.lines, "Not a directory"), 4u);
    Tree tree = readTree(dir.file("archive"));
    EXPECT_TRUE(leftovers(tree).empty());
    std::vector<std::string> pages;
    for (const auto& [path, bytes] : tree) {
        if (path.ends_with(".html") && path.rfind("Box/", 0) == 0) pages.push_back(path);
    }
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_NE(pages[0].find("two"), std::string::npos) << pages[0];

    fs::remove(dir.file("archive/Box/attachments"));
    Job later;
    later.mailboxes(entries, dir.file("archive"), true);
    EXPECT_EQ(later.run.problemCount, 0u);
    EXPECT_EQ(later.run.alreadyArchivedCount, 1u);
    Job whole;
    whole.mailboxes(entries, dir.file("whole"), true);
    EXPECT_EQ(readTree(dir.file("archive")), readTree(dir.file("whole")));
}

// A mailbox whose copy stopped inside its last message: that message is
// reported and not archived (its attachment would be cut), the ones before
// it are; the run over the whole file then archives it whole, as a run over
// the whole file alone would.
TEST_P(JobFaults, AMailboxThatEndsInsideItsLastMessageLeavesItForALaterRun) {
    const std::string whole = message("one", 1000) + message("two") + message("three", 20000);
    const std::string plain = "From ann@example.org Thu Sep  5 14:30:07 2002\nFrom: Ann <ann@example.org>\n"
                              "Subject: plain\n\nA line, and another line cut short";
    struct Row {
        const char* what;
        std::string cut;
        std::string full;
    };
    const Row rows[] = {
        {"cut inside a line of the attachment", whole.substr(0, whole.size() - 4444), whole},
        {"cut at a line end inside the attachment",
         whole.substr(0, whole.find("\n", whole.size() - 4444) + 1), whole},
        {"a single-part message cut inside a line", message("one") + plain, message("one") + plain + ".\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        test::TempDir dir(disk());
        // The cut file and the whole one: the same mailbox, as its folder name says.
        fs::create_directories(dir.file("cut"));
        fs::create_directories(dir.file("full"));
        test::writeFile(dir.file("cut/box"), row.cut);
        test::writeFile(dir.file("full/box"), row.full);
        for (const bool html : {true, false}) {
            SCOPED_TRACE(html ? "pages" : "EML files");
            const std::string archive = dir.file(html ? "pages" : "eml");
            Job cut;
            cut.mailboxes({entryFor(dir.file("cut"), "box", "Box")}, archive, html);
            EXPECT_EQ(cut.run.problemCount, 1u);
            ASSERT_EQ(cut.lines.size(), 1u);
            EXPECT_EQ(cut.lines[0].rfind("Error: <a href=\"help:err_cutmessage.html\">the mail file ends inside this "
                                         "message</a>", 0),
                      0u)
                << cut.lines[0];
            const Tree before = readTree(archive);
            EXPECT_TRUE(leftovers(before).empty());
            for (const auto& [path, bytes] : before) {
                EXPECT_EQ(path.find("three"), std::string::npos) << path;
                EXPECT_EQ(path.find("plain"), std::string::npos) << path;
            }
            EXPECT_FALSE(before.empty());

            const std::vector<TDbxFolderInfo> full{entryFor(dir.file("full"), "box", "Box")};
            Job later;
            later.mailboxes(full, archive, html);
            EXPECT_EQ(later.run.problemCount, 0u);
            EXPECT_EQ(countContaining(later.lines, "Error"), 0u);
            Job once;
            once.mailboxes(full, archive + "-once", html);
            EXPECT_EQ(readTree(archive), readTree(archive + "-once"));
        }
    }
}

// Another program cuts the mailbox short while the job has it mapped: the
// file gets one problem line, nothing of it is half-written, and the run
// goes on with the next file. A later run over the shorter file archives
// what is left; a last message the cut went into is said to be cut.
TEST_P(JobFaults, AMailboxCutShortWhileMappedIsReportedAndTheRunGoesOn) {
    const std::string first = message("one", 0, 200);
    const std::string second = message("two", 0, 200);
    const std::string third = message("three", 0, 200);
    struct Row {
        const char* what;
        size_t cutTo;
    };
    const Row rows[] = {
        {"cut to nothing: the first message faults while it is written", 0},
        {"cut after the first message: the scanner faults on the second", first.size()},
        {"a few bytes cut: no read faults, only the size shows", first.size() + second.size() + third.size() - 5},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        test::TempDir dir(disk());
        const std::string box = dir.file("box");
        test::writeFile(box, first + second + third);
        test::writeFile(dir.file("other"), message("four"));
        Job job;
        bool cut = false;
        job.progress = [&](const std::string& text1, double, const std::string&, double fraction2) {
            // The first message is about to be archived.
            if (!cut && text1 == "Overall" && fraction2 > 0) {
                cut = true;
                ASSERT_EQ(truncate(box.c_str(), static_cast<off_t>(row.cutTo)), 0);
            }
        };
        job.mailboxes({entryFor(dir.path(), "box", "Box"), entryFor(dir.path(), "other", "Other")},
                      dir.file("archive"), true);
        ASSERT_TRUE(cut);
        EXPECT_EQ(std::count(job.lines.begin(), job.lines.end(),
                             "Error: file <a href=\"help:err_mapfile.html\">was truncated while being read</a> - " + box),
                  1);
        const Tree tree = readTree(dir.file("archive"));
        EXPECT_TRUE(leftovers(tree).empty());
        for (const auto& [path, bytes] : tree) EXPECT_NE(path.rfind("Box/", 0), 0u) << path;
        EXPECT_EQ(std::count_if(tree.begin(), tree.end(), [](const auto& f) { return f.first.rfind("Other/", 0) == 0; }),
                  1);
        if (row.cutTo > 0) {
            Job later;
            later.mailboxes({entryFor(dir.path(), "box", "Box")}, dir.file("archive"), true);
            EXPECT_GE(later.run.messageCount, 1u);
            if (row.cutTo == first.size()) {
                EXPECT_TRUE(later.lines.empty());
            } else {
                ASSERT_EQ(later.lines.size(), 1u);
                EXPECT_NE(later.lines[0].find("the mail file ends inside this message"), std::string::npos)
                    << later.lines[0];
                EXPECT_NE(later.lines[0].find(" - three - "), std::string::npos) << later.lines[0];
            }
        }
    }
}

TEST_P(JobFaults, ADbxFileCutShortWhileMappedIsReportedAndTheRunGoesOn) {
    test::TempDir dir(disk());
    std::vector<test::DbxTestMessage> messages(3);
    for (size_t i = 0; i < messages.size(); ++i) {
        messages[i].text = test::sampleMessageText("message " + std::to_string(i), 3000);
    }
    const std::string path = dir.file("Inbox.dbx");
    test::writeFile(path, test::makeDbxMailFile(messages).bytes);
    test::writeFile(dir.file("Other.dbx"), test::makeDbxMailFile({messages[0]}).bytes);
    Job job;
    bool cut = false;
    job.progress = [&](const std::string& text1, double, const std::string&, double fraction2) {
        if (!cut && text1 == "Overall" && fraction2 > 0) {
            cut = true;
            ASSERT_EQ(truncate(path.c_str(), 0x3000), 0);
        }
    };
    job.dbx({entryFor(dir.path(), "Inbox.dbx", "Inbox"), entryFor(dir.path(), "Other.dbx", "Other")},
            dir.file("archive"));
    ASSERT_TRUE(cut);
    ASSERT_EQ(job.lines.size(), 1u);
    EXPECT_EQ(job.lines[0], "Error: file <a href=\"help:err_mapfile.html\">was truncated while being read</a> - " + path);
    const Tree tree = readTree(dir.file("archive"));
    EXPECT_TRUE(leftovers(tree).empty());
    for (const auto& [name, bytes] : tree) EXPECT_NE(name.rfind("Inbox/", 0), 0u) << name;
    EXPECT_EQ(std::count_if(tree.begin(), tree.end(), [](const auto& f) { return f.first.rfind("Other/", 0) == 0; }), 1);
}

TEST_P(JobFaults, DbxTreesPointingOutsideTheFileEndTheirFolderOnly) {
    std::vector<test::DbxTestMessage> messages(3);
    for (size_t i = 0; i < messages.size(); ++i) {
        messages[i].text = test::sampleMessageText("message " + std::to_string(i), 600);
    }
    test::DbxMailOptions narrow;
    narrow.perNode = 1;  // a root with children
    const test::DbxTestFile good = test::makeDbxMailFile(messages, narrow);
    struct Row {
        const char* what;
        uint32_t offset;
        uint32_t value;
        const char* reason;
    };
    const uint32_t far = 0x7FFFFFF0;
    const Row rows[] = {
        {"root node past the end", test::kHeaderMessageRoot, far, "Error reading node from input stream !"},
        {"root node straddling the end", test::kHeaderMessageRoot, static_cast<uint32_t>(good.bytes.size()) - 8,
         "Error reading node from input stream !"},
        {"child node past the end", good.nodes[0] + test::kNodeChild, far, "Error reading node from input stream !"},
        {"an entry's child past the end", good.nodes[0] + test::kNodeEntries + 4, far,
         "Error reading node from input stream !"},
        {"a record past the end", good.nodes[0] + test::kNodeEntries, far, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        test::TempDir dir(disk());
        std::string bytes = good.bytes;
        test::put32(bytes, row.offset, row.value);
        test::writeFile(dir.file("Broken.dbx"), bytes);
        test::writeFile(dir.file("Good.dbx"), good.bytes);
        Job job;
        job.dbx({entryFor(dir.path(), "Broken.dbx", "Broken"), entryFor(dir.path(), "Good.dbx", "Good")},
                dir.file("archive"));
        ASSERT_FALSE(job.lines.empty());
        for (const std::string& line : job.lines) {
            EXPECT_EQ(line.rfind("Error: <a href=\"help:err_dbxfile.html\">damaged dbx file</a> - ", 0), 0u) << line;
            if (row.reason) {
                EXPECT_NE(line.find(row.reason), std::string::npos) << line;
            }
        }
        const Tree tree = readTree(dir.file("archive"));
        EXPECT_EQ(std::count_if(tree.begin(), tree.end(), [](const auto& f) { return f.first.rfind("Good/", 0) == 0; }),
                  3);
    }
}

}  // namespace
}  // namespace tessaly
