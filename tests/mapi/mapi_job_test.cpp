// mapi_job_test.cpp - the Outlook job over the in-memory library: folder
// choice, subfolders, counters, unreadable messages, EML refusal and stop.
#include <gtest/gtest.h>

#include <filesystem>

#include "mapi/fake_mapi.h"
#include "mapi/mapi_state.h"
#include "mapi/outlook.h"
#include "platform/files.h"
#include "support/derived_files.h"
#include "support/temp_dir.h"
#include "support/test_run.h"

namespace tessaly::test {
namespace {

namespace fs = std::filesystem;

FakeMessage mail(const std::string& subject) {
    FakeMessage m;
    m.props = {textValue(PR_MESSAGE_CLASS, "IPM.Note"), textValue(PR_SUBJECT, subject),
               textValue(PR_SENDER_NAME, "Ann"), textValue(PR_DISPLAY_TO, "Bob")};
    m.recipients = {{textValue(PR_DISPLAY_NAME, "Bob"), textValue(PR_EMAIL_ADDRESS, "bob@example.com")}};
    m.streams[PR_BODY] = subject + " body";
    return m;
}

FakeFolder folder(const std::string& name, std::vector<FakeMessage> messages, std::vector<FakeFolder> children = {}) {
    FakeFolder f;
    f.name = name;
    f.messages = std::move(messages);
    f.children = std::move(children);
    return f;
}

// Everything below `root`; page names end after their stamp's time.
std::vector<std::string> filesBelow(const std::string& root) {
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (test::isDerivedFile(fs::relative(entry.path(), root).string())) continue;
        std::string name = fs::relative(entry.path(), root).string() + (entry.is_directory() ? "/" : "");
        if (name == "folvane.css") continue;  // the archive's, not the job's
        const size_t first = name.find('\'');
        if (first != std::string::npos) name.resize(name.find('\'', first + 1) + 1);
        files.push_back(name);
    }
    std::sort(files.begin(), files.end());
    return files;
}

class JobTest : public FakeMapiTest {
protected:
    void open(FakeFolder top) {
        FakeProfile profile{"P"};
        FakeStore store;
        store.name = "S";
        store.top = std::move(top);
        profile.stores = {store};
        world->profiles = {profile};
        load();
        EnsureFolders(nullptr, "P", "S");
    }
    void runJob(const std::vector<std::string>& ticked, bool html = true, bool subfolders = true) {
        RunSinks sinks;
        sinks.log = [this](const std::string& line) { problems += line + "\n"; };
        driveRun(run, outlookRequest(ticked, dir.path(), html, subfolders), std::move(sinks));
    }

    TempDir dir;
    ArchiveRun run;
    std::string problems;
};

TEST_F(JobTest, TickedFoldersInOrderIntoSubfolders) {
    open(folder("Top", {}, {folder("Inbox", {mail("one"), mail("two")}, {folder("Projects", {mail("three")})}),
                            folder("Drafts", {mail("draft")}),
                            folder("Projects", {mail("other projects")})}));
    // "Projects" picks the first folder of that name; a name given twice
    // archives its folder once; a folder that is gone is skipped.
    runJob({"Projects", "Inbox", "Gone", "Inbox"});
    EXPECT_EQ(run.folderCount, 2u);
    EXPECT_EQ(run.messageCount, 3u);
    EXPECT_TRUE(problems.empty()) << problems;
    const std::vector<std::string> files = filesBelow(dir.path());
    EXPECT_EQ(files, (std::vector<std::string>{"Inbox/", "Inbox/Bob (to) - one - 00000000'000000'",
                                               "Inbox/Bob (to) - two - 00000000'000000'", "Inbox/Projects/",
                                               "Inbox/Projects/Bob (to) - three - 00000000'000000'"}))
        << [&] {
               std::string all;
               for (const std::string& f : files) all += f + "\n";
               return all;
           }();
}

TEST_F(JobTest, FlatArchiveAndEmptyAttachmentsFoldersRemoved) {
    open(folder("Top", {}, {folder("Inbox", {mail("one")})}));
    runJob({"Inbox"}, true, false);
    const std::vector<std::string> files = filesBelow(dir.path());
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].rfind("Bob (to) - one - ", 0), 0u);
}

TEST_F(JobTest, UnreadableMessagesAreProblems) {
    FakeFolder inbox = folder("Inbox", {mail("one"), mail("two"), mail("three")});
    inbox.messages[0].openFails = true;
    inbox.messages[1].isFolder = true;  // opens as something else than a message
    inbox.messages[2].getPropsResult = MAPI_E_CORRUPT_STORE;
    open(folder("Top", {}, {inbox}));
    runJob({"Inbox"});
    EXPECT_EQ(problems,
              "Error: <a href=\"help:err_mapireadmsg.html\">unable to read a message</a> in Inbox/ - MAPI_E_NOT_FOUND\n"
              "Error: <a href=\"help:err_mapireadmsg.html\">unable to read a message</a> in Inbox/ - SUCCESS_SUCCESS\n"
              "Error: <a href=\"help:err_mapireadmsg.html\">unable to read a message</a> in Inbox/ - "
              "MAPI_E_CORRUPT_STORE\n");
    EXPECT_EQ(run.problemCount, 3u);
    EXPECT_EQ(run.messageCount, 3u);
    // Nothing was saved: the attachments folder does not stay behind.
    EXPECT_EQ(filesBelow(dir.path()), std::vector<std::string>{"Inbox/"});
}

TEST_F(JobTest, FolderWithoutContentsIsSkippedQuietly) {
    FakeFolder inbox = folder("Inbox", {mail("one")});
    inbox.contentsFail = true;
    open(folder("Top", {}, {inbox}));
    runJob({"Inbox"});
    EXPECT_TRUE(problems.empty());
    EXPECT_EQ(run.messageCount, 0u);
    // Its attachments folder does not stay behind.
    EXPECT_EQ(filesBelow(dir.path()), std::vector<std::string>{"Inbox/"});
}

TEST_F(JobTest, EmlIsRefusedBeforeAnything) {
    open(folder("Top", {}, {folder("Inbox", {mail("one")})}));
    runJob({"Inbox"}, false);
    EXPECT_EQ(problems, "Error: <a href=\"help:err_psteml.html\">Cannot save from Outlook to EML</a>.\n");
    EXPECT_EQ(run.folderCount, 0u);
    EXPECT_TRUE(filesBelow(dir.path()).empty());
}

TEST_F(JobTest, StopKeepsWhatWasArchived) {
    open(folder("Top", {}, {folder("Inbox", {mail("one"), mail("two"), mail("three")})}));
    int shown = 0;
    RunSinks sinks;
    sinks.progress = [&](const std::string&, double, const std::string& text2, double) {
        if (text2.find("two") != std::string::npos && ++shown == 1) run.stopRequested = true;
    };
    driveRun(run, outlookRequest({"Inbox"}, dir.path()), std::move(sinks));
    // The message whose label showed when the stop came is neither written
    // nor counted; the one before stays.
    std::vector<std::string> pages;
    for (const std::string& f : filesBelow(dir.path())) {
        if (f.back() != '/') pages.push_back(f);
    }
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_NE(pages[0].find(" - one - "), std::string::npos);
    EXPECT_EQ(run.messageCount, 1u);
}

TEST_F(JobTest, NoStoreNoWork) {
    runJob({"Inbox"});
    EXPECT_EQ(run.folderCount, 0u);
    EXPECT_TRUE(problems.empty());
}

}  // namespace
}  // namespace tessaly::test
