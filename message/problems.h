// problems.h - where the parsers, writers and jobs report problems: one
// line each, about the message being archived, its folder or the whole run.
//
// The run record implements it. It adds the description of the message or
// folder and counts the messages that had a problem, so that no reporter
// spells the suffix or does the counting itself. Lines are HTML (message
// text in them is escaped by the caller).
#pragma once

#include <string>
#include <string_view>

namespace tessaly {

// Which message a line was about, kept for a problem found after the job
// has moved on (a batch of files that fails to reach the disk).
struct MessageRef {
    std::string suffix;        // " (<folder><message>)"
    bool hadProblem = false;   // already counted among the messages with problems
};

class ProblemReporter {
public:
    // `line` + " (<folder><message>)" + `tail`. The message counts among the
    // messages with problems.
    virtual void messageProblem(std::string_view line, std::string_view tail = {}) = 0;
    // The same line, but the message does not count for it: warnings about
    // the message, and errors about one of its parts or files.
    virtual void messageNote(std::string_view line, std::string_view tail = {}) = 0;
    // `line` + " (<folder>)".
    virtual void folderProblem(std::string_view line) = 0;
    // `line` as it stands: problems with a whole file or the run.
    virtual void runProblem(std::string_view line) = 0;
    // Counts the message among those with problems without a line of its
    // own (the line was logged in another form, or not at all).
    virtual void markMessage() = 0;

    // "<folder><message>", for lines that name the message in another place.
    virtual std::string messageWhere() const = 0;
    // The message being archived, for lateMessageProblem.
    virtual MessageRef currentMessage() const = 0;
    // `line` + the reference's suffix, about a message the job has finished;
    // it counts among the messages with problems unless it already did.
    virtual void lateMessageProblem(const MessageRef& message, std::string_view line) = 0;

protected:
    ~ProblemReporter() = default;
};

// Takes every line and keeps none: for reading messages whose problems are
// not the run's (embedded messages, files read back from the archive).
class SilentProblems final : public ProblemReporter {
public:
    void messageProblem(std::string_view, std::string_view) override {}
    void messageNote(std::string_view, std::string_view) override {}
    void folderProblem(std::string_view) override {}
    void runProblem(std::string_view) override {}
    void markMessage() override {}
    std::string messageWhere() const override { return {}; }
    MessageRef currentMessage() const override { return {}; }
    void lateMessageProblem(const MessageRef&, std::string_view) override {}
};

}  // namespace tessaly
