// staged_files.cpp - one message's files put in place together, and the
// clearing of what interrupted runs left behind.
#include "archive/staged_files.h"

#include <cerrno>
#include <map>
#include <string_view>
#include <utility>

#include "archive/duplicates.h"
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

// One page and its attachments: the attachments go when the page never
// arrived.
void clearGroup(const std::string& folder, const std::vector<std::string_view>& group) {
    const bool pageArrived = !group.empty() && !group[0].empty() &&
                             group[0].find('/') == std::string_view::npos &&
                             pathExists(folder + "/" + std::string(group[0]));
    if (pageArrived) return;
    for (size_t i = 1; i < group.size(); ++i) {
        if (isAttachmentEntry(group[i])) removeFile(folder + "/" + std::string(group[i]));
    }
}

void clearJournal(const std::string& folder, const std::string& journal) {
    std::string text;
    uint64_t size = 0;
    if (!readFileStart(journal, kMaxJournal, text, size)) return;
    // NUL-separated: a page's name, then "attachments/<name>" for each of
    // its attachments; an empty entry ends the group of one page.
    std::vector<std::string_view> group;
    std::string_view rest = text;
    while (!rest.empty()) {
        const size_t nul = rest.find('\0');
        const std::string_view entry = rest.substr(0, nul);
        rest = nul == std::string_view::npos ? std::string_view() : rest.substr(nul + 1);
        if (entry.empty()) {
            clearGroup(folder, group);
            group.clear();
        } else {
            group.push_back(entry);
        }
    }
    clearGroup(folder, group);
    removeFile(journal);
}

}  // namespace

MessageFiles::~MessageFiles() = default;

void MessageFiles::keepAttachment(std::unique_ptr<OutputFile> file) {
    attachments_.push_back(std::move(file));
}

void MessageFiles::markIncomplete(int error) {
    if (incompleteError_ == 0) incompleteError_ = error ? error : EIO;
}

void MessageFiles::discardAll() {
    main_->discard();
    attachments_.clear();
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
    return Outcome::InPlace;
}

std::string MessageFiles::journalGroup() const {
    if (attachments_.empty()) return std::string();
    std::string group = nameOf(mainPath_);
    group += '\0';
    for (const auto& file : attachments_) {
        group += std::string(kAttachmentsPrefix) + nameOf(file->path());
        group += '\0';
    }
    group += '\0';
    return group;
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
    attachments_.clear();
    return Outcome::InPlace;
}

MessageFiles::Outcome MessageFiles::commit() {
    const Outcome outcome = complete();
    if (outcome != Outcome::InPlace) return outcome;
    const int error = putInPlaceTogether({this}).front();
    if (error == 0) return Outcome::InPlace;
    setLastSystemError(error);
    return Outcome::Failed;
}

std::vector<int> MessageFiles::putInPlaceTogether(const std::vector<MessageFiles*>& messages) {
    std::vector<int> errors(messages.size(), 0);
    // A disk too full for the journals: the newest messages give their room
    // back, one by one, until the older ones fit.
    for (size_t count = messages.size(); count > 0;) {
        const int error = placeTogether(messages, count, errors);
        if (error == 0) break;
        const size_t keep = isDiskFull(error) ? count - 1 : 0;
        for (size_t i = keep; i < count; ++i) {
            messages[i]->discardAll();
            errors[i] = error;
        }
        count = keep;
    }
    return errors;
}

int MessageFiles::placeTogether(const std::vector<MessageFiles*>& messages, size_t count, std::vector<int>& errors) {
    // folder of pages: a temporary file beside which its journal goes, and
    // the groups it lists
    std::map<std::string, std::pair<std::string, std::string>> journalGroups;
    std::vector<std::string> files;
    for (size_t i = 0; i < count; ++i) {
        const MessageFiles* message = messages[i];
        for (std::string& path : message->temporaryPaths()) files.push_back(std::move(path));
        const std::string group = message->journalGroup();
        if (group.empty()) continue;
        const std::string& page = message->mainPath_;
        auto& [beside, groups] = journalGroups[page.substr(0, page.find_last_of('/') + 1)];
        if (beside.empty()) beside = message->main_->temporaryPath();
        groups += group;
    }

    std::vector<std::string> journals;
    int error = 0;
    for (const auto& [folder, journal] : journalGroups) {
        OutputFile record;
        if (!record.createStaged(journalPathFor(journal.first)) || !record.write(journal.second) ||
            !record.complete() || !record.putInPlace(CreateMode::Always)) {
            error = lastSystemError();
            break;
        }
        journals.push_back(record.path());
    }
    // A journal that could not be written leaves every file staged and
    // whole, to be tried again with fewer.
    if (error == 0 && !syncFileSystems(files)) {
        // Data that did not reach the disk cannot be trusted to a later
        // sync: none of these messages goes in place.
        const int syncError = lastSystemError();
        for (size_t i = 0; i < count; ++i) {
            messages[i]->discardAll();
            errors[i] = syncError;
        }
    } else if (error == 0) {
        for (size_t i = 0; i < count; ++i) {
            if (messages[i]->putInPlace() == Outcome::Failed) errors[i] = lastSystemError();
        }
    }
    for (const std::string& journal : journals) removeFile(journal);
    return error;
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

uint64_t MessageFiles::attachmentSize(const std::string& path) const {
    // Asked in the order the files were kept, the next one is the one: a
    // message of many parts costs no search per part.
    if (nextAsked_ < attachments_.size() && attachments_[nextAsked_]->path() == path) {
        return attachments_[nextAsked_++]->bytesWritten();
    }
    for (size_t i = 0; i < attachments_.size(); ++i) {
        if (attachments_[i]->path() == path) {
            nextAsked_ = i + 1;
            return attachments_[i]->bytesWritten();
        }
    }
    return 0;
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

void removeStaleArchiveFiles(const std::string& folder) {
    std::vector<std::string> names;
    if (!listNamesStarting(folder, kStagedFilePrefix, names)) return;
    for (const std::string& name : names) {
        // A folder of that name is no journal: reading it fails.
        if (isStaleTemporaryName(name, kJournalSuffix)) clearJournal(folder, folder + "/" + name);
    }
    removeStaleTemporaries(folder);
    removeStaleTemporaries(folder + "/attachments");
}

}  // namespace tessaly
