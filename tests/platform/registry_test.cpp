// registry_test.cpp - the registry hives on disk: round trips, keys, expansion,
// atomic rewrites, corrupt and unwritable hives.
#include "platform/registry.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/folders.h"
#include "platform/regedit_format.h"
#include "support/temp_dir.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TempDir;
using test::writeFile;

constexpr RegistryHive HKCU = RegistryHive::CurrentUser;
constexpr RegistryHive HKLM = RegistryHive::LocalMachine;

// Each test gets hives of its own in a fresh configuration folder.
class Registry : public ::testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("XDG_CONFIG_HOME");
        oldConfig_ = old ? old : "";
        setenv("XDG_CONFIG_HOME", temp_.path().c_str(), 1);
    }
    void TearDown() override { setenv("XDG_CONFIG_HOME", oldConfig_.c_str(), 1); }

    std::string folder() const { return temp_.path() + "/tessaly"; }

    std::vector<std::string> folderEntries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder())) {
            names.push_back(entry.path().filename());
        }
        return names;
    }

    std::vector<std::string> subkeys(RegistryHive hive, const std::string& key) {
        std::vector<std::string> names;
        EXPECT_TRUE(registrySubkeys(hive, key, names)) << key;
        return names;
    }

    TempDir temp_;
    std::string oldConfig_;
};

RegistryKey parseFile(const std::string& path, const char* root = "HKEY_CURRENT_USER") {
    RegistryKey tree;
    RegeditError error;
    EXPECT_TRUE(parseRegedit(readFile(path), root, tree, error))
        << path << ":" << error.line << ": " << error.reason;
    return tree;
}

TEST_F(Registry, HivesLiveInTheConfigurationFolder) {
    EXPECT_EQ(hivePath(HKCU), folder() + "/user.reg");
    EXPECT_EQ(hivePath(HKLM), folder() + "/machine.reg");
}

TEST_F(Registry, EveryKindOfValueComesBackAsWritten) {
    std::string allBytes;
    for (int i = 0; i < 256; ++i) allBytes += static_cast<char>(i);
    struct Row {
        const char* name;
        RegistryValue value;
    };
    const Row rows[] = {
        {"plain", makeStringValue("C:\\archive")},
        {"empty", makeStringValue("")},
        {"quotes \"and\" \\slashes\\",
         makeStringValue("\"\\\"\\\\\"")},  // escapes in name and text
        {"utf8", makeStringValue("Gr\xC3\xBC\xC3\x9F"
                                 "e \xE2\x98\x83")},                  // non-ASCII passes through
        {"raw high bytes", makeStringValue("\x80\xFF\xE9")},          // not even valid UTF-8
        {"lines", makeStringValue("one\ntwo\r\n")},                   // cannot sit in quotes
        {"embedded nul", makeStringValue(std::string("a\0b\0", 4))},  // trailing NUL is data
        {"expand", makeStringValue("%HOME%\\x", REG_EXPAND_SZ)},
        {"empty expand", makeStringValue("", REG_EXPAND_SZ)},
        {"zero", makeDwordValue(0)},
        {"ten", makeDwordValue(10)},
        {"max", makeDwordValue(0xFFFFFFFF)},
        {"binary", makeStringValue(allBytes, REG_BINARY)},  // wraps over many lines
        {"no bytes", makeStringValue("", REG_BINARY)},
        {"multi", makeStringValue(std::string("a\0bc\0\0", 6), REG_MULTI_SZ)},
        {"none", makeStringValue("\x01", REG_NONE)},
        {"qword", makeStringValue(std::string("\1\2\3\4\5\6\7\x08", 8), 11)},
        {"odd dword", makeStringValue("\x01\x02\x03", REG_DWORD)},  // wrong size stays raw
        {"", makeStringValue("the default")},
        {"@", makeStringValue("not the default")},
    };
    for (const Row& row : rows) {
        ASSERT_TRUE(registryWriteValue(HKCU, "Software\\Velmo\\Folvane", row.name, row.value))
            << row.name;
    }

    const RegistryKey file = parseFile(hivePath(HKCU));
    const RegistryKey* key =
        file.findSubkey("Software")->findSubkey("Velmo")->findSubkey("Folvane");
    ASSERT_NE(key, nullptr);
    ASSERT_EQ(key->values().size(), std::size(rows));
    for (const Row& row : rows) {
        RegistryValue back;
        ASSERT_TRUE(registryReadValue(HKCU, "Software\\Velmo\\Folvane", row.name, back))
            << row.name;
        EXPECT_EQ(back.type, row.value.type) << row.name;
        EXPECT_EQ(back.data, row.value.data) << row.name;
        const RegistryValue* inFile = key->findValue(row.name);
        ASSERT_NE(inFile, nullptr) << row.name;
        EXPECT_EQ(inFile->data, row.value.data) << row.name;
    }
    std::string text;
    ASSERT_TRUE(registryReadString(HKCU, "Software\\Velmo\\Folvane", "", text));
    EXPECT_EQ(text, "the default");
    // A string read stops at the first NUL, as a C string read from Windows would.
    ASSERT_TRUE(registryReadString(HKCU, "Software\\Velmo\\Folvane", "embedded nul", text));
    EXPECT_EQ(text, "a");
    uint32_t number = 0;
    ASSERT_TRUE(registryReadDword(HKCU, "Software\\Velmo\\Folvane", "ten", number));
    EXPECT_EQ(number, 10u);
    ASSERT_TRUE(registryReadDword(HKCU, "Software\\Velmo\\Folvane", "max", number));
    EXPECT_EQ(number, 0xFFFFFFFFu);
}

TEST_F(Registry, TypedReadsRefuseOtherTypesAndMissingValues) {
    ASSERT_TRUE(registryWriteValues(HKCU, "K",
                                    {{"s", makeStringValue("5")},
                                     {"d", makeDwordValue(5)},
                                     {"odd", makeStringValue("\x05\x00", REG_DWORD)},
                                     {"b", makeStringValue("x", REG_BINARY)}}));
    std::string text = "unchanged";
    uint32_t number = 77;
    EXPECT_FALSE(registryReadString(HKCU, "K", "d", text));
    EXPECT_FALSE(registryReadString(HKCU, "K", "b", text));
    EXPECT_FALSE(registryReadDword(HKCU, "K", "s", number));
    EXPECT_FALSE(registryReadDword(HKCU, "K", "odd", number));  // REG_DWORD of two bytes
    EXPECT_FALSE(registryReadString(HKCU, "K", "missing", text));
    EXPECT_FALSE(registryReadString(HKCU, "Missing", "s", text));
    EXPECT_EQ(text, "unchanged");
    EXPECT_EQ(number, 77u);
    RegistryValue value;
    EXPECT_FALSE(registryReadValue(HKCU, "K", "", value));  // no default value was set
}

TEST_F(Registry, KeysAndValueNamesIgnoreCaseAndKeepTheirFirstSpelling) {
    ASSERT_TRUE(registryWriteString(HKCU, "Software\\Velmo\\Folvane", "SaveDir", "/a"));
    ASSERT_TRUE(registryWriteString(HKCU, "SOFTWARE\\velmo\\FOLVANE", "SAVEDIR", "/b"));
    EXPECT_TRUE(registryKeyExists(HKCU, "software\\VELMO\\folvane"));
    EXPECT_EQ(subkeys(HKCU, ""), std::vector<std::string>{"Software"});
    EXPECT_EQ(subkeys(HKCU, "SOFTWARE"), std::vector<std::string>{"Velmo"});
    std::string text;
    ASSERT_TRUE(registryReadString(HKCU, "Software\\Velmo\\Folvane", "savedir", text));
    EXPECT_EQ(text, "/b");
    const std::string file = readFile(hivePath(HKCU));
    EXPECT_NE(file.find("[HKEY_CURRENT_USER\\Software\\Velmo\\Folvane]\n\"SaveDir\"=\"/b\"\n"),
              std::string::npos)
        << file;
    // Only ASCII letters fold: other bytes must match exactly.
    ASSERT_TRUE(registryCreateKey(HKCU, "\xC3\x84"));
    EXPECT_FALSE(registryKeyExists(HKCU, "\xC3\xA4"));
}

TEST_F(Registry, SubkeysComeInFileOrder) {
    fs::create_directories(folder());
    writeFile(
        hivePath(HKCU),
        "REGEDIT4\n\n"
        "[HKEY_CURRENT_USER\\Identities\\{B}\\Software]\n"  // {B} exists only through its child
        "[HKEY_CURRENT_USER\\Identities\\{A}]\n"
        "\"Username\"=\"Main Identity\"\n"
        "[HKEY_CURRENT_USER\\Identities]\n"
        "\"Default User ID\"=\"{A}\"\n");
    EXPECT_EQ(subkeys(HKCU, ""), std::vector<std::string>{"Identities"});
    EXPECT_EQ(subkeys(HKCU, "identities"), (std::vector<std::string>{"{B}", "{A}"}));
    // A write keeps the order, and a new key goes last.
    ASSERT_TRUE(registryCreateKey(HKCU, "Identities\\{0}"));
    EXPECT_EQ(subkeys(HKCU, "Identities"), (std::vector<std::string>{"{B}", "{A}", "{0}"}));
    std::vector<std::string> names{"stale"};
    EXPECT_FALSE(registrySubkeys(HKCU, "Identities\\{C}", names));
    EXPECT_TRUE(names.empty());
    EXPECT_TRUE(subkeys(HKCU, "Identities\\{A}").empty());
}

TEST_F(Registry, DeletingAKeyTakesItsWholeSubtree) {
    ASSERT_TRUE(registryWriteString(HKCU, "A\\B\\C", "v", "1"));
    ASSERT_TRUE(registryWriteString(HKCU, "A\\B", "v", "2"));
    ASSERT_TRUE(registryWriteString(HKCU, "A\\D", "v", "3"));
    ASSERT_TRUE(registryWriteString(HKCU, "A\\E", "v", "4"));
    ASSERT_TRUE(registryDeleteKey(HKCU, "a\\b"));
    EXPECT_FALSE(registryKeyExists(HKCU, "A\\B\\C"));
    EXPECT_FALSE(registryKeyExists(HKCU, "A\\B"));
    EXPECT_EQ(subkeys(HKCU, "A"), (std::vector<std::string>{"D", "E"}));
    // The file agrees, not just the cache.
    EXPECT_EQ(readFile(hivePath(HKCU)).find("\\B"), std::string::npos);

    EXPECT_FALSE(registryDeleteKey(HKCU, "A\\B"));  // already gone
    EXPECT_EQ(lastSystemError(), ENOENT);
    EXPECT_FALSE(registryDeleteKey(HKCU, "X\\Y"));  // parent missing too
    EXPECT_FALSE(registryDeleteKey(HKCU, ""));      // the hive root stays
    EXPECT_TRUE(registryKeyExists(HKCU, ""));

    ASSERT_TRUE(registryDeleteValue(HKCU, "A\\D", "V"));
    RegistryValue value;
    EXPECT_FALSE(registryReadValue(HKCU, "A\\D", "v", value));
    EXPECT_TRUE(registryKeyExists(HKCU, "A\\D"));  // the key stays without values
    EXPECT_FALSE(registryDeleteValue(HKCU, "A\\D", "v"));
    EXPECT_FALSE(registryDeleteValue(HKCU, "A\\Missing", "v"));
}

TEST_F(Registry, KeyPathsThatCannotBeStoredAreRefused) {
    const char* paths[] = {
        "\\Software",         // leading backslash
        "Software\\",         // trailing backslash
        "Software\\\\Velmo",  // empty name between
        "Soft\nware",         // a line break would split the section line
    };
    for (const char* path : paths) {
        EXPECT_FALSE(registryWriteString(HKCU, path, "v", "x")) << path;
        EXPECT_EQ(lastSystemError(), EINVAL) << path;
        EXPECT_FALSE(registryKeyExists(HKCU, path)) << path;
    }
    EXPECT_FALSE(registryWriteString(HKCU, "K", "two\nlines", "x"));
    EXPECT_FALSE(registryWriteString(HKCU, "K", std::string("nul\0", 4), "x"));
    EXPECT_FALSE(fs::exists(hivePath(HKCU)));  // nothing was written for any of them
}

TEST_F(Registry, TheTwoHivesAreSeparate) {
    ASSERT_TRUE(registryWriteString(HKLM, "SOFTWARE\\Clients\\Mail", "", "Microsoft Outlook"));
    EXPECT_FALSE(registryKeyExists(HKCU, "SOFTWARE"));
    EXPECT_FALSE(fs::exists(hivePath(HKCU)));
    const RegistryKey machine = parseFile(hivePath(HKLM), "HKEY_LOCAL_MACHINE");
    EXPECT_NE(machine.findSubkey("software"), nullptr);
    std::string text;
    ASSERT_TRUE(registryReadString(HKLM, "software\\clients\\mail", "", text));
    EXPECT_EQ(text, "Microsoft Outlook");
}

TEST(ExpandEnvironmentStrings, ReplacesSetVariablesAndKeepsTheRest) {
    setenv("TESSALY_X", "val", 1);
    setenv("TESSALY_PCT", "%TESSALY_X%", 1);
    setenv("TESSALY_EMPTY", "", 1);
    unsetenv("TESSALY_UNSET");
    struct Row {
        const char* in;
        const char* out;
    };
    const Row rows[] = {
        {"", ""},
        {"no references", "no references"},
        {"%TESSALY_X%", "val"},
        {"a%TESSALY_X%b%TESSALY_X%c", "avalbvalc"},
        {"%tessaly_x%", "val"},                  // names match without case, as on Windows
        {"%TESSALY_EMPTY%|", "|"},               // set but empty
        {"%TESSALY_UNSET%", "%TESSALY_UNSET%"},  // unset stays as written
        {"%TESSALY_UNSET%TESSALY_X%", "%TESSALY_UNSET%TESSALY_X%"},  // scan goes on after the pair
        {"%TESSALY_UNSET%%TESSALY_X%", "%TESSALY_UNSET%val"},
        {"100%", "100%"},                            // a lone percent sign
        {"%TESSALY_X", "%TESSALY_X"},                // unterminated
        {"%TESSALY_X%%TESSALY_X", "val%TESSALY_X"},  // unterminated after a good one
        {"%%", "%%"},                                // empty name
        {"%A=B%", "%A=B%"},                          // "=" cannot be in a name
        {"%TESSALY_PCT%", "%TESSALY_X%"},            // values are not expanded again
    };
    for (const Row& row : rows) EXPECT_EQ(expandEnvironmentStrings(row.in), row.out) << row.in;
}

TEST_F(Registry, ExpandableStringsAreExpandedOnReadingOnly) {
    setenv("TESSALY_STORE", "/srv/mail", 1);
    ASSERT_TRUE(
        registryWriteString(HKCU, "OE", "Store Root", "%TESSALY_STORE%\\Store", REG_EXPAND_SZ));
    ASSERT_TRUE(registryWriteString(HKCU, "OE", "Plain", "%TESSALY_STORE%"));
    std::string text;
    ASSERT_TRUE(registryReadString(HKCU, "OE", "Store Root", text));
    EXPECT_EQ(text, "/srv/mail\\Store");
    ASSERT_TRUE(registryReadString(HKCU, "OE", "Plain", text));
    EXPECT_EQ(text, "%TESSALY_STORE%");
    RegistryValue raw;
    ASSERT_TRUE(registryReadValue(HKCU, "OE", "Store Root", raw));
    EXPECT_EQ(raw.data, "%TESSALY_STORE%\\Store");
}

TEST_F(Registry, RewritesAtomicallyAndCreatesTheFolder) {
    setenv("XDG_CONFIG_HOME", (temp_.path() + "/not/yet").c_str(), 1);
    ASSERT_TRUE(registryWriteDword(HKCU, "K", "n", 1));
    EXPECT_TRUE(fs::is_regular_file(temp_.path() + "/not/yet/tessaly/user.reg"));
    setenv("XDG_CONFIG_HOME", temp_.path().c_str(), 1);

    for (uint32_t i = 0; i < 20; ++i) {
        ASSERT_TRUE(registryWriteDword(HKCU, "K\\Sub" + std::to_string(i), "n", i));
    }
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"user.reg"});  // no temporary file left
    const std::string text = readFile(hivePath(HKCU));
    EXPECT_EQ(text.rfind("REGEDIT4\n\n", 0), 0u);
    const RegistryKey tree = parseFile(hivePath(HKCU));
    EXPECT_EQ(tree.findSubkey("K")->subkeys().size(), 20u);

    // Writing what is already stored does not touch the file.
    struct stat before{};
    ASSERT_EQ(stat(hivePath(HKCU).c_str(), &before), 0);
    ASSERT_TRUE(registryWriteDword(HKCU, "k\\sub3", "N", 3));
    ASSERT_TRUE(registryCreateKey(HKCU, "K"));
    struct stat after{};
    ASSERT_EQ(stat(hivePath(HKCU).c_str(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino);
}

// Replaces the hive file by `text` under a new inode with the given mtime.
void replaceHive(const std::string& path, const std::string& text, time_t mtime) {
    writeFile(path + ".new", text);
    const timespec times[2] = {{mtime, 0}, {mtime, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, (path + ".new").c_str(), times, 0), 0);
    ASSERT_EQ(rename((path + ".new").c_str(), path.c_str()), 0);
}

void rewriteInPlace(const std::string& path, const std::string& text, time_t mtime) {
    writeFile(path, text);
    const timespec times[2] = {{mtime, 0}, {mtime, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

TEST_F(Registry, ChangesByOthersAreSeen) {
    const std::string path = hivePath(HKCU);
    const time_t old = time(nullptr) - 1000;
    ASSERT_TRUE(registryWriteString(HKCU, "K", "v", "one"));
    rewriteInPlace(path, readFile(path), old);
    std::string text;
    ASSERT_TRUE(registryReadString(HKCU, "K", "v", text));  // read and kept
    EXPECT_EQ(text, "one");

    std::string two = readFile(path);
    two.replace(two.find("one"), 3, "two");
    replaceHive(path, two, old);  // new inode only
    ASSERT_TRUE(registryReadString(HKCU, "K", "v", text));
    EXPECT_EQ(text, "two");

    std::string three = two;
    three.replace(three.find("two"), 3, "three");
    rewriteInPlace(path, three, old);  // new size only
    ASSERT_TRUE(registryReadString(HKCU, "K", "v", text));
    EXPECT_EQ(text, "three");

    std::string four = three;
    four.replace(four.find("three"), 5, "four!");
    rewriteInPlace(path, four, old + 1);  // new mtime only
    ASSERT_TRUE(registryReadString(HKCU, "K", "v", text));
    EXPECT_EQ(text, "four!");

    // A file changed just now is read again even when nothing in its stat
    // changed, since the time stamp may be too coarse to tell.
    const time_t now = time(nullptr);
    rewriteInPlace(path, "REGEDIT4\n[HKEY_CURRENT_USER\\K]\n\"v\"=\"fiver\"\n", now);
    ASSERT_TRUE(registryReadString(HKCU, "K", "v", text));
    rewriteInPlace(path, "REGEDIT4\n[HKEY_CURRENT_USER\\K]\n\"v\"=\"sixty\"\n", now);
    ASSERT_TRUE(registryReadString(HKCU, "K", "v", text));
    EXPECT_EQ(text, "sixty");

    fs::remove(path);
    EXPECT_FALSE(registryKeyExists(HKCU, "K"));
}

TEST_F(Registry, ACorruptHiveIsSetAsideAndReadsAsEmpty) {
    const std::string path = hivePath(HKCU);
    const char* corrupt[] = {
        "REGEDIT5\n[HKEY_CURRENT_USER\\K]\n\"v\"=\"x\"\n",           // wrong first line
        "REGEDIT4\n[HKEY_CURRENT_USER\\K]\n\"v\"=\"x\"\nrubbish\n",  // garbage line
        "REGEDIT4\n[HKEY_CURRENT_USER\\K]\n\"v\"=\"x\\q\"\n",        // bad escape
        "REGEDIT4\n[HKEY_CURRENT_USER\\K]\n\"v\"=hex:0z\n",          // bad hex
        "REGEDIT4\n[HKEY_CURRENT_USER\\K]\n\"v\"=hex:01,\\\n",       // cut off mid-list
    };
    fs::create_directories(folder());
    for (const char* text : corrupt) {
        writeFile(path + ".bad", "an older bad hive");
        writeFile(path, text);
        std::string value;
        EXPECT_FALSE(registryReadString(HKCU, "K", "v", value)) << text;
        EXPECT_FALSE(registryKeyExists(HKCU, "K")) << text;
        EXPECT_FALSE(fs::exists(path)) << text;
        EXPECT_EQ(readFile(path + ".bad"), text);  // replaces the older one

        // The next write starts a fresh hive next to the kept one.
        ASSERT_TRUE(registryWriteString(HKCU, "New", "v", "y")) << text;
        EXPECT_EQ(subkeys(HKCU, ""), std::vector<std::string>{"New"});
        EXPECT_EQ(readFile(path + ".bad"), text);
        fs::remove(path);
    }
}

TEST_F(Registry, AHivePathThatIsAFolderFailsWritesAndReadsAsEmpty) {
    fs::create_directories(hivePath(HKCU));
    EXPECT_FALSE(registryWriteString(HKCU, "K", "v", "x"));
    EXPECT_EQ(lastSystemError(), EISDIR);
    EXPECT_FALSE(systemErrorText().empty());
    EXPECT_FALSE(registryKeyExists(HKCU, "K"));
    EXPECT_TRUE(fs::is_directory(hivePath(HKCU)));
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"user.reg"});
}

TEST_F(Registry, AnUnwritableFolderFailsWritesAndKeepsTheHive) {
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
    ASSERT_TRUE(registryWriteString(HKCU, "K", "v", "before"));
    const std::string before = readFile(hivePath(HKCU));
    ASSERT_EQ(chmod(folder().c_str(), 0555), 0);
    EXPECT_FALSE(registryWriteString(HKCU, "K", "v", "after"));
    EXPECT_EQ(lastSystemError(), EACCES);
    std::string text;
    ASSERT_TRUE(registryReadString(HKCU, "K", "v", text));  // the failed change is not kept
    EXPECT_EQ(text, "before");
    chmod(folder().c_str(), 0755);
    EXPECT_EQ(readFile(hivePath(HKCU)), before);
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"user.reg"});
}

TEST_F(Registry, AnUnreadableHiveIsNeverOverwritten) {
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
    ASSERT_TRUE(registryWriteString(HKCU, "K", "v", "precious"));
    ASSERT_EQ(chmod(hivePath(HKCU).c_str(), 0), 0);
    EXPECT_FALSE(registryKeyExists(HKCU, "K"));
    EXPECT_FALSE(registryWriteString(HKCU, "K", "w", "x"));
    EXPECT_EQ(lastSystemError(), EACCES);
    chmod(hivePath(HKCU).c_str(), 0644);
    std::string text;
    ASSERT_TRUE(registryReadString(HKCU, "K", "v", text));
    EXPECT_EQ(text, "precious");
    EXPECT_FALSE(fs::exists(hivePath(HKCU) + ".bad"));
}

}  // namespace
}  // namespace tessaly
