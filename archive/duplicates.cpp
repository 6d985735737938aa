// duplicates.cpp - already-archived and duplicate tests, the offline report
// and the file-time rule.
#include "archive/duplicates.h"

#include "archive/naming.h"
#include "message/text.h"
#include "platform/ascii.h"
#include "platform/errors.h"

namespace tessaly {

namespace {

const char kFurtherWarnings[] = " Further warnings of this type won't be reported for this folder.";
const char kFurtherErrors[] = " Further errors of this type won't be reported for this folder.";

}  // namespace

const std::string* ArchivedPaths::find(const std::string& path) const {
    const auto found = paths_.find(asciiLower(path));
    return found == paths_.end() ? nullptr : &found->second;
}

void ArchivedPaths::record(const std::string& path, const std::string& subfolderPath) {
    paths_.emplace(asciiLower(path), subfolderPath);
}

bool claimArchivePath(JobRun& run, CommitBatch& batch, ArchivedPaths& archived, const std::string& path,
                      const std::string& subfolderPath) {
    if (!batch.isNameTaken(path)) {
        archived.record(path, subfolderPath);
        return false;
    }
    const std::string* earlier = archived.find(path);
    if (!earlier) {
        if (run.countSkipped(Skipped::AlreadyArchived) == 1) {
            run.messageNote(
                "Warning: <a href=\"help:err_already.html\">This email was already in the archive</a>",
                kFurtherWarnings);
        }
        return true;
    }
    const uint32_t count = run.countSkipped(Skipped::Duplicate);
    if (count == 1 || count == 2) {
        std::string tail = ", previously found in " + htmlEscape(withoutTrailingSlash(*earlier)) + ".";
        if (count == 2) tail += kFurtherWarnings;
        run.messageNote("Warning: <a href=\"help:err_duplicate.html\">This email is a duplicate</a>", tail);
    }
    return true;
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

void finishArchiveFile(JobRun& run, CommitBatch& batch, MessageFiles files, const FILETIME& time) {
    if (!files.main().setTime(time)) {
        run.messageNote("Warning: <a href=\"help:err_filetime.html\">unable to set filetime</a> - " +
                        htmlEscape(systemErrorText()) + " - " + files.mainPath());
    }
    const std::string path = files.mainPath();
    switch (files.complete()) {
        case MessageFiles::Outcome::InPlace: batch.stage(std::move(files)); break;
        case MessageFiles::Outcome::Failed: reportCreateFailure(run, path); break;
        case MessageFiles::Outcome::SourceLost: break;
    }
}

}  // namespace tessaly
