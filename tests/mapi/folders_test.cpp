// folders_test.cpp - the folder walk: which folders hold e-mail, their
// depths and paths, special folders found by id, and damaged trees.
#include <gtest/gtest.h>

#include "mapi/fake_mapi.h"
#include "mapi/mapi_state.h"
#include "mapi/outlook.h"

namespace tessaly::test {
namespace {

FakeFolder folder(const std::string& name, const std::string& cls = "", std::vector<FakeFolder> children = {}) {
    FakeFolder f;
    f.name = name;
    f.containerClass = cls;
    f.id = "id:" + name;
    f.children = std::move(children);
    return f;
}

struct Row {
    int depth;
    std::string name;
    std::string path;
    int code;
};

std::vector<Row> listed() {
    std::vector<Row> rows;
    for (const mapi_TFolderInfo& f : mapiFolders()) rows.push_back({f.depth, f.name, f.path, f.folderClass});
    return rows;
}

void expectRows(const std::vector<Row>& want) {
    const std::vector<Row> got = listed();
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(got[i].depth, want[i].depth) << want[i].name;
        EXPECT_EQ(got[i].name, want[i].name);
        EXPECT_EQ(got[i].path, want[i].path) << want[i].name;
        EXPECT_EQ(got[i].code, want[i].code) << want[i].name;
    }
}

class FoldersTest : public FakeMapiTest {
protected:
    void open(FakeStore store) {
        FakeProfile profile{"P"};
        store.name = "S";
        profile.stores = {std::move(store)};
        world->profiles = {profile};
        load();
        EnsureFolders(nullptr, "P", "S");
    }
};

TEST_F(FoldersTest, ClassifiesByIdThenByContainerClass) {
    FakeStore store;
    store.top = folder("Top", "", {
        folder("Inbox", "IPF.Note", {folder("Projects")}),       // receive folder; child walked
        folder("Outbox", "IPF.Note", {folder("Queued")}),        // left out with all below
        folder("Sent Items", "IPF.Note", {folder("2003")}),      // listed, child walked
        folder("Deleted Items", "IPF.Note", {folder("Old")}),    // left out with all below
        folder("Calendar", "IPF.Appointment"),
        folder("Contacts", "IPF.Note"),                          // an id wins over the class
        folder("Journal", "IPF.Journal"),
        folder("Notes", "IPF.StickyNote"),
        folder("Tasks", "IPF.Task"),
        folder("Custom", "IPF.Note.Custom"),                     // prefix match
        folder("Imap", "IPF.Imap"),
        folder("Imapx", "IPF.Imapx"),                            // not exactly IP..Imap
        folder("Posts", "IPF.Post"),                             // any other IP.. class
        folder("Plain"),                                         // no class at all
        folder("Odd", "XYZ.Note"),                               // not an IP class
        folder("Short", "IPF"),                                  // too short to rewrite
    });
    store.receiveFolder = "id:Inbox";
    store.props = {binaryValue(PR_IPM_OUTBOX_ENTRYID, "id:Outbox"), binaryValue(PR_IPM_SENTMAIL_ENTRYID, "id:Sent Items"),
                   binaryValue(PR_IPM_WASTEBASKET_ENTRYID, "id:Deleted Items")};
    store.top.children[0].props = {binaryValue(PR_IPM_CONTACT_ENTRYID, "id:Contacts")};
    open(store);

    expectRows({{0, "Inbox", "Inbox", 0},
                {1, "Projects", "Inbox\\Projects", 11},
                {0, "Sent Items", "Sent Items", 2},
                {1, "2003", "Sent Items\\2003", 11},
                {0, "Custom", "Custom", 10},
                {0, "Imap", "Imap", 10},
                {0, "Plain", "Plain", 11},
                {0, "Odd", "Odd", 11},
                {0, "Short", "Short", 11}});
}

// Sibling folders of one name get paths of their own (and so do their
// children); the Drafts folder is the one the receive folder names.
TEST_F(FoldersTest, FoldersOfOnePathAreNumberedAndDraftsIsKnownById) {
    FakeStore store;
    FakeFolder projects2 = folder("Projects", "", {folder("Sub")});
    projects2.id = "id:second projects";
    FakeFolder otherDrafts = folder("Drafts");
    otherDrafts.id = "id:not the drafts";
    FakeFolder inbox = folder("Inbox");
    inbox.props = {binaryValue(PR_IPM_DRAFTS_ENTRYID, "id:Drafts")};
    store.top = folder("Top", "", {inbox, otherDrafts, folder("Drafts"), folder("Projects"), projects2,
                                   folder("Projects;2")});
    store.receiveFolder = "id:Inbox";
    open(store);
    expectRows({{0, "Inbox", "Inbox", 0},
                {0, "Drafts", "Drafts", 11},
                {0, "Drafts", "Drafts;2", 11},
                {0, "Projects", "Projects", 11},
                {0, "Projects", "Projects;2", 11},
                {1, "Sub", "Projects;2\\Sub", 11},
                {0, "Projects;2", "Projects;2;2", 11}});
    std::vector<bool> drafts;
    for (const mapi_TFolderInfo& f : mapiFolders()) drafts.push_back(f.drafts);
    EXPECT_EQ(drafts, (std::vector<bool>{false, false, true, false, false, false, false}));
}

TEST_F(FoldersTest, WithoutADraftsIdTheTopFolderNamedDraftsIsTheOne) {
    FakeStore store;
    FakeFolder otherDrafts = folder("Drafts");
    otherDrafts.id = "id:second";
    store.top = folder("Top", "", {folder("Old", "", {folder("Drafts")}), folder("Drafts"), otherDrafts});
    open(store);
    std::vector<std::string> marked;
    for (const mapi_TFolderInfo& f : mapiFolders()) {
        if (f.drafts) marked.push_back(f.path);
    }
    EXPECT_EQ(marked, std::vector<std::string>{"Drafts"});
}

TEST_F(FoldersTest, EmptySpecialIdsMatchNothing) {
    FakeStore store;
    store.top = folder("Top", "", {folder("A"), folder("B")});
    store.top.children[1].hidesId = true;  // a folder without an id of its own
    store.props = {binaryValue(PR_IPM_OUTBOX_ENTRYID, "")};
    open(store);
    expectRows({{0, "A", "A", 11}, {0, "B", "B", 11}});
}

TEST_F(FoldersTest, TopFolderWithMessagesIsListedFirst) {
    FakeStore store;
    store.top = folder("Top of store", "", {folder("Inbox", "IPF.Note")});
    store.top.messages.resize(2);
    open(store);
    expectRows({{0, "Top of store", "Top of store", 11}, {0, "Inbox", "Inbox", 10}});
}

TEST_F(FoldersTest, FolderThatWillNotOpenIsSkipped) {
    FakeStore store;
    store.top = folder("Top", "", {folder("A"), folder("B", "", {folder("C")}), folder("D")});
    store.top.children[1].openFails = true;
    open(store);
    expectRows({{0, "A", "A", 11}, {0, "D", "D", 11}});
    EXPECT_NE(mapiTrace().find("Failed to OpenEntry(folder) "), std::string::npos);
}

TEST_F(FoldersTest, AFolderListedInsideItselfIsWalkedOnce) {
    FakeStore store;
    FakeFolder loop = folder("Loop");
    loop.children = {folder("Loop")};  // same id below itself
    store.top = folder("Top", "", {loop});
    open(store);
    expectRows({{0, "Loop", "Loop", 11}});
}

TEST_F(FoldersTest, StoreWithoutTopFolder) {
    FakeStore store;
    store.top = folder("Top");
    store.top.openFails = true;
    open(store);
    EXPECT_TRUE(mapiFolders().empty());
    EXPECT_NE(mapiTrace().find("ipmroot=0 "), std::string::npos);
}

}  // namespace
}  // namespace tessaly::test
