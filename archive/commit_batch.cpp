// commit_batch.cpp - messages waiting for one shared sync before their
// files are put in place.
#include "archive/commit_batch.h"

#include <unordered_set>
#include <vector>

#include "archive/duplicates.h"
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
    std::vector<StagedMessage> messages;
    std::unordered_set<std::string> names;
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
    waiting.bytes = 0;

    const std::string& first = messages.front().files.mainPath();
    if (!syncFileSystem(first.substr(0, first.find_last_of('/') + 1) + ".")) {
        const int error = lastSystemError();
        for (StagedMessage& message : messages) {
            setLastSystemError(error);
            reportLate(run, message);
        }
        return;  // the files are removed with the messages
    }
    for (StagedMessage& message : messages) {
        if (message.files.putInPlace() == MessageFiles::Outcome::Failed) reportLate(run, message);
    }
}

BatchedCommits::BatchedCommits(ArchiveRun& run) : run_(run) { ++batch().scopes; }

BatchedCommits::~BatchedCommits() {
    commitStagedMessages(run_);
    --batch().scopes;
}

bool stageMessage(ArchiveRun& run, MessageFiles files) {
    Batch& waiting = batch();
    if (waiting.scopes == 0) {
        const std::string& path = files.mainPath();
        if (!syncFileSystem(path.substr(0, path.find_last_of('/') + 1) + ".")) return false;
        return files.putInPlace() == MessageFiles::Outcome::InPlace;
    }
    if (!waiting.messages.empty() &&
        (waiting.messages.size() >= kMaxMessages || waiting.bytes >= kMaxBytes ||
         tickCount() - waiting.firstTick >= kMaxWaitMs)) {
        commitStagedMessages(run);
    }
    if (waiting.messages.empty()) waiting.firstTick = tickCount();
    waiting.bytes += files.bytesWritten();
    for (std::string& path : files.paths()) waiting.names.insert(std::move(path));
    waiting.messages.push_back({std::move(files), messageSuffix(run), run.messageHadProblem});
    return true;
}

bool isNameTaken(const std::string& path) {
    const Batch& waiting = batch();
    return (!waiting.names.empty() && waiting.names.count(path) != 0) || pathExists(path);
}

}  // namespace tessaly
