// outlook_pages_test.cpp - the Outlook parts of the wizard against the
// program's own provider: the start page's store link, the source page and
// the folder page of real .pst files.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/dispatch.h"
#include "app/page_frame.h"
#include "app/startup.h"
#include "mapi/mapi_state.h"
#include "mapi/outlook.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/registry.h"
#include "support/temp_dir.h"
#include "tests/app/fake_shell.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

const std::string kFixtures = TESSALY_FIXTURES_DIR;

class OutlookPagesTest : public ::testing::Test {
protected:
    test::FakeShell shell;
    ArchiveRun run;
    Wizard wizard{shell, run};
    // The provider lists the .pst files of this folder as the stores of
    // its "Outlook" profile.
    const std::string outlookFiles = documentsFolder() + "/Outlook Files";

    void SetUp() override {
        if (!fs::exists(kFixtures + "/pstsdk-sample1.pst")) GTEST_SKIP() << "no .pst fixtures";
        registryDeleteKey(RegistryHive::CurrentUser, "Software\\Velmo");
        startOver();
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(outlookFiles, ignored);
        startOver();
        registryDeleteKey(RegistryHive::CurrentUser, "Software\\Velmo");
    }
    static void startOver() {
        CloseMapi();
        resetMapiState();
    }
    void addStore(const std::string& fixture) {
        fs::create_directories(outlookFiles);
        fs::copy_file(kFixtures + "/" + fixture, outlookFiles + "/" + fixture);
    }
    std::string page(const std::string& url) {
        std::string out;
        writePage(wizard, out, url);
        return out;
    }
    static bool has(const std::string& text, const std::string& part) {
        return text.find(part) != std::string::npos;
    }
};

TEST_F(OutlookPagesTest, NoStoreMeansNotAvailable) {
    // A library that is no longer there gives way to the first listed one.
    registryWriteString(RegistryHive::CurrentUser, kSettingsKey, "mapilib", "C:\\gone\\mapi.dll");
    startWizard(wizard, {});
    EXPECT_EQ(wizard.settings.mapilib, "mapi32.dll");
    EXPECT_EQ(wizard.settings.mapistore, "");
    const std::string intro = page("webf:intro");
    EXPECT_TRUE(has(intro, "(MS Outlook is <a href=\"help:err_nooutlook.html\">not available</a>)"));
    EXPECT_FALSE(has(intro, "webf:mapi_choose"));
    EXPECT_TRUE(has(page("webf:mapi_choose"),
                    "<p style=\"margin-left: 3ex;\"><a href=\"help:err_nooutlook.html\">No message-stores were "
                    "found</a></p>\r\n</div>\r\n\r\n"));
}

TEST_F(OutlookPagesTest, StoreOfTheDefaultProfile) {
    addStore("pstsdk-sample1.pst");
    startWizard(wizard, {});
    // The first real store replaces a pair that no longer exists.
    EXPECT_EQ(wizard.settings.mapiprofile, "Outlook");
    EXPECT_EQ(wizard.settings.mapistore, "pstsdk-sample1");
    EXPECT_TRUE(has(page("webf:intro"),
                    "<div class=\"option\">\r\n<p><a href=\"webf:mapi_folders?mailsource=mapi&mapiprofile=Outlook"
                    "&mapistore=pstsdk-sample1\"><span style=\"text-decoration: none;\">&bull; </span>In "
                    "pstsdk-sample1, MS Outlook</a></p>\r\n<p class=\"sub\"><a href=\"webf:mapi_choose?mailsource="
                    "mapi\">Elsewhere in MS Outlook</a></p>\r\n</div>\r\n\r\n"));

    const std::string choose = page("webf:mapi_choose?mailsource=mapi");
    EXPECT_TRUE(has(choose, "<h2>MS Outlook</h2>\r\n\r\n<div class=\"option\">\r\n<p>MS Outlook has the following "
                            "message-stores on this computer.\r\nClick the one you wish to archive.</p>\r\n"
                            "<p style=\"margin-left: 3ex;\"><a href=\"webf:mapi_folders?mailsource=mapi&mapiprofile="
                            "Outlook&mapistore=pstsdk-sample1\">pstsdk-sample1 (Outlook)</a></p>\r\n</div>\r\n\r\n"));
    // One library: no list of libraries; Outlook: .pst files can be picked.
    EXPECT_FALSE(has(choose, "This list of message-stores comes from"));
    EXPECT_TRUE(has(choose, "<a href=\"dlg:mapi_dir\">Browse for pst files...</a>"));

    const std::string folders = page("webf:mapi_folders");
    EXPECT_TRUE(has(folders, "<h2>pstsdk-sample1</h2>\r\n<p>These are the message folders in pstsdk-sample1.\r\n"));
    EXPECT_TRUE(has(folders, "<div class=\"cline1\"><input type=\"checkbox\" checked name=\"eid0\"> Sample1</div>"));

    // A personal-store file chosen last time is offered by its name.
    wizard.settings.mapifn = "/home/ann/old & new.pst";
    EXPECT_TRUE(has(page("webf:intro"),
                    "<p><a href=\"webf:mapi_folders?mailsource=mapi&mapifn=%2Fhome%2Fann%2Fold%20%26%20new.pst\">"
                    "<span style=\"text-decoration: none;\">&bull; </span>In old &amp; new.pst</a></p>\r\n"));
}

TEST_F(OutlookPagesTest, FolderPageOfAPersonalStoreFile) {
    Settings& s = wizard.settings;
    startWizard(wizard, {kFixtures + "/tika-testPST_variousBodyTypes.pst", TESSALY_TEST_DATA_DIR "/x.dbx"});
    ASSERT_TRUE(showFirstPage(wizard));
    EXPECT_EQ(s.source, "mapi");  // the .pst file wins over the .dbx file
    EXPECT_EQ(s.saveformat, "html");
    EXPECT_EQ(wizard.nav.currentPage, "webf:mapi_folders");
    ASSERT_EQ(mapiFolders().size(), 2u);
    // First visit: everything but Drafts; a subfolder is indented.
    EXPECT_TRUE(has(shell.lastPage(),
                    "<div class=\"hchecks\">\r\n"
                    "<div class=\"cline1\"><input type=\"checkbox\" checked name=\"eid0\"> Inbox</div>\r\n"
                    "<div class=\"cline1\"><span style=\"width: 1.4em;\">&nbsp;</span><input type=\"checkbox\" "
                    "checked name=\"eid1\"> tmp</div>\r\n</div>\r\n\r\n"));

    // Ticking only the subfolder: the next visit ticks exactly that.
    readFormFields(s, decodeQuery("webf:save?eid1=on&mapifolders=on&mailsource=mapi"));
    EXPECT_EQ(s.mapifolders, std::vector<std::string>{"tmp"});
    const std::string again = page("webf:mapi_folders");
    EXPECT_TRUE(has(again, "<input type=\"checkbox\" name=\"eid0\"> Inbox</div>"));
    EXPECT_TRUE(has(again, "<input type=\"checkbox\" checked name=\"eid1\"> tmp</div>"));
    // The save page is named after the file and writes HTML.
    EXPECT_TRUE(has(page("webf:save"), "<h2>tika-testPST_variousBodyTypes.pst</h2>"));
}

// Outlook messages are written as HTML only: an EML choice left in the
// settings (or typed into the form) does not reach the run.
TEST_F(OutlookPagesTest, OutlookRunsWriteHtmlWhateverFormatWasChosen) {
    startWizard(wizard, {kFixtures + "/tika-testPST_variousBodyTypes.pst"});
    ASSERT_TRUE(showFirstPage(wizard));
    wizard.settings.viruswarned = true;
    const std::string ticks = "webf:save?eid0=on&eid1=on&mapifolders=on&mailsource=mapi";
    followLink(wizard, ticks, decodeQuery(ticks));
    test::TempDir archive;
    const std::string go = "webf:go?savedir=" + percentEncode(archive.path()) + "&saveformat=eml";
    followLink(wizard, go, decodeQuery(go));
    ASSERT_GT(run.messageCount, 0u);
    size_t pages = 0;
    size_t emlFiles = 0;
    for (const auto& e : fs::recursive_directory_iterator(archive.path())) {
        pages += e.path().extension() == ".html" && e.path().string().find("/.tessaly/") == std::string::npos;
        emlFiles += e.path().extension() == ".eml";
    }
    EXPECT_GT(pages, 0u);
    EXPECT_EQ(emlFiles, 0u);
    EXPECT_EQ(shell.lastPage().find("help:err_psteml"), std::string::npos);
}

TEST_F(OutlookPagesTest, MissingPersonalStoreFile) {
    startWizard(wizard, {});
    wizard.settings.mapifn = "/nonexistent/lost.pst";
    EXPECT_TRUE(has(page("webf:mapi_folders"),
                    "<h2>lost.pst</h2>\r\n<p>Error. It was not possible to read the message-store.\r\n"
                    "The file /nonexistent/lost.pst could not be found.</p>\r\n\r\n"
                    "<p><a href=\"webf:intro\"><span style=\"text-decoration: none;\">&bull; </span>"
                    "Back to the start</a></p>\r\n\r\n</body>"));
    test::writeFile(outlookFiles + "-not-a-store.pst", "not a store");
    wizard.settings.mapifn = outlookFiles + "-not-a-store.pst";
    EXPECT_TRUE(has(page("webf:mapi_folders"),
                    "There was a problem loading Outlook Files-not-a-store.pst into MS Outlook. "
                    "<a href=\"help:err_nooutlook.html\">(read more)</a></p>\r\n\r\n"));
    removeFile(outlookFiles + "-not-a-store.pst");
}

}  // namespace
}  // namespace tessaly
