// attachment_names_test.cpp - the file names of saved parts: kept as they
// are when they fit, cut to what the file system takes when they do not,
// and still unique within the message and the attachments folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "archive/attachments.h"
#include "message/attribute_text.h"
#include "platform/name_rules.h"
#include "support/on_each_disk.h"
#include "support/temp_dir.h"
#include "support/test_run.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

const ArchiveName kName{"Alice - Times - ", "05092002'143007'k3p0qa"};
const std::string kTail = " - 05092002'143007'k3p0qa";  // 25 bytes: 226 are left of 255 with ".bin"

std::string times(const std::string& piece, size_t count) {
    std::string out;
    for (size_t i = 0; i < count; ++i) out += piece;
    return out;
}

// Whether `text` is well-formed UTF-8 (no sequence cut short).
bool isUtf8(const std::string& text) {
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        }
        i += length;
    }
    return true;
}

// The saved file names prepareParts gives attachments declared with
// `declared`, all parts of one message, in order.
std::vector<std::string> savedNames(const std::vector<std::string>& declared,
                                    const std::string& attachmentDirectory = "/nonexistent/") {
    TMessageInfo info;
    info.rootPart.kind = PartKind::Multipart;
    std::vector<tagMessagePart*> parts;
    tagMessagePart** link = &info.rootPart.firstChild;
    for (const std::string& name : declared) {
        parts.push_back(&info.parts.add());
        tagMessagePart& part = *parts.back();
        part.kind = PartKind::Attachment;
        part.fileName = part.declaredName = name;
        part.partNumber = static_cast<int32_t>(parts.size());
        part.parent = &info.rootPart;
        *link = &part;
        link = &part.nextSibling;
    }
    test::TestRun test;
    ArchiveWriter writer(test.run, test.run.decoder, {"/nonexistent"});
    SavedParts saved;
    prepareParts(writer, saved, info, kName, attachmentDirectory);
    std::vector<std::string> names;
    for (const tagMessagePart* part : parts) names.push_back(part->fileName);
    return names;
}

TEST(AttachmentNames, LongNamesAreCutToFitAndShortOnesKept) {
    const std::string e = "\xC3\xA9";          // é
    const std::string euro = "\xE2\x82\xAC";   // €
    const std::string face = "\xF0\x9F\x98\x80";  // a four-byte emoji
    struct Row {
        const char* why;
        std::string declared;
        std::string expected;
    };
    const std::vector<Row> rows = {
        {"fits: unchanged", "report.pdf", "report" + kTail + ".pdf"},
        {"exactly 255 bytes: unchanged", std::string(226, 'n') + ".bin",
         std::string(226, 'n') + kTail + ".bin"},
        {"one byte over: the name loses one byte", std::string(227, 'n') + ".bin",
         std::string(226, 'n') + kTail + ".bin"},
        {"the name that cost its message", std::string(240, 'n') + ".bin",
         std::string(226, 'n') + kTail + ".bin"},
        {"the limit falls inside a two-byte character", "x" + times(e, 130) + ".pdf",
         "x" + times(e, 112) + kTail + ".pdf"},
        {"inside a three-byte character", times(euro, 100) + ".pdf", times(euro, 75) + kTail + ".pdf"},
        {"inside a four-byte character", times(face, 80) + ".pdf", times(face, 56) + kTail + ".pdf"},
        {"Latin-1 bytes, no UTF-8: cut at the limit", std::string(240, '\xE9') + ".bin",
         std::string(226, '\xE9') + kTail + ".bin"},
        {"stray continuation bytes: cut at the limit", std::string(240, '\x80') + ".bin",
         std::string(226, '\x80') + kTail + ".bin"},
        {"an absurd extension takes what the short name leaves", "a." + std::string(300, 'e'),
         "a" + kTail + "." + std::string(228, 'e')},
        {"an extension cut inside a character", "a.x" + times(e, 200), "a" + kTail + ".x" + times(e, 113)},
        {"long name and long extension: the extension keeps 32 bytes",
         std::string(240, 'n') + "." + std::string(100, 'e'),
         std::string(198, 'n') + kTail + "." + std::string(31, 'e')},
        {"unnamed but for a long extension: the message name stays whole", "." + std::string(300, 'e'),
         "Alice - Times - 05092002'143007'k3p0qa(1)." + std::string(213, 'e')},
    };
    for (const Row& row : rows) {
        const std::string got = savedNames({row.declared})[0];
        EXPECT_EQ(got, row.expected) << row.why;
        EXPECT_LE(got.size(), 255u) << row.why;
        if (isUtf8(row.declared)) {
            EXPECT_TRUE(isUtf8(got)) << row.why;
        }
    }
}

TEST(AttachmentNames, NamesThatClashAfterCuttingStayDistinct) {
    // Two names alike in the bytes that survive the cut.
    const std::vector<std::string> two =
        savedNames({std::string(240, 'n') + "1.bin", std::string(240, 'n') + "2.bin"});
    EXPECT_EQ(two[0], std::string(226, 'n') + kTail + ".bin");
    EXPECT_EQ(two[1], std::string(224, 'n') + kTail + ";2.bin");

    // A name that fits exactly: the second copy makes room for ";2".
    const std::string exact = std::string(226, 'n') + ".bin";
    const std::vector<std::string> pair = savedNames({exact, exact});
    EXPECT_EQ(pair[0], std::string(226, 'n') + kTail + ".bin");
    EXPECT_EQ(pair[1], std::string(224, 'n') + kTail + ";2.bin");

    // A two-digit number takes a byte more.
    const std::vector<std::string> ten(10, std::string(300, 'n') + ".bin");
    const std::vector<std::string> names = savedNames(ten);
    EXPECT_EQ(names[9], std::string(223, 'n') + kTail + ";10.bin");
    for (size_t i = 0; i < names.size(); ++i) {
        EXPECT_LE(names[i].size(), 255u) << i;
        for (size_t k = 0; k < i; ++k) EXPECT_NE(names[i], names[k]) << i << " " << k;
    }

    // A cut name already on disk from an earlier run is not overwritten.
    test::TempDir dir;
    test::writeFile(dir.file(two[0]), "from another message");
    EXPECT_EQ(savedNames({std::string(240, 'n') + ".bin"}, dir.path() + "/")[0],
              std::string(224, 'n') + kTail + ";2.bin");
}

// The whole road, on each disk: the files of a message are written, its
// page links them, and a second run finds the message in the archive.
class AttachmentFiles : public test::OnEachDisk {};
TESSALY_ON_EACH_DISK(AttachmentFiles);

// A mailbox message with attachments whose names are too long for the
// file system is archived with its page and both files.
TEST_P(AttachmentFiles, MessageWithOverlongAttachmentNamesIsArchived) {
    const std::string longAscii = std::string(240, 'n') + ".bin";
    const std::string longUtf8 = "x" + times("\xC3\xA9", 130) + ".pdf";
    test::TempDir dir(disk());
    test::writeFile(dir.file("box"),
                    "From alice@example.org Thu Sep  5 14:30:07 2002\n"
                    "Received: from a by b; Fri, 6 Sep 2002 09:15:00 +0100\n"
                    "From: Alice <alice@example.org>\nTo: bob@example.com\nSubject: Times\n"
                    "Date: Thu, 5 Sep 2002 14:30:07 +0200\n"
                    "Content-Type: multipart/mixed; boundary=\"b\"\n\n"
                    "--b\nContent-Type: text/plain\n\nHello\n"
                    "--b\nContent-Type: application/octet-stream\n"
                    "Content-Disposition: attachment; filename=\"" + longAscii + "\"\n"
                    "Content-Transfer-Encoding: base64\n\ncGF5bG9hZA==\n"
                    "--b\nContent-Type: application/pdf\n"
                    "Content-Disposition: attachment; filename=\"" + longUtf8 + "\"\n"
                    "Content-Transfer-Encoding: base64\n\nJVBERg==\n"
                    "--b--\n\n");
    TDbxFolderInfo entry;
    entry.directory = dir.path();
    entry.fileName = "box";
    entry.name = entry.folderPath = "Box";

    const auto archiveOnce = [&](std::vector<std::string>& lines) {
        test::TestRun test;
        test.archive(SourceKind::Mailboxes, {entry}, dir.file("archive"));
        lines = test.lines;
        return test.run.alreadyArchivedCount;
    };
    std::vector<std::string> lines;
    EXPECT_EQ(archiveOnce(lines), 0u);
    EXPECT_TRUE(lines.empty()) << lines[0];

    std::vector<std::string> pages;
    for (const auto& e : fs::directory_iterator(dir.file("archive/Box"))) {
        if (e.path().extension() == ".html") pages.push_back(e.path().string());
    }
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(fs::path(pages[0]).filename().string().rfind("Alice - Times - 05092002'143007'", 0), 0u);
    const std::string page = test::readFile(pages[0]);

    std::map<std::string, std::string> files;
    for (const auto& e : fs::directory_iterator(dir.file("archive/Box/attachments"))) {
        files[e.path().filename().string()] = test::readFile(e.path().string());
    }
    ASSERT_EQ(files.size(), 2u);
    for (const auto& [name, bytes] : files) {
        EXPECT_LE(name.size(), 255u);
        EXPECT_TRUE(isUtf8(name)) << name;
        EXPECT_NE(page.find("href=\"attachments/" + name + "\""), std::string::npos) << name;
        if (name[0] == 'n') {
            EXPECT_EQ(name.substr(0, 227), std::string(226, 'n') + " ");
            EXPECT_EQ(name.substr(name.size() - 4), ".bin");
            EXPECT_EQ(bytes, "payload");
        } else {
            // fusefat takes ASCII only: there each character is one "_".
            if (nameRulesFor(dir.path()).refusesNonAscii) {
                EXPECT_EQ(name.substr(0, 1 + 130 + 3), "x" + std::string(130, '_') + " - ");
            } else {
                EXPECT_EQ(name.substr(0, 1 + 2 * 112), "x" + times("\xC3\xA9", 112));
            }
            EXPECT_EQ(name.substr(name.size() - 4), ".pdf");
            EXPECT_EQ(bytes, "%PDF");
        }
    }

    // The names are the same next time, so the message is recognised.
    lines.clear();
    EXPECT_EQ(archiveOnce(lines), 1u);
    size_t count = 0;
    for (const auto& e : fs::recursive_directory_iterator(dir.file("archive/Box"))) count += e.is_regular_file();
    EXPECT_EQ(count, 3u);
}

const std::string kAlreadyArchived = "Warning: <a href=\"help:err_already.html\">";

std::string mailboxMessage(const std::string& subject, const std::vector<std::string>& attachments) {
    std::string m = "From alice@example.org Thu Sep  5 14:30:07 2002\n"
                    "Received: from a by b; Fri, 6 Sep 2002 09:15:00 +0100\n"
                    "From: Alice <alice@example.org>\nTo: bob@example.com\nSubject: " + subject + "\n"
                    "Date: Thu, 5 Sep 2002 14:30:07 +0200\n"
                    "Content-Type: multipart/mixed; boundary=\"b\"\n\n"
                    "--b\nContent-Type: text/plain\n\nHello\n";
    for (const std::string& name : attachments) {
        m += "--b\nContent-Type: application/octet-stream\n"
             "Content-Disposition: attachment; filename=\"" + name + "\"\n"
             "Content-Transfer-Encoding: base64\n\ncGF5bG9hZA==\n";
    }
    return m + "--b--\n\n";
}

std::map<std::string, std::string> filesIn(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::directory_iterator(folder)) {
        if (e.is_regular_file()) files[e.path().filename().string()] = test::readFile(e.path().string());
    }
    return files;
}

// Attachment and folder names that FAT and exFAT refuse: there they get
// safe names instead of failing the message; on other disks every byte
// stays as it always was.
TEST_P(AttachmentFiles, NamesTheStickRefusesGetSafeNamesThere) {
    test::TempDir dir(disk());
    test::writeFile(dir.file("box"), mailboxMessage("Times", {"report: 3/4?.pdf", "notes.", "a<b>|c*d.bin"}));
    TDbxFolderInfo entry;
    entry.directory = dir.path();
    entry.fileName = "box";
    entry.name = entry.folderPath = "Sent.";
    const std::string folder = onImage() ? "Sent" : "Sent.";
    struct Expected {
        std::string head;
        std::string extension;
    };
    // The declared names' base names, the stamp between name and extension.
    const Expected onStick[] = {{"4_ - ", ".pdf"}, {"a_b__c_d - ", ".bin"}, {"notes - ", ".txt"}};
    const Expected elsewhere[] = {{"4? - ", ".pdf"}, {"a<b>|c*d - ", ".bin"}, {"notes - ", "."}};
    const Expected* expected = onImage() ? onStick : elsewhere;

    for (const bool html : {true, false}) {
        SCOPED_TRACE(html ? "pages" : "EML files");
        const std::string root = dir.file(html ? "pages" : "eml");
        for (const size_t already : {0u, 1u}) {
            test::TestRun test;
            test.archive(SourceKind::Mailboxes, {entry}, root, html);
            for (const std::string& line : test.lines) {
                EXPECT_EQ(line.rfind(kAlreadyArchived, 0), 0u) << line;
            }
            EXPECT_EQ(test.lines.size(), already > 0 ? 1u : 0u);
            EXPECT_EQ(test.run.alreadyArchivedCount, already);
            EXPECT_EQ(test.run.problemCount, 0u);
        }
        ASSERT_TRUE(fs::is_directory(root + "/" + folder));
        const std::map<std::string, std::string> files = filesIn(root + "/" + folder);
        ASSERT_EQ(files.size(), 1u);
        if (!html) {
            EXPECT_EQ(files.begin()->first.substr(files.begin()->first.size() - 4), ".eml");
            continue;
        }
        const std::string& page = files.begin()->second;
        const std::map<std::string, std::string> saved = filesIn(root + "/" + folder + "/attachments");
        ASSERT_EQ(saved.size(), 3u);
        auto at = saved.begin();
        for (size_t i = 0; i < 3; ++i) {
            const Expected& e = expected[i];
            const std::string& name = at->first;
            EXPECT_EQ(name.substr(0, e.head.size()), e.head) << name;
            EXPECT_EQ(name.substr(name.size() - e.extension.size()), e.extension) << name;
            EXPECT_EQ(at->second, "payload") << name;
            EXPECT_NE(page.find("href=\"attachments/" + attributeText(name) + "\""), std::string::npos) << name;
            ++at;
        }
    }
}

// Two messages whose page names differ only in letter case: on a disk
// that takes them for one name the second gets a number, and neither is
// lost.
TEST_P(AttachmentFiles, PageNamesDifferingOnlyInCaseKeepBothMessages) {
    test::TempDir dir(disk());
    test::writeFile(dir.file("box"), mailboxMessage("Times", {"Data.bin"}) + mailboxMessage("TIMES", {"data.bin"}));
    TDbxFolderInfo entry;
    entry.directory = dir.path();
    entry.fileName = "box";
    entry.name = entry.folderPath = "Box";
    for (const bool html : {true, false}) {
        SCOPED_TRACE(html ? "pages" : "EML files");
        const std::string root = dir.file(html ? "pages" : "eml");
        for (const size_t already : {0u, 2u}) {
            test::TestRun test;
            test.archive(SourceKind::Mailboxes, {entry}, root, html);
            for (const std::string& line : test.lines) {
                EXPECT_EQ(line.rfind(kAlreadyArchived, 0), 0u) << line;
            }
            EXPECT_EQ(test.lines.size(), already > 0 ? 1u : 0u);
            EXPECT_EQ(test.run.alreadyArchivedCount, already);
            EXPECT_EQ(test.run.duplicateCount, 0u);
        }
        EXPECT_EQ(filesIn(root + "/Box").size(), 2u);
        if (html) {
            EXPECT_EQ(filesIn(root + "/Box/attachments").size(), 2u);
        }
    }
}

}  // namespace
}  // namespace tessaly
