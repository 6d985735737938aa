// staged_files.cpp - one message's files put in place together, and the
// clearing of what interrupted runs left behind.
#include "archive/staged_files.h"

#include <cerrno>
#include <utility>
#include <string_view>

#include "platform/errors.h"
#include "platform/read_faults.h"

namespace tessaly {

namespace {

constexpr std::string_view kJournalSuffix = ".journal";
constexpr std::string_view kAttachmentsPrefix = "attachments/";
// A journal lists a page and its attachments; far below this.
constexpr size_t kMaxJournal = size_t{1} << 24;

std::string nameOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Beside the page's temporary file, named like it.
std::string journalPathFor(const std::string& temporaryPath) {
    return temporaryPath.substr(0, temporaryPath.size() - 4) + std::string(kJournalSuffix);
}

// A name the journal may list: one file in the attachments folder.
bool isAttachmentEntry(std::string_view entry) {
    if (entry.substr(0, kAttachmentsPrefix.size()) != kAttachmentsPrefix) return false;
    const std::string_view name = entry.substr(kAttachmentsPrefix.size());
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos;
}

void clearJournal(const std::string& folder, const std::string& journal) {
    std::string text;
    uint64_t size = 0;
    if (!readFileStart(journal, kMaxJournal, text, size)) return;
    // NUL-separated: the page's name, then "attachments/<name>" for each
    // attachment.
    std::vector<std::string_view> entries;
    std::string_view rest = text;
    while (!rest.empty()) {
        const size_t nul = rest.find('\0');
        entries.push_back(rest.substr(0, nul));
        rest = nul == std::string_view::npos ? std::string_view() : rest.substr(nul + 1);
    }
    const bool pageArrived = !entries.empty() && !entries[0].empty() &&
                             entries[0].find('/') == std::string_view::npos &&
                             pathExists(folder + "/" + std::string(entries[0]));
    if (!pageArrived) {
        for (size_t i = 1; i < entries.size(); ++i) {
            if (isAttachmentEntry(entries[i])) removeFile(folder + "/" + std::string(entries[i]));
        }
    }
    removeFile(journal);
}

}  // namespace

MessageFiles::MessageFiles(MessageFiles&& other) noexcept
    : mainPath_(std::move(other.mainPath_)),
      main_(std::move(other.main_)),
      attachments_(std::move(other.attachments_)),
      journal_(std::exchange(other.journal_, std::string())),
      incompleteError_(other.incompleteError_) {}

MessageFiles::~MessageFiles() {
    if (!journal_.empty()) removeFile(journal_);
}

void MessageFiles::keepAttachment(std::unique_ptr<OutputFile> file) {
    attachments_.push_back(std::move(file));
}

void MessageFiles::markIncomplete(int error) {
    if (incompleteError_ == 0) incompleteError_ = error ? error : EIO;
}

void MessageFiles::discardAll() {
    main_->discard();
    attachments_.clear();
    if (!journal_.empty()) removeFile(journal_);
    journal_.clear();
}

MessageFiles::Outcome MessageFiles::complete() {
    if (incompleteError_ != 0) {
        discardAll();
        setLastSystemError(incompleteError_);
        return Outcome::Failed;
    }
    if (!main_->complete()) {
        attachments_.clear();
        return Outcome::Failed;
    }
    // Zeros read in place of a shrunken source's bytes are no message.
    if (anyMappedFileShrunk()) {
        discardAll();
        return Outcome::SourceLost;
    }
    if (attachments_.empty()) return Outcome::InPlace;

    std::string list = nameOf(mainPath_);
    list += '\0';
    for (const auto& file : attachments_) {
        list += std::string(kAttachmentsPrefix) + nameOf(file->path());
        list += '\0';
    }
    OutputFile record;
    if (!record.createStaged(journalPathFor(main_->temporaryPath())) || !record.write(list) ||
        !record.complete() || !record.putInPlace(CreateMode::Always)) {
        const int error = lastSystemError();
        discardAll();
        setLastSystemError(error);
        return Outcome::Failed;
    }
    journal_ = record.path();
    return Outcome::InPlace;
}

MessageFiles::Outcome MessageFiles::putInPlace() {
    std::vector<std::string> placed;
    for (const auto& file : attachments_) {
        if (!file->putInPlace(CreateMode::Always)) {
            putBack(placed);
            return Outcome::Failed;
        }
        placed.push_back(file->path());
    }
    if (!main_->putInPlace(CreateMode::Always)) {
        putBack(placed);
        return Outcome::Failed;
    }
    if (!journal_.empty()) removeFile(journal_);
    journal_.clear();
    attachments_.clear();
    return Outcome::InPlace;
}

MessageFiles::Outcome MessageFiles::commit() {
    const Outcome outcome = complete();
    if (outcome != Outcome::InPlace) return outcome;
    if (!syncFileSystems(temporaryPaths())) {
        const int error = lastSystemError();
        discardAll();
        setLastSystemError(error);
        return Outcome::Failed;
    }
    return putInPlace();
}

uint64_t MessageFiles::bytesWritten() const {
    uint64_t bytes = main_->bytesWritten();
    for (const auto& file : attachments_) bytes += file->bytesWritten();
    return bytes;
}

std::vector<std::string> MessageFiles::paths() const {
    std::vector<std::string> all{mainPath_};
    for (const auto& file : attachments_) all.push_back(file->path());
    return all;
}

std::vector<std::string> MessageFiles::temporaryPaths() const {
    std::vector<std::string> all{main_->temporaryPath()};
    for (const auto& file : attachments_) all.push_back(file->temporaryPath());
    return all;
}

// Undoes a commit that failed halfway, keeping the error it failed with.
void MessageFiles::putBack(const std::vector<std::string>& placed) {
    const int error = lastSystemError();
    for (const std::string& path : placed) removeFile(path);
    discardAll();
    setLastSystemError(error);
}

bool isOutOfSpace(int error) { return error == ENOSPC || error == EDQUOT || error == EFBIG; }

void removeStaleArchiveFiles(const std::string& folder) {
    std::vector<FolderEntry> entries;
    if (!listFolder(folder, entries)) return;
    for (const FolderEntry& entry : entries) {
        if (!entry.isFolder && isStaleTemporaryName(entry.name, kJournalSuffix)) {
            clearJournal(folder, folder + "/" + entry.name);
        }
    }
    removeStaleTemporaries(folder);
    removeStaleTemporaries(folder + "/attachments");
}

}  // namespace tessaly
