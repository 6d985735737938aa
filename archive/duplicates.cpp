// duplicates.cpp - already-archived and duplicate tests, the offline report
// and the file-time rule.
#include "archive/duplicates.h"

#include "archive/commit_batch.h"
#include "archive/naming.h"
#include "message/text.h"
#include "platform/ascii.h"
#include "platform/errors.h"

namespace tessaly {

std::string messageSuffix(const ArchiveRun& run) {
    return " (" + run.currentFolderName + run.currentMessageText + ")";
}

namespace {

const char kFurtherWarnings[] = " Further warnings of this type won't be reported for this folder.";
const char kFurtherErrors[] = " Further errors of this type won't be reported for this folder.";

}  // namespace

bool checkAlreadyArchived(ArchiveRun& run, const std::string& path) {
    if (!isNameTaken(path)) return false;
    const auto found = run.archivedPaths.find(asciiLower(path));
    if (found == run.archivedPaths.end()) {
        ++run.alreadyArchivedCount;
        if (++run.folderAlreadyArchivedCount == 1) {
            run.logProblem(
                "Warning: <a href=\"help:err_already.html\">This email was already in the "
                "archive</a>" +
                messageSuffix(run) + kFurtherWarnings);
        }
        return true;
    }
    ++run.duplicateCount;
    const uint32_t count = ++run.folderDuplicateCount;
    if (count == 1 || count == 2) {
        std::string line = "Warning: <a href=\"help:err_duplicate.html\">This email is a duplicate</a>" +
                           messageSuffix(run) + ", previously found in " +
                           htmlEscape(withoutTrailingSlash(found->second)) + ".";
        if (count == 2) line += kFurtherWarnings;
        run.logProblem(line);
    }
    return true;
}

void recordArchivedPath(ArchiveRun& run, const std::string& path, const std::string& subfolderPath) {
    run.archivedPaths.emplace(asciiLower(path), subfolderPath);
}

void reportOffline(ArchiveRun& run) {
    ++run.offlineCount;
    const uint32_t count = ++run.folderOfflineCount;
    if (count <= 2) {
        std::string line =
            "Error: <a href=\"help:err_offline.html\">This email was not available offline</a>" +
            messageSuffix(run);
        if (count == 2) line += kFurtherErrors;
        run.logProblem(line);
    }
}

void reportCreateFailure(ArchiveRun& run, const std::string& path, const std::string& suffix) {
    run.logProblem("Error: <a href=\"help:err_create.html\">unable to create file</a> " +
                   escapedFileName(path) + " - " + htmlEscape(systemErrorText()) + suffix);
}

void reportCreateFailure(ArchiveRun& run, const std::string& path) {
    reportCreateFailure(run, path, messageSuffix(run));
    run.messageHadProblem = true;
}

void finishArchiveFile(ArchiveRun& run, MessageFiles files, const FILETIME& time) {
    if (!files.main().setTime(time)) {
        run.logProblem("Warning: <a href=\"help:err_filetime.html\">unable to set filetime</a> - " +
                       htmlEscape(systemErrorText()) + " - " + files.mainPath() + messageSuffix(run));
    }
    const std::string path = files.mainPath();
    switch (files.complete()) {
        case MessageFiles::Outcome::InPlace:
            if (!stageMessage(run, std::move(files))) reportCreateFailure(run, path);
            break;
        case MessageFiles::Outcome::Failed: reportCreateFailure(run, path); break;
        case MessageFiles::Outcome::SourceLost: break;
    }
}

}  // namespace tessaly
