// run.cpp - the archiving run record: its counts, progress and problem lines.
#include "app/run.h"

#include <algorithm>
#include <cstring>

#include "platform/time.h"

namespace tessaly {

void ProblemLog::append(std::string_view text) {
    const size_t n = length_ + text.size();
    if (n + 1 >= capacity_) {
        const size_t grown = std::max<size_t>(2 * n, 2048);
        auto bigger = std::make_unique<char[]>(grown);
        if (length_ > 0) std::memcpy(bigger.get(), buffer_.get(), length_);
        buffer_ = std::move(bigger);
        capacity_ = grown;
    }
    if (!text.empty()) std::memcpy(buffer_.get() + length_, text.data(), text.size());
    length_ = n;
    buffer_[length_] = '\0';
}

void ArchiveRun::beginRun(void* owner, ProgressSink progress, LogSink log) {
    mainWindow = owner;
    progressSink = std::move(progress);
    logSink = std::move(log);
    stopRequested = false;
    running = true;

    lineLimit = LineLimit();
    folderCount = messageCount = folderMessageCount = 0;
    offlineCount = folderOfflineCount = 0;
    alreadyArchivedCount = folderAlreadyArchivedCount = 0;
    duplicateCount = folderDuplicateCount = 0;
    folderDataCount = deletedCount = 0;
    problemCount = byteCount = 0;
    expectedMessages = 0;
    expectedBytes = 0;
    elapsedMs = 0;
    messageHadProblem = false;
    startTicks = tickCount();
    currentFolderName.clear();
    currentMessageText.clear();
    packedMailboxes.clear();
}

void ArchiveRun::endRun() {
    tellHiddenLines();
    setProgress("", -1, "", -1);
    elapsedMs = tickCount() - startTicks;
    running = false;
}

void ArchiveRun::setProgress(const std::string& text1, double fraction1, const std::string& text2,
                             double fraction2) {
    if (progressSink) progressSink(text1, fraction1, text2, fraction2);
    progressText1 = text1;
    progressFraction1 = fraction1;
    progressText2 = text2;
    progressFraction2 = fraction2;
}

bool ArchiveRun::stepProgress(double fraction2) {
    if (stopRequested) return false;
    if (!progressSink) return true;
    if (fraction2 == -1) {
        progressSink(progressText1, progressFraction1, progressText2, progressFraction2);
    } else {
        progressSink(progressText1, progressFraction1, stepText, fraction2);
    }
    return true;
}

// Every line is UTF-8, whatever bytes a message or file name brought in.
void ArchiveRun::logProblem(const std::string& htmlLine) {
    if (logSink) logSink(isValidUtf8(htmlLine) ? htmlLine : ensureUtf8(htmlLine));
}

void ArchiveRun::pumpMessages() {
    if (quitRequested || (running && stopRequested)) return;
    if (messagePump && !messagePump()) {
        stopRequested = true;
        quitRequested = true;
    }
}

void ArchiveRun::stopRun(std::string_view line) {
    if (stopRequested) return;  // the first cause is the one to tell
    runProblem(line);
    stopRequested = true;
}

void ArchiveRun::startFolder(const std::string& name) {
    tellHiddenLines();
    ++folderCount;
    currentFolderName = name;
    folderMessageCount = 0;
    folderOfflineCount = 0;
    folderAlreadyArchivedCount = 0;
    folderDuplicateCount = 0;
}

void ArchiveRun::startMessage() {
    ++messageCount;
    ++folderMessageCount;
    currentMessageText.clear();
    messageHadProblem = false;
}

void ArchiveRun::uncountMessage() {
    if (messageCount > 0) --messageCount;
    if (folderMessageCount > 0) --folderMessageCount;
    messageHadProblem = false;
}

void ArchiveRun::finishMessage() {
    if (messageHadProblem) ++problemCount;
}

// The count is kept modulo 2^32, as the finish page has always shown it.
void ArchiveRun::addBytes(uint64_t bytes) { byteCount += bytes; }

uint32_t ArchiveRun::countSkipped(Skipped kind) {
    switch (kind) {
        case Skipped::AlreadyArchived: ++alreadyArchivedCount; return ++folderAlreadyArchivedCount;
        case Skipped::Duplicate: ++duplicateCount; return ++folderDuplicateCount;
        case Skipped::Offline: ++offlineCount; return ++folderOfflineCount;
        case Skipped::FolderData: return ++folderDataCount;
        case Skipped::Deleted: return ++deletedCount;
    }
    return 0;
}

std::string ArchiveRun::messageWhere() const { return currentFolderName + currentMessageText; }

MessageRef ArchiveRun::currentMessage() const {
    return {" (" + messageWhere() + ")", messageHadProblem};
}

void ArchiveRun::messageProblem(std::string_view line, std::string_view tail) {
    messageNote(line, tail);
    messageHadProblem = true;
}

void ArchiveRun::messageNote(std::string_view line, std::string_view tail) {
    const std::string_view kind = LineLimit::kindOf(line);
    const LineLimit::Verdict verdict = lineLimit.count(kind);
    if (verdict == LineLimit::Verdict::Hide) return;
    std::string text(line);
    text += " (";
    text += currentFolderName;
    text += currentMessageText;
    text += ')';
    text += tail;
    if (verdict == LineLimit::Verdict::ShowLast) text += furtherLinesTail(kind);
    logProblem(text);
}

void ArchiveRun::tellHiddenLines() {
    for (const auto& [kind, count] : lineLimit.takeHidden()) {
        logProblem(kind + " - " + std::to_string(count) + (count == 1 ? " more line" : " more lines") +
                   " of this type not shown (" + currentFolderName + ")");
    }
}

void ArchiveRun::folderProblem(std::string_view line) {
    logProblem(std::string(line) + " (" + currentFolderName + ")");
}

void ArchiveRun::runProblem(std::string_view line) { logProblem(std::string(line)); }

void ArchiveRun::lateMessageProblem(const MessageRef& message, std::string_view line) {
    if (!message.hadProblem) ++problemCount;
    const std::string_view kind = LineLimit::kindOf(line);
    const LineLimit::Verdict verdict = lineLimit.count(kind);
    if (verdict == LineLimit::Verdict::Hide) return;
    std::string text = std::string(line) + message.suffix;
    if (verdict == LineLimit::Verdict::ShowLast) text += furtherLinesTail(kind);
    logProblem(text);
}

ArchiveRun& theRun() {
    static ArchiveRun run;
    return run;
}

}  // namespace tessaly
