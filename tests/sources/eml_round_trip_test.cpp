// eml_round_trip_test.cpp - a folder of .eml files packed into a mailbox
// and archived again keeps every message, as this program reads the
// mailbox and as Python's mailbox module reads it.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "message/content_key.h"
#include "sources/eml_to_mailbox.h"
#include "support/temp_dir.h"
#include "support/test_run.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

// Messages of the shapes mail folders hold, each with a subject of its own.
const std::map<std::string, std::string> kMessages = {
    {"plain", "From: Ann <ann@example.org>\nSubject: plain\nDate: Thu, 5 Sep 2002 14:30:07 +0200\n\nHello.\n"},
    {"undated", "From: Ann <ann@example.org>\nSubject: undated\n\nNo date at all.\n"},
    {"bounce",
     "From: MAILER-DAEMON@mail.example.org (Mail Delivery System)\nSubject: bounce\n"
     "Date: Fri, 6 Sep 2002 10:00:00 +0000\n\nYour message could not be delivered.\n"},
    {"bare", "From: Bob bob@example.org\nSubject: bare\nDate: Fri, 6 Sep 2002 11:00:00 +0000\n\nNo brackets.\n"},
    {"nameonly", "From: Carol\nSubject: nameonly\nDate: Fri, 6 Sep 2002 12:00:00 +0000\n\nNo address.\n"},
    {"fromlines",
     "From: Dave <dave@example.org>\nSubject: fromlines\nDate: Fri, 6 Sep 2002 13:00:00 +0000\n\n"
     "From me to you: hi\n\nFrom -\n\nFrom bob@example.org\nFrom \nFrom nowhere\n>From quoted\n"
     "From MAILER-DAEMON Fri Sep  6 13:00:00 2002\nend\n"},
    {"kept", "From gail@example.org Fri Sep  6 13:30:00 2002\nFrom: Gail <gail@example.org>\nSubject: kept\n"
             "Date: Fri, 6 Sep 2002 13:30:00 +0000\n\nThe file kept its mailbox's From line.\n"},
    {"crlf", "From: Erin <erin@example.org>\r\nSubject: crlf\r\nDate: Fri, 6 Sep 2002 14:00:00 +0000\r\n\r\nCR LF.\r\n"},
    {"multipart",
     "From: Frank <frank@example.org>\nSubject: multipart\nDate: Fri, 6 Sep 2002 15:00:00 +0000\n"
     "Content-Type: multipart/mixed; boundary=b\n\n--b\nContent-Type: text/plain\n\nSee attached.\n"
     "--b\nContent-Type: application/octet-stream; name=x.bin\nContent-Transfer-Encoding: base64\n\neHl6\n--b--\n"},
};

TEST(EmlRoundTrip, EveryMessageComesBackWhole) {
    test::TempDir dir;
    fs::create_directories(dir.file("mail/Box"));
    for (const auto& [name, text] : kMessages) test::writeFile(dir.file("mail/Box/" + name + ".eml"), text);

    test::TestRun pack;
    pack.run.beginRun(nullptr, nullptr, pack.collect());
    convertEmlFolders(pack.run, dir.file("mail"));
    pack.run.endRun();
    ASSERT_EQ(pack.run.problemCount, 0u);
    const std::string box = dir.file("mail/Box.bmf");
    ASSERT_TRUE(fs::exists(box));

    TDbxFolderInfo entry;
    entry.directory = dir.file("mail");
    entry.fileName = "Box.bmf";
    entry.name = entry.folderPath = "Box";
    test::TestRun archive;
    archive.archive(SourceKind::Mailboxes, {entry}, dir.file("archive"), false);
    EXPECT_TRUE(archive.lines.empty()) << archive.lines.front();
    EXPECT_EQ(archive.run.messageCount, kMessages.size());

    // Each message once, and whole: the same content, but for the lines the
    // packing quoted with a ">".
    std::map<std::string, std::string> archived;
    for (const auto& e : fs::directory_iterator(dir.file("archive/Box"))) {
        const std::string text = test::readFile(e.path().string());
        const size_t subject = text.find("Subject: ");
        ASSERT_NE(subject, std::string::npos);
        const std::string name = text.substr(subject + 9, text.find_first_of("\r\n", subject) - subject - 9);
        EXPECT_TRUE(archived.emplace(name, text).second) << name << " twice";
    }
    ASSERT_EQ(archived.size(), kMessages.size());
    for (const auto& [name, text] : kMessages) {
        if (name == "fromlines" || name == "kept") continue;
        const std::string& back = archived.at(name);
        EXPECT_EQ(rawContentKey(back.data(), back.size()), rawContentKey(text.data(), text.size())) << name;
    }
    EXPECT_NE(archived.at("fromlines").find("\r\n>From nowhere\r\n>>From quoted\r\n>From MAILER-DAEMON"),
              std::string::npos);
    EXPECT_EQ(archived.at("kept").rfind(">From gail@example.org", 0), 0u);

    // Another program's reader agrees, where there is one.
    FILE* python = popen(("python3 -c \"import mailbox,sys; print(len(mailbox.mbox(sys.argv[1])))\" '" + box +
                          "' 2>/dev/null")
                             .c_str(),
                         "r");
    ASSERT_NE(python, nullptr);
    char count[32] = {};
    const bool read = std::fgets(count, sizeof count, python) != nullptr;
    pclose(python);
    if (!read) GTEST_SKIP() << "no python3 here";
    EXPECT_EQ(std::stoul(count), kMessages.size());
}

}  // namespace
}  // namespace tessaly
