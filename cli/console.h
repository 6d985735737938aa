// console.h - what tessaly-cli shows while a job runs: progress bars on a
// terminal, problem lines as text, the finish statistics.
#pragma once

#include <string>

#include "app/run.h"

namespace tessaly::cli {


// Connects the run to the terminal: progress to stderr when it is a
// terminal, problems to stderr always, and Ctrl+C or SIGTERM as a stop
// request (a second Ctrl+C ends the program at once).
class Console {
public:
    // The sinks pump the events of `run` (a stop request arrives there).
    explicit Console(ArchiveRun& run);
    ~Console();
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

    ArchiveRun::ProgressSink progressSink();
    ArchiveRun::LogSink logSink();
    ArchiveRun::MessagePump messagePump();

    // Clears the progress line.
    void finishProgress();

    ArchiveRun& run() { return run_; }

private:
    void drawProgress(const std::string& text1, double fraction1, const std::string& text2,
                      double fraction2);
    void clearLine();

    ArchiveRun& run_;
    bool terminal_ = false;
    bool lineShown_ = false;
    uint32_t lastDraw_ = 0;
    std::string lastStep_;  // the step the line shows
};

// Prints the finish statistics of `run` on stdout, one line per line break.
void printSummary(const ArchiveRun& run);

}  // namespace tessaly::cli
