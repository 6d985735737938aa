// file_filters_test.cpp - the globs of the file dialogs and what each
// dialog is asked to show.
#include "app/file_filters.h"

#include <gtest/gtest.h>

#include "app/dispatch.h"
#include "app/fake_shell.h"
#include "app/wizard.h"

namespace tessaly {
namespace {

TEST(FileFilters, GlobsBecomeBlindToCase) {
    EXPECT_EQ(caseBlindGlob("*.dbx"), "*.[dD][bB][xX]");
    EXPECT_EQ(caseBlindGlob("*.PST"), "*.[pP][sS][tT]");  // either case in, both out
    EXPECT_EQ(caseBlindGlob("*.mp3"), "*.[mM][pP]3");     // digits stay
    EXPECT_EQ(caseBlindGlob("*"), "*");
    EXPECT_EQ(caseBlindGlob("[!.]x?"), "[!.][xX]?");      // a bracket is left as written
    EXPECT_EQ(caseBlindGlob("*.\xc3\xa9ml"), "*.\xc3\xa9[mM][lL]");  // bytes above 127 unchanged
}

TEST(FileFilters, EachDialogSaysWhatItChoosesAndShowsAllFiles) {
    test::FakeShell shell;
    ArchiveRun run;
    Wizard wizard(shell, run);
    for (const char* action : {"dlg:bmf_dir", "dlg:dbx_dir", "dlg:mapi_dir"}) dispatch(wizard, action);
    ASSERT_EQ(shell.fileRequests.size(), 3u);
    EXPECT_EQ(shell.fileRequests[0].title, "Choose mailbox files");
    EXPECT_EQ(shell.fileRequests[1].title, "Choose Outlook Express mail folders");
    EXPECT_EQ(shell.fileRequests[2].title, "Choose an Outlook personal store");
    const std::vector<FileFilter>& mailbox = shell.fileRequests[0].filters;
    ASSERT_EQ(mailbox.size(), 2u);
    EXPECT_EQ(mailbox[0].label, "Berkeley Mailfolders (*.bmf)");
    EXPECT_EQ(mailbox[0].mimeTypes, std::vector<std::string>{"application/mbox"});
    EXPECT_EQ(mailbox[1].label, "All files");
    EXPECT_EQ(mailbox[1].patterns, std::vector<std::string>{"*"});

    dispatch(wizard, "webf:save");
    dispatch(wizard, "dlg:save");
    dispatch(wizard, "webf:emlbmf.html");
    dispatch(wizard, "dlg:emldir");
    ASSERT_EQ(shell.folderRequests.size(), 2u);
    EXPECT_EQ(shell.folderRequests[0].title, "Choose the archive folder");
    EXPECT_TRUE(shell.folderRequests[0].mayCreate);
    EXPECT_EQ(shell.folderRequests[1].title, "Choose the folder of EML messages");
    EXPECT_FALSE(shell.folderRequests[1].mayCreate);  // a source is never made here
}

}  // namespace
}  // namespace tessaly
