// takeout_job_test.cpp - Gmail Takeout mailboxes through the mailbox job:
// one folder per label below the mailbox's folder, each message once, the
// test that tells a Takeout mailbox, and the two passes under stops, cuts
// and runs that come again.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "archive/catalogue.h"
#include "sources/label_plan.h"
#include "support/derived_files.h"
#include "support/temp_dir.h"
#include "support/test_run.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

// A message as Takeout writes it; `labels` is the field's value as it
// stands in the file (none: no field). Its subject is `subject`.
std::string takeout(const std::string& subject, const char* labels, size_t bodyLines = 2) {
    std::string m = "From 1844921@xxx Thu Nov 07 13:20:51 +0000 2023\nX-GM-THRID: 1844921\n";
    if (labels) m += std::string("X-Gmail-Labels: ") + labels + "\n";
    m += "From: Ann <ann@example.org>\nTo: Bob <bob@example.com>\nSubject: " + subject +
         "\nDate: Tue, 07 Nov 2023 13:20:51 +0000\nMessage-ID: <" + subject + "@example.org>\n\n";
    for (size_t i = 0; i < bodyLines; ++i) m += "Line " + std::to_string(i) + " of " + subject + ".\n";
    return m + "\n";
}

TDbxFolderInfo entryFor(const std::string& directory, const std::string& fileName, const std::string& name) {
    TDbxFolderInfo e;
    e.directory = directory;
    e.fileName = fileName;
    e.name = e.folderPath = name;
    return e;
}

struct Job {
    test::TestRun test;
    ArchiveRun& run = test.run;
    std::vector<std::string>& lines = test.lines;
    ArchiveRun::ProgressSink progress;

    void go(const std::vector<TDbxFolderInfo>& entries, const std::string& archive, bool html,
            bool labelFolders = true) {
        JobRequest request;
        request.source = SourceKind::Mailboxes;
        request.files = entries;
        request.archiveFolder = archive;
        request.format = html ? OutputFormat::Html : OutputFormat::Eml;
        request.labelFolders = labelFolders;
        test.drive(request, progress);
    }
};

// The folder (relative, "" for the root) of every message file below
// `root`, by the subject token its name holds ("m03"); a message written
// twice shows twice.
std::map<std::string, std::vector<std::string>> foldersBySubject(const std::string& root) {
    std::map<std::string, std::vector<std::string>> found;
    if (!fs::exists(root)) return found;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        const std::string relative = fs::relative(e.path(), root).string();
        const bool attachment = relative.find("/attachments/") != std::string::npos;
        if (!e.is_regular_file() || test::isDerivedFile(relative) || attachment) continue;
        const std::string name = e.path().filename().string();
        const size_t token = name.find(" - m");
        if (token == std::string::npos) continue;
        const std::string parent = fs::relative(e.path().parent_path(), root).string();
        found[name.substr(token + 3, 3)].push_back(parent == "." ? "" : parent);
    }
    return found;
}

// Every file below `root` with its bytes, derived files left out.
std::map<std::string, std::string> readTree(const std::string& root) {
    std::map<std::string, std::string> files;
    if (!fs::exists(root)) return files;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        const std::string relative = fs::relative(e.path(), root).string();
        if (e.is_regular_file() && !test::isDerivedFile(relative)) files[relative] = test::readFile(e.path().string());
    }
    return files;
}

const std::string kAllMail = "All mail Including Spam and Trash";

struct Placed {
    const char* subject;
    const char* labels;
    const char* folder;  // below the archive root
};

const Placed kMailbox[] = {
    {"m01", "Inbox,Important,Opened", "All mail Including Spam and Trash/Inbox"},
    // Sent beats Inbox beats a user label.
    {"m02", "Inbox,Opened,Sent", "All mail Including Spam and Trash/Sent"},
    {"m03", "Opened,\"Work, 2020\",Family/Kids", "All mail Including Spam and Trash/Work, 2020"},
    {"m04", "Family/Kids,Category Updates", "All mail Including Spam and Trash/Family/Kids"},
    {"m05", "Work,Inbox", "All mail Including Spam and Trash/Inbox"},
    {"m06", "Important,Starred,Unread", "All mail Including Spam and Trash/Archived"},
    {"m07", "Spam,Unread", "All mail Including Spam and Trash/Archived"},
    // Folded and encoded.
    {"m08", "=?UTF-8?Q?Gesch=C3=A4ft?=,\n Opened", "All mail Including Spam and Trash/Geschäft"},
    // Names that would leave the archive or break its folders.
    {"m09", "../escape", "All mail Including Spam and Trash/__/escape"},
    {"m10", "a//b,/", "All mail Including Spam and Trash/a/b"},
    {"m11", ".tessaly", "All mail Including Spam and Trash/_tessaly"},
    // Labels that only differ in what names cannot hold share a folder.
    {"m12", "__/escape", "All mail Including Spam and Trash/__/escape"},
};

std::string takeoutMailbox() {
    std::string box;
    for (const Placed& m : kMailbox) box += takeout(m.subject, m.labels);
    return box;
}

TEST(TakeoutJob, EachMessageOnceInTheFolderOfItsLabels) {
    for (const bool html : {false, true}) {
        SCOPED_TRACE(html ? "pages" : "EML files");
        test::TempDir dir;
        test::writeFile(dir.file("box.mbox"), takeoutMailbox());
        Job job;
        job.go({entryFor(dir.path(), "box.mbox", kAllMail)}, dir.file("archive"), html);
        EXPECT_TRUE(job.lines.empty()) << job.lines.front();
        EXPECT_EQ(job.run.messageCount, std::size(kMailbox));
        // Inbox, Sent, Work 2020, Family/Kids, Archived, Geschäft, __/escape, a/b, _tessaly.
        EXPECT_EQ(job.run.folderCount, 9u);
        const auto found = foldersBySubject(dir.file("archive"));
        ASSERT_EQ(found.size(), std::size(kMailbox));
        for (const Placed& m : kMailbox) {
            EXPECT_EQ(found.at(m.subject), std::vector<std::string>{m.folder}) << m.subject;
        }
        // Nothing climbed out of the archive.
        for (const auto& e : fs::directory_iterator(dir.path())) {
            EXPECT_TRUE(e.path().filename() == "box.mbox" || e.path().filename() == "archive") << e.path();
        }
    }
}

TEST(TakeoutJob, PagesNameTheirLabelFolderAndTheCatalogueListsEveryLabel) {
    test::TempDir dir;
    test::writeFile(dir.file("box.mbox"), takeoutMailbox());
    Job job;
    job.go({entryFor(dir.path(), "box.mbox", kAllMail)}, dir.file("archive"), true);
    bool named = false;
    for (const auto& e : fs::directory_iterator(dir.file("archive/" + kAllMail + "/Family/Kids"))) {
        if (e.path().extension() != ".html") continue;
        named = test::readFile(e.path().string()).find("<span class=\"value\">Family/Kids</span>") != std::string::npos;
    }
    EXPECT_TRUE(named);

    std::unique_ptr<Catalogue> catalogue = Catalogue::open(dir.file("archive"), nullptr);
    ASSERT_TRUE(catalogue);
    EXPECT_FALSE(catalogue->isNew());
    std::map<std::string, uint64_t> counts;
    for (const CatalogueLabel& label : catalogue->labels()) counts[label.label] = label.messages;
    EXPECT_EQ(counts["Family/Kids"], 2u);
    EXPECT_EQ(counts["Opened"], 4u);
    EXPECT_EQ(counts["Inbox"], 3u);
    EXPECT_EQ(counts["Geschäft"], 1u);
    EXPECT_EQ(counts["Work, 2020"], 1u);
    std::vector<std::string> kids;
    for (const CatalogueRow& row : catalogue->rowsLabelled("Family/Kids")) kids.push_back(row.subject);
    EXPECT_EQ(kids, (std::vector<std::string>{"m03", "m04"}));
    // The index lists the labels; each has its pages.
    const std::string index = test::readFile(dir.file("archive/index.html"));
    EXPECT_NE(index.find("<h2>Labels</h2>"), std::string::npos);
    EXPECT_NE(index.find("<a href=\".tessaly/labels/"), std::string::npos);
    EXPECT_TRUE(fs::is_directory(dir.file("archive/.tessaly/labels")));
}

TEST(TakeoutJob, WithLabelsOffEveryMessageIsInTheMailboxsFolder) {
    test::TempDir dir;
    test::writeFile(dir.file("box.mbox"), takeoutMailbox());
    Job job;
    job.go({entryFor(dir.path(), "box.mbox", kAllMail)}, dir.file("archive"), false, false);
    const auto found = foldersBySubject(dir.file("archive"));
    ASSERT_EQ(found.size(), std::size(kMailbox));
    for (const auto& [subject, folders] : found) EXPECT_EQ(folders, std::vector<std::string>{kAllMail}) << subject;
    EXPECT_EQ(job.run.folderCount, 1u);
}

// A mailbox that is no Takeout mailbox is written exactly as with labels off.
TEST(TakeoutJob, WhatTellsATakeoutMailbox) {
    struct Row {
        const char* what;
        std::vector<const char*> labels;  // per message; null: no field
        bool byLabels;
    };
    std::vector<const char*> twentyThenNone(20, "Work");
    twentyThenNone.push_back(nullptr);
    std::vector<const char*> nineteenThenNone(19, "Work");
    nineteenThenNone.push_back(nullptr);
    nineteenThenNone.push_back("Work");
    const Row rows[] = {
        {"no message has labels", {nullptr, nullptr, nullptr}, false},
        {"the first message lacks them", {nullptr, "Work", "Work"}, false},
        {"one of the first twenty lacks them", nineteenThenNone, false},
        {"twenty have them: the rest need not", twentyThenNone, true},
        {"a short file, all with labels", {"Work", "Sent"}, true},
        {"one message with labels", {"Work"}, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        test::TempDir dir;
        std::string box;
        for (size_t i = 0; i < row.labels.size(); ++i) {
            box += takeout("m" + std::string(i < 10 ? "0" : "") + std::to_string(i), row.labels[i]);
        }
        test::writeFile(dir.file("box"), box);
        Job job;
        job.go({entryFor(dir.path(), "box", "Box")}, dir.file("archive"), false);
        const auto found = foldersBySubject(dir.file("archive"));
        ASSERT_EQ(found.size(), row.labels.size());
        for (size_t i = 0; i < row.labels.size(); ++i) {
            const std::string subject = "m" + std::string(i < 10 ? "0" : "") + std::to_string(i);
            std::string folder = "Box";
            if (row.byLabels) folder += !row.labels[i] ? "/Archived" : std::string("/") + row.labels[i];
            EXPECT_EQ(found.at(subject), std::vector<std::string>{folder}) << subject;
        }
        if (!row.byLabels) {
            Job off;
            off.go({entryFor(dir.path(), "box", "Box")}, dir.file("off"), false, false);
            EXPECT_EQ(readTree(dir.file("archive")), readTree(dir.file("off")));
            EXPECT_EQ(job.lines, off.lines);
        }
    }
}

// The IMAP server's folder data at the top is left out and named under the
// mailbox's folder; the labels of the rest still decide.
TEST(TakeoutJob, FolderDataAtTheTopIsLeftOut) {
    test::TempDir dir;
    const std::string folderData =
        "From MAILER-DAEMON Thu Sep  5 14:30:07 2002\nDate: Thu, 5 Sep 2002 14:30:07 +0200\n"
        "From: Mail System Internal Data <MAILER-DAEMON@host>\n"
        "Subject: DON'T DELETE THIS MESSAGE -- FOLDER INTERNAL DATA\nX-IMAP: 1031234567 0000000002\n\n"
        "This text is part of the internal format of your mail folder.\n\n";
    test::writeFile(dir.file("box"), folderData + takeout("m01", "Inbox") + takeout("m02", "Sent"));
    Job job;
    job.go({entryFor(dir.path(), "box", "Box")}, dir.file("archive"), false);
    EXPECT_EQ(job.run.messageCount, 3u);
    EXPECT_EQ(job.run.folderDataCount, 1u);
    EXPECT_EQ(job.lines, (std::vector<std::string>{
                             "Warning: <a href=\"help:err_folderdata.html\">the mail server's folder information</a> "
                             "was left out (Box/)"}));
    const auto found = foldersBySubject(dir.file("archive"));
    EXPECT_EQ(found.at("m01"), std::vector<std::string>{"Box/Inbox"});
    EXPECT_EQ(found.at("m02"), std::vector<std::string>{"Box/Sent"});
}

TEST(TakeoutJob, ARunThatComesAgainArchivesNothingNew) {
    for (const bool html : {false, true}) {
        SCOPED_TRACE(html ? "pages" : "EML files");
        test::TempDir dir;
        test::writeFile(dir.file("box.mbox"), takeoutMailbox());
        const std::vector<TDbxFolderInfo> entries{entryFor(dir.path(), "box.mbox", kAllMail)};
        Job first;
        first.go(entries, dir.file("archive"), html);
        const auto before = readTree(dir.file("archive"));
        Job again;
        again.go(entries, dir.file("archive"), html);
        EXPECT_EQ(again.run.alreadyArchivedCount, std::size(kMailbox));
        // One warning a label folder, naming it.
        EXPECT_EQ(again.lines.size(), 9u);
        for (const std::string& line : again.lines) {
            EXPECT_NE(line.find("err_already.html"), std::string::npos) << line;
            EXPECT_NE(line.find("(" + kAllMail + "/"), std::string::npos) << line;
        }
        EXPECT_EQ(readTree(dir.file("archive")), before);
    }
}

// A stop in either pass: what was archived stays, a later run adds the rest.
TEST(TakeoutJob, StopsAreHonouredInBothPasses) {
    struct Row {
        const char* what;
        bool firstPass;
        size_t archived;
    };
    // A stop ends the message being archived too: the second pass stops
    // when the second message is about to begin.
    const Row rows[] = {{"while the file is scanned", true, 0}, {"after the first message by labels", false, 1}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        test::TempDir dir;
        // A long first message, so that the scan reports progress within it.
        test::writeFile(dir.file("box"), takeout("m00", "Inbox", 8000) + takeoutMailbox());
        const std::vector<TDbxFolderInfo> entries{entryFor(dir.path(), "box", "Box")};
        Job job;
        size_t labelled = 0;
        job.progress = [&](const std::string& text1, double, const std::string& text2, double fraction2) {
            const bool scanning = text1 == "Overall" && text2 == "Box" && fraction2 > 0;
            const bool labelFolder = text1 == "Overall" && text2.find('/') != std::string::npos;
            if (row.firstPass ? scanning : labelFolder && ++labelled == 2) {
                job.run.stopRequested = true;
            }
        };
        job.go(entries, dir.file("archive"), false);
        EXPECT_EQ(foldersBySubject(dir.file("archive")).size(), row.archived);
        Job later;
        later.go(entries, dir.file("archive"), false);
        EXPECT_EQ(later.run.alreadyArchivedCount, row.archived);
        EXPECT_EQ(foldersBySubject(dir.file("archive")).size(), std::size(kMailbox) + 1);
    }
}

// Another program cuts the mailbox short in either pass: one problem line,
// no half-written message, and the other files are archived.
TEST(TakeoutJob, AMailboxCutShortInEitherPassIsReported) {
    struct Row {
        const char* what;
        bool firstPass;
        bool toNothing;
    };
    const Row rows[] = {{"cut while it is scanned", true, false},
                        {"cut to nothing at the first label folder", false, true},
                        {"cut to its first message at the first label folder", false, false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        test::TempDir dir;
        const std::string box = dir.file("box");
        const std::string first = takeout("m00", "Inbox", 8000);
        test::writeFile(box, first + takeoutMailbox());
        test::writeFile(dir.file("other"), takeout("m99", nullptr));
        Job job;
        bool cut = false;
        job.progress = [&](const std::string& text1, double, const std::string& text2, double fraction2) {
            const bool labelFolder = text2.find('/') != std::string::npos;
            if (!cut && text1 == "Overall" && (row.firstPass ? text2 == "Box" && fraction2 > 0 : labelFolder)) {
                cut = true;
                ASSERT_EQ(truncate(box.c_str(), static_cast<off_t>(row.toNothing ? 0 : first.size())), 0);
            }
        };
        job.go({entryFor(dir.path(), "box", "Box"), entryFor(dir.path(), "other", "Other")}, dir.file("archive"),
               false);
        ASSERT_TRUE(cut);
        EXPECT_EQ(job.lines, std::vector<std::string>{
                                 "Error: file <a href=\"help:err_mapfile.html\">was truncated while being read</a> - " +
                                 box});
        const auto found = foldersBySubject(dir.file("archive"));
        EXPECT_EQ(found.size(), 1u);
        EXPECT_EQ(found.count("m99"), 1u);
        for (const auto& [path, bytes] : readTree(dir.file("archive"))) {
            EXPECT_EQ(fs::path(path).filename().string().rfind(".tessaly-", 0), std::string::npos) << path;
        }
    }
}

TEST(TakeoutJob, ProgressRisesOverBothPassesAndTheNextFile) {
    test::TempDir dir;
    test::writeFile(dir.file("box"), takeout("m00", "Inbox", 8000) + takeoutMailbox());
    test::writeFile(dir.file("other"), takeout("m99", nullptr, 8000));
    Job job;
    std::vector<double> overall;
    job.progress = [&](const std::string& text1, double fraction1, const std::string&, double) {
        if (text1 == "Overall") overall.push_back(fraction1);
    };
    job.go({entryFor(dir.path(), "box", "Box"), entryFor(dir.path(), "other", "Other")}, dir.file("archive"), false);
    ASSERT_GT(overall.size(), std::size(kMailbox));
    EXPECT_TRUE(std::is_sorted(overall.begin(), overall.end()));
    EXPECT_GE(overall.front(), 0.0);
    EXPECT_LE(overall.back(), 1.0);
}

TEST(TakeoutJob, PlanKeepsMessagesInOrderByFolder) {
    LabelPlan plan;
    const uint32_t inbox = plan.folderFor("Box", "Inbox");
    const uint32_t sent = plan.folderFor("Box", "Sent");
    EXPECT_EQ(plan.folderFor("Box", "Inbox"), inbox);
    // "../x" becomes the archive folder "__/x": the same as the label "__/x".
    EXPECT_EQ(plan.folderFor("Box", "../x"), plan.folderFor("Box", "__/x"));
    EXPECT_EQ(plan.folders()[sent].path, "Box/Sent");
    plan.add(0, 10, sent);
    plan.add(10, 25, inbox);
    plan.add(30, 40, LabelPlan::kNoFolder);  // bytes 25 to 30 belong to none
    plan.add(40, 42, sent);
    ASSERT_EQ(plan.size(), 5u);
    EXPECT_EQ(plan.end(1), 25u);
    EXPECT_EQ(plan.folder(2), LabelPlan::kNoFolder);
    EXPECT_EQ(plan.end(4), 42u);
    EXPECT_EQ(plan.bytes(), 27u);
    EXPECT_EQ(plan.folders()[sent].bytes, 12u);
    std::vector<size_t> begins;
    const std::vector<size_t> order = plan.messagesByFolder(begins);
    ASSERT_EQ(begins.size(), plan.folders().size() + 1);
    EXPECT_EQ(std::vector<size_t>(order.begin() + begins[inbox], order.begin() + begins[inbox + 1]),
              std::vector<size_t>{1});
    EXPECT_EQ(std::vector<size_t>(order.begin() + begins[sent], order.begin() + begins[sent + 1]),
              (std::vector<size_t>{0, 4}));
}

}  // namespace
}  // namespace tessaly
