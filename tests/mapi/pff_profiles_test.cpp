// pff_profiles_test.cpp - the provider's profiles and services in the
// registry: the documents profile with the .pst files of "Outlook Files",
// the temporary profile, and what administration refuses.
#include <gtest/gtest.h>

#ifdef TESSALY_HAVE_LIBPFF

#include <filesystem>

#include "mapi/library_loader.h"
#include "mapi/mapi_state.h"
#include "mapi/outlook.h"
#include "mapi/pff_profiles.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/registry.h"
#include "support/temp_dir.h"

namespace tessaly::test {
namespace {

namespace fs = std::filesystem;

const std::string kFixtures = TESSALY_FIXTURES_DIR;

class ProfilesTest : public ::testing::Test {
protected:
    void SetUp() override { clean(); }
    void TearDown() override { clean(); }
    void clean() {
        CloseMapi();
        resetMapiState();
        registryDeleteKey(RegistryHive::CurrentUser, pff::kProfilesKey);
        std::error_code ignored;
        fs::remove_all(outlookFiles(), ignored);
    }
    static std::string outlookFiles() { return documentsFolder() + "/Outlook Files"; }
    static void place(const std::string& fixture, const std::string& as) {
        fs::create_directories(outlookFiles());
        fs::copy_file(kFixtures + "/" + fixture, outlookFiles() + "/" + as, fs::copy_options::overwrite_existing);
    }
    static std::vector<std::string> stores() {
        std::vector<std::string> lines;
        for (const mapi_TStoreInfo& s : mapiStores()) lines.push_back(s.profile + "|" + s.store + "|" + std::to_string(s.kind));
        return lines;
    }
};

TEST_F(ProfilesTest, DocumentsProfileListsTheOutlookFiles) {
    if (!isFolder(kFixtures)) GTEST_SKIP() << "no fixture folder at " << kFixtures;
    EnsureStores("mapi32.dll");
    // Created without asking, as the default profile, empty at first.
    EXPECT_EQ(stores(), std::vector<std::string>{"Outlook||0"});
    EXPECT_EQ(pff::defaultProfile(), "Outlook");

    place("tika-testPST_variousBodyTypes.pst", "work.pst");
    place("pstsdk-sample1.pst", "Archive 2010.PST");
    writeFile(outlookFiles() + "/notes.txt", "not a store");
    EnsureStores("mapi32.dll");
    EXPECT_EQ(stores(), (std::vector<std::string>{"Outlook||0", "Outlook|Archive 2010|2", "Outlook|work|2"}));

    EnsureFolders(nullptr, "Outlook", "work");
    ASSERT_EQ(mapiFolders().size(), 2u);
    EXPECT_EQ(mapiFolders()[1].path, "Inbox\\tmp");

    // A file that goes takes its store with it; the rest stays.
    fs::remove(outlookFiles() + "/work.pst");
    EnsureStores("mapi32.dll");
    EXPECT_EQ(stores(), (std::vector<std::string>{"Outlook||0", "Outlook|Archive 2010|2"}));
}

TEST_F(ProfilesTest, TemporaryProfileIsNeverListedAndGoesAtClose) {
    if (!isFolder(kFixtures)) GTEST_SKIP() << "no fixture folder at " << kFixtures;
    EnsureStores("mapi32.dll");
    EnsureFoldersFn(nullptr, kFixtures + "/pstsdk-sample2.pst");
    EXPECT_TRUE(pff::profileExists(kTemporaryProfile));
    ASSERT_EQ(pff::profileServices(kTemporaryProfile).size(), 1u);
    EXPECT_EQ(pff::profileServices(kTemporaryProfile)[0].displayName, kTemporaryStore);
    EXPECT_EQ(pff::profileServices(kTemporaryProfile)[0].pstPath, kFixtures + "/pstsdk-sample2.pst");

    EnsureStores("mapi32.dll");
    EXPECT_EQ(stores(), std::vector<std::string>{"Outlook||0"});
    CloseMapi();
    EXPECT_FALSE(pff::profileExists(kTemporaryProfile));
}

TEST_F(ProfilesTest, AdministrationRefusals) {
    std::unique_ptr<MapiLibrary> library = loadMapiLibrary("C:\\Windows\\System32\\MAPI32.DLL");
    ASSERT_NE(library, nullptr);
    std::shared_ptr<IProfAdmin> admin;
    EXPECT_EQ(library->MAPIAdminProfiles(0, admin), MAPI_E_NOT_INITIALIZED);
    ASSERT_EQ(library->MAPIInitialize(nullptr), SUCCESS_SUCCESS);
    ASSERT_EQ(library->MAPIAdminProfiles(0, admin), SUCCESS_SUCCESS);

    EXPECT_EQ(admin->CreateProfile("Work", "", nullptr, 0), SUCCESS_SUCCESS);
    EXPECT_EQ(admin->CreateProfile("work", "", nullptr, 0), MAPI_E_NO_ACCESS);  // names ignore letter case
    EXPECT_EQ(admin->CreateProfile("a\\b", "", nullptr, 0), MAPI_E_INVALID_PARAMETER);
    EXPECT_EQ(admin->CreateProfile("", "", nullptr, 0), MAPI_E_INVALID_PARAMETER);
    EXPECT_EQ(admin->DeleteProfile("Nobody", 0), MAPI_E_NOT_FOUND);

    std::shared_ptr<IMsgServiceAdmin> services;
    EXPECT_EQ(admin->AdminServices("Nobody", "", nullptr, 0, services), MAPI_E_NOT_FOUND);
    ASSERT_EQ(admin->AdminServices("Work", "", nullptr, 0, services), SUCCESS_SUCCESS);
    EXPECT_EQ(services->CreateMsgService("MSEMS", "Exchange", nullptr, 0), MAPI_E_NOT_FOUND);
    EXPECT_EQ(services->CreateMsgService("MSPST MS", "Mine", nullptr, 0x4), MAPI_E_UNKNOWN_FLAGS);
    ASSERT_EQ(services->CreateMsgService("MSPST MS", "Mine", nullptr, SERVICE_UI_ALLOWED), SUCCESS_SUCCESS);

    std::shared_ptr<IMAPITable> table;
    RowSet rows;
    ASSERT_EQ(services->GetMsgServiceTable(0, table), SUCCESS_SUCCESS);
    ASSERT_EQ(table->QueryAllRows({PR_SERVICE_UID, PR_DISPLAY_NAME}, rows), SUCCESS_SUCCESS);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0].bytes.size(), 16u);
    EXPECT_EQ(rows[0][1].bytes, "Mine");
    // The provider cannot create stores: a path that names no file is refused.
    EXPECT_EQ(services->ConfigureMsgService(rows[0][0].bytes, nullptr, 0, {textValue(PR_PST_PATH, "/no/such.pst")}),
              MAPI_E_NOT_FOUND);
    EXPECT_EQ(services->ConfigureMsgService(std::string(16, 'x'), nullptr, 0, {}), MAPI_E_NOT_FOUND);

    // A logon to an unknown profile fails; a profile without stores has an
    // empty store table.
    std::shared_ptr<IMAPISession> session;
    EXPECT_EQ(library->MAPILogonEx(nullptr, "Nobody", "", 0, session), MAPI_E_LOGON_FAILED);
    ASSERT_EQ(library->MAPILogonEx(nullptr, "Work", "", 0, session), SUCCESS_SUCCESS);
    ASSERT_EQ(session->GetMsgStoresTable(0, table), SUCCESS_SUCCESS);
    ASSERT_EQ(table->QueryAllRows({}, rows), SUCCESS_SUCCESS);
    EXPECT_TRUE(rows.empty());
    std::shared_ptr<IMsgStore> store;
    EXPECT_EQ(session->OpenMsgStore(nullptr, "junk", 0, store), MAPI_E_INVALID_ENTRYID);

    EXPECT_EQ(admin->DeleteProfile("WORK", 0), SUCCESS_SUCCESS);
    EXPECT_FALSE(pff::profileExists("Work"));
    library->MAPIUninitialize();
}

}  // namespace
}  // namespace tessaly::test

#endif
