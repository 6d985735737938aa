// pages_test.cpp - whole pages compared byte for byte, and the parts of
// pages that depend on settings: pre-selection, indentation, titles.
#include <gtest/gtest.h>

#include "app/dispatch.h"
#include "app/display_path.h"
#include "app/page_frame.h"
#include "app/pages.h"
#include "message/text.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "sources/oestore.h"
#include "support/temp_dir.h"
#include "tests/app/fake_shell.h"
#include "tests/app/golden.h"
#include "tests/app/wizard_fixture.h"

namespace tessaly {
namespace {


const std::string kSampleStore = TESSALY_TEST_DATA_DIR "/../../samples/oe-store";

class PagesTest : public test::WizardTest {
protected:
    std::string page(const std::string& url) {
        std::string out;
        writePage(wizard, out, url);
        return out;
    }
    static bool has(const std::string& text, const std::string& part) {
        return text.find(part) != std::string::npos;
    }
};

TEST_F(PagesTest, StartPage) {
    Settings& s = wizard.settings;
    s.bmfdir = "/home/ann/Mail & <Old>";
    test::expectGolden("intro.html", page("webf:intro"));
    s.bmfdir.clear();
    s.dbxdir = "/mnt/old disk";
    const std::string shown = page("webf:intro");
    EXPECT_TRUE(has(shown, "<p><a href=\"webf:bmf_choose?mailsource=bmf\"><span style=\"text-decoration: none;\">"
                           "&bull; </span>On an IMAP server</a></p>\r\n"));
    EXPECT_TRUE(has(shown, "<p><a href=\"dlg:dbx_dir?mailsource=dbx&dbxdir=%2Fmnt%2Fold%20disk\"><span style=\""
                           "text-decoration: none;\">&bull; </span>In /mnt/old disk, Outlook Express files</a></p>\r\n"
                           "<p class=\"sub\"><a href=\"webf:dbx_choose?mailsource=dbx\">Elsewhere in Outlook "
                           "Express</a></p>\r\n"));
}

TEST_F(PagesTest, SavePage) {
    Settings& s = wizard.settings;
    s.source = "bmf";
    s.savedir = documentsFolder() + "/Email Archive";
    s.saveformat = "html";
    test::expectGolden("save.html", page("webf:save"));

    // Named after the chosen files; EML and a single folder chosen.
    s.mailboxFiles.resize(2);
    s.mailboxFiles[0].fileName = "In<box>.bmf";
    s.saveformat = "eml";
    s.usesubfolders = false;
    std::string shown = page("webf:save");
    EXPECT_TRUE(has(shown, "<h2>In&lt;box&gt;.bmf...</h2>"));
    EXPECT_TRUE(has(shown, "<input type=\"radio\" name=\"saveformat\" value=\"html\">"));
    EXPECT_TRUE(has(shown, "<input type=\"radio\" name=\"saveformat\" checked value=\"eml\">"));
    EXPECT_TRUE(has(shown, "<input type=\"radio\" name=\"usesubfolders\" checked value=\"no\">"));
    // Outlook messages are HTML only, whatever was chosen before.
    s.source = "mapi";
    s.mapifn = "/home/ann/Outlook Archive.pst";
    shown = page("webf:save");
    EXPECT_TRUE(has(shown, "<h2>Outlook Archive.pst</h2>"));
    EXPECT_TRUE(has(shown, "<input type=\"radio\" name=\"saveformat\" checked value=\"html\">"));
    // EML is not offered for them at all.
    EXPECT_FALSE(has(shown, "value=\"eml\""));
    EXPECT_TRUE(has(shown, "(Messages from Outlook are archived in HTML only.)\r\n</p>"));
    // A path holding a double quote cannot end the attribute.
    s.savedir = "/srv/\"quoted\" & more";
    EXPECT_TRUE(has(page("webf:save"), "value=\"/srv/&quot;quoted&quot; &amp; more\"></p>"));
}

TEST_F(PagesTest, SavePageNotesAnExistingArchive) {
    test::TempDir dir;
    Settings& s = wizard.settings;
    s.savedir = dir.path();
    const std::string note = "(The existing emails in the folder will be left as they are.)\r\n";
    EXPECT_FALSE(has(page("webf:save"), note));
    createFolderPath(dir.file("Inbox"));
    test::writeFile(dir.file("Inbox/folvane.css"), "x");
    EXPECT_TRUE(has(page("webf:save"), note));  // in a subfolder
    removeFile(dir.file("Inbox/folvane.css"));
    test::writeFile(dir.file("old.eml"), "x");
    EXPECT_TRUE(has(page("webf:save"), note));  // .eml files in the folder itself
}

TEST_F(PagesTest, FinishPage) {
    run.folderCount = 2;
    run.messageCount = 5;
    run.duplicateCount = 1;
    run.problemCount = 1;
    run.byteCount = 1536;
    run.elapsedMs = 2500;
    run.problemLog.append("<p>Warning: <a href=\"help:err_duplicate.html\">This email is a duplicate</a> "
                          "(Inbox 1 Jan 2005 Ann - Hello - )</p>\r\n");
    wizard.nav.history.push_front("webf:save");
    test::expectGolden("done.html", page("webf:done"));
}

TEST_F(PagesTest, FinishPageOfAnEmptyStoppedRun) {
    run.stopRequested = true;
    const std::string shown = page("webf:done");
    EXPECT_TRUE(has(shown, "<h2>Finished</h2>\r\n\r\n<p style=\"margin-bottom: 1ex;\">Archiving was stopped.</p>"));
    EXPECT_TRUE(has(shown, "0 folders<br>\r\n0 messages total<br>\r\n0 bytes in 0ms</p>\r\n\r\n"
                           "<div class=\"alternate\">"));
    EXPECT_FALSE(has(shown, "There were some problems"));
}

// The mailbox packer's finish page: where each mailbox went, and the way
// on to archiving them, instead of the archive's links.
TEST_F(PagesTest, FinishPageOfTheMailboxPacker) {
    wizard.settings.source = "eml";
    run.folderCount = 2;
    run.messageCount = 3;
    run.packedMailboxes = {{"/home/ann/Mail & more/Inbox.bmf", ""},
                           {"/home/ann/Mail & more/Sent (2).bmf", "/home/ann/Mail & more/Sent.bmf"}};
    std::string shown = page("webf:done");
    EXPECT_TRUE(has(shown, "<div class=\"alternate\">\r\n<p>The mailbox files were written here:</p>\r\n"
                           "<p style=\"margin-left: 3ex;\">/home/ann/Mail &amp; more/Inbox.bmf</p>\r\n"
                           "<p style=\"margin-left: 3ex;\">/home/ann/Mail &amp; more/Sent (2).bmf<br>\r\n"
                           "(Sent.bmf was there already, and is left as it is)</p>\r\n<p>What next?</p>\r\n"
                           "<div class=\"option\"><a href=\"dlg:eml_mailboxes\"><span style=\"text-decoration: "
                           "none;\">&bull; </span>Archive these mailboxes now</a></div>\r\n</div>\r\n\r\n"));
    EXPECT_FALSE(has(shown, "dlg:browse.html"));
    run.packedMailboxes.resize(1);
    shown = page("webf:done");
    EXPECT_TRUE(has(shown, "<p>The mailbox file was written here:</p>"));
    EXPECT_TRUE(has(shown, "Archive this mailbox now</a>"));
    // Stopped before any mailbox was done.
    run.packedMailboxes.clear();
    run.stopRequested = true;
    shown = page("webf:done");
    EXPECT_TRUE(has(shown, "<p>No mailbox file was written.</p>\r\n"));
    EXPECT_TRUE(has(shown, "Choose another folder</a>"));
}

TEST_F(PagesTest, ArchivingPageEmptiesTheLog) {
    run.problemLog.append("<p>old</p>\r\n");
    wizard.nav.history.push_front("webf:intro");
    const std::string shown = page("webf:go?savedir=x");
    EXPECT_TRUE(run.problemLog.empty());
    EXPECT_TRUE(has(shown, "back_dis.gif"));
    EXPECT_TRUE(has(shown, "help_dis.gif"));
    EXPECT_TRUE(has(shown, "<h2>Archiving...</h2>\r\n\r\n<p>Please wait.</p>\r\n\r\n"
                           "<div id=\"messages\" class=\"log\"></div>\r\n\r\n</body></html>\r\n"));
}

TEST_F(PagesTest, OutlookExpressFoldersFirstVisitAndAfterARun) {
    Settings& s = wizard.settings;
    s.dbxdir = kSampleStore;
    const std::vector<TDbxFolderInfo>& folders = currentDbxFolders(s);
    ASSERT_FALSE(folders.empty());
    test::expectGolden("dbx_folders.html", page("webf:dbx_folders"));

    // After a run the page ticks exactly what was archived.
    size_t chosen = folders.size();
    for (size_t i = 0; i < folders.size(); ++i) {
        if (folders[i].depth > 0) chosen = i;
    }
    ASSERT_LT(chosen, folders.size());
    s.dbxfolders = {folders[chosen].name, "a folder that is gone"};
    const std::string shown = page("webf:dbx_folders");
    for (size_t i = 0; i < folders.size(); ++i) {
        if (folders[i].depth == 0) continue;
        const std::string box = "name=\"eid" + std::to_string(i) + "\">";
        EXPECT_EQ(has(shown, "checked " + box), i == chosen) << folders[i].name;
    }
}

TEST_F(PagesTest, OutlookExpressFoldersThatCannotBeLoaded) {
    wizard.settings.dbxdir = "/nonexistent store";
    EXPECT_TRUE(has(page("webf:dbx_folders"),
                    "<h2>Outlook Express folders</h2>\r\n\r\n"
                    "<p>There was a problem &mdash; no folders could be loaded.</p>\r\n"
                    "<p><a href=\"webf:dbx_folders\"><span style=\"text-decoration: none;\">&bull; </span>"
                    "Try again</a></p>\r\n"
                    "<p><a href=\"dlg:dbx_store\"><span style=\"text-decoration: none;\">&bull; </span>"
                    "Browse for a store folder...</a></p>\r\n"
                    "<p><a href=\"webf:intro\"><span style=\"text-decoration: none;\">&bull; </span>"
                    "Back to the start</a></p>\r\n\r\n</body>"));
}

TEST(FolderIndentation, TenthsOfAnEm) {
    EXPECT_EQ(indentationText(0), "0.0");
    EXPECT_EQ(indentationText(1), "1.4");
    EXPECT_EQ(indentationText(2), "2.8");
    EXPECT_EQ(indentationText(3), "4.2");
    EXPECT_EQ(indentationText(10), "14.0");
    EXPECT_EQ(indentationText(-1), "0.0");
}

TEST_F(PagesTest, SourcePagesEscapeAndEncode) {
    Settings& s = wizard.settings;
    s.bmfdir = "/home/ann/Mail & <Old>";
    const std::string mailboxes = page("webf:bmf_choose");
    EXPECT_TRUE(has(mailboxes, "<a href=\"dlg:bmf_dir?mailsource=bmf&bmfdir=%2Fhome%2Fann%2FMail%20%26%20%3COld%3E\">"
                               "Browse for bmf files...</a>"));
    EXPECT_TRUE(has(mailboxes, "in <em>Berkeley Mail Format</em> (BMF)"));
    EXPECT_TRUE(has(mailboxes, "download your Berkeley Mail Format mailfolders"));
    s.dbxdir = "/mnt/oe";
    const std::string shown = page("webf:dbx_choose");
    EXPECT_TRUE(has(shown, "<p>Outlook Express is not set up on this computer.</p>"));
    EXPECT_TRUE(has(shown, "<a href=\"dlg:dbx_dir?dbxdir=%2Fmnt%2Foe\">Browse for dbx files...</a>"));
    test::expectGolden("emlbmf.html", page("webf:emlbmf.html"));
}

TEST(DisplayPath, SpecialFoldersByName) {
    const std::string documents = documentsFolder();
    const std::string desktop = desktopFolder();
    const std::string name = baseName(documents);
    struct Case {
        std::string path;
        std::string shown;
    };
    const Case cases[] = {
        {documents + "/Email Archive", name + "/Email Archive"},
        {documents, name},
        {desktop + "/x", baseName(desktop) + "/x"},
        // Only whole components match; other paths stay as they are.
        {documents + "Old/x", documents + "Old/x"},
        {"/srv/archive", "/srv/archive"},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(displayPath(c.path), c.shown) << c.path;
        EXPECT_EQ(pathFromDisplay(displayPath(c.path)), c.path) << c.path;
    }
    // Typed in another case, the name still finds the folder.
    std::string upper = name;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(pathFromDisplay(upper + "/a"), documents + "/a");
}

}  // namespace
}  // namespace tessaly
