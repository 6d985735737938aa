// regedit_format_test.cpp - the REGEDIT4 parser and writer over strings.
#include "platform/regedit_format.h"

#include <gtest/gtest.h>

#include <string>

namespace tessaly {
namespace {

constexpr const char* kRoot = "HKEY_CURRENT_USER";

bool parse(const std::string& text, RegistryKey& root, RegeditError& error) {
    root = RegistryKey{};
    return parseRegedit(text, kRoot, root, error);
}

const RegistryKey* at(const RegistryKey& root, std::initializer_list<const char*> path) {
    const RegistryKey* key = &root;
    for (const char* name : path) {
        key = key->findSubkey(name);
        if (!key) return nullptr;
    }
    return key;
}

std::string subkeyNames(const RegistryKey& key) {
    std::string names;
    for (const RegistryKey& sub : key.subkeys()) names += sub.name() + " ";
    return names;
}

// Everything a hand-edited or regedit-exported file may hold.
TEST(RegeditParse, ReadsWhatRegeditWrites) {
    const std::string text =
        "\xEF\xBB\xBF"
        "REGEDIT4\r\n"
        "\r\n"
        "; exported by hand\r\n"
        "[HKEY_CURRENT_USER]\r\n"
        "@=\"root default\"\r\n"
        "\r\n"
        "[hkey_current_user\\Software\\Velmo]\r\n"
        "  \"Name\" = \"a \\\"quoted\\\" \\\\ path\"\r\n"
        "\"Count\"=DWORD:0000000A\r\n"
        "\"Small\"=dword:1\r\n"
        "\"Bytes\"=hex:01,02,\\\r\n"
        "  ff ,\\\r\n"
        "\t0a\r\n"
        "\"Path\"=HEX(2):25,48,4f,4d,45,25,00\r\n"
        "\"NoZero\"=hex(2):61,62\r\n"
        "\"Multi\"=hex(7):61,00,62,00,00\r\n"
        "\"Quad\"=hex(b):01,00,00,00,00,00,00,00\r\n"
        "\"Empty\"=hex:\r\n"
        "\"Text\"=hex(1):68,69,0a,00\r\n"
        "@=\"\"\r\n";
    RegistryKey root;
    RegeditError error;
    ASSERT_TRUE(parse(text, root, error)) << error.line << ": " << error.reason;

    ASSERT_NE(root.findValue(""), nullptr);
    EXPECT_EQ(root.findValue("")->data, "root default");

    const RegistryKey* velmo = at(root, {"SOFTWARE", "velmo"});
    ASSERT_NE(velmo, nullptr);
    EXPECT_EQ(velmo->name(), "Velmo");
    EXPECT_EQ(at(root, {"software"})->name(), "Software");

    struct Row {
        const char* name;
        uint32_t type;
        std::string data;
    };
    const Row rows[] = {
        {"name", REG_SZ, "a \"quoted\" \\ path"},            // name matched without case
        {"Count", REG_DWORD, std::string("\x0A\0\0\0", 4)},  // upper-case keyword and digits
        {"Small", REG_DWORD, std::string("\x01\0\0\0", 4)},  // fewer than eight digits
        {"Bytes", REG_BINARY, "\x01\x02\xFF\x0A"},  // continued over lines, spaces and a tab
        {"Path", REG_EXPAND_SZ, "%HOME%"},          // terminating zero dropped
        {"NoZero", REG_EXPAND_SZ, "ab"},            // no terminator: nothing dropped
        {"Multi", REG_MULTI_SZ, std::string("a\0b\0\0", 5)},  // other types keep every byte
        {"Quad", 11, std::string("\x01\0\0\0\0\0\0\0", 8)},   // hex(b) is a 64-bit number
        {"Empty", REG_BINARY, ""},                            // no bytes at all
        {"Text", REG_SZ, "hi\n"},                             // a string with a line break
        {"", REG_SZ, ""},                                     // the default value, empty
    };
    for (const Row& row : rows) {
        const RegistryValue* value = velmo->findValue(row.name);
        ASSERT_NE(value, nullptr) << row.name;
        EXPECT_EQ(value->type, row.type) << row.name;
        EXPECT_EQ(value->data, row.data) << row.name;
    }
}

TEST(RegeditParse, SubkeysInOrderOfFirstAppearance) {
    const std::string text =
        "REGEDIT4\n"
        "[HKEY_CURRENT_USER\\A\\C]\n"
        "[HKEY_CURRENT_USER\\A\\B\\X]\n"  // B exists only through its child
        "[HKEY_CURRENT_USER\\Z]\n"
        "[HKEY_CURRENT_USER\\A]\n"     // an earlier child's section comes late
        "[HKEY_CURRENT_USER\\a\\b]\n"  // same key, other spelling: first spelling stays
        "\"v\"=\"1\"\n"
        "[HKEY_CURRENT_USER\\A\\C]\n"  // a section again adds to the key
        "\"w\"=\"2\"\n"
        "\"W\"=\"3\"\n";  // a repeated value replaces the earlier one
    RegistryKey root;
    RegeditError error;
    ASSERT_TRUE(parse(text, root, error)) << error.line << ": " << error.reason;
    EXPECT_EQ(subkeyNames(root), "A Z ");
    EXPECT_EQ(subkeyNames(*at(root, {"A"})), "C B ");
    EXPECT_EQ(subkeyNames(*at(root, {"A", "B"})), "X ");
    EXPECT_EQ(at(root, {"A", "B"})->findValue("v")->data, "1");
    const RegistryKey* c = at(root, {"A", "C"});
    ASSERT_EQ(c->values().size(), 1u);
    EXPECT_EQ(c->values()[0].name, "w");
    EXPECT_EQ(c->values()[0].value.data, "3");
}

TEST(RegeditParse, RefusesWhatDoesNotParse) {
    struct Row {
        const char* text;
        size_t line;
    };
    const Row rows[] = {
        {"", 0},                                                 // empty file: no first line
        {"Windows Registry Editor Version 5.00\n", 1},           // the UTF-16 format's header
        {"REGEDIT5\n", 1},                                       // wrong first line
        {"\nREGEDIT4\n", 1},                                     // header not on the first line
        {"REGEDIT4\n\"a\"=\"b\"\n", 2},                          // value before any key
        {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\ngarbage\n", 3},      // a line that is nothing
        {"REGEDIT4\n[HKEY_CURRENT_USER\\A\n", 2},                // key without "]"
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n", 2},              // another hive
        {"REGEDIT4\n[HKEY_CURRENT_USERS\\A]\n", 2},              // root name only a prefix
        {"REGEDIT4\n[HKEY_CURRENT_USER\\]\n", 2},                // trailing backslash
        {"REGEDIT4\n[HKEY_CURRENT_USER\\A\\\\B]\n", 2},          // empty key name
        {"REGEDIT4\n[-HKEY_CURRENT_USER\\A]\n", 2},              // import-only deletion
        {"REGEDIT4\n[HKEY_CURRENT_USER]\n\"a\"=\"x\\y\"\n", 3},  // unknown escape
        {"REGEDIT4\n[HKEY_CURRENT_USER]\n\"a\"=\"x\\\n", 3},     // escape at end of line
        {"REGEDIT4\n[HKEY_CURRENT_USER]\n\"a\"=\"open\n", 3},    // unterminated string
        {"REGEDIT4\n[HKEY_CURRENT_USER]\n\"a=\"b\"\n", 3},       // name not closed properly
        {"REGEDIT4\n[HKEY_CURRENT_USER]\n\"a\"\"b\"\n", 3},      // no "="
        {"REGEDIT4\n[HKEY_CURRENT_USER]\n\"a\"=\"b\" x\n", 3},   // text after the string
        {"REGEDIT4\n[HKEY_CURRENT_USER]\n\"a\"=-\n", 3},         // import-only deletion
        {"REGEDIT4\n[HKEY_CURRENT_USER]\n\"a\"=dword:\n", 3},    // no digits
        {"REGEDIT4\n[HKEY_CURRENT_USER]\n\"a\"=dword:123456789\n", 3},  // nine digits
        {"REGEDIT4\n[HKEY_CURRENT_USER]\n\"a\"=dword:12g4\n", 3},       // not hexadecimal
        {"REGEDIT4\n[HKEY_CURRENT_USER]\n\"a\"=hex:1g\n", 3},           // bad hex digit
        {"REGEDIT4\n[HKEY_CURRENT_USER]\n\"a\"=hex:123\n", 3},          // three digits in a byte
        {"REGEDIT4\n[HKEY_CURRENT_USER]\n\"a\"=hex:01,,02\n", 3},       // empty byte
        {"REGEDIT4\n[HKEY_CURRENT_USER]\n\"a\"=hex:01,\n", 3},          // dangling comma
        {"REGEDIT4\n[HKEY_CURRENT_USER]\n\"a\"=hex:,\n", 3},            // comma alone
        {"REGEDIT4\n[HKEY_CURRENT_USER]\n\"a\"=hex:01,\\\n", 3},  // cut off by the end
        {"REGEDIT4\n[HKEY_CURRENT_USER]\n\"a\"=hex:01,\\\n\n", 4},  // continued onto a blank line
        {"REGEDIT4\n[HKEY_CURRENT_USER]\n\"a\"=hex(:01\n", 3},      // no type number
        {"REGEDIT4\n[HKEY_CURRENT_USER]\n\"a\"=hex(2:01\n", 3},     // type not closed
        {"REGEDIT4\n[HKEY_CURRENT_USER]\n\"a\"=hex(123456789):01\n", 3},  // type too long
        {"REGEDIT4\n[HKEY_CURRENT_USER]\n\"a\"=hex 01\n", 3},             // no colon
        {"REGEDIT4\n[HKEY_CURRENT_USER]\n\"a\"=str:x\n", 3},              // unknown type word
        {"REGEDIT4\n[HKEY_CURRENT_USER]\n\"a\"=\n", 3},                   // no data
    };
    for (const Row& row : rows) {
        const std::string text = row.text;
        RegistryKey root;
        RegeditError error;
        EXPECT_FALSE(parse(text, root, error)) << text;
        EXPECT_EQ(error.line, row.line) << text;
        EXPECT_FALSE(error.reason.empty()) << text;
    }
    // A NUL byte anywhere: the writer never puts one in the text.
    const char nulText[] = "REGEDIT4\n[HKEY_CURRENT_USER]\n\"a\"=\"b\0c\"\n";
    const std::string withNul(nulText, sizeof nulText - 1);
    RegistryKey root;
    RegeditError error;
    EXPECT_FALSE(parse(withNul, root, error));
    EXPECT_EQ(error.line, 3u);
}

TEST(RegeditParse, NestingDeeperThanWindowsAllowsIsRefused) {
    std::string path;
    for (size_t i = 0; i < kMaxKeyDepth; ++i) path += "\\k";
    RegistryKey root;
    RegeditError error;
    EXPECT_TRUE(parse("REGEDIT4\n[HKEY_CURRENT_USER" + path + "]\n", root, error));
    EXPECT_FALSE(parse("REGEDIT4\n[HKEY_CURRENT_USER" + path + "\\k]\n", root, error));
}

RegistryKey sampleTree() {
    RegistryKey root;
    root.setValue("", makeStringValue("top"));
    RegistryKey& soft = root.addSubkey("Software");
    RegistryKey& app = soft.addSubkey("Velmo").addSubkey("Folvane");
    app.setValue("savedir", makeStringValue("/home/me/Email Archive"));
    app.setValue("quote\"back\\slash", makeStringValue("\"\\\\\"\\"));
    app.setValue("utf8", makeStringValue("Gr\xC3\xBC\xC3\x9F"
                                         "e \xE2\x98\x83"));
    app.setValue("latin1", makeStringValue("\xE9\xFF"));
    app.setValue("lines", makeStringValue("one\r\ntwo\n"));
    app.setValue("nul", makeStringValue(std::string("a\0b\0", 4)));
    app.setValue("expand", makeStringValue("%HOME%\\mail", REG_EXPAND_SZ));
    app.setValue("emptyexpand", makeStringValue("", REG_EXPAND_SZ));
    app.setValue("number", makeDwordValue(0xDEADBEEF));
    app.setValue("shortdword", makeStringValue("\x01\x02", REG_DWORD));
    std::string all;
    for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
    app.setValue("binary", makeStringValue(all, REG_BINARY));
    app.setValue("none", makeStringValue("", REG_NONE));
    app.setValue("typeffffffff", makeStringValue("x", 0xFFFFFFFF));
    app.setValue("", makeStringValue(""));
    app.setValue("@", makeStringValue("at"));
    soft.addSubkey("Empty");
    root.addSubkey("Key ] with [ brackets").addSubkey("and spaces ");
    return root;
}

void expectSameTree(const RegistryKey& a, const RegistryKey& b) {
    EXPECT_EQ(a.name(), b.name());
    ASSERT_EQ(a.values().size(), b.values().size()) << a.name();
    for (size_t i = 0; i < a.values().size(); ++i) {
        EXPECT_EQ(a.values()[i].name, b.values()[i].name);
        EXPECT_EQ(a.values()[i].value.type, b.values()[i].value.type) << a.values()[i].name;
        EXPECT_EQ(a.values()[i].value.data, b.values()[i].value.data) << a.values()[i].name;
    }
    ASSERT_EQ(a.subkeys().size(), b.subkeys().size()) << a.name();
    for (size_t i = 0; i < a.subkeys().size(); ++i) expectSameTree(a.subkeys()[i], b.subkeys()[i]);
}

TEST(RegeditFormat, WrittenTextParsesToTheSameTree) {
    const RegistryKey tree = sampleTree();
    const std::string text = formatRegedit(tree, kRoot);
    RegistryKey back;
    RegeditError error;
    ASSERT_TRUE(parse(text, back, error)) << error.line << ": " << error.reason << "\n" << text;
    expectSameTree(tree, back);
    EXPECT_EQ(formatRegedit(back, kRoot), text);
}

TEST(RegeditFormat, LooksAsRegeditWritesIt) {
    RegistryKey root;
    RegistryKey& key = root.addSubkey("Software").addSubkey("Velmo");
    key.setValue("s", makeStringValue("a\"b\\c"));
    key.setValue("d", makeDwordValue(10));
    key.setValue("e", makeStringValue("%X%", REG_EXPAND_SZ));
    key.setValue("", makeStringValue("def"));
    EXPECT_EQ(formatRegedit(root, kRoot),
              "REGEDIT4\n"
              "\n"
              "[HKEY_CURRENT_USER\\Software]\n"
              "\n"
              "[HKEY_CURRENT_USER\\Software\\Velmo]\n"
              "\"s\"=\"a\\\"b\\\\c\"\n"
              "\"d\"=dword:0000000a\n"
              "\"e\"=hex(2):25,58,25,00\n"
              "@=\"def\"\n"
              "\n");
    // An empty hive is the header alone.
    EXPECT_EQ(formatRegedit(RegistryKey{}, kRoot), "REGEDIT4\n\n");
}

TEST(RegeditFormat, LongByteListsWrapBelowEightyColumns) {
    RegistryKey root;
    root.addSubkey("K").setValue("a rather long value name",
                                 makeStringValue(std::string(300, '\x5A'), REG_BINARY));
    const std::string text = formatRegedit(root, kRoot);
    size_t lines = 0;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        EXPECT_LT(end - start, 80u) << text.substr(start, end - start);
        start = end + 1;
        ++lines;
    }
    EXPECT_GT(lines, 10u);
}

// Every cut of a valid hive and every single-byte corruption either parses
// or fails cleanly; run under the sanitizers this finds reads out of bounds.
TEST(RegeditParse, TruncatedAndCorruptedTextNeverCrashes) {
    RegistryKey tree = sampleTree();
    // A shorter byte list keeps this quick; it still wraps once.
    tree.findSubkey("Software")
        ->findSubkey("Velmo")
        ->findSubkey("Folvane")
        ->setValue("binary", makeStringValue(std::string(30, '\x7F'), REG_BINARY));
    const std::string text = formatRegedit(tree, kRoot);
    RegistryKey root;
    RegeditError error;
    for (size_t cut = 0; cut < text.size(); ++cut) parse(text.substr(0, cut), root, error);
    const char replacements[] = {'\\', '"', '[', ']', '\n', ',', '=', '@', ':', '(', ';', 'x'};
    for (size_t i = 0; i < text.size(); ++i) {
        for (char c : replacements) {
            std::string broken = text;
            broken[i] = c;
            parse(broken, root, error);
        }
    }
    EXPECT_TRUE(parse(text, root, error));
}

}  // namespace
}  // namespace tessaly
