// routes_test.cpp - the wizard's routes followed as a person would: the
// mailbox packer from the start page to archiving what it wrote, a store
// folder of Outlook Express, and command lines with files that cannot be
// taken.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/dispatch.h"
#include "app/startup.h"
#include "app/validation.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "support/temp_dir.h"
#include "tests/app/fake_shell.h"
#include "tests/app/wizard_fixture.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;
using test::FakeShell;

const std::string kSamples = TESSALY_TEST_DATA_DIR "/../../samples";

class RoutesTest : public test::WizardTest {
protected:
    test::TempDir dir;

    void SetUp() override {
        WizardTest::SetUp();
        wizard.settings.viruswarned = true;
    }

    bool shown(const std::string& part) const { return shell.lastPage().find(part) != std::string::npos; }
    // The EML page's form submitted with `folder` typed in.
    void submitEmlFolder(const std::string& folder) {
        const std::string url = "webf:go?emldir=" + percentEncode(folder) + "&mailsource=eml";
        followLink(wizard, url, decodeQuery(url));
    }
};

TEST_F(RoutesTest, EmlFolderFromTheStartPageToArchivingTheMailboxes) {
    const std::string archive = wizard.settings.savedir;
    fs::create_directories(dir.file("mail/Inbox"));
    test::writeFile(dir.file("mail/Inbox/a.eml"), "From: a@example.org\nSubject: a\n\nbody a\n");
    test::writeFile(dir.file("mail/Inbox/b.eml"), "From: b@example.org\nSubject: b\n\nbody b\n");
    test::writeFile(dir.file("mail/Sent.eml"), "From: c@example.org\nSubject: c\n\nbody c\n");
    test::writeFile(dir.file("mail/Inbox.bmf"), "a file of the user's");

    dispatch(wizard, "webf:intro");
    ASSERT_TRUE(shown("<a href=\"webf:emlbmf\">In a folder of .eml files</a>"));
    followLink(wizard, "webf:emlbmf", {});
    EXPECT_TRUE(shown("name=\"emldir\" value=\"\">"));  // never the archive folder
    EXPECT_TRUE(shown("<a href=\"dlg:emldir\">"));

    // The folder dialog takes the folder as it is, with no "Email Archive".
    shell.folderPick = dir.file("mail");
    dispatch(wizard, "dlg:emldir");
    ASSERT_EQ(shell.folderRequests.size(), 1u);
    EXPECT_FALSE(shell.folderRequests[0].mayCreate);
    EXPECT_EQ(shell.folderRequests[0].initialFolder, homeFolder());  // none chosen yet
    EXPECT_EQ(shell.fields["emldir"], dir.file("mail"));

    submitEmlFolder(dir.file("mail"));
    EXPECT_EQ(wizard.nav.currentPage, "webf:done");
    EXPECT_EQ(wizard.settings.emldir, dir.file("mail"));
    EXPECT_EQ(wizard.settings.savedir, archive);  // the archive setting is left alone
    EXPECT_EQ(run.messageCount, 3u);
    // Nothing is made inside the source: no stylesheet, no data folder.
    EXPECT_FALSE(pathExists(dir.file("mail/folvane.css")));
    EXPECT_FALSE(pathExists(dir.file("mail/.tessaly")));
    EXPECT_EQ(test::readFile(dir.file("mail/Inbox.bmf")), "a file of the user's");
    EXPECT_TRUE(pathExists(dir.file("mail.bmf")));
    EXPECT_TRUE(pathExists(dir.file("mail/Inbox (2).bmf")));

    // One line per mailbox with its path; the renamed one says why.
    EXPECT_TRUE(shown("<p>The mailbox files were written here:</p>\r\n"));
    EXPECT_TRUE(shown("<p style=\"margin-left: 3ex;\">" + dir.file("mail.bmf") + "</p>\r\n"));
    EXPECT_TRUE(shown("<p style=\"margin-left: 3ex;\">" + dir.file("mail/Inbox (2).bmf") +
                      "<br>\r\n(Inbox.bmf was there already, and is left as it is)</p>\r\n"));
    EXPECT_FALSE(shown("Browse the archive folder"));

    // Archiving them now: the mailbox route with those files chosen.
    followLink(wizard, "dlg:eml_mailboxes", {});
    EXPECT_EQ(wizard.nav.currentPage, "webf:save");
    EXPECT_EQ(wizard.settings.source, "bmf");
    ASSERT_EQ(wizard.settings.mailboxFiles.size(), 2u);
    EXPECT_EQ(wizard.settings.mailboxFiles[0].fileName, "mail.bmf");
    EXPECT_EQ(wizard.settings.mailboxFiles[1].fileName, "Inbox (2).bmf");
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(RoutesTest, EmlFoldersThatGiveNothingSaySo) {
    // None typed, or missing: told before any run.
    submitEmlFolder("");
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0].text, "Type or choose the folder that holds the EML messages.");
    submitEmlFolder(dir.file("gone"));
    ASSERT_EQ(shell.messages.size(), 2u);
    EXPECT_EQ(shell.messages[1].text, "The folder " + dir.file("gone") + " was not found.");
    EXPECT_NE(wizard.nav.currentPage, "webf:done");

    // A folder without .eml files: the finish page says there are none.
    fs::create_directories(dir.file("empty/sub"));
    test::writeFile(dir.file("empty/sub/note.txt"), "x");
    submitEmlFolder(dir.file("empty"));
    EXPECT_EQ(wizard.nav.currentPage, "webf:done");
    EXPECT_TRUE(shown("<p>No mailbox file was written: there are no .eml files in " + dir.file("empty") +
                      " or in the folders below it.</p>\r\n"));
    EXPECT_TRUE(shown("<a href=\"webf:emlbmf\">"));
    EXPECT_FALSE(pathExists(dir.file("empty.bmf")));
}

TEST_F(RoutesTest, OutlookExpressStoreFolderChosenAsAFolderOrByItsFolderTree) {
    const std::string store = kSamples + "/oe-store";
    dispatch(wizard, "webf:dbx_choose");
    EXPECT_TRUE(shown("<a href=\"dlg:dbx_store\">Browse for a store folder...</a>"));

    shell.folderPick = store;
    followLink(wizard, "dlg:dbx_store", {});
    EXPECT_EQ(wizard.nav.currentPage, "webf:dbx_folders");
    EXPECT_EQ(wizard.settings.dbxdir, store);
    EXPECT_EQ(wizard.settings.source, "dbx");
    EXPECT_TRUE(shown("name=\"dbxfolders\""));  // the store's tree, ticked

    // Archived with its tree: a folder below another lands below it.
    const std::string ticks = "webf:save?eid1=on&eid2=on&dbxfolders=on&mailsource=dbx";
    followLink(wizard, ticks, decodeQuery(ticks));
    const std::string go = "webf:go?savedir=" + percentEncode(dir.file("archive")) + "&saveformat=eml&usesubfolders=yes";
    followLink(wizard, go, decodeQuery(go));
    EXPECT_EQ(wizard.nav.currentPage, "webf:done");
    EXPECT_TRUE(fs::is_directory(dir.file("archive/Local Folders/Inbox/Projects")));
    EXPECT_GT(run.messageCount, 0u);

    // Folders.dbx picked among the files stands for its folder.
    dispatch(wizard, "webf:intro");
    wizard.settings.dbxdir.clear();
    shell.filePicks.push_back({store + "/Folders.dbx"});
    dispatch(wizard, "dlg:dbx_dir");
    EXPECT_EQ(wizard.nav.currentPage, "webf:dbx_folders");
    EXPECT_EQ(wizard.settings.dbxdir, store);
    EXPECT_TRUE(wizard.settings.dbxFilesToArchive.empty());
    EXPECT_TRUE(shell.messages.empty());

    // A folder that is no store is refused where it was chosen.
    shell.folderPick = dir.path();
    dispatch(wizard, "dlg:dbx_store");
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_NE(shell.messages[0].text.find("holds no Folders.dbx"), std::string::npos);
    EXPECT_EQ(wizard.nav.currentPage, "webf:dbx_folders");
}

TEST_F(RoutesTest, CommandLineFilesThatCannotBeTakenLeaveTheStartPage) {
    test::writeFile(dir.file("notes.txt"), "not a mailbox\n");
    startWizard(wizard, {dir.file("missing.bmf"), dir.file("notes.txt")});
    ASSERT_TRUE(showFirstPage(wizard));
    EXPECT_EQ(wizard.nav.currentPage, "webf:intro");
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0].text, "The file " + dir.file("missing.bmf") +
                                          " was not found.\r\n\r\nThe file notes.txt is not a valid Berkeley Mail "
                                          "Folder.");
    EXPECT_EQ(shell.pages.size(), 1u);  // the page came before the box
}

TEST_F(RoutesTest, CommandLineFallsBackToTheFilesThatCanBeTaken) {
    test::writeFile(dir.file("box"), "From ann@example.org Mon Jan  3 10:00:00 2005\nSubject: a\n\nx\n");
    startWizard(wizard, {dir.file("old.dbx"), dir.file("box")});
    ASSERT_TRUE(showFirstPage(wizard));
    EXPECT_EQ(wizard.nav.currentPage, "webf:save");
    EXPECT_EQ(wizard.settings.source, "bmf");
    ASSERT_EQ(wizard.settings.mailboxFiles.size(), 1u);
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0].text, "The file " + dir.file("old.dbx") + " was not found.");

    // A store's Folders.dbx on the command line opens its folder page.
    FakeShell other;
    Wizard second{other, run};
    startWizard(second, {kSamples + "/oe-store/Folders.dbx"});
    ASSERT_TRUE(showFirstPage(second));
    EXPECT_EQ(second.nav.currentPage, "webf:dbx_folders");
    EXPECT_TRUE(other.messages.empty());
}

TEST_F(RoutesTest, ErrorPagesLeadBack) {
    startWizard(wizard, {dir.file("lost.pst")});
    ASSERT_TRUE(showFirstPage(wizard));
    EXPECT_EQ(wizard.nav.currentPage, "webf:mapi_folders");
    EXPECT_TRUE(shown("could not be found.</p>\r\n\r\n"));
    EXPECT_TRUE(shown("<a href=\"webf:intro\"><span style=\"text-decoration: none;\">&bull; </span>"
                      "Back to the start</a>"));

    wizard.settings.dbxdir = dir.path();  // no store here
    dispatch(wizard, "webf:dbx_folders");
    EXPECT_TRUE(shown("no folders could be loaded"));
    EXPECT_TRUE(shown("<a href=\"dlg:dbx_store\">"));
    EXPECT_TRUE(shown("Back to the start</a>"));
}

}  // namespace
}  // namespace tessaly
