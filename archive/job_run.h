// job_run.h - the run as the archive writer and the jobs see it: problem
// lines, progress, the stop request, the folder and message being worked
// on, and the counts the finish page shows.
//
// The run record implements it; the jobs and writers below it never see the
// record itself, so every count is kept by the record's own operations.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "message/problems.h"

namespace tessaly {

// Messages a job passes over without writing them.
enum class Skipped {
    AlreadyArchived,  // its file is in the archive from an earlier run
    Duplicate,        // written earlier in this run
    Offline,          // its text is not in the source
    FolderData,       // the mail server's own data at the top of a mailbox
    Deleted,          // deleted in the mail program, still in its mailbox file
};

class JobRun : public ProblemReporter {
public:
    // Both progress bars; a fraction of -1 hides its bar.
    virtual void setProgress(const std::string& text1, double fraction1, const std::string& text2,
                             double fraction2) = 0;
    // The label of the second bar during long decodings.
    virtual void setStepText(const std::string& text) = 0;
    // The callback of long decodings: the second bar at `fraction`; false
    // once a stop is requested.
    virtual bool stepProgress(double fraction) = 0;
    // True once the user asked the run to stop (after the current message).
    virtual bool shouldStop() const = 0;
    // Ends the run after the current message, as a stop does, with `line`
    // as its one problem line: the archive's disk is full or gone.
    virtual void stopRun(std::string_view line) = 0;

    // The bookkeeping at the start of a folder and around each message.
    // `name` is HTML-safe and ends in "/"; it opens every problem line's
    // description.
    virtual void startFolder(const std::string& name) = 0;
    virtual void startMessage() = 0;
    // The HTML-safe description of the current message in problem lines.
    virtual void setMessageText(const std::string& text) = 0;
    virtual void finishMessage() = 0;
    // The message in hand is not archived after all: the run was stopped
    // before it reached the writer. It leaves the counts.
    virtual void uncountMessage() = 0;
    // Messages started in the current folder, this one included.
    virtual uint32_t messagesInFolder() const = 0;

    // Source bytes read.
    virtual void addBytes(uint64_t bytes) = 0;
    // What the job learns before its first message: how many messages and
    // source bytes it has in all. Progress shows the counts against them;
    // a job that cannot tell leaves them unknown.
    virtual void expectMessages(uint32_t) {}
    virtual void expectBytes(uint64_t) {}
    // Counts a message passed over; returns how many of that kind the
    // current folder has had, this one included.
    virtual uint32_t countSkipped(Skipped kind) = 0;

protected:
    ~JobRun() = default;
};

// a / b, or 1.0 when b is 0: the fractions of the progress bars.
inline double ratio(double a, double b) { return b == 0 ? 1.0 : a / b; }

}  // namespace tessaly
