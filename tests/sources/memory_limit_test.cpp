// memory_limit_test.cpp - messages of hundreds of megabytes under a limit on
// the address space (a child process under RLIMIT_AS): none ends the run.
// A text too large to show is saved beside its page, a message whose
// conversion still runs out of memory is archived as it came, and the
// messages after them are archived as usual.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/derived_files.h"
#include "support/temp_dir.h"
#include "support/test_run.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

constexpr size_t kMiB = size_t{1} << 20;
// What a run of small messages needs beyond the mapped mailbox: the
// catalogue, the thread that makes files ahead, the page of a message.
constexpr size_t kHeadroom = 192 * kMiB;

std::string head(const std::string& subject, const std::string& type) {
    return "From ann@example.org Thu Sep  5 14:30:07 2002\nFrom: Ann <ann@example.org>\nTo: Bob <bob@example.com>\n"
           "Subject: " + subject + "\nDate: Thu, 5 Sep 2002 14:30:07 +0200\nMIME-Version: 1.0\n" + type + "\n";
}

std::string small(const std::string& subject) {
    return head(subject, "Content-Type: text/plain\n") + "The text of " + subject + ".\n\n";
}

// Appends `bytes` of text lines to the file.
void appendLines(std::ofstream& out, size_t bytes, const std::string& line) {
    for (size_t done = 0; done < bytes; done += line.size()) out << line;
}

size_t linesWith(const std::vector<std::string>& lines, const std::string& piece) {
    return static_cast<size_t>(
        std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.find(piece) != std::string::npos; }));
}

size_t virtualBytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmSize:", 0) == 0) return std::stoul(line.substr(7)) * 1024;
    }
    return 0;
}

// Archives the mailbox in a child process whose address space holds the
// mapped file and kHeadroom more; the child writes its problem lines, one a
// line, to `linesFile`. Returns the child's exit status (-1: a signal).
int archiveUnderLimit(const std::string& box, const std::string& archive, bool html, const std::string& linesFile) {
    const pid_t child = fork();
    if (child == 0) {
        rlimit limit{};
        limit.rlim_cur = limit.rlim_max = virtualBytes() + fs::file_size(box) + kHeadroom;
        if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(3);
        TDbxFolderInfo entry;
        entry.directory = fs::path(box).parent_path().string();
        entry.fileName = fs::path(box).filename().string();
        entry.name = entry.folderPath = "Box";
        test::TestRun job;
        job.archive(SourceKind::Mailboxes, {entry}, archive, html);
        std::ofstream out(linesFile);
        for (const std::string& line : job.lines) out << line << "\n";
        out << "messages " << job.run.messageCount << "\n";
        out.close();
        _exit(out ? 0 : 4);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<std::string> readLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Files below `folder` whose name contains `piece`, with their sizes.
std::vector<uintmax_t> sizesOf(const std::string& folder, const std::string& piece) {
    std::vector<uintmax_t> sizes;
    if (!fs::exists(folder)) return sizes;
    for (const auto& e : fs::recursive_directory_iterator(folder)) {
        if (e.is_regular_file() && e.path().filename().string().find(piece) != std::string::npos) {
            sizes.push_back(e.file_size());
        }
    }
    return sizes;
}

TEST(MemoryLimit, HugeMessagesNeverEndTheRunAndTheirBytesAreKept) {
    if (kSanitized) GTEST_SKIP() << "the sanitizer's shadow memory does not fit under an address space limit";
    test::TempDir dir;
    const std::string box = dir.file("box");
    const size_t textBytes = 150 * kMiB;
    const size_t encodedBytes = 300 * kMiB;
    size_t hugeStart = 0;
    size_t hugeEnd = 0;
    {
        std::ofstream out(box, std::ios::binary);
        out << small("one");
        // A plain text of 150 MB: shown, it would take gigabytes.
        out << head("long text", "Content-Type: text/plain; charset=us-ascii\n");
        appendLines(out, textBytes, "All work and no play makes a very long message indeed, line after line.\n");
        out << "\n" << small("two");
        // An attachment that decodes to 225 MB: more than the headroom.
        hugeStart = static_cast<size_t>(out.tellp());
        out << head("huge file", "Content-Type: multipart/mixed; boundary=\"b\"\n") << "--b\nContent-Type: text/plain\n\n"
            << "The file.\n--b\nContent-Type: application/octet-stream; name=\"huge.bin\"\n"
            << "Content-Transfer-Encoding: base64\n\n";
        appendLines(out, encodedBytes, "QUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFB\n");
        out << "--b--\n";
        hugeEnd = static_cast<size_t>(out.tellp());
        out << "\n" << small("three");
    }

    for (const bool html : {true, false}) {
        SCOPED_TRACE(html ? "pages" : "EML files");
        const std::string archive = dir.file(html ? "pages" : "eml");
        const std::string linesFile = dir.file(html ? "pages.txt" : "eml.txt");
        ASSERT_EQ(archiveUnderLimit(box, archive, html, linesFile), 0);
        const std::vector<std::string> lines = readLines(linesFile);
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), "messages 5");
        for (const char* subject : {"one", "two", "three", "long text", "huge file"}) {
            EXPECT_EQ(sizesOf(archive + "/Box", std::string("(to) - ") + subject + " - ").size(), 1u) << subject;
        }
        if (html) {
            // The long text lies beside its page as it came, the huge message
            // whole as its original, and one line says so.
            const std::vector<uintmax_t> text = sizesOf(archive + "/Box/attachments", "message text");
            ASSERT_EQ(text.size(), 1u);
            EXPECT_GE(text[0], textBytes);
            const std::vector<uintmax_t> original = sizesOf(archive + "/Box/attachments", "original message");
            ASSERT_EQ(original.size(), 1u);
            EXPECT_GE(original[0], hugeEnd - hugeStart - 50);
            EXPECT_EQ(lines.size(), 2u) << testing::PrintToString(lines);
            EXPECT_EQ(linesWith(lines, "not enough memory</a> to convert this message"), 1u);
            EXPECT_EQ(linesWith(lines, "huge file - ) - it is archived as it came"), 1u);
        } else {
            // EML files are written a piece at a time: nothing runs out.
            EXPECT_EQ(lines.size(), 1u) << lines.front();
        }
    }
}

}  // namespace
}  // namespace tessaly
