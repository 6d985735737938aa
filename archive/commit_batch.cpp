// commit_batch.cpp - messages waiting for one shared sync before their
// files are put in place.
#include "archive/commit_batch.h"

#include <utility>

#include "archive/duplicates.h"
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

}  // namespace

CommitBatch::~CommitBatch() {
    try {
        commit();
    } catch (...) {
        // A problem line that cannot be logged must not end the program.
    }
}

void CommitBatch::commit() {
    if (messages_.empty()) return;
    std::vector<Waiting> messages = std::move(messages_);
    messages_.clear();
    names_.clear();
    foldedNames_.clear();
    bytes_ = 0;

    std::vector<MessageFiles*> files;
    for (Waiting& message : messages) files.push_back(&message.files);
    const std::vector<int> errors = MessageFiles::putInPlaceTogether(files);
    for (size_t i = 0; i < messages.size(); ++i) {
        if (errors[i] == 0) continue;
        setLastSystemError(errors[i]);
        problems_.lateMessageProblem(messages[i].message, createFailureLine(messages[i].files.mainPath()));
    }
}

void CommitBatch::stage(MessageFiles files) {
    if (!messages_.empty() && (messages_.size() >= kMaxMessages || bytes_ >= kMaxBytes ||
                               tickCount() - firstTick_ >= kMaxWaitMs)) {
        commit();
    }
    if (messages_.empty()) firstTick_ = tickCount();
    const std::vector<std::string> paths = files.paths();
    bytes_ += files.bytesWritten();
    messages_.push_back({std::move(files), problems_.currentMessage()});
    for (const std::string& path : paths) {
        names_.insert(path);
        foldedNames_.insert(asciiLower(path));
    }
}

bool CommitBatch::isNameTaken(const std::string& path) {
    if (!names_.empty()) {
        if (names_.count(path)) return true;
        if (foldedNames_.count(asciiLower(path))) commit();
    }
    return pathExists(path);
}

}  // namespace tessaly
