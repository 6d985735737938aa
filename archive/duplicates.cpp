// duplicates.cpp - already-archived and duplicate tests, the offline report
// and the file-time rule.
#include "archive/duplicates.h"

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

}  // namespace

namespace {

// Enough for any real run of messages that share a name; a larger count
// means the same message over and over.
constexpr uint32_t kMaxSameName = 10000;

// Whether the file from an earlier run at `path` holds the message with
// `contentKey` (true when that cannot be told).
bool holdsSameMessage(const std::string& path, const std::string& extension, const std::string& contentKey) {
    if (contentKey.empty()) return true;
    std::string stored = fileTag(path, kContentTag);
    if (stored.empty() && extension == ".eml") {
        MappedFile file;
        if (file.open(path) == MappedFile::Status::Ok) {
            stored = contentKeyText(rawContentKey(file.data(), file.size()));
            setFileTag(path, kContentTag, stored);  // the next run need not read it again
        }
    }
    return stored.empty() || stored == contentKey;
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

}  // namespace

std::string claimArchivePath(JobRun& run, CommitBatch& batch, ArchivedPaths& archived, const std::string& stem,
                             const std::string& extension, const std::string& subfolderPath,
                             const std::string& contentKey) {
    for (uint32_t n = 1;; ++n) {
        const std::string path = stem + (n == 1 ? std::string() : ";" + std::to_string(n)) + extension;
        if (!batch.isNameTaken(path)) {
            archived.record(path, subfolderPath, contentKey);
            return path;
        }
        const bool last = n == kMaxSameName;
        if (const std::optional<ArchivedPaths::Entry> earlier = archived.find(path)) {
            if (last || earlier->contentKey.empty() || contentKey.empty() || earlier->contentKey == contentKey) {
                reportDuplicate(run, earlier->subfolderPath);
                return std::string();
            }
        } else if (last || holdsSameMessage(path, extension, contentKey)) {
            reportAlreadyArchived(run);
            return std::string();
        }
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
    run.messageProblem(createFailureLine(path));
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
