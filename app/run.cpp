// run.cpp - the archiving run record and its operations.
#include "app/run.h"

#include <algorithm>
#include <cstring>

#include "platform/files.h"
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

void ArchiveRun::beginRun(void* owner, ProgressSink progress, LogSink log,
                          const std::string& archiveFolder, bool html) {
    mainWindow = owner;
    progressSink = std::move(progress);
    logSink = std::move(log);
    stopRequested = false;
    running = true;
    htmlFormat = html;

    folderCount = messageCount = folderMessageCount = 0;
    offlineCount = folderOfflineCount = 0;
    alreadyArchivedCount = folderAlreadyArchivedCount = 0;
    duplicateCount = folderDuplicateCount = 0;
    problemCount = conversionNoteCount = byteCount = 0;
    elapsedMs = 0;
    messageHadProblem = false;
    archivedPaths.clear();
    startTicks = tickCount();
    currentFolderName.clear();
    currentMessageText.clear();

    // A failure here is reported by the first message that cannot be written.
    if (!pathExists(archiveFolder)) createFolderPath(archiveFolder);
}

void ArchiveRun::endRun() {
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

void ArchiveRun::logProblem(const std::string& htmlLine) {
    if (logSink) logSink(htmlLine);
}

void ArchiveRun::pumpMessages() {
    if (quitRequested || (running && stopRequested)) return;
    if (messagePump && !messagePump()) {
        stopRequested = true;
        quitRequested = true;
    }
}

void ArchiveRun::startFolder(const std::string& name) {
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

void ArchiveRun::finishMessage() {
    if (messageHadProblem) ++problemCount;
}

double ratio(double a, double b) { return b == 0 ? 1.0 : a / b; }

ArchiveRun& theRun() {
    static ArchiveRun run;
    return run;
}

}  // namespace tessaly
