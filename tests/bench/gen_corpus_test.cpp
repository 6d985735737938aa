// gen_corpus_test.cpp - the benchmark corpus: both mailboxes and the DBX
// file hold the same messages, and the archiving jobs read every one.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gen_corpus/corpus.h"
#include "sources/dbx_test_reading.h"
#include "sources/mailbox.h"
#include "support/temp_dir.h"
#include "support/test_run.h"

namespace tessaly {
namespace {

using bench::CorpusOptions;
using bench::CorpusSummary;
using bench::MessageKind;

constexpr uint64_t kMessages = 300;

std::vector<std::string> scanEntries(const std::string& box) {
    std::vector<std::string> entries;
    MailboxScanEvents events;
    events.message = [&](const char* s, const char* e, std::vector<TMarker>&) { entries.emplace_back(s, e); };
    scanMailbox(box.data(), box.data() + box.size(), events);
    return entries;
}

// mboxo quoting, written here apart from the generator's: every line that
// begins "From " gets a ">".
std::string quoteFromLines(const std::string& text) {
    std::string out;
    bool lineStart = true;
    for (size_t i = 0; i < text.size(); ++i) {
        if (lineStart && text.compare(i, 5, "From ") == 0) out += '>';
        out += text[i];
        lineStart = text[i] == '\n';
    }
    return out;
}

bool onlyCrLfLineEnds(const std::string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) return false;
        if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) return false;
    }
    return true;
}

class GenCorpus : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir = new test::TempDir;
        CorpusOptions options;
        options.seed = 5;
        options.messages = kMessages;
        std::string error;
        ASSERT_TRUE(bench::writeCorpus(dir->path(), options, summary, error)) << error;
    }
    static void TearDownTestSuite() {
        delete dir;
        dir = nullptr;
    }

    static test::TempDir* dir;
    static CorpusSummary summary;
};

test::TempDir* GenCorpus::dir = nullptr;
CorpusSummary GenCorpus::summary;

TEST_F(GenCorpus, MailboxesAndDbxFileHoldTheSameMessages) {
    // The seed gives every kind of message and both kinds of "From " line,
    // so the comparisons below cover them.
    for (size_t kind = 0; kind < bench::kMessageKindCount; ++kind) {
        EXPECT_GT(summary.kinds[kind], 0u) << bench::kindName(static_cast<MessageKind>(kind));
    }
    EXPECT_GT(summary.fromLines, 0u);
    EXPECT_GT(summary.quotedFromLines, 0u);

    const std::vector<std::string> lf = scanEntries(test::readFile(dir->file("Inbox.mbox")));
    const std::vector<std::string> crlf = scanEntries(test::readFile(dir->file("Inbox-crlf.mbox")));
    const std::vector<std::string> stored = test::readMailTexts(test::readFile(dir->file("Inbox.dbx")));
    ASSERT_EQ(lf.size(), kMessages);
    ASSERT_EQ(crlf.size(), kMessages);
    ASSERT_EQ(stored.size(), kMessages);
    for (size_t i = 0; i < kMessages; ++i) {
        SCOPED_TRACE("message " + std::to_string(i));
        std::string converted;
        for (char c : lf[i]) converted += c == '\n' ? std::string("\r\n") : std::string(1, c);
        EXPECT_EQ(crlf[i], converted);

        // An entry is the From line, the text quoted, and an empty line;
        // the DBX file keeps the text unquoted with CR LF line ends.
        const std::string& entry = crlf[i];
        ASSERT_TRUE(entry.starts_with("From ") && entry.ends_with("\r\n\r\n"));
        const size_t textStart = entry.find("\r\n") + 2;
        EXPECT_EQ(entry.substr(textStart, entry.size() - textStart - 2), quoteFromLines(stored[i]));
        EXPECT_TRUE(onlyCrLfLineEnds(stored[i]));
    }
}

TEST_F(GenCorpus, ArchivingJobsReadEveryMessageWithoutProblems) {
    ASSERT_GT(summary.kinds[static_cast<size_t>(MessageKind::Duplicate)], 0u);
    for (const char* name : {"Inbox.mbox", "Inbox-crlf.mbox", "Inbox.dbx"}) {
        SCOPED_TRACE(name);
        TDbxFolderInfo entry;
        entry.directory = dir->path();
        entry.fileName = name;
        entry.name = entry.folderPath = "Inbox";
        const std::string archive = dir->file(std::string("archive-") + name);
        test::TestRun test;
        const ArchiveRun& run = test.run;
        const std::vector<std::string>& lines = test.lines;
        test.archive(std::string(name).ends_with(".dbx") ? SourceKind::DbxFolders : SourceKind::Mailboxes, {entry},
                     archive, false);
        EXPECT_EQ(run.messageCount, kMessages);
        EXPECT_EQ(run.duplicateCount, summary.kinds[static_cast<size_t>(MessageKind::Duplicate)]);
        EXPECT_EQ(run.problemCount, 0u);
        for (const std::string& line : lines) {
            EXPECT_NE(line.find("This email is a duplicate"), std::string::npos) << line;
        }
    }
}

TEST(GenCorpusOutput, SameSeedSameBytes) {
    test::TempDir dir;
    auto write = [&](const std::string& folder, uint64_t seed) {
        CorpusOptions options;
        options.seed = seed;
        options.messages = 40;
        CorpusSummary summary;
        std::string error;
        EXPECT_TRUE(bench::writeCorpus(dir.file(folder), options, summary, error)) << error;
    };
    write("a", 11);
    write("b", 11);
    write("c", 12);
    for (const char* file : {"Inbox.mbox", "Inbox-crlf.mbox", "Inbox.dbx", "Inbox.pst", "corpus.txt"}) {
        const std::string a = test::readFile(dir.file(std::string("a/") + file));
        EXPECT_FALSE(a.empty()) << file;
        EXPECT_EQ(a, test::readFile(dir.file(std::string("b/") + file))) << file;
    }
    EXPECT_NE(test::readFile(dir.file("a/Inbox.mbox")), test::readFile(dir.file("c/Inbox.mbox")));
}

}  // namespace
}  // namespace tessaly
