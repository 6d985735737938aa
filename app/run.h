// run.h - the archiving run record: counters, problem log, progress, stop flag.
//
// A plain record with no user-interface dependency: the shell and the command
// line front end plug in sinks and a message pump; jobs, writers and parsers
// see it through the narrower JobRun and ProblemReporter.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "app/line_limit.h"
#include "archive/job_run.h"
#include "message/decoding.h"
#include "sources/eml_to_mailbox.h"

namespace tessaly {

// The problem lines of a run, each already wrapped as "<p>" + line +
// "</p>\r\n". The text is kept as the platform's 8-bit text. Holding n
// characters keeps the storage while n + 1 is below the capacity; otherwise
// it is reallocated to 2n characters, but at least 2048.
class ProblemLog {
public:
    void append(std::string_view text);
    void clear() { length_ = 0; }
    bool empty() const { return length_ == 0; }
    size_t size() const { return length_; }
    size_t capacity() const { return capacity_; }
    std::string_view view() const { return {buffer_.get(), length_}; }

private:
    std::unique_ptr<char[]> buffer_;
    size_t length_ = 0;
    size_t capacity_ = 0;
};

// The record of the program's archiving runs. It implements the run as the
// jobs see it (JobRun): every count and the description in problem lines
// are kept here and nowhere else.
struct ArchiveRun final : JobRun {
    using ProgressSink =
        std::function<void(const std::string& text1, double fraction1, const std::string& text2,
                            double fraction2)>;
    using LogSink = std::function<void(const std::string& htmlLine)>;
    // Handles every pending event of the user interface; returns false when
    // the program was asked to quit while doing so.
    using MessagePump = std::function<bool()>;

    void* mainWindow = nullptr;
    ProgressSink progressSink;
    LogSink logSink;

    uint32_t folderCount = 0;
    uint32_t messageCount = 0;
    uint32_t folderMessageCount = 0;
    uint32_t offlineCount = 0;
    uint32_t folderOfflineCount = 0;
    uint32_t alreadyArchivedCount = 0;
    uint32_t folderAlreadyArchivedCount = 0;
    uint32_t duplicateCount = 0;
    uint32_t folderDuplicateCount = 0;
    uint32_t folderDataCount = 0;
    uint32_t deletedCount = 0;
    uint32_t problemCount = 0;
    bool messageHadProblem = false;
    uint64_t byteCount = 0;
    // Announced by the job; 0 while unknown.
    uint32_t expectedMessages = 0;
    uint64_t expectedBytes = 0;
    uint32_t startTicks = 0;
    uint32_t elapsedMs = 0;
    std::string currentFolderName;
    std::string currentMessageText;
    bool stopRequested = false;
    bool running = false;
    bool quitRequested = false;
    std::string progressText1;
    double progressFraction1 = -1;
    std::string progressText2;
    double progressFraction2 = -1;
    std::string stepText;
    ProblemLog problemLog;
    // The mailbox files a run of the mailbox packer wrote.
    std::vector<PackedMailbox> packedMailboxes;
    // Problem lines of one kind in the current folder, counted.
    LineLimit lineLimit;
    // The decoders' scratch space and measured speed, kept from run to run.
    DecodeContext decoder;

    // Installed by the front end; without one, pumping does nothing.
    MessagePump messagePump;

    // Starts a run: stores the sinks, clears the stop flag and every counter.
    void beginRun(void* owner, ProgressSink progress, LogSink log);
    // Hides the progress display, measures the elapsed time, ends the run.
    void endRun();
    void logProblem(const std::string& htmlLine);
    // One line for every kind of problem line the folder did not show.
    void tellHiddenLines();
    void pumpMessages();

    // JobRun
    void setProgress(const std::string& text1, double fraction1, const std::string& text2,
                     double fraction2) override;
    void setStepText(const std::string& text) override { stepText = text; }
    bool stepProgress(double fraction2) override;
    bool shouldStop() const override { return stopRequested; }
    void stopRun(std::string_view line) override;
    void startFolder(const std::string& name) override;
    void startMessage() override;
    void setMessageText(const std::string& text) override { currentMessageText = text; }
    void finishMessage() override;
    void uncountMessage() override;
    uint32_t messagesInFolder() const override { return folderMessageCount; }
    void addBytes(uint64_t bytes) override;
    void expectMessages(uint32_t total) override { expectedMessages = total; }
    void expectBytes(uint64_t total) override { expectedBytes = total; }
    uint32_t countSkipped(Skipped kind) override;

    // ProblemReporter
    void messageProblem(std::string_view line, std::string_view tail = {}) override;
    void messageNote(std::string_view line, std::string_view tail = {}) override;
    void folderProblem(std::string_view line) override;
    void runProblem(std::string_view line) override;
    void markMessage() override { messageHadProblem = true; }
    std::string messageWhere() const override;
    MessageRef currentMessage() const override;
    void lateMessageProblem(const MessageRef& message, std::string_view line) override;
};

// The one run record of the process.
ArchiveRun& theRun();

}  // namespace tessaly
