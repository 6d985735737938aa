// mail_stores_test.cpp - Thunderbird profiles found and read as folder
// trees from a generated home; broken profiles; message counts of mailbox
// files; the folders ticked when nothing was chosen.
#include "sources/mail_stores.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>

#include "sources/mailbox_count.h"
#include "sources/store_fixtures.h"

namespace tessaly {
namespace {

using test::mailbox;
using test::outline;
using test::put;
using namespace std::string_literals;

const char kInstallIni[] =
    "[Install4F96D1932A9F858E]\nDefault=Profiles/abc.default-release\nLocked=1\n\n"
    "[Profile1]\nName=old\nIsRelative=1\nPath=Profiles/old.default\nDefault=1\n\n"
    "[Profile0]\nName=default-release\nIsRelative=1\nPath=Profiles/abc.default-release\n\n"
    "[Profile3]\nName=gone\nIsRelative=1\nPath=Profiles/missing\n\n"
    "[General]\nStartWithLastProfile=1\nVersion=2\n";

const char kMainPrefs[] =
    "// Mozilla User Preferences\n"
    "user_pref(\"mail.accountmanager.accounts\", \"account1,account2,account3\");\n"
    "user_pref(\"mail.account.account1.server\", \"server2\");\n"
    "user_pref(\"mail.account.account2.server\", \"server1\");\n"
    "user_pref(\"mail.account.account3.server\", \"server3\");\n"
    "user_pref(\"mail.server.server1.directory-rel\", \"[ProfD]Mail/Local Folders\");\n"
    "user_pref(\"mail.server.server1.name\", \"Local Folders\");\n"
    "user_pref(\"mail.server.server1.type\", \"none\");\n"
    "user_pref(\"mail.server.server2.directory-rel\", \"[ProfD]ImapMail/imap.example.com\");\n"
    "user_pref(\"mail.server.server2.name\", \"me@example.com\");\n"
    "user_pref(\"mail.server.server2.type\", \"imap\");\n"
    "user_pref(\"mail.server.server3.directory-rel\", \"[ProfD]Mail/pop.example.com\");\n"
    "user_pref(\"mail.server.server3.name\", \"Work mail\");\n"
    "user_pref(\"mail.server.server3.type\", \"pop3\");\n";

// A home with two Thunderbird places: ~/.thunderbird with three profiles
// (the install's default, an old one without prefs.js, one elsewhere that
// keeps Maildir folders) and Flatpak's with one.
class ThunderbirdStores : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string tb = home + "/.thunderbird";
        put(tb + "/profiles.ini", std::string(kInstallIni) + "[Profile2]\nName=elsewhere\nIsRelative=0\nPath=" +
                                      elsewhere + "\n");
        put(main + "/prefs.js", kMainPrefs);
        const std::string local = main + "/Mail/Local Folders";
        put(local + "/Inbox", mailbox(3, 1));
        put(local + "/Inbox.msf", "// summary");
        test::makeFolder(local + "/Inbox.mozmsgs");
        put(local + "/Sent", mailbox(1));
        put(local + "/Trash", mailbox(1));
        put(local + "/Unsent Messages", "");
        put(local + "/Notes", "just some text, no mailbox\n");
        put(local + "/Projects", mailbox(2));
        put(local + "/Projects.sbd/2023", mailbox(1));
        put(local + "/Projects.sbd/2023.sbd/Q1", mailbox(1));
        put(local + "/Projects.sbd/2023.sbd/Q1.msf", "");
        put(local + "/Archives.sbd/2019", mailbox(1));
        put(local + "/popstate.dat", "# POP3 State File\n");
        put(local + "/msgFilterRules.dat", "version=\"9\"\n");
        put(local + "/filterlog.html", "<html>");
        const std::string imap = main + "/ImapMail/imap.example.com";
        put(imap + "/INBOX", mailbox(1));
        put(imap + "/INBOX.msf", "");
        put(imap + "/Entw&APw-rfe", mailbox(1));
        put(main + "/Mail/pop.example.com/Inbox", mailbox(1));

        put(tb + "/Profiles/old.default/Mail/Local Folders/Inbox", mailbox(1));

        put(elsewhere + "/prefs.js",
            "user_pref(\"mail.server.server1.directory-rel\", \"[ProfD]Mail/Local Folders\");\n"
            "user_pref(\"mail.server.server1.name\", \"Local Folders\");\n"
            "user_pref(\"mail.server.server1.storeContractID\", \"@mozilla.org/msgstore/maildirstore;1\");\n");
        test::makeMaildir(elsewhere + "/Mail/Local Folders/Inbox", 1, 1);
        put(elsewhere + "/Mail/Local Folders/Inbox.msf", "");
        test::makeMaildir(elsewhere + "/Mail/Local Folders/Inbox.sbd/Sub", 1);
        put(elsewhere + "/Mail/Local Folders/Stray", mailbox(1));  // no mailbox in a Maildir store

        const std::string flat = home + "/.var/app/org.mozilla.Thunderbird/.thunderbird";
        put(flat + "/profiles.ini", "[Profile0]\r\nName=flat\r\nIsRelative=1\r\nPath=flat.default\r\n");
        put(flat + "/flat.default/ImapMail/imap.flat.org/INBOX", mailbox(2));
    }

    test::TempDir dir;
    std::string home = dir.path();
    std::string main = home + "/.thunderbird/Profiles/abc.default-release";
    std::string elsewhere = home + "/tb-elsewhere";
};

TEST_F(ThunderbirdStores, ProfilesInOrderDefaultFirst) {
    const std::vector<MailStore> stores = findMailStores(home);
    std::vector<std::string> found;
    for (const MailStore& s : stores) found.push_back(std::string(storeKindName(s.kind)) + " " + s.name + " " + s.root);
    const std::vector<std::string> expected = {
        "Thunderbird default-release " + main,
        "Thunderbird old " + home + "/.thunderbird/Profiles/old.default",
        "Thunderbird elsewhere " + elsewhere,
        "Thunderbird flat " + home + "/.var/app/org.mozilla.Thunderbird/.thunderbird/flat.default",
    };
    EXPECT_EQ(found, expected);
}

TEST_F(ThunderbirdStores, AccountsAndFolderTree) {
    const std::vector<StoreFolder> folders = readStoreFolders({StoreKind::Thunderbird, "default-release", main});
    const std::vector<std::string> expected = {
        "me@example.com -",
        "  Inbox file 1",
        "  Entw\xC3\xBCrfe file 1",
        "Local Folders -",
        "  Inbox file 2",  // one of three was deleted
        "  Archives -",
        "    2019 file 1",
        "  Notes file 0",
        "  Projects file 2",
        "    2023 file 1",
        "      Q1 file 1",
        "  Sent file 1",
        "  Trash file 1",
        "  Unsent Messages file 0",
        "Work mail -",
        "  Inbox file 1",
    };
    EXPECT_EQ(outline(folders), expected);

    const StoreFolder* heading = test::folderAt(folders, "Local Folders");
    ASSERT_NE(heading, nullptr);
    EXPECT_EQ(heading->entry.storeName, "");
    EXPECT_EQ(heading->entry.kind, 0);
    EXPECT_EQ(heading->entry.depth, 0);
    const StoreFolder* q1 = test::folderAt(folders, "Local Folders/Projects/2023/Q1");
    ASSERT_NE(q1, nullptr);
    EXPECT_EQ(q1->entry.storeName, "Local Folders");
    EXPECT_EQ(q1->entry.parentPath, "Projects/2023");
    EXPECT_EQ(q1->entry.depth, 3);
    EXPECT_EQ(q1->entry.kind, 6);
    EXPECT_EQ(q1->entry.directory, main + "/Mail/Local Folders/Projects.sbd/2023.sbd");
    EXPECT_EQ(q1->entry.fileName, "Q1");
    const StoreFolder* drafts = test::folderAt(folders, "me@example.com/Entw\xC3\xBCrfe");
    ASSERT_NE(drafts, nullptr);
    EXPECT_EQ(drafts->entry.fileName, "Entw&APw-rfe");  // the file keeps its own name
}

TEST_F(ThunderbirdStores, MaildirStorageAndNamesWithoutPrefs) {
    EXPECT_EQ(outline(readStoreFolders({StoreKind::Thunderbird, "elsewhere", elsewhere})),
              (std::vector<std::string>{"Local Folders -", "  Inbox maildir 2", "    Sub maildir 1"}));
    const StoreFolder sub = readStoreFolders({StoreKind::Thunderbird, "elsewhere", elsewhere}).back();
    EXPECT_EQ(sub.entry.directory, elsewhere + "/Mail/Local Folders/Inbox.sbd/Sub");
    EXPECT_EQ(outline(readStoreFolders(*storeAt(home + "/.var/app/org.mozilla.Thunderbird/.thunderbird"))),
              (std::vector<std::string>{"imap.flat.org -", "  Inbox file 2"}));
}

TEST_F(ThunderbirdStores, StoreAtProfilesAndRoots) {
    struct Row {
        std::string path;
        std::string name;
        std::string root;
    };
    const std::vector<Row> rows = {
        {home + "/.thunderbird", "default-release", main},  // a root: its default profile
        {main + "/", "default-release", main},
        {home + "/.thunderbird/Profiles/old.default", "old", home + "/.thunderbird/Profiles/old.default"},
        {elsewhere, "tb-elsewhere", elsewhere},  // no profiles.ini beside it
    };
    for (const Row& row : rows) {
        const std::optional<MailStore> store = storeAt(row.path);
        ASSERT_TRUE(store) << row.path;
        EXPECT_EQ(store->kind, StoreKind::Thunderbird) << row.path;
        EXPECT_EQ(store->name, row.name) << row.path;
        EXPECT_EQ(store->root, row.root) << row.path;
    }
    EXPECT_FALSE(storeAt(home + "/nothing-here"));
    EXPECT_FALSE(storeAt(main + "/prefs.js"));
    EXPECT_FALSE(storeAt(""));
}

// Each row sets up one damaged home; the stores found and their folders.
TEST(ThunderbirdDamage, BrokenProfilesNeverStopTheSearch) {
    struct Row {
        const char* why;
        std::function<void(const std::string& tb)> setup;
        std::vector<std::string> expected;
    };
    const auto inbox = [](const std::string& profile) { put(profile + "/Mail/Local Folders/Inbox", mailbox(1)); };
    const std::vector<Row> rows = {
        {"no profiles.ini: profile folders found by looking",
         [&](const std::string& tb) { inbox(tb + "/x.default"); },
         {"x.default", "Local Folders -", "  Inbox file 1"}},
        {"binary profiles.ini: the same, also under Profiles/",
         [&](const std::string& tb) {
             put(tb + "/profiles.ini", "\0\x01\xFF[Profile0\n\xFE=\xFF\n"s);
             inbox(tb + "/Profiles/y.default");
         },
         {"y.default", "Local Folders -", "  Inbox file 1"}},
        {"profiles.ini names folders that do not exist",
         [&](const std::string& tb) {
             put(tb + "/profiles.ini",
                 "[Profile0]\nName=a\nPath=nowhere\n[Profile1]\nName=b\nIsRelative=0\nPath=/nope\n");
             inbox(tb + "/z.default");
         },
         {"z.default", "Local Folders -", "  Inbox file 1"}},
        {"binary junk in prefs.js: accounts from the folders",
         [&](const std::string& tb) {
             put(tb + "/profiles.ini", "[Profile0]\nName=p\nPath=p\n");
             put(tb + "/p/prefs.js", "\0\xFFuser_pref(\"mail.server."s + std::string(5000, '\x80'));
             inbox(tb + "/p");
             put(tb + "/p/ImapMail/imap.x.org/INBOX", mailbox(1));
         },
         {"p", "Local Folders -", "  Inbox file 1", "imap.x.org -", "  Inbox file 1"}},
        {"a subfolder folder that links back to its parent",
         [&](const std::string& tb) {
             put(tb + "/profiles.ini", "[Profile0]\nName=p\nPath=p\n");
             inbox(tb + "/p");
             put(tb + "/p/Mail/Local Folders/Loop", mailbox(1));
             EXPECT_EQ(symlink(".", (tb + "/p/Mail/Local Folders/Loop.sbd").c_str()), 0);
         },
         {"p", "Local Folders -", "  Inbox file 1", "  Loop file 1"}},
        {"a dangling link, a file for Mail and a folder for a mailbox",
         [&](const std::string& tb) {
             put(tb + "/profiles.ini", "[Profile0]\nName=p\nPath=p\n");
             put(tb + "/p/Mail", "not a folder");
             put(tb + "/p/ImapMail/s/INBOX", mailbox(1));
             EXPECT_EQ(symlink("/nonexistent/Sent", (tb + "/p/ImapMail/s/Sent").c_str()), 0);
             test::makeFolder(tb + "/p/ImapMail/s/Drafts");
         },
         {"p", "s -", "  Inbox file 1"}},
        {"a profile without mail is not listed",
         [&](const std::string& tb) {
             put(tb + "/profiles.ini", "[Profile0]\nName=p\nPath=p\n");
             put(tb + "/p/prefs.js", "");
         },
         {}},
    };
    for (const Row& row : rows) {
        test::TempDir dir;
        row.setup(dir.path() + "/.thunderbird");
        std::vector<std::string> found;
        for (const MailStore& store : findMailStores(dir.path())) {
            found.push_back(store.name);
            for (const std::string& line : outline(readStoreFolders(store))) found.push_back(line);
        }
        EXPECT_EQ(found, row.expected) << row.why;
    }
}

TEST(ThunderbirdDamage, ThunderbirdFolderIsAFile) {
    test::TempDir dir;
    put(dir.path() + "/.thunderbird", "a file");
    EXPECT_TRUE(findMailStores(dir.path()).empty());
    EXPECT_TRUE(findMailStores("").empty());
}

TEST(ThunderbirdDamage, RootWithoutProfilesIniTyped) {
    test::TempDir dir;
    put(dir.path() + "/.thunderbird/q.default/Mail/Local Folders/Inbox", mailbox(1));
    const std::optional<MailStore> store = storeAt(dir.path() + "/.thunderbird");
    ASSERT_TRUE(store);
    EXPECT_EQ(store->name, "q.default");
    EXPECT_EQ(store->root, dir.path() + "/.thunderbird/q.default");
}

TEST(ThunderbirdDamage, UnreadableFolderLeftOut) {
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
    test::TempDir dir;
    const std::string local = dir.path() + "/.var/app/org.mozilla.Thunderbird/.thunderbird/p/Mail/Local Folders";
    put(local + "/Inbox", mailbox(1));
    put(local + "/Inbox.sbd/Sub", mailbox(1));
    ASSERT_EQ(chmod((local + "/Inbox.sbd").c_str(), 0), 0);
    const std::vector<MailStore> stores = findMailStores(dir.path());
    ASSERT_EQ(stores.size(), 1u);
    EXPECT_EQ(outline(readStoreFolders(stores[0])), (std::vector<std::string>{"Local Folders -", "  Inbox file 1"}));
    EXPECT_EQ(chmod((local + "/Inbox.sbd").c_str(), 0755), 0);
}

TEST(MailboxCount, MessagesTheJobWouldArchive) {
    test::TempDir dir;
    struct Row {
        std::string content;
        uint64_t expected;
        const char* why;
    };
    const std::vector<Row> rows = {
        {"", 0, "an empty file"},
        {"no From line here\n", 0, "not a mailbox"},
        {std::string(200, '\0'), 0, "zeros"},
        {mailbox(4), 4, "four messages"},
        {mailbox(4, 4), 0, "all deleted in Thunderbird"},
        {"From a@b Thu Sep  5 14:30:07 2002\r\nSubject: x\r\n\r\nFrom here on\r\n\r\n"
         "From a@b Thu Sep  5 14:30:08 2002\r\nX-Mozilla-Status: 0008\r\n\r\nx\r\n",
         1, "CR LF lines, prose beginning with From, an expunged one"},
        {"\xEF\xBB\xBF" + mailbox(2), 2, "a byte-order mark first"},
        {mailbox(2).substr(0, 40), 1, "cut off in the first message's header"},
    };
    for (const Row& row : rows) {
        test::writeFile(dir.file("box"), row.content);
        EXPECT_EQ(countMailboxMessages(dir.file("box")), row.expected) << row.why;
    }
    EXPECT_EQ(countMailboxMessages(dir.file("missing")), 0u);
    EXPECT_EQ(countMailboxMessages(dir.path()), 0u);
}

TEST(StoreFolders, TickedByDefault) {
    struct Row {
        const char* name;
        const char* parentPath;
        FolderStorage storage;
        uint64_t messages;
        bool ticked;
    };
    const Row rows[] = {
        {"Inbox", "", FolderStorage::File, 3, true},
        {"Inbox", "", FolderStorage::File, 0, false},  // nothing to archive
        {"Work", "", FolderStorage::None, 0, false},   // a heading
        {"Sent", "", FolderStorage::Maildir, 2, true},
        {"All Mail", "[Gmail]", FolderStorage::Maildir, 2, true},
        {"Important", "[Gmail]", FolderStorage::File, 2, true},
        {"Starred", "[Gmail]", FolderStorage::File, 2, true},
        {"Trash", "", FolderStorage::File, 2, false},
        {"TRASH", "", FolderStorage::File, 2, false},
        {"trash", "", FolderStorage::Maildir, 2, false},  // KMail
        {"Deleted Items", "", FolderStorage::File, 2, false},
        {"Deleted Messages", "", FolderStorage::File, 2, false},
        {"Bin", "[Gmail]", FolderStorage::File, 2, false},
        {"drafts", "", FolderStorage::Maildir, 2, false},
        {"draft", "", FolderStorage::MH, 2, false},  // Claws Mail
        {"queue", "", FolderStorage::MH, 2, false},
        {"Junk", "", FolderStorage::File, 2, false},
        {"Spam", "[Gmail]", FolderStorage::File, 2, false},
        {"Junk E-mail", "", FolderStorage::File, 2, false},
        {"Bulk Mail", "", FolderStorage::File, 2, false},
        {"templates", "", FolderStorage::Maildir, 2, false},
        {"Outbox", "", FolderStorage::Maildir, 2, false},
        {"Unsent Messages", "", FolderStorage::File, 2, false},
        {"[Gmail].Trash", "", FolderStorage::Maildir, 2, false},  // offlineimap's name
        {"Old project", "Trash", FolderStorage::File, 2, false},   // a deleted folder
        {"Trash talk", "", FolderStorage::File, 2, true},
        {"Sent", "Trashy/Lists", FolderStorage::File, 2, true},
    };
    for (const Row& row : rows) {
        StoreFolder folder;
        folder.entry.name = row.name;
        folder.entry.parentPath = row.parentPath;
        folder.entry.storage = row.storage;
        folder.messages = row.messages;
        EXPECT_EQ(isStoreFolderTickedByDefault(folder), row.ticked) << row.parentPath << "/" << row.name;
    }
}

}  // namespace
}  // namespace tessaly
