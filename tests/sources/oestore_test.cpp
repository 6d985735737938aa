// oestore_test.cpp - finding Outlook Express stores through a generated
// registry, and the sorted, filtered folder list of a generated Folders.dbx.
#include "sources/oestore.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/registry.h"
#include "support/dbx_writer.h"
#include "support/temp_dir.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

const char kOe[] = "\\Software\\Microsoft\\Outlook Express\\";

class OeStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        registryDeleteKey(RegistryHive::CurrentUser, "Identities");
        forgetDbxStores();
    }
    void TearDown() override {
        registryDeleteKey(RegistryHive::CurrentUser, "Identities");
        forgetDbxStores();
    }

    // An identity with its store folders (each gets a Folders.dbx unless empty).
    void addIdentity(const std::string& id, const std::string& user,
                     const std::vector<std::pair<std::string, std::string>>& versions) {
        registryWriteString(RegistryHive::CurrentUser, "Identities\\" + id, "Username", user);
        for (const auto& [version, root] : versions) {
            registryWriteString(RegistryHive::CurrentUser, "Identities\\" + id + kOe + version,
                                "Store Root", root, REG_EXPAND_SZ);
        }
    }
    std::string makeStore(const std::string& name, const std::string& tree = "x") {
        const std::string root = dir.file(name);
        fs::create_directories(root);
        test::writeFile(root + "/Folders.dbx", tree);
        return root;
    }

    test::TempDir dir;
};

TEST_F(OeStoreTest, DefaultIdentityFirstDuplicatesAndNamelessLeftOut) {
    const std::string a = makeStore("a");
    const std::string b = makeStore("b");
    const std::string c = makeStore("c");
    addIdentity("{1}", "Alice", {{"5.0", a}, {"6.0", a + "/"}});  // the same folder twice
    addIdentity("{2}", "Bob", {{"5.0", b}, {"nofile", dir.file("missing")}});
    addIdentity("{3}", "", {{"5.0", c}});  // no user name: not listed
    registryWriteString(RegistryHive::CurrentUser, "Identities", "Default User ID", "{2}");

    const std::vector<TDbxStore>& stores = loadDbxStores("");
    ASSERT_EQ(stores.size(), 2u);
    EXPECT_EQ(stores[0].userName, "Bob");
    EXPECT_EQ(stores[0].storeRoot, b);
    EXPECT_EQ(stores[1].userName, "Alice");
    EXPECT_EQ(stores[1].versionKey, "5.0");

    forgetDbxStores();
    EXPECT_EQ(loadDbxStores("Alice")[0].userName, "Alice");  // the preferred user comes first
}

TEST_F(OeStoreTest, StoreRootExpandsEnvironmentReferences) {
    const std::string root = makeStore("env");
    setenv("TESSALY_TEST_STORE", root.c_str(), 1);
    addIdentity("{1}", "Eve", {{"5.0", "%TESSALY_TEST_STORE%"}});
    const std::vector<TDbxStore>& stores = loadDbxStores("");
    ASSERT_EQ(stores.size(), 1u);
    EXPECT_EQ(stores[0].storeRoot, root);
}

std::vector<std::string> listed(const std::vector<TDbxFolderInfo>& folders) {
    std::vector<std::string> out;
    for (const TDbxFolderInfo& f : folders) {
        out.push_back(std::string(static_cast<size_t>(f.depth) * 2, ' ') + f.name + " [" +
                      std::to_string(f.kind) + "] " + f.folderPath);
    }
    return out;
}

TEST_F(OeStoreTest, FolderTreeIsSortedFlattenedAndFiltered) {
    std::vector<test::DbxTestFolder> folders = {
        {1, 0, "Account", "", "00000002", 0, 1},
        {2, 0, "Local Folders", "", "LocalStore", 0, 1},  // sorts as account 1
        {3, 2, "Projects", "Projects.dbx", "", 0, 1},
        {4, 2, "Inbox", "Inbox.dbx", "", 1, 1},
        {5, 2, "Sent Items", "Sent Items.dbx", "", 3, 1},
        {6, 2, "Deleted Items", "Deleted Items.dbx", "", 4, 1},
        {7, 6, "Below deleted", "x.dbx", "", 0, 1},  // left out with its parent
        {8, 3, "Old", "Old.dbx", "", 0, 1},
        {9, 2, "Not local", "n.dbx", "", 0, 0},  // index 0x0A is 0: not listed
        {10, 11, "Orphan", "o.dbx", "", 0, 1},   // its parent comes later: top level
        {11, 2, "Late parent", "l.dbx", "", 0, 1},
    };
    const std::string root = makeStore("tree", test::makeDbxFolderTree(folders).bytes);
    EXPECT_EQ(listed(loadDbxFoldersFromRoot(root)),
              (std::vector<std::string>{
                  "Local Folders [0] Local Folders",
                  "  Inbox [1] Local Folders/Inbox",
                  "  Sent Items [3] Local Folders/Sent Items",
                  "  Projects [6] Local Folders/Projects",
                  "    Old [6] Local Folders/Projects/Old",
                  "  Late parent [6] Local Folders/Late parent",
                  "Account [0] Account",
                  "Orphan [0] Orphan",
              }));
    EXPECT_EQ(loadDbxFoldersFromRoot(root)[4].parentPath, "Projects");
    EXPECT_EQ(loadDbxFoldersFromRoot(root)[4].directory, root);
}

TEST_F(OeStoreTest, DamagedOrMissingFolderTreeGivesAnEmptyList) {
    test::DbxTestFile tree = test::makeDbxFolderTree({{1, 0, "Local", "", "LocalStore", 0, 1}});
    test::put32(tree.bytes, tree.root + test::kNodeMarker, 99);
    EXPECT_TRUE(loadDbxFoldersFromRoot(makeStore("damaged", tree.bytes)).empty());
    EXPECT_TRUE(loadDbxFoldersFromRoot(dir.file("nowhere")).empty());
}

TEST_F(OeStoreTest, FolderListOfANamedStore) {
    std::vector<test::DbxTestFolder> folders = {{1, 0, "Local Folders", "", "LocalStore", 0, 1},
                                                {2, 1, "Inbox", "Inbox.dbx", "", 1, 1}};
    const std::string root = makeStore("named", test::makeDbxFolderTree(folders).bytes);
    addIdentity("{1}", "Alice", {{"5.0", root}});
    EXPECT_EQ(loadDbxFolders("Alice", "5.0").size(), 2u);
    EXPECT_TRUE(loadDbxFolders("Alice", "4.0").empty());
    EXPECT_EQ(loadDbxFolders("", "").size(), 2u);  // both empty: the first store
}

TEST(OeStoreDefaults, TickedFolders) {
    TDbxFolderInfo f;
    f.name = "Inbox";
    f.kind = 1;
    EXPECT_TRUE(isTickedByDefault(f));
    f.kind = 0;
    EXPECT_FALSE(isTickedByDefault(f));  // top-level nodes are headings
    f.kind = 6;
    f.name = "OutBox";
    EXPECT_FALSE(isTickedByDefault(f));
    for (uint8_t kind : {2, 4, 5}) {
        f.name = "x";
        f.kind = kind;
        EXPECT_FALSE(isTickedByDefault(f));
    }
}

}  // namespace
}  // namespace tessaly
