// file_filter_test.cpp - the dialogs' filters as GTK's file chooser applies
// them: names in any case, mailboxes without an extension, "All files".
#include <gio/gio.h>
#include <gtest/gtest.h>

#include <string>

#include "app/dispatch.h"
#include "app/fake_shell.h"
#include "app/gtk/gtk_dialogs.h"
#include "app/wizard.h"
#include "support/temp_dir.h"

namespace tessaly {
namespace {

// The filters the wizard asks for behind a "dlg:" action.
std::vector<FileFilter> filtersOf(const char* action) {
    test::FakeShell shell;
    ArchiveRun run;
    Wizard wizard(shell, run);
    dispatch(wizard, action);
    return shell.fileRequests.empty() ? std::vector<FileFilter>() : shell.fileRequests[0].filters;
}

class FileFilterMatch : public ::testing::Test {
protected:
    // Whether the chooser lists the file `name` holding `content`: the name
    // and the content type GIO gives it, as the chooser asks for them.
    bool shows(const FileFilter& filter, const std::string& name, const std::string& content = "x\n") {
        const std::string path = dir.file(name);
        test::writeFile(path, content);
        GFile* file = g_file_new_for_path(path.c_str());
        GFileInfo* info = g_file_query_info(file, G_FILE_ATTRIBUTE_STANDARD_CONTENT_TYPE, G_FILE_QUERY_INFO_NONE,
                                            nullptr, nullptr);
        gchar* mime = info ? g_content_type_get_mime_type(g_file_info_get_content_type(info)) : nullptr;
        GtkFileFilterInfo asked{};
        asked.contains = GtkFileFilterFlags(GTK_FILE_FILTER_DISPLAY_NAME | GTK_FILE_FILTER_MIME_TYPE);
        asked.display_name = name.c_str();
        asked.mime_type = mime;
        GtkFileFilter* gtkFilter = newGtkFileFilter(filter);
        g_object_ref_sink(gtkFilter);
        const bool matched = gtk_file_filter_filter(gtkFilter, &asked);
        g_object_unref(gtkFilter);
        g_free(mime);
        if (info) g_object_unref(info);
        g_object_unref(file);
        return matched;
    }

    test::TempDir dir;
};

const char kMailbox[] = "From - Mon Jan  3 10:00:00 2005\nSubject: a\n\nx\n";

TEST_F(FileFilterMatch, StoresShowInAnyCase) {
    const std::vector<FileFilter> dbx = filtersOf("dlg:dbx_dir");
    ASSERT_EQ(dbx.size(), 1u);
    EXPECT_TRUE(shows(dbx[0], "Inbox.dbx"));
    EXPECT_TRUE(shows(dbx[0], "INBOX.DBX"));
    EXPECT_TRUE(shows(dbx[0], "Sent Items.Dbx"));
    EXPECT_FALSE(shows(dbx[0], "Inbox.dbx.bak"));
    const std::vector<FileFilter> pst = filtersOf("dlg:mapi_dir");
    ASSERT_EQ(pst.size(), 1u);
    EXPECT_TRUE(shows(pst[0], "SAMPLE2.PST"));
    EXPECT_TRUE(shows(pst[0], "archive.pst"));
    EXPECT_FALSE(shows(pst[0], "archive.ost"));
}

TEST_F(FileFilterMatch, MailboxesShowWithoutAnExtension) {
    const std::vector<FileFilter> filters = filtersOf("dlg:bmf_dir");
    ASSERT_EQ(filters.size(), 2u);
    const FileFilter& mailboxes = filters[0];
    EXPECT_TRUE(shows(mailboxes, "notes.bmf"));
    EXPECT_TRUE(shows(mailboxes, "NOTES.BMF"));
    EXPECT_TRUE(shows(mailboxes, "Inbox", kMailbox));   // Thunderbird's names
    EXPECT_TRUE(shows(mailboxes, "INBOX", kMailbox));
    EXPECT_TRUE(shows(mailboxes, "Takeout.mbox", kMailbox));
    EXPECT_FALSE(shows(mailboxes, "Inbox.msf", "// <!-- <mdb:mork:z v=\"1.4\"/> -->\n"));  // its index
    EXPECT_FALSE(shows(mailboxes, "notes.txt", "Shopping list\n"));

    const FileFilter& all = filters[1];
    EXPECT_TRUE(shows(all, "Sent", "anything\n"));  // no dot, still shown
    EXPECT_TRUE(shows(all, "Inbox.msf"));
}

}  // namespace
}  // namespace tessaly
