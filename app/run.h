// run.h - the archiving run record: counters, problem log, progress, stop flag.
//
// A plain record with no user-interface dependency: the shell and the command
// line front end plug in sinks and a message pump; jobs, writers and parsers
// take the record as a parameter.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

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

struct ArchiveRun {
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
    uint32_t problemCount = 0;
    bool messageHadProblem = false;
    uint32_t conversionNoteCount = 0;
    uint32_t byteCount = 0;
    uint32_t startTicks = 0;
    uint32_t elapsedMs = 0;
    bool htmlFormat = true;
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
    // Lower-cased full path of every page or EML file written in this run ->
    // the relative subfolder path (ending in "/") of its source folder.
    std::unordered_map<std::string, std::string> archivedPaths;

    // Installed by the front end; without one, pumping does nothing.
    MessagePump messagePump;

    // Starts a run: stores the sinks, clears the stop flag and every counter,
    // and creates the archive folder with its parents when it is missing.
    void beginRun(void* owner, ProgressSink progress, LogSink log, const std::string& archiveFolder,
                  bool html);
    // Hides the progress display, measures the elapsed time, ends the run.
    void endRun();
    void setProgress(const std::string& text1, double fraction1, const std::string& text2,
                     double fraction2);
    // The callback for long decodings: false once a stop is requested.
    bool stepProgress(double fraction2);
    void logProblem(const std::string& htmlLine);
    void pumpMessages();

    // The job's bookkeeping at the start of a folder and around a message.
    void startFolder(const std::string& name);
    void startMessage();
    void finishMessage();
};

// a / b, or 1.0 when b is 0.
double ratio(double a, double b);

// The one run record of the process.
ArchiveRun& theRun();

}  // namespace tessaly
