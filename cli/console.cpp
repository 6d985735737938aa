// console.cpp - progress, problem lines, stop requests and the summary on a
// terminal.
#include "cli/console.h"

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <string_view>

#include "app/finish_stats.h"
#include "cli/terminal_text.h"
#include "message/html_text.h"
#include "message/text.h"
#include "platform/time.h"

namespace tessaly::cli {

namespace {

volatile std::sig_atomic_t stopSignalled = 0;

void onStopSignal(int signal) {
    stopSignalled = 1;
    // A second signal of the same kind ends the program the usual way.
    std::signal(signal, SIG_DFL);
}

std::string bar(double fraction, int width) {
    if (fraction < 0) fraction = 0;
    if (fraction > 1) fraction = 1;
    const int filled = static_cast<int>(fraction * width + 0.5);
    return "[" + std::string(static_cast<size_t>(filled), '#') +
           std::string(static_cast<size_t>(width - filled), ' ') + "]";
}

// `text` made safe for the terminal, cut (between characters) or padded to
// `width` bytes.
std::string fitted(const std::string& text, size_t width) {
    const std::string shown = terminalText(text);
    if (shown.size() <= width) return shown + std::string(width - shown.size(), ' ');
    const size_t kept = utf8Prefix(shown, width - 3);
    return shown.substr(0, kept) + "..." + std::string(width - 3 - kept, ' ');
}

}  // namespace

Console::Console(ArchiveRun& run) : run_(run), terminal_(isatty(STDERR_FILENO) != 0) {
    stopSignalled = 0;
    std::signal(SIGINT, onStopSignal);
    std::signal(SIGTERM, onStopSignal);
}

Console::~Console() {
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
}

ArchiveRun::ProgressSink Console::progressSink() {
    return [this](const std::string& t1, double f1, const std::string& t2, double f2) {
        if (f1 == -1) {
            finishProgress();
            return;
        }
        drawProgress(t1, f1, t2, f2);
        run_.pumpMessages();
    };
}

ArchiveRun::LogSink Console::logSink() {
    return [this](const std::string& line) {
        clearLine();
        // Names, subjects and dates come from mail: shown, never obeyed.
        std::fprintf(stderr, "%s\n", terminalText(plainTextOfHtml(line)).c_str());
        std::fflush(stderr);
        run_.pumpMessages();
    };
}

ArchiveRun::MessagePump Console::messagePump() {
    // A signal asks the job to stop after the current message, as the
    // progress window's close box does.
    return [] { return stopSignalled == 0; };
}

void Console::drawProgress(const std::string& text1, double fraction1, const std::string& text2,
                           double fraction2) {
    if (!terminal_) return;
    const uint32_t now = tickCount();
    // At most ten lines a second, but a new step shows at once.
    if (lineShown_ && now - lastDraw_ < 100 && text1 == lastStep_) return;
    lastDraw_ = now;
    lastStep_ = text1;
    std::fprintf(stderr, "\r%s %s  %s %s", fitted(text1, 20).c_str(), bar(fraction1, 20).c_str(),
                 fitted(text2, 24).c_str(), bar(fraction2, 20).c_str());
    std::fflush(stderr);
    lineShown_ = true;
}

void Console::clearLine() {
    if (!lineShown_) return;
    std::fprintf(stderr, "\r%*s\r", 91, "");
    lineShown_ = false;
}

void Console::finishProgress() { clearLine(); }

void printSummary(const ArchiveRun& run) {
    std::string text = plainTextOfHtml(finishSummaryHtml(run));
    while (!text.empty() && text.back() == '\n') text.pop_back();
    std::printf("%s\n", text.c_str());
    std::fflush(stdout);
}

}  // namespace tessaly::cli
