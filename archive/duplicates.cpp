// duplicates.cpp - already-archived and duplicate tests, the offline report
// and the file-time rule.
#include "archive/duplicates.h"

#include <cerrno>

#include "archive/naming.h"
#include "message/content_key.h"
#include "message/text.h"
#include "platform/ascii.h"
#include "platform/errors.h"
#include "platform/files.h"

namespace tessaly {

namespace {

const char kFurtherWarnings[] = " Further warnings of this type won't be reported for this folder.";
const char kFurtherErrors[] = " Further errors of this type won't be reported for this folder.";

// Enough for any real run of messages that share a name; a larger count
// means the same message over and over.
constexpr uint32_t kMaxSameName = 10000;

// The content key kept with the file from an earlier run at `path`; an EML
// file without one gets it from its bytes. Empty when it cannot be told.
std::string storedContentKey(const std::string& path, const std::string& extension) {
    std::string stored = fileTag(path, kContentTag);
    if (stored.empty() && extension == ".eml") {
        MappedFile file;
        if (file.open(path) == MappedFile::Status::Ok) {
            stored = contentKeyText(rawContentKey(file.data(), file.size()));
            setFileTag(path, kContentTag, stored);  // the next run need not read it again
        }
    }
    return stored;
}

void reportAlreadyArchived(JobRun& run) {
    if (run.countSkipped(Skipped::AlreadyArchived) == 1) {
        run.messageNote("Warning: <a href=\"help:err_already.html\">This email was already in the archive</a>",
                        kFurtherWarnings);
    }
}

void reportDuplicate(JobRun& run, const std::string& earlierSubfolder) {
    const uint32_t count = run.countSkipped(Skipped::Duplicate);
    if (count == 1 || count == 2) {
        std::string tail = ", previously found in " + htmlEscape(withoutTrailingSlash(earlierSubfolder)) + ".";
        if (count == 2) tail += kFurtherWarnings;
        run.messageNote("Warning: <a href=\"help:err_duplicate.html\">This email is a duplicate</a>", tail);
    }
}

// The message is already there, as number `path` of its name.
void reportHeld(JobRun& run, ArchivedPaths& archived, const std::string& path) {
    if (const std::optional<ArchivedPaths::Entry> earlier = archived.find(path)) {
        reportDuplicate(run, earlier->subfolderPath);
    } else {
        reportAlreadyArchived(run);
    }
}

}  // namespace

std::string claimArchivePath(JobRun& run, CommitBatch& batch, ArchivedPaths& archived, NameNumbers& numbers,
                             const std::string& stem, const std::string& extension,
                             const std::string& subfolderPath, const std::string& contentKey) {
    const auto numbered = [&](uint32_t n) {
        return stem + (n == 1 ? std::string() : ";" + std::to_string(n)) + extension;
    };
    const std::string first = numbered(1);
    NameGroup* group = numbers.findGroup(first);
    uint32_t n = 1;
    if (group) {
        // The numbers below group->next are taken; the lowest that holds
        // this message decides, when it is still there.
        if (const uint32_t held = group->lowestHolding(contentKey)) {
            const std::string path = numbered(held);
            if (!batch.isNameTaken(path)) {
                archived.record(path, subfolderPath, contentKey);
                return path;
            }
            reportHeld(run, archived, path);
            return std::string();
        }
        n = group->next;
    }
    for (;; ++n) {
        const std::string path = numbered(n);
        if (!batch.isNameTaken(path)) {
            archived.record(path, subfolderPath, contentKey);
            if (group) group->addNext(contentKey);
            return path;
        }
        std::string holder;
        if (const std::optional<ArchivedPaths::Entry> earlier = archived.find(path)) {
            holder = earlier->contentKey;
        } else if (!contentKey.empty()) {
            holder = storedContentKey(path, extension);
        }
        // A file whose message cannot be told (no key on either side) is
        // taken to hold this one; so is the last number tried.
        if (n == kMaxSameName || holder.empty() || contentKey.empty() || holder == contentKey) {
            reportHeld(run, archived, path);
            return std::string();
        }
        if (!group) group = &numbers.group(first);
        group->addNext(holder);
    }
}

void reportOffline(JobRun& run) {
    const uint32_t count = run.countSkipped(Skipped::Offline);
    if (count <= 2) {
        run.messageNote("Error: <a href=\"help:err_offline.html\">This email was not available offline</a>",
                        count == 2 ? kFurtherErrors : "");
    }
}

std::string createFailureLine(const std::string& path) {
    return "Error: <a href=\"help:err_create.html\">unable to create file</a> " + escapedFileName(path) +
           " - " + htmlEscape(systemErrorText());
}

void reportCreateFailure(JobRun& run, const std::string& path) {
    const int error = lastSystemError();
    if (!isDiskFull(error)) run.messageProblem(createFailureLine(path));
    stopWhenDiskLost(run, error);
}

bool isDiskFull(int error) { return error == ENOSPC || error == EDQUOT; }

void stopWhenDiskLost(JobRun& run, int error) {
    switch (error) {
        case ENOSPC:
        case EDQUOT:
            run.stopRun("Error: the disk of the archive folder is full - archiving stopped. The messages archived "
                        "so far are whole; make room and run again to archive the rest.");
            break;
        case EIO:
        case ENODEV:
        case ENXIO:
        case ENOTCONN:
        case ESTALE:
        case EROFS:
            run.stopRun("Error: the archive folder can no longer be written (" + htmlEscape(systemErrorText(error)) +
                        ") - archiving stopped. The messages archived so far are whole; run again when the "
                        "disk is back to archive the rest.");
            break;
        default: break;
    }
}

void finishArchiveFile(JobRun& run, CommitBatch& batch, MessageFiles files, const FILETIME& time,
                       const std::string& contentKey, CatalogueRow row) {
    // A file system without tags only loses the finer duplicate test.
    if (!contentKey.empty()) files.main().setTag(kContentTag, contentKey);
    if (!files.main().setTime(time)) {
        run.messageNote("Warning: <a href=\"help:err_filetime.html\">unable to set filetime</a> - " +
                        htmlEscape(systemErrorText()) + " - " + files.mainPath());
    }
    const std::string path = files.mainPath();
    switch (files.complete()) {
        case MessageFiles::Outcome::InPlace: batch.stage(std::move(files), std::move(row)); break;
        case MessageFiles::Outcome::Failed: reportCreateFailure(run, path); break;
        case MessageFiles::Outcome::SourceLost: break;
    }
}

}  // namespace tessaly
