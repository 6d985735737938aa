// eml_to_mailbox_test.cpp - packing .eml folders into mailboxes that the
// mailbox reader takes back message for message.
#include "sources/eml_to_mailbox.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/files.h"
#include "sources/mailbox.h"
#include "support/temp_dir.h"
#include "support/test_run.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

std::string convert(const std::string& text) {
    ArchiveRun run;
    return mailboxMessage(run, run.decoder.charsets(), text.data(), text.data() + text.size());
}

// What follows the From line.
std::string body(const std::string& message) { return message.substr(message.find("\r\n") + 2); }

TEST(EmlToMailbox, FromLineUsesSenderAndDate) {
    const std::string m = convert("From: Ann <ann@example.org>\nDate: Thu, 5 Sep 2002 14:30:07 +0200\n\nHi\n");
    EXPECT_EQ(m.substr(0, m.find("\r\n")), "From ann@example.org Thu Sep  5 14:30:07 2002");
    const std::string anonymous = convert("From: Ann\nDate: Thu, 5 Sep 2002 14:30:07 +0200\n\nHi\n");
    EXPECT_EQ(anonymous.substr(0, anonymous.find(' ', 5)), std::string("From ") + kPlaceholderSender);
    // The placeholder line is one the mailbox reader accepts.
    const std::string line = anonymous.substr(0, anonymous.find("\r\n"));
    EXPECT_TRUE(isFromLine(line.data(), line.data() + line.size()));
}

// The From line names one clean address whatever the From header holds, and
// every line it writes is one the mailbox reader accepts.
TEST(EmlToMailbox, FromLineSenderIsOneCleanAddress) {
    const struct {
        const char* from;
        const char* sender;
        const char* why;
    } rows[] = {
        {"Alice alice@example.org", "alice@example.org", "no angle brackets"},
        {"alice@example.org (Alice Smith)", "alice@example.org", "a comment"},
        {"\"Smith, Alice\" <alice@example.org>", "alice@example.org", "a quoted name with a comma"},
        {"MAILER-DAEMON@mail.example.org (Mail Delivery System)", "MAILER-DAEMON@mail.example.org", "a bounce"},
        {"Alice", kPlaceholderSender, "a name alone"},
    };
    for (const auto& row : rows) {
        const std::string m = convert(std::string("From: ") + row.from + "\nDate: Thu, 5 Sep 2002 14:30:07 +0200\n\nHi\n");
        const std::string line = m.substr(0, m.find("\r\n"));
        EXPECT_EQ(line, std::string("From ") + row.sender + " Thu Sep  5 14:30:07 2002") << row.why;
        EXPECT_TRUE(isFromLine(line.data(), line.data() + line.size())) << row.why;
    }
}

TEST(EmlToMailbox, ClosingEmptyLineAndLineEnds) {
    struct Row {
        const char* text;
        const char* body;
        const char* why;
    };
    const Row rows[] = {
        {"Subject: a\n\nx", "Subject: a\r\n\r\nx\r\n\r\n", "no line end: two are added"},
        {"Subject: a\n\nx\n", "Subject: a\r\n\r\nx\r\n\r\n", "one line end: one more"},
        {"Subject: a\r\n\r\nx\r\n\r\n", "Subject: a\r\n\r\nx\r\n\r\n", "an empty last line: nothing"},
        {"\r\n \tSubject: a\n\nx\n", "Subject: a\r\n\r\nx\r\n\r\n", "leading blanks are skipped"},
        {"Subject: a\n\nFrom me to you: hi\nFrom nowhere\nFrom x y\nFromage\n>From z\n>>From w\n> From v\n",
         "Subject: a\r\n\r\n>From me to you: hi\r\n>From nowhere\r\n>From x y\r\nFromage\r\n>>From z\r\n"
         ">>>From w\r\n> From v\r\n\r\n",
         "every line that begins \"From \" after any \">\" gets one \">\" more"},
        {"Subject: a\n\nFrom -\nFrom bob@x.org\nFrom \nFrom MAILER-DAEMON\n",
         "Subject: a\r\n\r\n>From -\r\n>From bob@x.org\r\n>From \r\n>From MAILER-DAEMON\r\n\r\n",
         "the forms mailbox readers take for one among them"},
        {"Subject: a\n\n\rFrom MAILER-DAEMON Thu Sep  5 14:30:07 2002\n\r>From x\n",
         "Subject: a\r\n\r\n>From MAILER-DAEMON Thu Sep  5 14:30:07 2002\r\n>>From x\r\n\r\n",
         "a carriage return at the start of a line is dropped: the line is quoted all the same"},
        {"From bob@x.org Thu Sep  5 14:30:07 2002\nSubject: a\n\nx\n",
         ">From bob@x.org Thu Sep  5 14:30:07 2002\r\nSubject: a\r\n\r\nx\r\n\r\n",
         "a From line the .eml file kept from its mailbox: the first line is quoted too"},
    };
    for (const Row& row : rows) EXPECT_EQ(body(convert(row.text)), row.body) << row.why;
    EXPECT_EQ(convert(" \r\n\t\n"), "");  // blank file: nothing written
}

// Messages whose bodies hold lines of the form of a From line, in the line
// ends mail files come with: packed one after another, the mailbox reader
// finds each message once, whole.
TEST(EmlToMailbox, FromLinesInBodiesNeverCutAMessageShort) {
    const std::string fromLine = "From MAILER-DAEMON Thu Sep  5 14:30:07 2002";
    const std::string bodies[] = {
        "\n" + fromLine + "\nSubject: bounce\n",           // after an empty line, a header block after it
        "\n\r" + fromLine + "\r\nSubject: bounce\r\n",     // LF CR line ends
        "\r\n\r\n\r" + fromLine + "\nFrom: x@y\n",          // a stray CR before it
        "\n>\r" + fromLine + "\n\nFrom ann@example.org Thu Sep  5 14:30:07 2002\nTo: b@c\n",
    };
    for (const std::string& body : bodies) {
        const std::string text = "From: a@example.org\nSubject: one\n\nfirst line\n" + body + "last line\n";
        const std::string box = convert(text) + convert(text);
        std::vector<std::string> messages;
        MailboxScanEvents events;
        events.message = [&](const char* s, const char* e, std::vector<TMarker>&) { messages.emplace_back(s, e); };
        scanMailbox(box.data(), box.data() + box.size(), events);
        ASSERT_EQ(messages.size(), 2u) << body;
        EXPECT_NE(messages[0].find("last line\r\n"), std::string::npos) << body;
    }
}

// A file where the mailbox goes is kept: the mailbox takes the next free
// name, and says so.
TEST(EmlToMailbox, AnExistingMailboxIsNeverReplaced) {
    test::TempDir dir;
    const std::string root = dir.file("Mail");
    fs::create_directories(root);
    test::writeFile(root + "/a.eml", "Subject: a\n\nbody\n");
    test::writeFile(dir.file("Mail.bmf"), "keep me");
    std::vector<std::string> lines;
    ArchiveRun run;
    run.beginRun(nullptr, nullptr, [&](const std::string& l) { lines.push_back(l); });
    std::vector<PackedMailbox> written = convertEmlFolders(run, root);
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(written[0].path, dir.file("Mail (2).bmf"));
    EXPECT_EQ(written[0].takenPath, dir.file("Mail.bmf"));
    EXPECT_EQ(test::readFile(dir.file("Mail.bmf")), "keep me");
    EXPECT_NE(test::readFile(dir.file("Mail (2).bmf")).find("Subject: a\r\n"), std::string::npos);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("Warning: "), std::string::npos);
    EXPECT_NE(lines[0].find(dir.file("Mail (2).bmf")), std::string::npos);

    written = convertEmlFolders(run, root);  // again: neither earlier file is touched
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(written[0].path, dir.file("Mail (3).bmf"));
    run.endRun();

    // No .eml files at all: nothing written, nothing returned.
    fs::create_directories(dir.file("empty"));
    EXPECT_TRUE(convertEmlFolders(run, dir.file("empty")).empty());
    EXPECT_FALSE(pathExists(dir.file("empty.bmf")));
}

void writeWithTime(const std::string& path, const std::string& text, int64_t unixTime) {
    test::writeFile(path, text);
    setFileTime(path, unixToFileTime(unixTime));
}

TEST(EmlToMailbox, FoldersBecomeMailboxesReadBackOldestFirst) {
    test::TempDir dir;
    const std::string root = dir.file("mail");
    fs::create_directories(root + "/Work");
    test::writeFile(root + "/notes.txt", "not mail");
    writeWithTime(root + "/Work/b.eml", "Subject: second\nFrom: b@x\n\nFrom me to you: hi\nbody b\n", 2000000);
    writeWithTime(root + "/Work/a.EML", "Subject: third\n\nbody c", 3000000);
    writeWithTime(root + "/Work/c.eml", "Subject: first\n\nbody a\n\n", 1000000);

    ArchiveRun run;
    run.beginRun(nullptr, nullptr, nullptr);
    convertEmlFolders(run, root);
    run.endRun();
    EXPECT_EQ(run.folderCount, 1u);  // the root holds no .eml files of its own
    EXPECT_EQ(run.messageCount, 3u);
    EXPECT_EQ(run.problemCount, 0u);
    ASSERT_TRUE(pathExists(root + "/Work.bmf"));
    EXPECT_FALSE(pathExists(root + "/../mail.bmf"));

    const std::string box = test::readFile(root + "/Work.bmf");
    std::vector<std::string> messages;
    MailboxScanEvents events;
    events.message = [&](const char* s, const char* e, std::vector<TMarker>&) {
        const std::string m(s, e);
        messages.push_back(m.substr(m.find('\n') + 1));
    };
    scanMailbox(box.data(), box.data() + box.size(), events);
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0], "Subject: first\r\n\r\nbody a\r\n\r\n");
    EXPECT_EQ(messages[1], "Subject: second\r\nFrom: b@x\r\n\r\n>From me to you: hi\r\nbody b\r\n\r\n");
    EXPECT_EQ(messages[2], "Subject: third\r\n\r\nbody c\r\n\r\n");
}

TEST(EmlToMailbox, BlankAndUnreadableFilesCountAsProblems) {
    test::TempDir dir;
    test::writeFile(dir.file("blank.eml"), "\r\n  \n");
    test::writeFile(dir.file("empty.eml"), "");
    std::vector<std::string> lines;
    ArchiveRun run;
    run.beginRun(nullptr, nullptr, [&](const std::string& l) { lines.push_back(l); });
    convertEmlFolders(run, dir.path());
    EXPECT_EQ(run.messageCount, 2u);
    EXPECT_EQ(run.problemCount, 2u);
    EXPECT_TRUE(lines.empty());
}

}  // namespace
}  // namespace tessaly
