// store_pages_test.cpp - the Linux mail stores in the wizard: offered on the
// start page, their folder trees ticked on the store folder page, the ticks
// remembered, and the run over the ticked folders.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "app/dispatch.h"
#include "app/page_frame.h"
#include "app/pages.h"
#include "app/store_choice.h"
#include "message/text.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "support/temp_dir.h"
#include "tests/app/fake_shell.h"
#include "tests/app/golden.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;
using test::FakeShell;

// A message told apart by `n`, and mailbox files of such messages.
std::string message(int n) {
    const std::string id = std::to_string(n);
    return "From: Ann <ann@example.org>\nSubject: Note " + id + "\nDate: Mon, 3 Jan 2005 10:00:00 +0000\n"
           "Message-ID: <" + id + "@example.org>\n\nBody " + id + "\n";
}

std::string mbox(int first, int count) {
    std::string text;
    for (int n = first; n < first + count; ++n) {
        text += "From ann@example.org Mon Jan  3 10:00:00 2005\n" + message(n) + "\n";
    }
    return text;
}

// A home folder of its own for each test: HOME points at it while the test
// runs and is put back afterwards.
class StorePagesTest : public ::testing::Test {
protected:
    test::TempDir home;
    test::TempDir archive;
    FakeShell shell;
    ArchiveRun run;
    Wizard wizard{shell, run};
    std::string savedHome;

    void SetUp() override {
        savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
        setenv("HOME", home.path().c_str(), 1);
        registryDeleteKey(RegistryHive::CurrentUser, "Software\\Velmo");
        loadSettings(wizard.settings);
        wizard.settings.viruswarned = true;
    }
    void TearDown() override {
        setenv("HOME", savedHome.c_str(), 1);
        registryDeleteKey(RegistryHive::CurrentUser, "Software\\Velmo");
    }

    void write(const std::string& relative, const std::string& bytes) {
        const std::string path = home.file(relative);
        fs::create_directories(fs::path(path).parent_path());
        test::writeFile(path, bytes);
    }
    // A profile in ~/.thunderbird/<folder> with Local Folders Inbox (3
    // messages), Sent (2), Trash (1) and Inbox/Lists (2).
    void makeThunderbird(const std::string& profilesIni, const std::string& folder) {
        write(".thunderbird/profiles.ini", profilesIni);
        const std::string local = ".thunderbird/" + folder + "/Mail/Local Folders/";
        write(local + "Inbox", mbox(1, 3));
        write(local + "Sent", mbox(10, 2));
        write(local + "Trash", mbox(20, 1));
        write(local + "Inbox.sbd/Lists", mbox(30, 2));
    }
    void makeDefaultProfile() {
        makeThunderbird("[Profile0]\nName=default-release\nIsRelative=1\nPath=abc.default-release\nDefault=1\n",
                        "abc.default-release");
    }
    // ~/Maildir with two messages in cur/ and one in new/.
    void makeMaildir() {
        write("Maildir/cur/1104832800.1.host:2,S", message(41));
        write("Maildir/cur/1104832801.2.host:2,S", message(42));
        write("Maildir/new/1104832802.3.host", message(43));
    }

    std::string page(const std::string& url) {
        std::string out;
        writePage(wizard, out, url);
        return out;
    }
    static bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

    std::optional<MailStore> storeOfKind(StoreKind kind) {
        for (const MailStore& store : homeMailStores()) {
            if (store.kind == kind) return store;
        }
        return std::nullopt;
    }
    static std::string linkTo(const MailStore& store) {
        return "webf:store_folders?mailsource=store&storekind=" + percentEncode(storeKindName(store.kind)) +
               "&storeroot=" + percentEncode(store.root);
    }
    // The store's folder page, as a click on the start page's link shows it.
    void openFolderPage(const MailStore& store) {
        dispatch(wizard, "webf:intro");
        ASSERT_TRUE(has(shell.lastPage(), "<a href=\"" + linkTo(store) + "\">"));
        followLink(wizard, linkTo(store), decodeQuery(linkTo(store)));
        ASSERT_EQ(wizard.nav.currentPage, "webf:store_folders");
    }
    // The folder page's form submitted with the boxes at `positions` ticked.
    void submitTicks(const std::vector<size_t>& positions) {
        FormFields fields = {{"storefolders", "on"}, {"mailsource", "store"}};
        for (const size_t i : positions) fields.emplace_back("eid" + std::to_string(i), "on");
        followLink(wizard, "webf:save", fields);
    }
    void startRun(const std::string& format) {
        followLink(wizard, "webf:go",
                   {{"savedir", archive.path()}, {"saveformat", format}, {"usesubfolders", "yes"}});
    }
    size_t positionOf(const std::vector<StoreFolder>& folders, const std::string& name) {
        for (size_t i = 0; i < folders.size(); ++i) {
            if (folders[i].entry.name == name && folders[i].entry.storage != FolderStorage::None) return i;
        }
        ADD_FAILURE() << "no folder " << name;
        return folders.size();
    }
};

TEST_F(StorePagesTest, WithoutStoresTheStartPageIsUnchanged) {
    // Things that look like stores but hold no mail: a profiles.ini of binary
    // junk, a Maildir without messages' folders, a link to nowhere, an empty
    // folder.
    static constexpr char kJunk[] = "\0\xff[Profile0\nPath=\x01\x02";
    write(".thunderbird/profiles.ini", std::string(kJunk, sizeof kJunk - 1));
    fs::create_directories(home.file(".mail"));
    fs::create_symlink(home.file("nowhere"), home.file("Mail"));
    write("Maildir/notes.txt", "not mail\n");
    EXPECT_TRUE(homeMailStores().empty());
    wizard.settings.bmfdir = "/home/ann/Mail & <Old>";
    test::expectGolden("intro.html", page("webf:intro"));
}

TEST_F(StorePagesTest, StartPageOffersEachKindFound) {
    makeDefaultProfile();
    makeMaildir();
    const std::optional<MailStore> thunderbird = storeOfKind(StoreKind::Thunderbird);
    const std::optional<MailStore> maildir = storeOfKind(StoreKind::Maildir);
    ASSERT_TRUE(thunderbird && maildir);

    const std::string shown = page("webf:intro");
    const std::string thunderbirdBlock = "<div class=\"option\">\r\n<p><a href=\"" + linkTo(*thunderbird) + "\">" +
                                         kBullet + "In Thunderbird</a></p>\r\n</div>\r\n\r\n";
    const std::string maildirBlock = "<div class=\"option\">\r\n<p><a href=\"" + linkTo(*maildir) + "\">" +
                                     kBullet + "In Maildir folders</a></p>\r\n</div>\r\n\r\n";
    // The stores of this computer come first, right after the question.
    EXPECT_TRUE(has(shown, "<p>Where are your emails stored?</p>\r\n\r\n" + thunderbirdBlock + maildirBlock +
                               "<div class=\"option\">\r\n<p>" + kBullet + "(MS Outlook is"))
        << shown;
    // The root is percent-encoded in the link.
    EXPECT_TRUE(has(linkTo(*maildir), "storeroot=%2F"));
}

TEST_F(StorePagesTest, SeveralProfilesGetALineEachAndTheirOwnTicks) {
    // Two profiles, each with a "Local Folders/Inbox" and "Sent".
    makeThunderbird("[Profile0]\nName=default-release\nIsRelative=1\nPath=abc.default-release\nDefault=1\n\n"
                    "[Profile1]\nName=Ann & <Work>\nIsRelative=1\nPath=b.work\n",
                    "abc.default-release");
    write(".thunderbird/b.work/Mail/Local Folders/Inbox", mbox(50, 2));
    write(".thunderbird/b.work/Mail/Local Folders/Sent", mbox(60, 2));
    const std::vector<MailStore> profiles = homeMailStores();
    ASSERT_EQ(profiles.size(), 2u);
    // One block, a line for each, named (escaped) after the profile.
    EXPECT_TRUE(has(page("webf:intro"), "<div class=\"option\">\r\n<p><a href=\"" + linkTo(profiles[0]) + "\">" +
                                            kBullet + "In default-release, Thunderbird</a></p>\r\n<p><a href=\"" +
                                            linkTo(profiles[1]) + "\">" + kBullet +
                                            "In Ann &amp; &lt;Work&gt;, Thunderbird</a></p>\r\n</div>"));

    openFolderPage(profiles[0]);
    const std::vector<StoreFolder> first = readStoreFolders(profiles[0]);
    submitTicks({positionOf(first, "Sent")});
    ASSERT_EQ(wizard.settings.storefolders.size(), 1u);
    // The other profile's folders of the same names are not the ticked ones.
    openFolderPage(profiles[1]);
    const std::vector<StoreFolder> second = readStoreFolders(profiles[1]);
    for (size_t i = 0; i < second.size(); ++i) {
        if (!isTickableStoreFolder(second[i])) continue;
        EXPECT_EQ(has(shell.lastPage(), "checked name=\"eid" + std::to_string(i) + "\""),
                  isStoreFolderTickedByDefault(second[i]))
            << second[i].entry.name;
    }
    // Back at the first, its own tick is remembered.
    openFolderPage(profiles[0]);
    EXPECT_TRUE(has(shell.lastPage(), "checked name=\"eid" + std::to_string(positionOf(first, "Sent")) + "\""));
    EXPECT_FALSE(has(shell.lastPage(), "checked name=\"eid" + std::to_string(positionOf(first, "Inbox")) + "\""));
}

TEST_F(StorePagesTest, FolderPageShowsTheTreeWithCountsAndDefaultTicks) {
    makeDefaultProfile();
    const std::optional<MailStore> store = storeOfKind(StoreKind::Thunderbird);
    ASSERT_TRUE(store);
    openFolderPage(*store);
    const std::string shown = shell.lastPage();
    const std::vector<StoreFolder> folders = readStoreFolders(*store);
    ASSERT_FALSE(folders.empty());

    EXPECT_TRUE(has(shown, "<a href=\"help:store_folders.html\">"));
    EXPECT_TRUE(has(shown, "<h2>default-release, Thunderbird</h2>\r\n\r\n<p>These are the message folders in ~/"));
    EXPECT_TRUE(has(shown, "<form action=\"webf:save\">\r\n<div class=\"hchecks\">\r\n"));
    EXPECT_TRUE(has(shown, "<input type=\"checkbox\" checked name=\"storefolders\" style=\"display: none;\">\r\n"
                           "<input type=\"checkbox\" checked name=\"mailsource\" value=\"store\" "
                           "style=\"display: none;\">\r\n</div>\r\n</form>\r\n\r\n" +
                               std::string(kFolderPageEnd)));
    // The account heading first, bold and without a box.
    EXPECT_TRUE(has(shown, "<div class=\"hchecks\">\r\n<div class=\"cline1\" style=\"font-weight: bold;\">"
                           "Local Folders</div>\r\n"));
    for (size_t i = 0; i < folders.size(); ++i) {
        const StoreFolder& f = folders[i];
        if (f.entry.storage == FolderStorage::None) continue;
        const std::string box = "name=\"eid" + std::to_string(i) + "\">";
        const std::string indent =
            f.entry.depth > 0 ? "<span style=\"width: " + indentationText(f.entry.depth) + "em;\">&nbsp;</span>" : "";
        const std::string count = " <span style=\"color: #6b7c89;\">(" + std::to_string(f.messages) + ")</span>";
        const std::string ticked = isStoreFolderTickedByDefault(f) ? "checked " : "";
        EXPECT_TRUE(has(shown, "<div class=\"cline1\">" + indent + "<input type=\"checkbox\" " + ticked + box + " " +
                                   f.entry.name + count + "</div>\r\n"))
            << f.entry.name;
    }
    // The counts and ticks of the folders made above.
    EXPECT_TRUE(has(shown, "checked name=\"eid" + std::to_string(positionOf(folders, "Inbox")) + "\"> Inbox <span "
                           "style=\"color: #6b7c89;\">(3)</span>"));
    EXPECT_TRUE(has(shown, "<input type=\"checkbox\" name=\"eid" + std::to_string(positionOf(folders, "Trash")) +
                               "\"> Trash <span style=\"color: #6b7c89;\">(1)</span>"));
    const StoreFolder& lists = folders[positionOf(folders, "Lists")];
    EXPECT_EQ(lists.entry.depth, folders[positionOf(folders, "Inbox")].entry.depth + 1);
    EXPECT_EQ(lists.messages, 2u);
}

TEST_F(StorePagesTest, EmptyFoldersAndLargeCounts) {
    // 1,234 messages in one Maildir folder, none in its Maildir++ subfolder.
    for (int n = 0; n < 1234; ++n) write("Maildir/cur/" + std::to_string(1104832800 + n) + ".x.host:2,S", "x\n");
    fs::create_directories(home.file("Maildir/new"));
    fs::create_directories(home.file("Maildir/.Empty/cur"));
    fs::create_directories(home.file("Maildir/.Empty/new"));
    const std::optional<MailStore> store = storeOfKind(StoreKind::Maildir);
    ASSERT_TRUE(store);
    openFolderPage(*store);
    const std::string shown = shell.lastPage();
    EXPECT_TRUE(has(shown, "<h2>~/Maildir, Maildir folders</h2>")) << shown;
    EXPECT_TRUE(has(shown, " <span style=\"color: #6b7c89;\">(1,234)</span></div>"));
    const std::vector<StoreFolder> folders = readStoreFolders(*store);
    const size_t empty = positionOf(folders, "Empty");
    ASSERT_LT(empty, folders.size());
    // Shown, but with a box that cannot be ticked or sent.
    EXPECT_TRUE(has(shown, "<input type=\"checkbox\" disabled> Empty <span style=\"color: #6b7c89;\">(0)</span>"));
    EXPECT_FALSE(has(shown, "name=\"eid" + std::to_string(empty) + "\""));
    // A forged tick of it is ignored.
    submitTicks({empty, folders.size() + 5});
    EXPECT_TRUE(wizard.settings.storefolders.empty());
}

TEST_F(StorePagesTest, TickedFoldersAreArchivedAndRemembered) {
    makeDefaultProfile();
    const std::optional<MailStore> store = storeOfKind(StoreKind::Thunderbird);
    ASSERT_TRUE(store);
    openFolderPage(*store);
    const std::vector<StoreFolder> folders = readStoreFolders(*store);
    const size_t inbox = positionOf(folders, "Inbox");
    const size_t lists = positionOf(folders, "Lists");
    submitTicks({inbox, lists});
    EXPECT_EQ(wizard.nav.currentPage, "webf:save");
    EXPECT_EQ(wizard.settings.source, "store");
    ASSERT_EQ(wizard.settings.storefolders.size(), 2u);
    EXPECT_EQ(wizard.settings.storefolders[0], storeFolderKey(folders[inbox]));
    EXPECT_EQ(wizard.settings.storefolders[1], storeFolderKey(folders[lists]));
    // Both formats are offered for a store, EML as chosen by default.
    EXPECT_TRUE(has(shell.lastPage(), "<input type=\"radio\" name=\"saveformat\" checked value=\"eml\">"));

    startRun("html");
    EXPECT_TRUE(has(shell.lastPage(), "<h2>Finished</h2>"));
    EXPECT_EQ(run.folderCount, 2u);
    EXPECT_EQ(run.messageCount, 5u);
    EXPECT_EQ(run.problemCount, 0u);
    EXPECT_TRUE(pathExists(archive.file("folvane.css")));

    // The choice outlives the program: a new start ticks exactly these.
    FakeShell shell2;
    ArchiveRun run2;
    Wizard later(shell2, run2);
    loadSettings(later.settings);
    EXPECT_EQ(later.settings.source, "store");
    EXPECT_EQ(later.settings.storekind, "Thunderbird");
    EXPECT_EQ(later.settings.storeroot, store->root);
    EXPECT_EQ(later.settings.storefolders, wizard.settings.storefolders);
    dispatch(later, "webf:store_folders");
    for (size_t i = 0; i < folders.size(); ++i) {
        if (!isTickableStoreFolder(folders[i])) continue;
        EXPECT_EQ(has(shell2.lastPage(), "checked name=\"eid" + std::to_string(i) + "\""), i == inbox || i == lists)
            << folders[i].entry.name;
    }

    // Run again from the remembered ticks: everything is there already.
    dispatch(later, "webf:go");
    EXPECT_EQ(run2.folderCount, 2u);
    EXPECT_EQ(run2.alreadyArchivedCount, 5u);
}

TEST_F(StorePagesTest, MaildirFoldersGoToTheRunToo) {
    makeMaildir();
    const std::optional<MailStore> store = storeOfKind(StoreKind::Maildir);
    ASSERT_TRUE(store);
    openFolderPage(*store);
    const std::vector<StoreFolder> folders = readStoreFolders(*store);
    const size_t inbox = positionOf(folders, "Inbox");
    ASSERT_LT(inbox, folders.size());
    EXPECT_EQ(folders[inbox].messages, 3u);
    submitTicks({inbox});
    const std::vector<TDbxFolderInfo> entries = tickedStoreEntries(wizard.settings);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].storage, FolderStorage::Maildir);
    startRun("eml");
    EXPECT_EQ(run.folderCount, 1u);
    EXPECT_EQ(run.messageCount, 3u);
}

TEST_F(StorePagesTest, AStoreThatIsGoneLeadsBackToTheStart) {
    makeDefaultProfile();
    const std::optional<MailStore> store = storeOfKind(StoreKind::Thunderbird);
    ASSERT_TRUE(store);
    openFolderPage(*store);
    fs::remove_all(home.file(".thunderbird"));

    dispatch(wizard, "webf:store_folders");
    const std::string shown = shell.lastPage();
    EXPECT_TRUE(has(shown, "<h2>Thunderbird</h2>\r\n\r\n<p>There was a problem &mdash; no mail folders could be "
                           "found in ~/.thunderbird/"))
        << shown;
    EXPECT_TRUE(has(shown, "<p><a href=\"webf:store_folders\">" + std::string(kBullet) + "Try again</a></p>\r\n"
                           "<p><a href=\"webf:intro\">" + kBullet + "Back to the start</a></p>\r\n\r\n</body>"));
    EXPECT_FALSE(has(shown, "<form"));
    // The old page's form, submitted late, ticks nothing; the run archives nothing.
    submitTicks({0, 1, 2});
    EXPECT_TRUE(wizard.settings.storefolders.empty());
    startRun("html");
    EXPECT_EQ(run.folderCount, 0u);
    // And the start page no longer offers it.
    dispatch(wizard, "webf:intro");
    EXPECT_FALSE(has(shell.lastPage(), "store_folders"));
}

TEST_F(StorePagesTest, OddStoredChoicesShowTheLostPage) {
    struct Case {
        const char* kind;
        std::string root;
        const char* why;
    };
    const Case cases[] = {
        {"", "", "nothing chosen yet"},
        {"Thunderbird", "", "a kind without a root"},
        {"Outlook", "/tmp", "a kind that is no store kind"},
        {"maildir", home.path(), "the kind in the wrong case"},
        {"MH", "/no\x01such\xff<folder>", "binary junk as the root"},
        {"Maildir", home.file("missing"), "a root that does not exist"},
    };
    for (const Case& c : cases) {
        wizard.settings.storekind = c.kind;
        wizard.settings.storeroot = c.root;
        const std::string shown = page("webf:store_folders");
        EXPECT_TRUE(has(shown, "Back to the start</a></p>")) << c.why;
        EXPECT_FALSE(has(shown, "<form")) << c.why;
        EXPECT_FALSE(has(shown, "<folder>")) << c.why;  // escaped
        EXPECT_TRUE(tickedStoreEntries(wizard.settings).empty()) << c.why;
    }
    wizard.settings.storeroot.clear();
    EXPECT_TRUE(has(page("webf:store_folders"), "<p>No mail store has been chosen.</p>"));
}

TEST(StoreChoice, KindsAndShownRoots) {
    for (const StoreKind kind :
         {StoreKind::Thunderbird, StoreKind::Maildir, StoreKind::Evolution, StoreKind::KMail, StoreKind::MH}) {
        EXPECT_EQ(storeKindNamed(storeKindName(kind)), kind);
    }
    EXPECT_FALSE(storeKindNamed("thunderbird"));
    EXPECT_FALSE(storeKindNamed(""));

    const std::string saved = std::getenv("HOME") ? std::getenv("HOME") : "";
    const std::pair<const char*, const char*> cases[] = {
        {"/home/ann/Maildir", "~/Maildir"},
        {"/home/ann", "~"},
        {"/home/anne/Maildir", "/home/anne/Maildir"},  // only whole names
        {"/srv/mail", "/srv/mail"},
        {"", ""},
    };
    setenv("HOME", "/home/ann/", 1);  // a trailing slash changes nothing
    for (const auto& [root, shown] : cases) EXPECT_EQ(shownStoreRoot(root), shown) << root;
    setenv("HOME", "/", 1);  // everything is inside "/": shown in full
    EXPECT_EQ(shownStoreRoot("/home/ann/Maildir"), "/home/ann/Maildir");
    setenv("HOME", saved.c_str(), 1);

    StoreFolder file;
    file.entry.storage = FolderStorage::File;
    file.entry.directory = "/p/Mail/Local Folders";
    file.entry.fileName = "Inbox";
    EXPECT_EQ(storeFolderKey(file), "/p/Mail/Local Folders/Inbox");
    StoreFolder maildir;
    maildir.entry.storage = FolderStorage::Maildir;
    maildir.entry.directory = "/h/Maildir/.Sent";
    maildir.entry.fileName = "ignored";
    EXPECT_EQ(storeFolderKey(maildir), "/h/Maildir/.Sent");

    EXPECT_EQ(storeLabel({StoreKind::Thunderbird, "work", "/x/w.work"}), "work");
    EXPECT_EQ(storeLabel({StoreKind::Thunderbird, "", "/x/w.work"}), "/x/w.work");
    EXPECT_EQ(storeLabel({StoreKind::KMail, "Local Folders", "/x/local-mail"}), "Local Folders");
    EXPECT_EQ(storeLabel({StoreKind::Maildir, "Mail", "/x/Mail"}), "/x/Mail");
    EXPECT_EQ(storeLabel({StoreKind::MH, "Mail", "/x/Mail"}), "/x/Mail");
}

}  // namespace
}  // namespace tessaly
