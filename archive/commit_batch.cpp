// commit_batch.cpp - messages waiting for one shared sync before their
// files are put in place.
#include "archive/commit_batch.h"

#include <unordered_set>
#include <utility>
#include <vector>

#include "archive/duplicates.h"
#include "message/text.h"
#include "platform/ascii.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/time.h"

namespace tessaly {

namespace {

// A crash loses at most this much work, which the next run redoes.
constexpr size_t kMaxMessages = 256;
constexpr uint64_t kMaxBytes = uint64_t{64} << 20;
constexpr uint32_t kMaxWaitMs = 2000;

struct StagedMessage {
    MessageFiles files;
    std::string suffix;  // the message's description for problem lines
    bool hadProblem;     // already counted among the messages with problems
};

struct Batch {
    int scopes = 0;  // live BatchedCommits
    ArchiveRun* run = nullptr;
    std::vector<StagedMessage> messages;
    std::unordered_set<std::string> names;
    std::unordered_set<std::string> foldedNames;  // in lower case
    uint64_t bytes = 0;
    uint32_t firstTick = 0;
};

Batch& batch() {
    static Batch waiting;
    return waiting;
}

// Every message of the batch has been finished by its job; one that fails
// now is counted here unless it already was.
void reportLate(ArchiveRun& run, StagedMessage& message) {
    reportCreateFailure(run, message.files.mainPath(), message.suffix);
    if (!message.hadProblem) ++run.problemCount;
}

}  // namespace

void commitStagedMessages(ArchiveRun& run) {
    Batch& waiting = batch();
    if (waiting.messages.empty()) return;
    std::vector<StagedMessage> messages = std::move(waiting.messages);
    waiting.messages.clear();
    waiting.names.clear();
    waiting.foldedNames.clear();
    waiting.bytes = 0;

    std::vector<MessageFiles*> files;
    for (StagedMessage& message : messages) files.push_back(&message.files);
    const std::vector<int> errors = MessageFiles::putInPlaceTogether(files);
    for (size_t i = 0; i < messages.size(); ++i) {
        if (errors[i] == 0) continue;
        setLastSystemError(errors[i]);
        reportLate(run, messages[i]);
    }
}

BatchedCommits::BatchedCommits(ArchiveRun& run) : run_(run) {
    Batch& waiting = batch();
    if (waiting.scopes++ == 0) waiting.run = &run;
}

BatchedCommits::~BatchedCommits() {
    try {
        commitStagedMessages(run_);
    } catch (...) {
        // A problem line that cannot be logged must not end the program.
    }
    Batch& waiting = batch();
    if (--waiting.scopes == 0) waiting.run = nullptr;
}

bool stageMessage(ArchiveRun& run, MessageFiles files) {
    Batch& waiting = batch();
    if (waiting.scopes == 0) {
        const int error = MessageFiles::putInPlaceTogether({&files}).front();
        if (error != 0) setLastSystemError(error);
        return error == 0;
    }
    if (!waiting.messages.empty() &&
        (waiting.messages.size() >= kMaxMessages || waiting.bytes >= kMaxBytes ||
         tickCount() - waiting.firstTick >= kMaxWaitMs)) {
        commitStagedMessages(run);
    }
    if (waiting.messages.empty()) waiting.firstTick = tickCount();
    const std::vector<std::string> paths = files.paths();
    waiting.bytes += files.bytesWritten();
    waiting.messages.push_back({std::move(files), messageSuffix(run), run.messageHadProblem});
    for (const std::string& path : paths) {
        waiting.names.insert(path);
        waiting.foldedNames.insert(asciiLower(path));
    }
    return true;
}

bool isNameTaken(const std::string& path) {
    Batch& waiting = batch();
    if (!waiting.names.empty()) {
        if (waiting.names.count(path)) return true;
        // On a file system that ignores case (a FAT stick, say) this name
        // may be a waiting one: put those in place and ask the disk.
        if (waiting.run && waiting.foldedNames.count(asciiLower(path))) commitStagedMessages(*waiting.run);
    }
    return pathExists(path);
}

}  // namespace tessaly
