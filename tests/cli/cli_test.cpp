// cli_test.cpp - tessaly-cli as scripts use it: exit codes, the statistics
// on stdout, problem lines on stderr, stopping on Ctrl+C.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "support/run_cli.h"
#include "support/temp_dir.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

// The statistics without the size and timing lines, which vary.
std::string countLines(const std::string& out) {
    static const std::regex sizeLine(R"(\n[0-9.]+( bytes|k|Mb) in [0-9])");
    std::smatch found;
    return std::regex_search(out, found, sizeLine) ? out.substr(0, found.position(0) + 1) : out;
}

TEST(Cli, UsageErrorsExitWithTwo) {
    test::TempDir dir;
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"frobnicate"},
        {"archive", "--to"},
        {"archive", "x.bmf"},
        {"archive", "--format", "pdf", "--to", "d", "x.bmf"},
        {"list-oe", "--identity", "a", "--store-dir", "b"},
        {"eml2mbox"},
    };
    for (const auto& args : bad) {
        const Outcome o = runCli(args, dir);
        EXPECT_EQ(o.status, 2) << (args.empty() ? "" : args[0]);
        EXPECT_NE(o.err.find("Usage:"), std::string::npos);
        EXPECT_TRUE(o.out.empty());
    }
}

TEST(Cli, ArchivesTheSamplesThenFindsThemArchived) {
    test::TempDir dir;
    const std::string archive = dir.file("archive");
    const std::vector<std::string> args = {"archive", "--to", archive,
                                           std::string(TESSALY_SAMPLES_DIR) + "/Inbox.bmf",
                                           std::string(TESSALY_SAMPLES_DIR) + "/Sent.bmf"};
    const Outcome first = runCli(args, dir);
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(countLines(first.out),
              "Archiving is finished.\n2 folders\n11 messages total, of which\n1 was a duplicate\n");
    // Problem lines reach stderr as text: no tags, entities decoded.
    EXPECT_NE(first.err.find("Warning: This email is a duplicate (Inbox/"), std::string::npos);
    EXPECT_EQ(first.err.find('<'), std::string::npos);
    EXPECT_TRUE(fs::exists(archive + "/folvane.css"));
    EXPECT_TRUE(fs::is_directory(archive + "/Inbox/attachments"));
    EXPECT_FALSE(fs::exists(archive + "/Sent/attachments"));  // nothing saved there

    const Outcome second = runCli(args, dir);
    EXPECT_EQ(second.status, 0);
    EXPECT_EQ(countLines(second.out),
              "Archiving is finished.\n2 folders\n11 messages total, of which\n"
              "11 were already in the archive\n");
}

TEST(Cli, FlatEmlArchive) {
    test::TempDir dir;
    const std::string archive = dir.file("flat");
    const Outcome o = runCli({"archive", "--format", "eml", "--flat", "--to", archive,
                              std::string(TESSALY_SAMPLES_DIR) + "/Sent.bmf"},
                             dir);
    ASSERT_EQ(o.status, 0);
    size_t emlFiles = 0;
    for (const auto& e : fs::directory_iterator(archive)) emlFiles += e.path().extension() == ".eml";
    EXPECT_EQ(emlFiles, 1u);
    EXPECT_FALSE(fs::exists(archive + "/folvane.css"));  // no stylesheet for EML
}

TEST(Cli, CtrlCStopsAfterTheCurrentMessage) {
    test::TempDir dir;
    std::string box;
    for (int i = 0; i < 20000; ++i) {
        box += "From a@example.org Thu Sep  5 14:30:07 2002\nFrom: a@example.org\nSubject: Message " +
               std::to_string(i) + "\nDate: Thu, 5 Sep 2002 14:30:07 +0200\n\nBody " +
               std::to_string(i) + "\n\n";
    }
    test::writeFile(dir.file("big.bmf"), box);
    const std::string archive = dir.file("archive");
    const Outcome o = runCli({"archive", "--to", archive, dir.file("big.bmf")}, dir, [&](pid_t pid) {
        // Wait for the first page, so that the program is surely past start-up.
        for (int i = 0; i < 2000 && !fs::exists(archive + "/big"); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        kill(pid, SIGINT);
    });
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.out.rfind("Archiving was stopped.\n", 0), 0u);
    size_t pages = 0;
    for (const auto& e : fs::directory_iterator(archive + "/big")) pages += e.path().extension() == ".html";
    EXPECT_GT(pages, 0u);
    EXPECT_LT(pages, 20000u);
}

TEST(Cli, EmlToMailbox) {
    test::TempDir dir;
    fs::create_directories(dir.file("mail/Old"));
    test::writeFile(dir.file("mail/Old/one.eml"), "From: a@b.org\nSubject: one\n\nbody\n");
    const Outcome o = runCli({"eml2mbox", dir.file("mail")}, dir);
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(countLines(o.out), "Archiving is finished.\n1 folder\n1 message total\n");
    EXPECT_EQ(test::readFile(dir.file("mail/Old.bmf")).rfind("From a@b.org ", 0), 0u);
}

// A store that opens but holds no mail folder is no usage error: one line
// says so and the run is done (made of a fixture whose folder table lost a
// byte).
TEST(Cli, AStoreWithoutMailFoldersIsNoUsageError) {
    const std::string fixture = std::string(TESSALY_FIXTURES_DIR) + "/pstsdk-sample1.pst";
    if (!fs::exists(fixture)) GTEST_SKIP() << "no fixtures";
    test::TempDir dir;
    std::string bytes = test::readFile(fixture);
    ASSERT_GT(bytes.size(), 31499u);
    bytes[31499] = static_cast<char>(bytes[31499] ^ 0xff);
    test::writeFile(dir.file("nomail.pst"), bytes);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"list-pst", dir.file("nomail.pst")},
          std::vector<std::string>{"archive", "--to", dir.file("archive"), dir.file("nomail.pst")}}) {
        const Outcome o = runCli(args, dir);
        if (o.err.find("cannot read .pst") != std::string::npos) GTEST_SKIP() << "built without libpff";
        EXPECT_EQ(o.status, 0) << args[0];
        EXPECT_EQ(o.err, "tessaly-cli: " + dir.file("nomail.pst") + " holds no mail folders\n") << args[0];
        EXPECT_EQ(o.out, "") << args[0];
    }
}

}  // namespace
}  // namespace tessaly

namespace tessaly {
namespace {

// The lines of `text`, sorted.
std::vector<std::string> sortedLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

TEST(Cli, AnArchiveIsIndexedAndSearchedAndIndexedAnewFromItsFiles) {
    test::TempDir dir;
    const std::string archive = dir.file("archive");
    ASSERT_EQ(runCli({"archive", "--to", archive, std::string(TESSALY_SAMPLES_DIR) + "/Inbox.bmf",
                      std::string(TESSALY_SAMPLES_DIR) + "/Sent.bmf"},
                     dir)
                  .status,
              0);
    EXPECT_TRUE(fs::exists(archive + "/index.html"));
    EXPECT_TRUE(fs::exists(archive + "/search.html"));

    const Outcome lunch = runCli({"search", "--in", archive, "lunch"}, dir);
    ASSERT_EQ(lunch.status, 0) << lunch.err;
    const std::vector<std::string> found = sortedLines(lunch.out);
    ASSERT_FALSE(found.empty());
    for (const std::string& path : found) EXPECT_TRUE(fs::exists(archive + "/" + path)) << path;
    // Accents and case do not matter; a word found nowhere exits with 1.
    EXPECT_EQ(runCli({"search", "--in", archive, "CAFE"}, dir).status, 0);
    const Outcome none = runCli({"search", "--in", archive, "zzyzxq"}, dir);
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.out, "");

    // Made anew from the files alone, the search finds the same.
    fs::remove_all(archive + "/.tessaly");
    fs::remove(archive + "/index.html");
    const Outcome index = runCli({"index", archive}, dir);
    ASSERT_EQ(index.status, 0) << index.err;
    EXPECT_NE(index.out.find("10 messages in the catalogue") , std::string::npos) << index.out;
    EXPECT_TRUE(fs::exists(archive + "/index.html"));
    EXPECT_EQ(sortedLines(runCli({"search", "--in", archive, "lunch"}, dir).out), found);

    EXPECT_EQ(runCli({"search", "--in", dir.file("nowhere"), "x"}, dir).status, 2);
    EXPECT_EQ(runCli({"search", "lunch"}, dir).status, 2);
    EXPECT_EQ(runCli({"index"}, dir).status, 2);
}

}  // namespace
}  // namespace tessaly
