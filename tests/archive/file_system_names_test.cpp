// file_system_names_test.cpp - names made safe for FAT and exFAT, and kept
// byte for byte where the file system takes every name.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "archive/file_system_names.h"

namespace tessaly {
namespace {

TEST(FileSystemNames, WindowsRulesReplaceRefusedCharactersAndTrimTheEnd) {
    struct Row {
        const char* why;
        std::string name;
        std::string expected;
    };
    const std::vector<Row> rows = {
        {"a name FAT takes: unchanged", "report 3-4.pdf", "report 3-4.pdf"},
        {"each refused character becomes one underscore", "a:b?c*d\"e<f>g|h\\i.txt", "a_b_c_d_e_f_g_h_i.txt"},
        {"control characters are refused too", "tab\there\x01.bin", "tab_here_.bin"},
        {"the extension survives a refused character before it", "report: 3?.pdf", "report_ 3_.pdf"},
        {"a trailing dot goes", "notes.", "notes"},
        {"trailing dots and spaces go together", "notes . . ", "notes"},
        {"dots and spaces after an extension go, the extension stays", "data.csv. ", "data.csv"},
        {"leading dots and spaces stay: FAT keeps them", " .profile", " .profile"},
        {"UTF-8 is left alone", "r\xC3\xA9sum\xC3\xA9.pdf", "r\xC3\xA9sum\xC3\xA9.pdf"},
        {"only dots: never an empty name", "...", "_"},
        {"only spaces: never an empty name", "   ", "_"},
        {"empty stays empty: the part is unnamed", "", ""},
        {"apostrophes and semicolons of stamps and numbers stay", "a - 05092002'143007';2.bin",
         "a - 05092002'143007';2.bin"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(nameForFileSystem(row.name, kWindowsNameRules), row.expected) << row.why;
    }
}

TEST(FileSystemNames, AsciiOnlyRulesGiveOneUnderscorePerCharacter) {
    NameRules asciiOnly = kWindowsNameRules;
    asciiOnly.refusesNonAscii = true;
    struct Row {
        const char* why;
        std::string name;
        std::string expected;
    };
    const std::vector<Row> rows = {
        {"two-byte characters", "r\xC3\xA9sum\xC3\xA9.pdf", "r_sum_.pdf"},
        {"three- and four-byte characters", "\xE2\x82\xAC \xF0\x9F\x98\x80.txt", "_ _.txt"},
        {"Latin-1 bytes, each one character", "caf\xE9\xE9.txt", "caf__.txt"},
        {"stray continuation bytes, each one", "a\x80\x80" "b", "a__b"},
        {"DEL too", "a\x7F" "b", "a_b"},
        {"refused ASCII as under Windows rules", "a:b.", "a_b"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(nameForFileSystem(row.name, asciiOnly), row.expected) << row.why;
    }
}

TEST(FileSystemNames, PosixRulesKeepEveryByte) {
    const NameRules posix;
    const std::vector<std::string> names = {"report: 3?.pdf", "notes.", "a<b>|c\"*", "   ", "\x01\x7F\xFF"};
    for (const std::string& name : names) {
        EXPECT_EQ(nameForFileSystem(name, posix), name);
        EXPECT_EQ(pathForFileSystem(name + "/" + name + "/", posix), name + "/" + name + "/");
    }
}

TEST(FileSystemNames, PathsAreMadeSafeNameByName) {
    EXPECT_EQ(pathForFileSystem("Sent./Old mail ./Q?/", kWindowsNameRules), "Sent/Old mail/Q_/");
    EXPECT_EQ(pathForFileSystem("Inbox", kWindowsNameRules), "Inbox");
    EXPECT_EQ(pathForFileSystem("", kWindowsNameRules), "");
}

}  // namespace
}  // namespace tessaly
