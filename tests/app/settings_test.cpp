// settings_test.cpp - loading, saving and form input of the settings.
#include "app/settings.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "message/text.h"
#include "platform/folders.h"
#include "platform/registry.h"
#include "sources/oestore.h"

namespace tessaly {
namespace {

const std::string kSampleStore = TESSALY_TEST_DATA_DIR "/../../samples/oe-store";

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override { registryDeleteKey(RegistryHive::CurrentUser, "Software\\Velmo"); }
    void TearDown() override {
        registryDeleteKey(RegistryHive::CurrentUser, "Software\\Velmo");
    }
    static void store(const std::string& name, const std::string& text, uint32_t type = REG_SZ) {
        ASSERT_TRUE(registryWriteString(RegistryHive::CurrentUser, kSettingsKey, name, text, type));
    }
    static void storeNumber(const std::string& name, uint32_t number) {
        ASSERT_TRUE(registryWriteDword(RegistryHive::CurrentUser, kSettingsKey, name, number));
    }
    static Settings loaded() {
        Settings s;
        loadSettings(s);
        return s;
    }
};

TEST_F(SettingsTest, FirstStartTakesTheDefaults) {
    const Settings s = loaded();
    EXPECT_EQ(s.source, "");
    EXPECT_EQ(s.saveformat, "eml");
    EXPECT_EQ(s.savedir, documentsFolder() + "/Email Archive");
    EXPECT_TRUE(s.usesubfolders);
    EXPECT_EQ(s.decodeLimit, 102400u);
    EXPECT_FALSE(s.viruswarned);
    EXPECT_FALSE(s.bmfext);
    EXPECT_TRUE(s.mapifolders.empty());
    EXPECT_TRUE(s.dbxfolders.empty());
    // Loading writes nothing.
    EXPECT_FALSE(registryKeyExists(RegistryHive::CurrentUser, kSettingsKey));
}

TEST_F(SettingsTest, OnlyTheExactTextHtmlChoosesPages) {
    const std::pair<const char*, const char*> cases[] = {
        {"html", "html"}, {"HTML", "eml"}, {"htm", "eml"}, {" html", "eml"}, {"eml", "eml"}, {"", "eml"},
    };
    for (const auto& [stored, expected] : cases) {
        store("saveformat", stored);
        EXPECT_EQ(loaded().saveformat, expected) << '"' << stored << '"';
    }
}

TEST_F(SettingsTest, ValuesOfOddTypesAndNumbers) {
    storeNumber("usesubfolders", 0);
    storeNumber("bmfext", 7);      // any non-zero number is true
    store("viruswarned", "1");     // a flag stored as text is unreadable: default
    storeNumber("decode_limit", 0);  // 0 means "not measured yet"
    store("savedir", "%HOME%/Mail archive", REG_EXPAND_SZ);
    Settings s = loaded();
    EXPECT_FALSE(s.usesubfolders);
    EXPECT_TRUE(s.bmfext);
    EXPECT_FALSE(s.viruswarned);
    EXPECT_EQ(s.decodeLimit, 102400u);
    EXPECT_EQ(s.savedir, std::string(getenv("HOME")) + "/Mail archive");

    storeNumber("decode_limit", 5000);
    s = loaded();
    EXPECT_EQ(s.decodeLimit, 5000u);
}

TEST_F(SettingsTest, SaveAndLoadRoundTrip) {
    Settings s = loaded();
    s.source = "dbx";
    s.savedir = "/srv/archive/Caf\xC3\xA9 mail";
    s.saveformat = "html";
    s.usesubfolders = false;
    s.mapifn = "/home/ann/old/Outlook.pst";
    s.dbxname = "Main Identity";
    s.dbxver = "5.0";
    s.dbxdir = "/mnt/old disk/Outlook Express";
    s.bmfdir = "/home/ann/Mail";
    s.bmfext = true;
    s.emldir = "/mnt/old disk/Windows Mail";
    s.viruswarned = true;
    s.mapifolders = {"Inbox", "Sent Items", "Gel\xC3\xB6schte & <alte> 100%"};
    s.dbxfolders = {"Local Folders", "Posteingang \xE5\x8F\x97"};
    s.storekind = "Thunderbird";
    s.storeroot = "/home/ann/.thunderbird/x y.default";
    s.storefolders = {"Local Folders/Inbox", "ann@example.org/INBOX/Caf\xC3\xA9 & 50%"};
    s.decodeLimit = 77777;
    saveSettings(s);

    RegistryValue value;
    ASSERT_TRUE(registryReadValue(RegistryHive::CurrentUser, kSettingsKey, "mapifolders", value));
    EXPECT_EQ(value.type, REG_SZ);
    EXPECT_EQ(value.data, "Inbox Sent%20Items Gel%C3%B6schte%20%26%20%3Calte%3E%20100%25");
    ASSERT_TRUE(registryReadValue(RegistryHive::CurrentUser, kSettingsKey, "usesubfolders", value));
    EXPECT_EQ(value.type, REG_DWORD);
    // The chosen library is written too.
    EXPECT_TRUE(registryReadValue(RegistryHive::CurrentUser, kSettingsKey, "mapilib", value));

    const Settings back = loaded();
    EXPECT_EQ(back.source, s.source);
    EXPECT_EQ(back.savedir, s.savedir);
    EXPECT_EQ(back.saveformat, s.saveformat);
    EXPECT_EQ(back.usesubfolders, s.usesubfolders);
    EXPECT_EQ(back.mapifn, s.mapifn);
    EXPECT_EQ(back.dbxname, s.dbxname);
    EXPECT_EQ(back.dbxver, s.dbxver);
    EXPECT_EQ(back.dbxdir, s.dbxdir);
    EXPECT_EQ(back.bmfdir, s.bmfdir);
    EXPECT_EQ(back.bmfext, s.bmfext);
    EXPECT_EQ(back.emldir, s.emldir);
    EXPECT_EQ(back.viruswarned, s.viruswarned);
    EXPECT_EQ(back.decodeLimit, 77777u);
    EXPECT_EQ(back.mapifolders, s.mapifolders);
    EXPECT_EQ(back.dbxfolders, s.dbxfolders);
    EXPECT_EQ(back.storekind, s.storekind);
    EXPECT_EQ(back.storeroot, s.storeroot);
    EXPECT_EQ(back.storefolders, s.storefolders);
}

TEST_F(SettingsTest, FormFieldsChangeOnlyWhatIsPresent) {
    Settings s = loaded();
    s.mapiprofile = "Outlook";
    s.mapistore = "Personal Folders";
    readFormFields(s, decodeQuery("webf:mapi_folders?mailsource=mapi&mapifn=%2Ftmp%2Fa.pst"));
    EXPECT_EQ(s.source, "mapi");
    EXPECT_EQ(s.mapifn, "/tmp/a.pst");
    EXPECT_EQ(s.mapiprofile, "");  // a file replaces profile and store
    EXPECT_EQ(s.mapistore, "");

    readFormFields(s, decodeQuery("webf:mapi_folders?mapiprofile=P&mapistore=S"));
    EXPECT_EQ(s.mapifn, "");
    EXPECT_EQ(s.mapiprofile, "P");
    EXPECT_EQ(s.mapistore, "S");

    s.usesubfolders = true;
    readFormFields(s, decodeQuery("webf:go?usesubfolders=maybe&saveformat=HTML"));
    EXPECT_TRUE(s.usesubfolders);  // neither "yes" nor "no": unchanged
    EXPECT_EQ(s.saveformat, "HTML");  // stored as submitted
    readFormFields(s, decodeQuery("webf:go?usesubfolders=no"));
    EXPECT_FALSE(s.usesubfolders);
    readFormFields(s, decodeQuery("webf:go?usesubfolders=yes"));
    EXPECT_TRUE(s.usesubfolders);

    // The folder field shows the documents folder by its name.
    readFormFields(s, decodeQuery("webf:go?savedir=" + percentEncode(baseName(documentsFolder())) + "%2FOld+mail"));
    EXPECT_EQ(s.savedir, documentsFolder() + "/Old mail");
    // The EML folder is a source of its own: the archive folder stays.
    readFormFields(s, decodeQuery("webf:go?mailsource=eml&emldir=+" +
                                  percentEncode(baseName(documentsFolder())) + "%2FMail+"));
    EXPECT_EQ(s.emldir, documentsFolder() + "/Mail");  // typed with blanks around
    EXPECT_EQ(s.savedir, documentsFolder() + "/Old mail");

    s.dbxname = "Ann";
    s.dbxver = "5.0";
    readFormFields(s, decodeQuery("dlg:dbx_dir?dbxdir=%2Fmnt%2Foe"));
    EXPECT_EQ(s.dbxname, "");
    EXPECT_EQ(s.dbxver, "");
    EXPECT_EQ(s.dbxdir, "/mnt/oe");
    // An identity number that is no number, or too large, only drops the folder.
    readFormFields(s, decodeQuery("webf:dbx_folders?dbxid=x1"));
    EXPECT_EQ(s.dbxdir, "");
    EXPECT_EQ(s.dbxname, "");
    s.dbxdir = "/mnt/oe";
    readFormFields(s, decodeQuery("webf:dbx_folders?dbxid=99999999999999999999"));
    EXPECT_EQ(s.dbxdir, "");

    // A store link names the store; its folders are chosen on the next page.
    s.storefolders = {"Inbox"};
    readFormFields(s, decodeQuery("webf:store_folders?mailsource=store&storekind=Maildir&storeroot=%2Fh%2FMaildir"));
    EXPECT_EQ(s.source, "store");
    EXPECT_EQ(s.storekind, "Maildir");
    EXPECT_EQ(s.storeroot, "/h/Maildir");
    EXPECT_EQ(s.storefolders, std::vector<std::string>{"Inbox"});
    // The marker of a store that is gone: nothing can be ticked.
    readFormFields(s, decodeQuery("webf:save?eid0=on&storefolders=on"));
    EXPECT_TRUE(s.storefolders.empty());
}

TEST_F(SettingsTest, MarkerFieldsWithNothingTicked) {
    Settings s = loaded();
    s.dbxdir = kSampleStore;
    s.dbxfolders = {"Inbox"};
    s.dbxFilesToArchive.resize(2);
    s.mapifolders = {"Inbox"};
    // A folder page submitted with no box ticked sends only its markers.
    readFormFields(s, decodeQuery("webf:save?dbxfolders=on&mailsource=dbx"));
    EXPECT_TRUE(s.dbxfolders.empty());
    EXPECT_TRUE(s.dbxFilesToArchive.empty());
    EXPECT_EQ(s.mapifolders, std::vector<std::string>{"Inbox"});  // no marker, no change
    readFormFields(s, decodeQuery("webf:save?mapifolders=on"));
    EXPECT_TRUE(s.mapifolders.empty());

    // Ticked boxes name folders by their position in the store's list.
    const std::vector<TDbxFolderInfo>& folders = currentDbxFolders(s);
    ASSERT_GE(folders.size(), 3u);
    readFormFields(s, decodeQuery("webf:save?eid1=on&eid2=on&eid99=on&dbxfolders=on"));
    EXPECT_EQ(s.dbxfolders, (std::vector<std::string>{folders[1].name, folders[2].name}));
    // Without the marker, ticks are not read.
    readFormFields(s, decodeQuery("webf:save?eid0=on"));
    EXPECT_EQ(s.dbxfolders.size(), 2u);
}

}  // namespace
}  // namespace tessaly
