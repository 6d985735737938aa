// dbx_file_test.cpp - whole DBX files: generated mail folder and folder-tree
// files read end to end, the validity tests on paths, one damaged field at a
// time, every truncation of a small file, and a real Outlook Express file.
#include "sources/dbx.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dbx_test_reading.h"
#include "support/dbx_writer.h"
#include "support/temp_dir.h"

namespace tessaly {
namespace {

using test::DbxTestFile;
using test::DbxTestMessage;
using test::dbxError;
using test::readMailTexts;
using test::viewOf;

std::vector<DbxTestMessage> someMessages(size_t count) {
    std::vector<DbxTestMessage> messages(count);
    for (size_t i = 0; i < count; ++i) {
        messages[i].subject = "Message " + std::to_string(i);
        messages[i].senderName = "Sender " + std::to_string(i);
        messages[i].text = test::sampleMessageText(messages[i].subject, 300 + 450 * i);
    }
    return messages;
}

std::vector<std::string> textsOf(const std::vector<DbxTestMessage>& messages) {
    std::vector<std::string> texts;
    for (const DbxTestMessage& message : messages) texts.push_back(message.text);
    return texts;
}

TEST(DbxFile, MailFolderFileReadsEndToEnd) {
    std::vector<DbxTestMessage> messages = someMessages(60);
    messages[7].text.clear();  // offline: no text stored
    const DbxTestFile file = test::makeDbxMailFile(messages, {"Inbox", 0x200, 51, true});
    ASSERT_GT(file.nodes.size(), 1u);
    ASSERT_GT(file.blocks[59].size(), 40u);
    EXPECT_EQ(readMailTexts(file.bytes), textsOf(messages));

    // The records carry what the job shows for an offline message.
    const DbxView view = viewOf(file.bytes);
    const DbxMessageInfo offline(view, file.records[7]);
    EXPECT_EQ(offline.valueAsInteger(kDbxMessageAddress), 0u);
    EXPECT_EQ(offline.valueAsText(kDbxMessageSenderName), "Sender 7");
    EXPECT_EQ(offline.valueAsText(kDbxMessageOriginalSubject), "Message 7");
    EXPECT_EQ(dbxFolderNameInView(view), "Inbox");
}

TEST(DbxFile, MessageAddressesMayBeIndirect) {
    const std::vector<DbxTestMessage> messages = someMessages(3);
    const DbxTestFile file = test::makeDbxMailFile(messages, {"Inbox", 64, 2, false});
    EXPECT_EQ(readMailTexts(file.bytes), textsOf(messages));
}

TEST(DbxFile, FolderTreeFileListsItsFolders) {
    const DbxTestFile file = test::makeDbxFolderTree({
        {1, 0, "Local Folders", "", "LocalStore", 0, 1},
        {2, 1, "Inbox", "Inbox.dbx", "", 1, 1},
        {3, 1, "Projects", "Projects.dbx", "", 0, 1},
    });
    imemfile mapped(file.bytes.data(), file.bytes.size());
    const DbxHeader header = readDbxHeader(mapped.view());
    EXPECT_EQ(header.fileType, kDbxFolderTreeType);
    const DbxTree tree(mapped, header.folderRoot, header.folderCount);
    ASSERT_EQ(tree.count(), 3u);
    const DbxFolderInfo inbox(mapped.view(), tree.valueAt(1));
    EXPECT_EQ(inbox.valueAsInteger(kDbxFolderId), 2u);
    EXPECT_EQ(inbox.valueAsInteger(kDbxFolderParentId), 1u);
    EXPECT_EQ(inbox.valueAsText(kDbxFolderName), "Inbox");
    EXPECT_EQ(inbox.valueAsText(kDbxFolderFileName), "Inbox.dbx");
    EXPECT_EQ(inbox.valueAsInteger(kDbxFolderSpecial), 1u);
    EXPECT_EQ(DbxFolderInfo(mapped.view(), tree.valueAt(0)).valueAsText(kDbxFolderAccountKey), "LocalStore");
}

TEST(DbxFile, ValidityTestsOnPaths) {
    test::TempDir dir;
    std::string headerOnly(kDbxFileInfoOffset, '\0');
    std::string tooShort = headerOnly.substr(1);
    std::string infoPastEnd = test::makeDbxMailFile({}).bytes;
    test::put32(infoPastEnd, kDbxFileInfoLengthAt, 0x619);
    std::string unnamedInfo = test::makeDbxMailFile(someMessages(1)).bytes;
    test::put32(unnamedInfo, kDbxFileInfoLengthAt, 0x617);

    struct Row {
        const char* why;
        std::string bytes;  // "-" for no file at all
        bool mail;
        const char* name;   // nullptr: no name
    };
    const Row rows[] = {
        {"a mail folder file", test::makeDbxMailFile(someMessages(2), {"Sent Items"}).bytes, true, "Sent Items"},
        {"the folder-tree file", test::makeDbxFolderTree({{1, 0, "Root", "", "", 0, 1}}).bytes, false, nullptr},
        {"exactly 0x24BC bytes, file-info length 0", headerOnly, true, nullptr},
        {"one byte short of the file-info object's start", tooShort, false, nullptr},
        {"file-info object one byte past the end", infoPastEnd, false, nullptr},
        {"file-info object not 0x618 long: no name", unnamedInfo, true, nullptr},
        {"an empty file", "", false, nullptr},
        {"no file", "-", false, nullptr},
    };
    for (const Row& row : rows) {
        const std::string path = dir.file("test.dbx");
        std::remove(path.c_str());
        if (row.bytes != "-") test::writeFile(path, row.bytes);
        EXPECT_EQ(isDbxMailFile(path), row.mail) << row.why;
        const std::optional<std::string> name = dbxFolderName(path);
        EXPECT_EQ(name.has_value(), row.name != nullptr) << row.why;
        if (name && row.name) {
            EXPECT_EQ(*name, row.name) << row.why;
        }
    }
    // A folder is not a file.
    EXPECT_FALSE(isDbxMailFile(dir.path()));
}

// Break one field of a sound file, expect the reader's exact message, then
// put the field back and read the file whole again.
TEST(DbxFile, OneDamagedFieldGivesItsMessage) {
    const DbxTestFile sound = test::makeDbxMailFile(someMessages(9), {"Inbox", 0x100, 3, true});
    const uint32_t root = sound.nodes[0];
    const uint32_t child = sound.nodes[1];
    const uint32_t record = sound.records[4];
    const uint32_t block = sound.blocks[4][1];
    const uint32_t size = static_cast<uint32_t>(sound.bytes.size());

    struct Row {
        const char* why;
        uint32_t at;
        uint32_t value;
        bool byte;
        const char* message;
    };
    const Row rows[] = {
        {"root marker", root + test::kNodeMarker, root + 4, false, "Wrong object marker !"},
        {"child marker", child + test::kNodeMarker, 0, false, "Wrong object marker !"},
        {"root names a parent", root + test::kNodeParent, child, false, "Wrong parent !"},
        {"child names another parent", child + test::kNodeParent, child, false, "Wrong parent !"},
        {"52 entries", child + test::kNodeEntryCount, 52, true, "Wrong value for entries !"},
        {"255 entries", root + test::kNodeEntryCount, 255, true, "Wrong value for entries !"},
        {"header counts one value less", test::kHeaderMessageCount, 8, false, "To many values to read !"},
        {"header counts one value more", test::kHeaderMessageCount, 10, false, "Wrong number of values found!"},
        {"child subtree counted one more", root + test::kNodeChildValues, 3, false, "Wrong number of values found!"},
        {"child subtree counted one less", root + test::kNodeChildValues, 1, false, "Wrong number of values found!"},
        {"root lies past the end", test::kHeaderMessageRoot, size, false, "Error reading node from input stream !"},
        {"root cut by the end", test::kHeaderMessageRoot, size - 0x27B, false, "Error reading node from input stream !"},
        {"child link past the end", root + test::kNodeChild, 0xFFFFFFF0, false, "Error reading node from input stream !"},
        {"record marker", record + test::kRecordMarker, 0, false, "Wrong object marker !"},
        {"record index 127", record + test::kRecordTable, 0xFF, true, "Index to big !"},
        {"record body past the end", record + test::kRecordBodyLength, size, false, "Value outside the file !"},
        {"text block marker", block + test::kBlockMarker, block + 1, false, "Wrong object marker !"},
        {"text block next past the end", block + test::kBlockNext, size - 4, false, "Error reading from input stream !"},
        {"text block back to the first", block + test::kBlockNext, sound.blocks[4][0], false, "Text blocks overlap !"},
    };
    std::string bytes = sound.bytes;
    for (const Row& row : rows) {
        const uint32_t saved = test::get32(bytes, row.at);
        if (row.byte) {
            test::put8(bytes, row.at, static_cast<uint8_t>(row.value));
        } else {
            test::put32(bytes, row.at, row.value);
        }
        EXPECT_EQ(dbxError([&] { readMailTexts(bytes); }), row.message) << row.why;
        test::put32(bytes, row.at, saved);
        EXPECT_EQ(bytes, sound.bytes) << row.why;
    }
    EXPECT_EQ(readMailTexts(bytes).size(), 9u);
}

// Every length of a small file, each in a buffer of exactly that size so
// that the sanitizers see any read past the end.
TEST(DbxFile, EveryTruncationFailsCleanly) {
    const DbxTestFile sound = test::makeDbxMailFile(someMessages(3), {"Inbox", 0x80, 1, true});
    const std::vector<std::string> full = readMailTexts(sound.bytes);
    ASSERT_EQ(full.size(), 3u);
    for (size_t length = 0; length < sound.bytes.size(); ++length) {
        std::unique_ptr<char[]> cut(new char[length == 0 ? 1 : length]);
        std::memcpy(cut.get(), sound.bytes.data(), length);
        imemfile file(cut.get(), length);
        const DbxView view = file.view();
        isDbxMailView(view);
        dbxFolderNameInView(view);
        std::vector<std::string> texts;
        const std::string error = dbxError([&] { texts = readMailTexts(file); });
        EXPECT_NE(texts, full) << length;
        // A file too short for a header has no tree; every longer cut breaks
        // the tree, a record or a text.
        if (length >= 0xF0) {
            EXPECT_NE(error, "no error") << length;
        }
    }
}

std::string fixturePath(const char* name) { return std::string(TESSALY_FIXTURES_DIR) + "/" + name; }

std::string readWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(DbxFile, RealOutlookExpressFileReadsEndToEnd) {
    const std::string path = fixturePath("mail-transport-dbx-test1.dbx");
    if (!pathExists(path)) GTEST_SKIP() << "fixture not found: " << path;

    EXPECT_TRUE(isDbxMailFile(path));
    EXPECT_EQ(dbxFolderName(path), "test1");

    imemfile file(path);
    ASSERT_TRUE(file.good());
    const DbxHeader header = readDbxHeader(file.view());
    const DbxTree tree(file, header.messageRoot, header.messageCount);
    ASSERT_EQ(tree.count(), 1u);
    const DbxMessageInfo record(file.view(), tree.valueAt(0));
    EXPECT_EQ(record.valueAsText(0x08), "[fmII] centericq 4.7.5 released (Default branch)");
    EXPECT_EQ(record.valueAsText(0x0E), "noreply@freshmeat.net");
    const DbxMessage message(file, record.valueAsInteger(kDbxMessageAddress));
    EXPECT_EQ(message.length(), record.valueAsInteger(kDbxMessageTextLength));
    EXPECT_EQ(message.length(), 2710u);
    const std::string text(message.view());
    EXPECT_EQ(text.rfind("Return-path: <noreply@freshmeat.net>\r\n", 0), 0u);
    EXPECT_NE(text.find("Subject: [fmII] centericq 4.7.5 released (Default branch)\r\n"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 17), "\r\nfreshmeat.net\r\n");
}

// The real file cut at many lengths, each in a buffer of exactly that size.
TEST(DbxFile, RealFileCutShortFailsCleanly) {
    const std::string whole = readWhole(fixturePath("mail-transport-dbx-test1.dbx"));
    if (whole.empty()) GTEST_SKIP() << "fixture not found in " << TESSALY_FIXTURES_DIR;
    for (size_t length = 0; length < whole.size(); length += 61) {
        std::unique_ptr<char[]> cut(new char[length == 0 ? 1 : length]);
        std::memcpy(cut.get(), whole.data(), length);
        imemfile file(cut.get(), length);
        isDbxMailView(file.view());
        dbxError([&] { readMailTexts(file); });
    }
}

}  // namespace
}  // namespace tessaly
