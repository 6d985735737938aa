// pst_writer_test.cpp - personal-store files from the tests' writer, read
// back through the libpff provider: the folder tree, every message's
// fields, bodies and headers, attachments of every size class, a folder of
// thousands of messages, and archiving them.
#include <gtest/gtest.h>

#ifdef TESSALY_HAVE_LIBPFF

#include <cerrno>
#include <filesystem>

#include "mapi/mapi_state.h"
#include "mapi/memory_stream.h"
#include "mapi/outlook.h"
#include "mapi/pff_file.h"
#include "support/pst_writer.h"
#include "mapi/store_test_base.h"
#include "support/temp_dir.h"
#include "support/test_run.h"

namespace tessaly::test {
namespace {

// What a message reads back as.
struct ReadMessage {
    std::string subject, senderName, senderEmail, displayTo, messageId, body, html, headers;
    FILETIME delivery;
    std::vector<std::pair<std::string, std::string>> attachments;  // name, bytes
};

// Bytes that show a misplaced block: position-dependent, not periodic in 8 KB.
std::string pattern(size_t size, unsigned seed) {
    std::string out(size, '\0');
    uint32_t x = seed * 2654435761u + 1;
    for (size_t i = 0; i < size; ++i) {
        x = x * 1103515245u + 12345u;
        out[i] = static_cast<char>(x >> 24);
    }
    return out;
}

PstMessage sampleMessage(const std::string& subject, int64_t when) { return samplePstMessage(subject, when); }

std::string readStream(IMAPIProp& object, uint32_t tag) {
    std::shared_ptr<IStream> stream;
    std::string bytes;
    if (object.OpenProperty(tag, stream) == SUCCESS_SUCCESS && stream) readWholeStream(*stream, bytes);
    return bytes;
}

class PstWriterTest : public MountedStoreTest {
protected:
    std::vector<std::string> folderLines() const {
        std::vector<std::string> lines;
        for (const mapi_TFolderInfo& f : mapiFolders()) lines.push_back(std::to_string(f.depth) + " " + f.path);
        return lines;
    }

    // Every message of the listed folder `index`, in contents-table order.
    std::vector<ReadMessage> messagesOf(size_t index, bool withBodies = true) {
        std::vector<ReadMessage> out;
        uint32_t type = 0;
        std::shared_ptr<IMAPIProp> object;
        EXPECT_EQ(mapiState().store->OpenEntry(mapiFolders().at(index).entryId.bytes, type, object), SUCCESS_SUCCESS);
        const auto folder = std::dynamic_pointer_cast<IMAPIFolder>(object);
        if (!folder) return out;
        std::shared_ptr<IMAPITable> table;
        RowSet rows;
        EXPECT_EQ(folder->GetContentsTable(0, table), SUCCESS_SUCCESS);
        EXPECT_EQ(table->QueryAllRows({PR_ENTRYID, PR_SUBJECT}, rows), SUCCESS_SUCCESS);
        for (const PropRow& row : rows) {
            ReadMessage m;
            m.subject = propBytes(row, PR_SUBJECT);
            if (withBodies) {
                EXPECT_EQ(folder->OpenEntry(row[0].bytes, type, object), SUCCESS_SUCCESS);
                const auto message = std::dynamic_pointer_cast<IMessage>(object);
                if (!message) continue;
                readMessage(*message, m);
            }
            out.push_back(std::move(m));
        }
        return out;
    }

    static void readMessage(IMessage& message, ReadMessage& m) {
        PropRow values;
        message.GetProps({PR_SENDER_NAME, PR_SENDER_EMAIL_ADDRESS, PR_DISPLAY_TO, PR_INTERNET_MESSAGE_ID,
                          PR_MESSAGE_DELIVERY_TIME},
                         values);
        m.senderName = propBytes(values, PR_SENDER_NAME);
        m.senderEmail = propBytes(values, PR_SENDER_EMAIL_ADDRESS);
        m.displayTo = propBytes(values, PR_DISPLAY_TO);
        m.messageId = propBytes(values, PR_INTERNET_MESSAGE_ID);
        if (const PropValue* time = findProp(values, PR_MESSAGE_DELIVERY_TIME)) m.delivery = time->time;
        m.body = readStream(message, PR_BODY);
        m.html = readStream(message, PR_BODY_HTML);
        m.headers = readStream(message, PR_TRANSPORT_MESSAGE_HEADERS);

        std::shared_ptr<IMAPITable> table;
        RowSet rows;
        if (message.GetAttachmentTable(0, table) != SUCCESS_SUCCESS ||
            table->QueryAllRows({PR_ATTACH_NUM}, rows) != SUCCESS_SUCCESS) {
            return;
        }
        for (const PropRow& row : rows) {
            std::shared_ptr<IAttach> attach;
            if (message.OpenAttach(propNumber(row, PR_ATTACH_NUM), attach) != SUCCESS_SUCCESS) continue;
            PropRow names;
            attach->GetProps({PR_ATTACH_LONG_FILENAME}, names);
            m.attachments.emplace_back(propBytes(names, PR_ATTACH_LONG_FILENAME),
                                       readStream(*attach, PR_ATTACH_DATA_BIN));
        }
    }

    TempDir dir;
};

// Folders in the order written, the same name twice under one parent,
// subfolders below subfolders; each message with its own fields.
TEST_F(PstWriterTest, FolderTreeAndMessageFields) {
    PstFolder inbox{"Inbox", {sampleMessage("first", 946684800), sampleMessage("second", 1700000000)}, {}};
    inbox.messages[1].html = "<html><body><p>HTML \xE2\x9C\x93</p></body></html>";
    inbox.messages[1].body.clear();
    PstFolder projects{"Projects", {sampleMessage("in projects", 1000000000)}, {{"Deep", {}, {}}}};
    inbox.subfolders.push_back(projects);
    const std::vector<PstFolder> folders{
        inbox, {"Archive", {sampleMessage("archive one", 1)}, {}}, {"Archive", {sampleMessage("archive two", 2)}, {}}};
    const std::string path = dir.file("tree.pst");
    ASSERT_TRUE(writePstFile(path, folders));
    ASSERT_TRUE(mount(path)) << mapiTrace();
    // Two sibling folders of one name: the second's path is numbered.
    EXPECT_EQ(folderLines(), (std::vector<std::string>{"0 Inbox", "1 Inbox\\Projects", "2 Inbox\\Projects\\Deep",
                                                       "0 Archive", "0 Archive;2"}));

    const std::vector<ReadMessage> read = messagesOf(0);
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0].subject, "first");
    EXPECT_EQ(read[0].senderName, "Zoë Sender");
    EXPECT_EQ(read[0].senderEmail, "zoe@example.org");
    EXPECT_EQ(read[0].displayTo, "Rick Receiver");
    EXPECT_EQ(read[0].messageId, "<first@example.org>");
    EXPECT_EQ(read[0].body, "Body of first\r\nsecond line\r\n");
    EXPECT_EQ(read[0].headers, "From: zoe@example.org\r\nSubject: first\r\n\r\n");
    EXPECT_EQ(read[0].html, "");
    // 2000-01-01 in 100 ns steps since 1601.
    const uint64_t filetime = (946684800ull + 11644473600ull) * 10000000ull;
    EXPECT_EQ(read[0].delivery.dwLowDateTime, static_cast<uint32_t>(filetime));
    EXPECT_EQ(read[0].delivery.dwHighDateTime, static_cast<uint32_t>(filetime >> 32));
    EXPECT_EQ(read[1].html, "<html><body><p>HTML \xE2\x9C\x93</p></body></html>");
    EXPECT_EQ(read[1].body, "");

    EXPECT_EQ(messagesOf(1)[0].subject, "in projects");
    EXPECT_TRUE(messagesOf(2).empty());
    EXPECT_EQ(messagesOf(3)[0].subject, "archive one");
    EXPECT_EQ(messagesOf(4)[0].subject, "archive two");
}

// Text beyond the heap's 3,580 bytes goes into subnodes; odd UTF-8 becomes
// U+FFFD; characters beyond the BMP take surrogate pairs.
TEST_F(PstWriterTest, TextValues) {
    const struct {
        std::string subject;
        std::string expected;
        const char* why;
    } cases[] = {
        {"plain", "plain", "ASCII"},
        {"\xE6\x97\xA5\xE6\x9C\xAC \xE2\x82\xAC", "\xE6\x97\xA5\xE6\x9C\xAC \xE2\x82\xAC", "beyond Latin-1"},
        {"bad \xC3 byte", "bad \xEF\xBF\xBD byte", "a lead byte without its continuation"},
        {"over\xC0\xAFlong", "over\xEF\xBF\xBD\xEF\xBF\xBDlong", "an overlong form"},
        {std::string(1790, 'x'), std::string(1790, 'x'), "3,580 bytes in UTF-16: still on the heap"},
        {std::string(1791, 'y'), std::string(1791, 'y'), "one character more: a subnode"},
    };
    PstFolder inbox{"Inbox", {}, {}};
    for (const auto& c : cases) inbox.messages.push_back(sampleMessage(c.subject, 0));
    inbox.messages[0].body = std::string(100000, 'b');  // a body over many blocks
    const std::string path = dir.file("text.pst");
    ASSERT_TRUE(writePstFile(path, {inbox}));
    ASSERT_TRUE(mount(path)) << mapiTrace();
    const std::vector<ReadMessage> read = messagesOf(0);
    ASSERT_EQ(read.size(), std::size(cases));
    for (size_t i = 0; i < read.size(); ++i) EXPECT_EQ(read[i].subject, cases[i].expected) << cases[i].why;
    EXPECT_EQ(read[0].body, std::string(100000, 'b'));
}

// Attachment data on the heap, in one block, in one block exactly full, in
// a tree of blocks (1 MB), and under two levels of block trees (10 MB).
TEST_F(PstWriterTest, AttachmentsOfEverySize) {
    const size_t sizes[] = {0, 1, 3580, 3581, 8176, 8177, 1 << 20, 1021 * 8176 + 1, 10 << 20};
    PstMessage message = sampleMessage("attachments", 0);
    for (size_t i = 0; i < std::size(sizes); ++i) {
        message.attachments.push_back({"file " + std::to_string(sizes[i]) + ".bin", "application/octet-stream",
                                       pattern(sizes[i], static_cast<unsigned>(i)), ""});
    }
    message.attachments.push_back({"Übersicht März.pdf", "application/pdf", "%PDF-1.4", "part1@example"});
    // More subnodes than one subnode block holds (340), more attachment
    // rows than fit the table's heap.
    PstMessage many = sampleMessage("many attachments", 0);
    for (unsigned i = 0; i < 400; ++i) many.attachments.push_back({"n" + std::to_string(i), "", pattern(i, i), ""});
    const std::string path = dir.file("attachments.pst");
    ASSERT_TRUE(writePstFile(path, {{"Inbox", {message, many}, {}}}));
    ASSERT_TRUE(mount(path)) << mapiTrace();
    const std::vector<ReadMessage> read = messagesOf(0);
    ASSERT_EQ(read.size(), 2u);
    for (size_t m = 0; m < 2; ++m) {
        const PstMessage& written = m == 0 ? message : many;
        ASSERT_EQ(read[m].attachments.size(), written.attachments.size());
        for (size_t i = 0; i < written.attachments.size(); ++i) {
            EXPECT_EQ(read[m].attachments[i].first, written.attachments[i].fileName);
            EXPECT_EQ(read[m].attachments[i].second.size(), written.attachments[i].data.size()) << i;
            EXPECT_TRUE(read[m].attachments[i].second == written.attachments[i].data) << written.attachments[i].fileName;
        }
    }
}

// Thousands of messages: a contents table over many heap pages with its
// rows in a block tree, a node B-tree of several levels; then archived.
TEST_F(PstWriterTest, ThousandsOfMessagesArchived) {
    constexpr size_t kCount = 3000;
    PstFolder inbox{"Inbox", {}, {}};
    for (size_t i = 0; i < kCount; ++i) {
        const int64_t when = 1000000000 + static_cast<int64_t>(i) * 60;
        inbox.messages.push_back(sampleMessage("message " + std::to_string(i), when));
    }
    inbox.messages[7].attachments.push_back({"notes.bin", "application/octet-stream", "some notes\r\n", ""});
    const std::string path = dir.file("many.pst");
    ASSERT_TRUE(writePstFile(path, {inbox}));
    ASSERT_TRUE(mount(path)) << mapiTrace();
    const std::vector<ReadMessage> read = messagesOf(0, false);
    ASSERT_EQ(read.size(), kCount);
    for (const size_t i : {size_t{0}, size_t{446}, size_t{447}, size_t{1500}, kCount - 1}) {
        EXPECT_EQ(read[i].subject, "message " + std::to_string(i));
    }

    TempDir out;
    std::string problems;
    RunSinks sinks;
    sinks.log = [&](const std::string& line) { problems += line + "\n"; };
    ArchiveRun run;
    driveRun(run, outlookRequest({"Inbox"}, out.path()), std::move(sinks));
    EXPECT_EQ(problems, "");
    EXPECT_EQ(run.messageCount, kCount);
    // The one attachment, saved as it was stored (its name stamped with the message's time).
    std::vector<std::string> saved;
    for (const auto& entry : std::filesystem::directory_iterator(out.file("Inbox/attachments"))) {
        saved.push_back(entry.path().filename().string());
    }
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_TRUE(saved[0].starts_with("notes - 09092001'015340'") && saved[0].ends_with(".bin")) << saved[0];
    EXPECT_EQ(readFile(out.file("Inbox/attachments/" + saved[0])), "some notes\r\n");
}

TEST_F(PstWriterTest, WriteFailureSetsErrno) {
    errno = 0;
    EXPECT_FALSE(writePstFile(dir.file("no such folder/out.pst"), {{"Inbox", {}, {}}}));
    EXPECT_EQ(errno, ENOENT);
}

}  // namespace
}  // namespace tessaly::test

#endif
