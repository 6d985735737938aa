// store_parsers_test.cpp - the text files stores are found by: profiles.ini,
// prefs.js and the nmh profile; and the names Thunderbird keeps its own
// files under.
#include <gtest/gtest.h>

#include <string>

#include "sources/mh_folders.h"
#include "sources/thunderbird_accounts.h"
#include "sources/thunderbird_folders.h"
#include "sources/thunderbird_prefs.h"
#include "sources/thunderbird_profiles.h"

namespace tessaly {
namespace {

using namespace std::string_literals;

TEST(ProfilesIni, SectionsKeysAndJunk) {
    const std::string text =
        "\xEF\xBB\xBF[General]\r\nStartWithLastProfile=1\r\n\r\n"
        "[Profile1]\r\nName=work\r\nIsRelative=0\r\nPath=/data/tb/work\r\n\r\n"
        "\x01\x02 binary junk \xFF\r\n"
        "; a comment\n"
        "[profile0]\nname = default-release \nisrelative=1\npath=Profiles/abc.default-release\ndefault=1\n"
        "[Profile2]\nName=no path\n"
        "[Profile3]\nPath=/abs/without/flag\n"
        "[Install4F96D1932A9F858E]\nDefault=Profiles/abc.default-release\nLocked=1\n"
        "[InstallSecond]\nDefault=ignored\n"
        "[Profile4";  // cut off
    const ProfilesIni ini = parseProfilesIni(text);
    ASSERT_EQ(ini.profiles.size(), 3u);
    EXPECT_EQ(ini.profiles[0].name, "work");
    EXPECT_FALSE(ini.profiles[0].isRelative);
    EXPECT_EQ(ini.profiles[0].path, "/data/tb/work");
    EXPECT_EQ(ini.profiles[1].name, "default-release");
    EXPECT_TRUE(ini.profiles[1].isRelative);
    EXPECT_TRUE(ini.profiles[1].isDefault);
    EXPECT_EQ(ini.profiles[1].path, "Profiles/abc.default-release");
    EXPECT_FALSE(ini.profiles[2].isRelative);  // no IsRelative=, but a path from the root
    EXPECT_EQ(ini.installDefault, "Profiles/abc.default-release");

    EXPECT_TRUE(parseProfilesIni(std::string("\0\0[\xFF]\n=\n==\n[", 12)).profiles.empty());
}

TEST(Prefs, StatementsEscapesAndJunk) {
    const std::string text =
        "// Mozilla User Preferences\n"
        "/* a comment\n user_pref(\"commented\", \"out\");\n */\n"
        "user_pref(\"mail.server.server1.name\", \"Caf\\u00e9 \\\"Bar\\\" \\\\ x\");\n"
        "user_pref(\"smile\", \"\\uD83D\\uDE00\");\n"
        "user_pref(\"lone\", \"\\uD83D!\");\n"
        "user_pref(\"hex\", \"\\x41\\x4\");\n"
        "user_pref('single', 'it\\'s');\n"
        "  user_pref(\"number\", 42);\n"
        "user_pref(\"flag\", true);\n"
        "user_pref(\"unterminated\", \"no end);\n"
        "user_pref(\"nocomma\" \"x\");\n"
        "\x00\xFF\xFE garbage user_pref(\"inline\", 1);\n"
        "user_pref(\"number\", 43);\n"
        "pref(\"plain\", \"p\");\n"
        "user_pref(\"dup\", \"cut"s;
    const std::map<std::string, std::string> prefs = parsePrefs(text);
    const std::map<std::string, std::string> expected = {
        {"mail.server.server1.name", "Caf\xC3\xA9 \"Bar\" \\ x"},
        {"smile", "\xF0\x9F\x98\x80"},
        {"lone", "\xEF\xBF\xBD!"},
        {"hex", "Ax4"},
        {"single", "it's"},
        {"number", "43"},
        {"flag", "true"},
        {"plain", "p"},
    };
    EXPECT_EQ(prefs, expected);
}

TEST(Prefs, AccountsInThunderbirdsOrder) {
    const std::map<std::string, std::string> prefs = {
        {"mail.accountmanager.accounts", "account3, account1,account9"},
        {"mail.account.account1.server", "server1"},
        {"mail.account.account3.server", "server3"},
        {"mail.account.account9.server", "server9"},  // no such server
        {"mail.server.server1.directory-rel", "[ProfD]Mail/Local Folders"},
        {"mail.server.server1.type", "none"},
        {"mail.server.server3.directory", "/mail/imap.example.com"},
        {"mail.server.server3.type", "imap"},
        {"mail.server.server3.name", "me@example.com"},
        {"mail.server.server3.storeContractID", "@mozilla.org/msgstore/maildirstore;1"},
        {"mail.server.server10.directory-rel", "[ProfD]Mail/pop.example.com"},
        {"mail.server.server10.userName", "me"},
        {"mail.server.server10.hostname", "pop.example.com"},
        {"mail.server.server2.directory-rel", "[ProfD]Mail/smart mailboxes"},
        {"mail.server.server2.hidden", "true"},
        {"mail.server.server4.name", "no folder at all"},
    };
    const std::vector<ThunderbirdAccount> accounts = accountsFromPrefs(prefs, "/p");
    ASSERT_EQ(accounts.size(), 3u);
    EXPECT_EQ(accounts[0].name, "me@example.com");
    EXPECT_EQ(accounts[0].directory, "/mail/imap.example.com");
    EXPECT_TRUE(accounts[0].imapNames);
    EXPECT_TRUE(accounts[0].maildirStore);
    EXPECT_EQ(accounts[1].name, "Local Folders");
    EXPECT_EQ(accounts[1].directory, "/p/Mail/Local Folders");
    EXPECT_FALSE(accounts[1].imapNames);
    EXPECT_EQ(accounts[2].name, "me@pop.example.com");  // server10 after the listed ones
}

TEST(MhProfile, PathComponent) {
    EXPECT_EQ(mhProfilePath("Editor: vi\npath:  Mail/nmh \r\nInbox: inbox\n"), "Mail/nmh");
    EXPECT_EQ(mhProfilePath("Editor: vi\n"), "");
    EXPECT_EQ(mhProfilePath(std::string("\0\xFFPath:\n", 8)), "");
}

TEST(ThunderbirdFiles, MailboxNames) {
    struct Row {
        const char* name;
        bool mailbox;
    };
    const Row rows[] = {
        {"Inbox", true},           {"Sent Mail", true},     {"v1.0", true},          {"INBOX", true},
        {"Inbox.msf", false},      {"Trash.MSF", false},    {"popstate.dat", false}, {"msgFilterRules.dat", false},
        {"filterlog.html", false}, {"feeds.json", false},   {"global-messages-db.sqlite", false},
        {"abook.mab", false},      {"prefs.js", false},     {".hidden", false},      {"nstmp", false},
        {"nstmp-2", false},        {"x.sqlite-wal", false},
    };
    for (const Row& row : rows) EXPECT_EQ(isThunderbirdMailboxName(row.name), row.mailbox) << row.name;
}

}  // namespace
}  // namespace tessaly
