// staged_names_test.cpp - saved files named like the program's own
// temporaries stay; the temporaries and journals of an ended run go.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/run_cli.h"
#include "support/temp_dir.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

// A message whose attachments are named like staged files and a journal of
// a process that no longer runs (999999999 is above any process id).
std::string messageWithAttachments(const std::string& subject, const std::vector<std::string>& names) {
    std::string text = "From a@example.org Thu Sep  5 14:30:07 2002\nFrom: a@example.org\nTo: b@example.org\n"
                       "Subject: " + subject + "\nDate: Thu, 5 Sep 2002 14:30:07 +0200\nMIME-Version: 1.0\n"
                       "Content-Type: multipart/mixed; boundary=\"b\"\n\n--b\nContent-Type: text/plain\n\nSee.\n";
    for (const std::string& name : names) {
        text += "--b\nContent-Type: application/octet-stream\nContent-Disposition: attachment; filename=\"" + name +
                "\"\n\nbytes of " + name + "\n";
    }
    return text + "--b--\n\n";
}

std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(StagedNames, AttachmentsNamedLikeTemporariesOutliveTheNextRun) {
    test::TempDir dir;
    const std::string archive = dir.file("archive");
    const std::vector<std::string> names = {".tessaly-999999999-7.tmp", ".tessaly-999999999-8.journal",
                                            ".tessaly-999999999-9"};
    test::writeFile(dir.file("Inbox.bmf"), messageWithAttachments("first", names));
    const Outcome first = runCli({"archive", "--to", archive, dir.file("Inbox.bmf")}, dir);
    ASSERT_EQ(first.status, 0) << first.err;
    const std::vector<std::string> saved = filesIn(archive + "/Inbox/attachments");
    ASSERT_EQ(saved.size(), 3u);
    for (const std::string& file : saved) EXPECT_NE(file.find(".tessaly-999999999-"), std::string::npos) << file;

    // What a run that ended without cleaning up leaves: a temporary in each
    // folder, and a journal.
    test::writeFile(archive + "/Inbox/.tessaly-999999999-1.tmp", "half a page");
    test::writeFile(archive + "/Inbox/attachments/.tessaly-999999999-2.tmp", "half a file");
    test::writeFile(archive + "/Inbox/.tessaly-999999999-3.journal", "");

    // The next run opens the folder again with a new message.
    test::writeFile(dir.file("Inbox.bmf"), messageWithAttachments("first", names) +
                                               messageWithAttachments("second", {"plain.txt"}));
    const Outcome second = runCli({"archive", "--to", archive, dir.file("Inbox.bmf")}, dir);
    ASSERT_EQ(second.status, 0) << second.err;

    std::vector<std::string> now = filesIn(archive + "/Inbox/attachments");
    for (const std::string& file : saved) {
        EXPECT_NE(std::find(now.begin(), now.end(), file), now.end()) << file << " was taken for a temporary";
        EXPECT_EQ(test::readFile(archive + "/Inbox/attachments/" + file).rfind("bytes of .tessaly-", 0), 0u);
    }
    EXPECT_FALSE(fs::exists(archive + "/Inbox/.tessaly-999999999-1.tmp"));
    EXPECT_FALSE(fs::exists(archive + "/Inbox/attachments/.tessaly-999999999-2.tmp"));
    EXPECT_FALSE(fs::exists(archive + "/Inbox/.tessaly-999999999-3.journal"));

    // The first page still links to files that are there.
    for (const std::string& page : filesIn(archive + "/Inbox")) {
        if (page.find(" - first - ") == std::string::npos) continue;
        const std::string html = test::readFile(archive + "/Inbox/" + page);
        for (const std::string& file : saved) EXPECT_NE(html.find("attachments/" + file), std::string::npos) << file;
    }
}

}  // namespace
}  // namespace tessaly
