// stores_test.cpp - loading a library, listing profiles and stores, opening
// a store, mounting a .pst through the temporary profile, closing down; all
// against the in-memory library.
#include <gtest/gtest.h>

#include "mapi/fake_mapi.h"
#include "mapi/mapi_state.h"
#include "mapi/outlook.h"

namespace tessaly::test {
namespace {

FakeStore store(const std::string& name, bool isDefault = false) {
    FakeStore s;
    s.name = name;
    s.isDefault = isDefault;
    s.top.name = "Top";
    FakeFolder inbox;
    inbox.name = name + " mail";
    s.top.children.push_back(inbox);
    return s;
}

std::vector<std::string> storeList() {
    std::vector<std::string> lines;
    for (const mapi_TStoreInfo& s : mapiStores()) {
        lines.push_back(s.profile + "|" + s.store + "|" + std::to_string(s.kind));
    }
    return lines;
}

std::vector<std::string> folderNames() {
    std::vector<std::string> names;
    for (const mapi_TFolderInfo& f : mapiFolders()) names.push_back(f.name);
    return names;
}

using StoresTest = FakeMapiTest;

TEST_F(StoresTest, ProfilesDefaultFirstTemporaryHiddenFailuresKept) {
    FakeProfile a{"A"};
    a.stores = {store("a1"), store("a2", true)};
    FakeProfile b{"B", true};
    b.stores = {store("b1")};
    FakeProfile broken{"C"};
    broken.logonFails = true;
    FakeProfile noTable{"D"};
    noTable.storeTableFails = true;
    world->profiles = {a, b, FakeProfile{kTemporaryProfile}, FakeProfile{""}, broken, noTable};
    load();

    // B is the default profile; a2 the default store of A; C and D failed.
    EXPECT_EQ(storeList(), (std::vector<std::string>{"B||0", "B|b1|2", "A||0", "A|a2|2", "A|a1|2", "C||1",
                                                      "D||1"}));
    EXPECT_NE(mapiTrace().find("Couldn't MAPI.LogonEx(C) "), std::string::npos);
    EXPECT_NE(mapiTrace().find("Couldn't session->GetMsgStoresTable "), std::string::npos);
    // Listing logs on with MAPI_NO_MAIL, MAPI_EXTENDED and MAPI_NEW_SESSION.
    EXPECT_EQ(world->count("MAPILogonEx(A,32802)"), 1u);
    EXPECT_EQ(world->count("Logoff(A)"), 1u);
}

TEST_F(StoresTest, MissingEntryPointLeavesNoLibraryAndTriesAgain) {
    world->missingEntryPoints = {"RTFSync"};
    world->profiles = {FakeProfile{"A"}};
    load();
    EXPECT_TRUE(mapiStores().empty());
    EXPECT_EQ(mapiTrace(), "EnsureStores: Couldn't GetProcAddresses ");
    EXPECT_EQ(world->count("MAPIInitialize"), 0u);

    // The same path again loads again rather than calling a missing library.
    world->missingEntryPoints.clear();
    EnsureStores("fake.dll");
    EXPECT_EQ(storeList(), (std::vector<std::string>{"A||0"}));
}

TEST_F(StoresTest, FailedInitialisationUnloads) {
    world->initializeFails = true;
    load();
    EXPECT_NE(mapiTrace().find("Couldn't MAPInitialize "), std::string::npos);
    EXPECT_TRUE(mapiStores().empty());
    EnsureFolders(nullptr, "A", "a1");
    EXPECT_NE(mapiTrace().find("Failed getprocaddress "), std::string::npos);
}

TEST_F(StoresTest, UnknownLibraryPath) {
    EnsureStores("nowhere.dll");
    EXPECT_EQ(mapiTrace(), "EnsureStores: Couldn't GetProcAddresses ");
}

TEST_F(StoresTest, SameStoreTwiceLogsOnOnceAndOtherStoreKeepsTheSession) {
    FakeProfile a{"A"};
    a.stores = {store("a1"), store("a2")};
    world->profiles = {a};
    load();
    EnsureFolders(nullptr, "A", "a1");
    EnsureFolders(nullptr, "A", "a1");
    // The folder page logs on with the password dialog allowed (0x28022).
    EXPECT_EQ(world->count("MAPILogonEx(A,163874)"), 1u);
    EXPECT_EQ(folderNames(), std::vector<std::string>{"a1 mail"});
    EXPECT_TRUE(mapiStoreOpen());

    EnsureFolders(nullptr, "A", "a2");
    EXPECT_EQ(world->count("MAPILogonEx(A,163874)"), 1u);
    EXPECT_EQ(folderNames(), std::vector<std::string>{"a2 mail"});
}

TEST_F(StoresTest, StoreThatWillNotOpenEndsTheSession) {
    FakeProfile a{"A"};
    a.stores = {store("a1")};
    a.stores[0].openFails = true;
    world->profiles = {a};
    load();
    EnsureFolders(nullptr, "A", "a1");
    EXPECT_TRUE(folderNames().empty());
    EXPECT_FALSE(mapiStoreOpen());
    EXPECT_NE(mapiTrace().find("EnsureFolders: Failed to OpenMsgStore(a1)msgstore=0. "), std::string::npos);
    EXPECT_EQ(world->count("Logoff(A)"), 2u);  // the listing's and this one's

    // Not remembered as open: asking again tries again.
    EnsureFolders(nullptr, "A", "a1");
    EXPECT_EQ(world->count("MAPILogonEx(A,163874)"), 2u);
}

TEST_F(StoresTest, StoreNameNotInTheTable) {
    FakeProfile a{"A"};
    a.stores = {store("a1")};
    world->profiles = {a};
    load();
    EnsureFolders(nullptr, "A", "gone");
    EXPECT_NE(mapiTrace().find("msgstore=0. "), std::string::npos);
    EXPECT_EQ(world->count("OpenMsgStore(a1)"), 0u);
}

TEST_F(StoresTest, MountingAPstReplacesALeftoverTemporaryProfile) {
    world->profiles = {FakeProfile{kTemporaryProfile}, FakeProfile{"A"}};
    world->pstFiles["/x/one.pst"] = store("one");
    world->refuseServiceFlags = true;
    load();

    EnsureFoldersFn(nullptr, "/x/one.pst");
    EXPECT_EQ(folderNames(), std::vector<std::string>{"one mail"});
    EXPECT_EQ(world->count("DeleteProfile(Velmo's Crazy Profile (folvane))"), 1u);
    EXPECT_EQ(world->count("CreateProfile(Velmo's Crazy Profile (folvane))"), 1u);
    // Refused with SERVICE_UI_ALLOWED, created again without flags.
    EXPECT_EQ(world->count("CreateMsgService(MSPST MS,16)"), 1u);
    EXPECT_EQ(world->count("CreateMsgService(MSPST MS,0)"), 1u);
    EXPECT_EQ(world->count("OpenMsgStore(Velmo's Zany Message Store)"), 1u);

    // Closing deletes the temporary profile and uninitialises.
    CloseMapi();
    EXPECT_EQ(world->count("DeleteProfile(Velmo's Crazy Profile (folvane))"), 2u);
    EXPECT_EQ(world->profile(kTemporaryProfile), nullptr);
    EXPECT_EQ(world->count("MAPIUninitialize"), 1u);
}

TEST_F(StoresTest, SecondPstReplacesTheFirstFoldersAndADamagedOneLeavesNone) {
    world->profiles = {FakeProfile{"A"}};
    world->pstFiles["/x/one.pst"] = store("one");
    world->pstFiles["/x/two.pst"] = store("two");
    world->pstFiles["/x/bad.pst"] = store("bad");
    world->pstFiles["/x/bad.pst"].openFails = true;
    load();

    EnsureFoldersFn(nullptr, "/x/one.pst");
    EnsureFoldersFn(nullptr, "/x/two.pst");
    EXPECT_EQ(folderNames(), std::vector<std::string>{"two mail"});

    EnsureFoldersFn(nullptr, "/x/bad.pst");
    EXPECT_TRUE(folderNames().empty());
    EXPECT_FALSE(mapiStoreOpen());
    EXPECT_NE(mapiTrace().find("Failed to OpenMsgStore(Velmo's Zany Message Store)msgstore=0. "),
              std::string::npos);
}

TEST_F(StoresTest, MountingWithoutALibrary) {
    EnsureFoldersFn(nullptr, "/x/one.pst");
    EXPECT_EQ(mapiTrace(), "EnsureFoldersFn: Failed GetProcAddress ");
}

}  // namespace
}  // namespace tessaly::test
