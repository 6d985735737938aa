// commit_batch.cpp - messages waiting for one shared sync before their
// files are put in place.
#include "archive/commit_batch.h"

#include <utility>

#include "archive/duplicates.h"
#include "archive/page_row.h"
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

    // The rows reach the catalogue's log before the sync that makes the
    // files durable, so no file is ever in place without its row.
    const bool catalogued = catalogue_ && addPendingRows(messages);
    std::vector<MessageFiles*> files;
    for (Waiting& message : messages) files.push_back(&message.files);
    const std::vector<int> errors = MessageFiles::putInPlaceTogether(files);
    std::vector<int64_t> placed;
    std::vector<int64_t> failed;
    int lastError = 0;
    for (size_t i = 0; i < messages.size(); ++i) {
        (errors[i] == 0 ? placed : failed).push_back(messages[i].row.id);
        if (errors[i] == 0) continue;
        lastError = errors[i];
        setLastSystemError(errors[i]);
        if (!isDiskFull(errors[i])) {
            run_.lateMessageProblem(messages[i].message, createFailureLine(messages[i].files.mainPath()));
        }
    }
    // Every message after these would fail too.
    stopWhenDiskLost(run_, lastError);
    if (!catalogued) return;
    catalogue_->settle(placed, failed);
    if (!placedRowSink_) return;
    for (size_t i = 0; i < messages.size(); ++i) {
        if (errors[i] == 0) placedRowSink_(messages[i].row);
    }
}

void CommitBatch::setCatalogue(std::unique_ptr<Catalogue> catalogue) { catalogue_ = std::move(catalogue); }

bool CommitBatch::addPendingRows(std::vector<Waiting>& messages) {
    std::vector<CatalogueRow> rows;
    rows.reserve(messages.size());
    const std::string prefix = catalogue_->root() + "/";
    for (Waiting& message : messages) {
        for (CatalogueAttachment& attachment : message.row.attachments) {
            if (!attachment.path.empty()) attachment.size = message.files.attachmentSize(prefix + attachment.path);
        }
        rows.push_back(std::move(message.row));
    }
    // The ids that thread the pages, which pages do not show, go beside the
    // catalogue before the sync, so that a rebuild from the files has them.
    std::string threadIds;
    for (const CatalogueRow& row : rows) {
        if (row.path.ends_with(".html")) {
            threadIds += threadIdsLine(row);
        }
    }
    if (!threadIds.empty()) appendToFile(threadIdsPath(catalogue_->root()), threadIds);
    const bool stored = catalogue_->addPending(rows);
    for (size_t i = 0; i < messages.size(); ++i) messages[i].row = std::move(rows[i]);
    if (!stored) dropCatalogue();
    return stored;
}

void CommitBatch::dropCatalogue() {
    // A catalogue that cannot be written goes; the next run makes it anew
    // from the files, so nothing in it is lost.
    const int error = lastSystemError();
    const std::string path = cataloguePath(catalogue_->root());
    catalogue_.reset();
    for (const char* suffix : {"", "-wal", "-shm"}) removeFile(path + suffix);
    // A full disk stops the run, whose line says it all.
    if (isDiskFull(error)) {
        stopWhenDiskLost(run_, error);
        return;
    }
    run_.runProblem("Warning: the archive's catalogue could not be written (" + htmlEscape(systemErrorText(error)) +
                    "); it will be made anew from the archive's files by the next run");
}

void CommitBatch::stage(MessageFiles files, CatalogueRow row) {
    if (!messages_.empty() && (messages_.size() >= kMaxMessages || bytes_ >= kMaxBytes ||
                               tickCount() - firstTick_ >= kMaxWaitMs)) {
        commit();
    }
    if (messages_.empty()) firstTick_ = tickCount();
    const std::vector<std::string> paths = files.paths();
    bytes_ += files.bytesWritten();
    messages_.push_back({std::move(files), run_.currentMessage(), std::move(row)});
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
    // A link planted at the name is no earlier file: the write meets it
    // and reports it.
    return nameInUse(path);
}

}  // namespace tessaly
