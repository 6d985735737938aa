// maildir_trees_test.cpp - Maildir, Maildir++, nested and account trees,
// Evolution's and KMail's local folders and MH folders, found in a
// generated home and read back with their message counts.
#include <gtest/gtest.h>
#include <unistd.h>

#include "sources/mail_stores.h"
#include "sources/store_fixtures.h"

namespace tessaly {
namespace {

using test::makeMaildir;
using test::makeMh;
using test::outline;
using test::outlineAt;
using test::put;

class LocalStores : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string home = dir.path();
};

TEST_F(LocalStores, MaildirPlusPlus) {
    const std::string root = home + "/Maildir";
    makeMaildir(root, 1, 2);
    makeMaildir(root + "/.Sent", 0, 1);
    makeMaildir(root + "/.Lists.debian", 2);  // no .Lists
    makeMaildir(root + "/.Drafts", 0);
    makeMaildir(root + "/.Entw&APw-rfe", 1);
    makeMaildir(root + "/.Caf&AOk-", 1);
    makeMaildir(root + "/.Caf\xC3\xA9", 0);  // the same name, not encoded: both are kept
    test::makeFolder(root + "/.notmuch/xapian");  // no Maildir folder
    put(root + "/dovecot-uidlist", "3 V1 N1\n");
    ASSERT_EQ(symlink(root.c_str(), (root + "/loop").c_str()), 0);
    const std::vector<std::string> expected = {
        "Inbox maildir 3", "Caf\xC3\xA9 maildir 1", "Caf\xC3\xA9 maildir 0", "Drafts maildir 0",
        "Entw\xC3\xBCrfe maildir 1", "Lists -", "  debian maildir 2", "Sent maildir 1",
    };
    EXPECT_EQ(outlineAt(root), expected);

    // ~/Mail a link to ~/Maildir: one store.
    ASSERT_EQ(symlink(root.c_str(), (home + "/Mail").c_str()), 0);
    const std::vector<MailStore> stores = findMailStores(home);
    ASSERT_EQ(stores.size(), 1u);
    EXPECT_EQ(stores[0].name, "Maildir");

    const std::vector<StoreFolder> folders = readStoreFolders(*storeAt(root));
    const StoreFolder* debian = test::folderAt(folders, "Lists/debian");
    ASSERT_NE(debian, nullptr);
    EXPECT_EQ(debian->entry.storeName, "");
    EXPECT_EQ(debian->entry.parentPath, "Lists");
    EXPECT_EQ(debian->entry.depth, 1);
    EXPECT_EQ(debian->entry.directory, root + "/.Lists.debian");
    EXPECT_EQ(folders.front().entry.directory, root);
}

TEST_F(LocalStores, NestedFoldersAndRootsOfAccounts) {
    // mbsync with "SubFolders Verbatim": Lists itself is no Maildir folder.
    const std::string mail = home + "/Mail";
    makeMaildir(mail + "/INBOX", 1);
    makeMaildir(mail + "/Sent", 1);
    makeMaildir(mail + "/Lists/debian", 1);
    makeMaildir(mail + "/Lists/ubuntu", 1);
    makeMaildir(mail + "/Archive", 1);
    makeMaildir(mail + "/Archive/2020", 1);
    makeMaildir(mail + "/Archive/.Old", 1);  // a Maildir++ folder below a nested one
    EXPECT_EQ(outlineAt(mail), (std::vector<std::string>{"Inbox maildir 1", "Archive maildir 1", "  2020 maildir 1",
                                                         "  Old maildir 1", "Lists -", "  debian maildir 1",
                                                         "  ubuntu maildir 1", "Sent maildir 1"}));

    // offlineimap: one folder per account, one a Maildir++ root.
    const std::string dot = home + "/.mail";
    makeMaildir(dot + "/work/INBOX", 2);
    makeMaildir(dot + "/work/[Gmail].Sent Mail", 1);
    makeMaildir(dot + "/work/[Gmail].Trash", 1);
    makeMaildir(dot + "/home", 1);
    makeMaildir(dot + "/home/.Sent", 1);
    test::makeFolder(dot + "/empty/nothing");
    const std::vector<StoreFolder> folders = readStoreFolders(*storeAt(dot));
    EXPECT_EQ(outline(folders),
              (std::vector<std::string>{"home -", "  Inbox maildir 1", "  Sent maildir 1", "work -",
                                        "  Inbox maildir 2", "  [Gmail].Sent Mail maildir 1",
                                        "  [Gmail].Trash maildir 1"}));
    const StoreFolder* trash = test::folderAt(folders, "work/[Gmail].Trash");
    ASSERT_NE(trash, nullptr);
    EXPECT_EQ(trash->entry.storeName, "work");
    EXPECT_FALSE(isStoreFolderTickedByDefault(*trash));
    EXPECT_TRUE(isStoreFolderTickedByDefault(*test::folderAt(folders, "work/Inbox")));

    std::vector<std::string> found;
    for (const MailStore& s : findMailStores(home)) found.push_back(std::string(storeKindName(s.kind)) + " " + s.name);
    EXPECT_EQ(found, (std::vector<std::string>{"Maildir Mail", "Maildir .mail"}));
}

TEST_F(LocalStores, EvolutionAndKmail) {
    const std::string evolution = home + "/.local/share/evolution/mail/local";
    makeMaildir(evolution, 1);
    makeMaildir(evolution + "/.Sent", 1);
    makeMaildir(evolution + "/.Drafts", 0);
    makeMaildir(evolution + "/.Outbox", 0);
    makeMaildir(evolution + "/..Sub", 1);  // below the Inbox
    makeMaildir(evolution + "/.Work.Clients", 1);
    EXPECT_EQ(outlineAt(evolution),
              (std::vector<std::string>{"On This Computer -", "  Inbox maildir 1", "    Sub maildir 1",
                                        "  Drafts maildir 0", "  Outbox maildir 0", "  Sent maildir 1", "  Work -",
                                        "    Clients maildir 1"}));

    const std::string kmail = home + "/.local/share/local-mail";
    for (const char* name : {"outbox", "drafts", "templates"}) makeMaildir(kmail + "/" + name, 0);
    makeMaildir(kmail + "/inbox", 1, 1);
    makeMaildir(kmail + "/sent-mail", 1);
    makeMaildir(kmail + "/trash", 1);
    makeMaildir(kmail + "/Projects", 1);
    makeMaildir(kmail + "/.Projects.directory/2023", 1);
    makeMaildir(kmail + "/.Projects.directory/.2023.directory/Q1", 1);
    makeMaildir(kmail + "/.inbox.directory/lists", 1);
    makeMaildir(kmail + "/.Orphan.directory/child", 1);
    test::makeFolder(kmail + "/.Empty.directory");
    const std::vector<std::string> expected = {
        "Local Folders -",   "  Inbox maildir 2",     "    lists maildir 1",   "  Outbox maildir 0",
        "  Sent maildir 1",  "  Trash maildir 1",     "  Drafts maildir 0",    "  Templates maildir 0",
        "  Orphan -",        "    child maildir 1",   "  Projects maildir 1",  "    2023 maildir 1",
        "      Q1 maildir 1",
    };
    EXPECT_EQ(outlineAt(kmail), expected);

    std::vector<std::string> found;
    for (const MailStore& s : findMailStores(home)) found.push_back(std::string(storeKindName(s.kind)) + " " + s.name);
    EXPECT_EQ(found, (std::vector<std::string>{"Evolution On This Computer", "KMail Local Folders"}));
}

TEST_F(LocalStores, MhFoldersOfClawsAndNmh) {
    const std::string mail = home + "/Mail";
    makeMh(mail + "/inbox", {1, 2, 17}, ".claws_cache");
    put(mail + "/inbox/.claws_mark", "");
    put(mail + "/inbox/,3", "deleted the MH way");
    put(mail + "/inbox/1.bak", "");
    makeMh(mail + "/inbox/sub", {3}, ".claws_mark");
    makeMh(mail + "/sent", {1});
    makeMh(mail + "/trash", {}, ".mh_sequences");
    makeMh(mail + "/queue", {}, ".claws_mark");
    test::makeFolder(mail + "/draft");  // nothing marks it as a folder
    put(mail + "/notes/readme", "text");
    put(mail + "/zeros/0", "no message number");
    const std::vector<std::string> expected = {"Inbox mh 3", "  sub mh 1", "queue mh 0", "sent mh 1", "trash mh 0"};
    EXPECT_EQ(outlineAt(mail), expected);
    EXPECT_EQ(storeAt(mail)->kind, StoreKind::MH);
    EXPECT_EQ(outlineAt(mail + "/inbox"), (std::vector<std::string>{"Inbox mh 3", "  sub mh 1"}));

    put(home + "/.mh_profile", "Editor: vi\nPath: nmhmail\n");
    makeMh(home + "/nmhmail/inbox", {5}, ".mh_sequences");
    std::vector<std::string> found;
    for (const MailStore& s : findMailStores(home)) found.push_back(std::string(storeKindName(s.kind)) + " " + s.name);
    EXPECT_EQ(found, (std::vector<std::string>{"MH Mail", "MH nmhmail"}));
}

TEST_F(LocalStores, DamagedTreesAndThingsThatAreNoStore) {
    // cur and new as files: no Maildir folder.
    put(home + "/Maildir/cur", "x");
    put(home + "/Maildir/new", "x");
    put(home + "/.mail", "a file");
    test::makeFolder(home + "/Mail/a/b/c/d/e/f");
    put(home + "/Mail/a/b/c/d/e/f/1", "too deep below nothing to be looked for");
    EXPECT_TRUE(findMailStores(home).empty());

    // A folder that links to its parent, and one beyond the depth limit.
    const std::string root = home + "/deep";
    makeMaildir(root, 1);
    std::string path = root;
    for (int i = 0; i < 70; ++i) {
        path += "/d";
        makeMaildir(path, 0);
    }
    ASSERT_EQ(symlink("..", (root + "/d/up").c_str()), 0);
    const std::vector<StoreFolder> folders = readStoreFolders(*storeAt(root));
    EXPECT_LT(folders.size(), 70u);
    EXPECT_GT(folders.size(), 50u);

    put(home + "/plain/readme.txt", "nothing to see");
    EXPECT_FALSE(storeAt(home + "/plain"));
    EXPECT_FALSE(storeAt(home + "/plain/readme.txt"));
    EXPECT_FALSE(storeAt(home + "/missing"));
}

}  // namespace
}  // namespace tessaly
