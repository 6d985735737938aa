// run_sequence_test.cpp - "webf:go" from start to finish page: settings
// saved, the live log, the job of the source, the virus warning once, and
// the end of the program during a run.
#include "app/run_sequence.h"

#include <gtest/gtest.h>

#include "app/dispatch.h"
#include "app/validation.h"
#include "platform/file_lock.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "support/temp_dir.h"
#include "tests/app/fake_shell.h"
#include "tests/app/wizard_fixture.h"

namespace tessaly {
namespace {

using test::FakeShell;

const std::string kSamples = TESSALY_TEST_DATA_DIR "/../../samples";

class RunSequenceTest : public test::WizardTest {
protected:
    test::TempDir archive;

    // The save page of a mailbox file, submitted.
    void archiveMailbox(const std::string& file, const std::string& format) {
        ASSERT_EQ(validateMailboxFiles(wizard, {file}), 1u);
        wizard.settings.source = "bmf";
        dispatch(wizard, "webf:save");
        const std::string url = "webf:go?savedir=" + percentEncode(archive.path()) + "&saveformat=" + format +
                                "&usesubfolders=yes";
        followLink(wizard, url, decodeQuery(url));
    }
    static bool storedFlag(const char* name) {
        uint32_t value = 0;
        return registryReadDword(RegistryHive::CurrentUser, kSettingsKey, name, value) && value != 0;
    }
};

TEST_F(RunSequenceTest, MailboxRunEndsOnTheFinishPage) {
    archiveMailbox(kSamples + "/Inbox.bmf", "html");
    ASSERT_GE(shell.pages.size(), 3u);
    // The archiving page, then the finish page through the history.
    EXPECT_NE(shell.pages[shell.pages.size() - 2].find("<h2>Archiving...</h2>"), std::string::npos);
    EXPECT_NE(shell.lastPage().find("<h2>Finished</h2>"), std::string::npos);
    EXPECT_NE(shell.lastPage().find("Archiving is finished.</p>"), std::string::npos);
    EXPECT_EQ(wizard.nav.currentPage, "webf:done");
    EXPECT_EQ(wizard.nav.history.front(), "webf:save");  // back leads to where the run began
    EXPECT_TRUE(shell.lastPage().find("<a href=\"history:\">") != std::string::npos);

    EXPECT_EQ(run.folderCount, 1u);
    EXPECT_GT(run.messageCount, 0u);
    EXPECT_FALSE(run.running);
    EXPECT_TRUE(pathExists(archive.file("folvane.css")));
    EXPECT_TRUE(pathExists(archive.file("Inbox/*")));

    // Saved before and after: the form's choices and the warned flag.
    std::string savedir;
    ASSERT_TRUE(registryReadString(RegistryHive::CurrentUser, kSettingsKey, "savedir", savedir));
    EXPECT_EQ(savedir, archive.path());
    EXPECT_TRUE(storedFlag("viruswarned"));

    // The virus warning comes after the first run ever, and only then.
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0].text, kVirusWarning);
    EXPECT_EQ(shell.messages[0].caption, "Be alert");
    EXPECT_EQ(shell.messages[0].icon, MessageIcon::Warning);

    // A second run finds everything archived; no second warning.
    archiveMailbox(kSamples + "/Inbox.bmf", "html");
    EXPECT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(run.alreadyArchivedCount, run.messageCount);
    // The one warning line is shown live and again on the finish page.
    ASSERT_TRUE(shell.innerHtml.count("messages"));
    EXPECT_NE(shell.innerHtml["messages"].find("help:err_already.html"), std::string::npos);
    EXPECT_NE(shell.lastPage().find("<p>There were some problems:</p>\r\n<p>Warning: "), std::string::npos);
}

// An archive folder that cannot take files, or one another run holds: one
// message box on the save page, and no run.
TEST_F(RunSequenceTest, AnArchiveFolderThatCannotBeUsedIsSaidBeforeAnyRun) {
    test::writeFile(archive.file("in-the-way"), "a file");
    ASSERT_EQ(validateMailboxFiles(wizard, {kSamples + "/Inbox.bmf"}), 1u);
    wizard.settings.source = "bmf";
    dispatch(wizard, "webf:save");
    const size_t pagesBefore = shell.pages.size();
    const std::string url = "webf:go?savedir=" + percentEncode(archive.file("in-the-way/archive")) +
                            "&saveformat=html&usesubfolders=yes";
    followLink(wizard, url, decodeQuery(url));
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0].text,
              "The archive folder " + archive.file("in-the-way/archive") + " cannot be created: Not a directory.");
    EXPECT_EQ(shell.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(shell.pages.size(), pagesBefore);
    EXPECT_EQ(run.folderCount, 0u);

    FileLock other;
    ASSERT_TRUE(createFolderPath(archive.file(".tessaly")));
    ASSERT_EQ(other.take(archive.file(".tessaly/run.lock")), FileLock::Result::Taken);
    archiveMailbox(kSamples + "/Inbox.bmf", "html");
    ASSERT_EQ(shell.messages.size(), 2u);
    EXPECT_NE(shell.messages[1].text.find("is in use by another run of Tessaly"), std::string::npos);
    EXPECT_FALSE(pathExists(archive.file("Inbox")));
}

TEST_F(RunSequenceTest, EmlRunWritesNoStylesheetAndTheLogSurvivesAMissingElement) {
    shell.pageHasMessages = false;  // the archiving page never loaded
    archiveMailbox(kSamples + "/Sent.bmf", "eml");
    EXPECT_FALSE(pathExists(archive.file("folvane.css")));
    EXPECT_TRUE(shell.innerHtml.empty());
    EXPECT_NE(shell.lastPage().find("<h2>Finished</h2>"), std::string::npos);
}

TEST_F(RunSequenceTest, ClosingTheProgramDuringARunShowsNoFinishPage) {
    shell.quitAtPump = 1;
    wizard.settings.viruswarned = false;
    archiveMailbox(kSamples + "/Inbox.bmf", "html");
    EXPECT_TRUE(shell.closed);
    EXPECT_TRUE(run.quitRequested);
    EXPECT_EQ(shell.lastPage().find("<h2>Finished</h2>"), std::string::npos);
    EXPECT_TRUE(shell.messages.empty());  // no warning either
    EXPECT_TRUE(storedFlag("viruswarned"));  // but it counts as shown
    run.quitRequested = false;
}

TEST_F(RunSequenceTest, UnknownSourceRunsNoJob) {
    wizard.settings.source = "nothing";
    wizard.settings.savedir = archive.path();
    dispatch(wizard, "webf:go");
    EXPECT_EQ(run.folderCount, 0u);
    EXPECT_NE(shell.lastPage().find("0 folders<br>"), std::string::npos);
}

TEST_F(RunSequenceTest, OutlookExpressFoldersAreTakenFromTheTicks) {
    Settings& s = wizard.settings;
    s.source = "dbx";
    s.dbxdir = kSamples + "/oe-store";
    s.dbxfolders = {"Inbox", "Inbox"};  // named twice: archived twice
    s.savedir = archive.path();
    dispatch(wizard, "webf:go");
    ASSERT_EQ(s.dbxFilesToArchive.size(), 2u);
    EXPECT_EQ(s.dbxFilesToArchive[0].name, "Inbox");
    EXPECT_EQ(run.folderCount, 2u);
    EXPECT_GT(run.duplicateCount, 0u);
}

TEST(Validation, MailboxFilesAreCheckedOneByOne) {
    test::TempDir dir;
    test::writeFile(dir.file("a.BMF"), "From ann@example.org Mon Jan  3 10:00:00 2005\nSubject: a\n\nx\n");
    test::writeFile(dir.file("b"), "From ann@example.org Mon Jan  3 10:00:00 2005\nSubject: b\n\nx\n");
    test::writeFile(dir.file("c.bmf"), "not a mailbox\n");
    FakeShell shell;
    ArchiveRun run;
    Wizard wizard(shell, run);
    EXPECT_EQ(validateMailboxFiles(wizard, {dir.file("a.BMF"), dir.file("b"), dir.file("c.bmf")}), 2u);
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0].text, "The file c.bmf is not a valid Berkeley Mail Folder.");
    EXPECT_EQ(shell.messages[0].caption, "Invalid files");
    ASSERT_EQ(wizard.settings.mailboxFiles.size(), 2u);
    EXPECT_EQ(wizard.settings.mailboxFiles[0].name, "a");  // extension dropped in any case
    EXPECT_EQ(wizard.settings.mailboxFiles[0].directory, dir.path());
    EXPECT_EQ(wizard.settings.mailboxFiles[1].name, "b");
    EXPECT_FALSE(wizard.settings.bmfext);  // not every file ends in .bmf

    EXPECT_EQ(validateMailboxFiles(wizard, {dir.file("a.BMF")}), 1u);
    EXPECT_TRUE(wizard.settings.bmfext);

    EXPECT_EQ(validateMailboxFiles(wizard, {dir.file("c.bmf"), dir.file("missing")}), 0u);
    // A missing file is named by its path, as not found.
    EXPECT_EQ(shell.messages.back().text, "The file " + dir.file("missing") +
                                              " was not found.\r\n\r\nThe file c.bmf is not a valid Berkeley Mail "
                                              "Folder.");
    EXPECT_EQ(validateMailboxFiles(wizard, {dir.file("c.bmf"), dir.file("b"), dir.file("x"), dir.file("y")}), 1u);
    EXPECT_EQ(shell.messages.back().text, "These files were not found:\r\n" + dir.file("x") + ", " + dir.file("y") +
                                              "\r\n\r\nThe file c.bmf is not a valid Berkeley Mail Folder.");
    createFolderPath(dir.file("folder"));  // there, but no mailbox
    EXPECT_EQ(validateMailboxFiles(wizard, {dir.file("c.bmf"), dir.file("folder")}), 0u);
    EXPECT_EQ(shell.messages.back().text, "These files are not valid Berkeley Mail Folders:\r\nc.bmf, folder");
    EXPECT_TRUE(wizard.settings.mailboxFiles.empty());

    EXPECT_EQ(validateDbxFiles(wizard, {dir.file("b"), kSamples + "/oe-store/Inbox.dbx",
                                        kSamples + "/oe-store/Folders.dbx"}),
              1u);
    EXPECT_EQ(shell.messages.back().text, "These files are not valid dbx files:\r\nb, Folders.dbx");
    EXPECT_EQ(wizard.settings.dbxFilesToArchive[0].fileName, "Inbox.dbx");
}

TEST(Dialogs, PickersStoreTheFolderAndMoveOn) {
    test::TempDir dir;
    test::writeFile(dir.file("x.bmf"), "From ann@example.org Mon Jan  3 10:00:00 2005\nSubject: a\n\nx\n");
    FakeShell shell;
    ArchiveRun run;
    Wizard wizard(shell, run);
    wizard.settings.bmfdir = dir.path();
    dispatch(wizard, "dlg:bmf_dir");  // cancelled
    ASSERT_EQ(shell.fileRequests.size(), 1u);
    EXPECT_EQ(shell.fileRequests[0].initialFilter, 2);
    EXPECT_EQ(shell.fileRequests[0].initialFolder, dir.path());
    EXPECT_TRUE(shell.fileRequests[0].multiple);
    EXPECT_TRUE(shell.pages.empty());

    wizard.settings.bmfdir.clear();
    shell.filePicks.push_back({dir.file("x.bmf")});
    followLink(wizard, "dlg:bmf_dir?mailsource=bmf", decodeQuery("dlg:bmf_dir?mailsource=bmf"));
    EXPECT_EQ(wizard.settings.bmfdir, dir.path());
    EXPECT_TRUE(wizard.settings.bmfext);
    EXPECT_EQ(wizard.nav.currentPage, "webf:save");
    EXPECT_NE(shell.lastPage().find("<h2>x.bmf</h2>"), std::string::npos);
    dispatch(wizard, "dlg:bmf_dir");
    EXPECT_EQ(shell.fileRequests.back().initialFilter, 1);

    // The folder chooser edits the page's field: a folder with other things
    // in it gets an "Email Archive" of its own.
    shell.fields["savedir"] = "  " + dir.path() + "/not yet  ";
    shell.folderPick = dir.path();
    dispatch(wizard, "dlg:save");
    EXPECT_EQ(shell.folderRequests.back().initialFolder, dir.path());  // the missing folder's parent
    EXPECT_EQ(shell.fields["savedir"], dir.path() + "/Email Archive");
    createFolderPath(dir.file("empty"));
    shell.folderPick = dir.file("empty");
    dispatch(wizard, "dlg:save");
    EXPECT_EQ(shell.fields["savedir"], dir.file("empty"));
    test::writeFile(dir.file("folvane.css"), "x");
    shell.folderPick = dir.path();
    dispatch(wizard, "dlg:save");
    EXPECT_EQ(shell.fields["savedir"], dir.path());  // an archive already
}

}  // namespace
}  // namespace tessaly
