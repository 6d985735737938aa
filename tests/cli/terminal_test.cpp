// terminal_test.cpp - tessaly-cli on a real terminal: what mail carries
// (names, subjects, dates) never reaches it as control sequences.
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace tessaly {
namespace {

// Runs the program with its stdout and stderr on a pseudo-terminal and
// returns everything the terminal received.
std::string runOnTerminal(const std::vector<std::string>& args) {
    int master = -1;
    const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    if (pid == 0) {
        std::vector<char*> argv{const_cast<char*>(TESSALY_CLI)};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(TESSALY_CLI, argv.data());
        _exit(127);
    }
    EXPECT_GT(pid, 0);
    std::string seen;
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(master, buffer, sizeof buffer);
        if (n > 0) {
            seen.append(buffer, static_cast<size_t>(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            break;  // EIO once the program and its terminal are gone
        }
    }
    close(master);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << seen;
    return seen;
}

TEST(CliTerminal, ControlCharactersFromMailAreShownEscaped) {
    test::TempDir dir;
    // A title change, a screen clear, a CSI in its 8-bit form, a reordering
    // mark and made-up text, spread over the mailbox's name (progress and
    // problem lines), a date (its warning) and a subject (the duplicate's
    // warning).
    const std::string box =
        "From a@example.org Thu Sep  5 14:30:07 2002\n"
        "From: a@example.org\n"
        "Subject: hello \x1b]0;owned\x07 \xc2\x9b" "2J \xe2\x80\xae" "gnp.exe\n"
        "Date: \x1b[2J\x1b[HError: fake\n\n"
        "Body\n\n"
        "From a@example.org Thu Sep  5 14:30:07 2002\n"
        "From: a@example.org\n"
        "Subject: hello \x1b]0;owned\x07 \xc2\x9b" "2J \xe2\x80\xae" "gnp.exe\n"
        "Date: \x1b[2J\x1b[HError: fake\n\n"
        "Body\n\n";
    const std::string mailbox = dir.file("in\x1b[31mbox\xff.bmf");
    test::writeFile(mailbox, box);
    const std::string seen = runOnTerminal({"archive", "--to", dir.file("archive"), mailbox});

    for (const char c : seen) {
        const unsigned char byte = static_cast<unsigned char>(c);
        const bool allowed = byte >= 0x20 || byte == '\r' || byte == '\n' || byte == '\t';
        EXPECT_TRUE(allowed) << "control byte " << int(byte) << " reached the terminal:\n" << seen;
        if (!allowed) break;
    }
    EXPECT_EQ(seen.find("\xc2\x9b"), std::string::npos);
    EXPECT_EQ(seen.find("\xe2\x80\xae"), std::string::npos);
    EXPECT_EQ(seen.find("\xff"), std::string::npos);
    // The warning quotes the date, readable.
    EXPECT_NE(seen.find("\"\\x1b[2J\\x1b[HError: fake\""), std::string::npos) << seen;
    // The progress line names the mailbox, escaped as well.
    EXPECT_NE(seen.find("in\\x1b[31mbox\\xff"), std::string::npos) << seen;

    // The archive keeps what the mail said: the page has the subject's bytes.
    bool found = false;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.file("archive"))) {
        if (entry.path().extension() != ".html") continue;
        found = found || test::readFile(entry.path().string()).find("hello \x1b]0;owned") != std::string::npos;
    }
    EXPECT_TRUE(found);
}

}  // namespace
}  // namespace tessaly
