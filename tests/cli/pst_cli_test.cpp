// pst_cli_test.cpp - tessaly-cli on a personal-store file from the tests'
// writer: its folders listed, every message archived with its attachment.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/pst_writer.h"
#include "support/run_cli.h"
#include "support/temp_dir.h"

namespace tessaly {
namespace {

TEST(PstCli, ListsAndArchivesAWrittenStore) {
    test::TempDir dir;
    test::PstFolder inbox{"Inbox", {}, {{"Reports", {}, {}}}};
    for (int i = 0; i < 3; ++i) {
        test::PstMessage m;
        m.subject = "Report " + std::to_string(i);
        m.senderName = "Ann Sender";
        m.senderEmail = "ann@example.org";
        m.deliveryTimeUnix = 1600000000 + i * 3600;
        m.body = "Figures " + std::to_string(i) + "\r\n";
        m.html = "<html><body><p>Figures " + std::to_string(i) + "</p></body></html>";
        inbox.subfolders[0].messages.push_back(m);
    }
    inbox.subfolders[0].messages[1].attachments.push_back(
        {"figures.bin", "application/octet-stream", std::string(20000, '\x7F'), ""});
    const std::string pst = dir.file("store.pst");
    ASSERT_TRUE(test::writePstFile(pst, {inbox}));

    const Outcome list = runCli({"list-pst", pst}, dir);
    if (list.err.find("cannot read .pst") != std::string::npos) GTEST_SKIP() << "built without libpff";
    EXPECT_EQ(list.status, 0) << list.err;
    EXPECT_EQ(list.out, "Inbox\n  Reports\n");

    const Outcome archive = runCli({"archive", "--to", dir.file("archive"), pst}, dir);
    EXPECT_EQ(archive.status, 0) << archive.err;
    EXPECT_EQ(archive.err, "");
    EXPECT_NE(archive.out.find("2 folders\n3 messages total\n"), std::string::npos) << archive.out;
    std::vector<std::string> saved;
    for (const auto& entry : std::filesystem::directory_iterator(dir.file("archive/Inbox/Reports/attachments"))) {
        if (entry.path().extension() == ".bin") saved.push_back(entry.path().string());
    }
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(test::readFile(saved[0]), std::string(20000, '\x7F'));
}

// Folders are told apart by what they are, not by their names: two sibling
// folders of one name are both archived, each into a folder of its own,
// and only the store's Drafts folder is left out, not another called so.
TEST(PstCli, FoldersOfOneNameAreEachArchivedAndOnlyTheRealDraftsLeftOut) {
    test::TempDir dir;
    const auto mail = [](const std::string& subject, int hour) {
        test::PstMessage m;
        m.subject = subject;
        m.senderName = "Ann Sender";
        m.senderEmail = "ann@example.org";
        m.deliveryTimeUnix = 1600000000 + hour * 3600;
        m.body = subject + "\r\n";
        return m;
    };
    test::PstFolder drafts{"Drafts", {mail("unsent", 0)}, {}};
    drafts.drafts = true;
    const std::vector<test::PstFolder> folders = {
        {"Inbox", {mail("inbox", 1)}, {}},
        {"Projects", {mail("first projects", 2)}, {}},
        {"Projects", {mail("second projects", 3), mail("more projects", 4)}, {{"Notes", {mail("notes", 5)}, {}}}},
        drafts,
        {"Drafts", {mail("not a draft", 6)}, {}},
    };
    const std::string pst = dir.file("store.pst");
    ASSERT_TRUE(test::writePstFile(pst, folders));

    const std::string archive = dir.file("archive");
    const Outcome first = runCli({"archive", "--to", archive, pst}, dir);
    if (first.err.find("cannot read .pst") != std::string::npos) GTEST_SKIP() << "built without libpff";
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(first.err, "");
    EXPECT_NE(first.out.find("5 folders\n6 messages total\n"), std::string::npos) << first.out;

    const auto pagesIn = [&](const std::string& folder) {
        std::vector<std::string> subjects;
        if (!std::filesystem::is_directory(archive + "/" + folder)) return subjects;
        for (const auto& entry : std::filesystem::directory_iterator(archive + "/" + folder)) {
            const std::string name = entry.path().filename().string();
            if (entry.path().extension() == ".html") subjects.push_back(name.substr(0, name.rfind(" - ")));
        }
        std::sort(subjects.begin(), subjects.end());
        return subjects;
    };
    using Names = std::vector<std::string>;
    EXPECT_EQ(pagesIn("Inbox"), Names{" (to) - inbox"});
    EXPECT_EQ(pagesIn("Projects"), Names{" (to) - first projects"});
    EXPECT_EQ(pagesIn("Projects;2"), (Names{" (to) - more projects", " (to) - second projects"}));
    EXPECT_EQ(pagesIn("Projects;2/Notes"), Names{" (to) - notes"});
    EXPECT_EQ(pagesIn("Drafts"), Names{});
    EXPECT_EQ(pagesIn("Drafts;2"), Names{" (to) - not a draft"});

    // Another run finds every folder where the first put it.
    const Outcome second = runCli({"archive", "--to", archive, pst}, dir);
    EXPECT_EQ(second.status, 0) << second.err;
    EXPECT_NE(second.out.find("6 were already in the archive"), std::string::npos) << second.out;

    // Named on the command line, a name takes every folder of that name,
    // the Drafts folder too.
    const std::string named = dir.file("named");
    const Outcome some = runCli({"archive", "--to", named, "--folder", "Projects", "--folder", "Drafts", pst}, dir);
    EXPECT_EQ(some.status, 0) << some.err;
    EXPECT_NE(some.out.find("4 folders\n5 messages total\n"), std::string::npos) << some.out;
}

}  // namespace
}  // namespace tessaly
