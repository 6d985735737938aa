// mailbox_job.cpp - archives every message of the chosen mailbox files.
#include <cstring>

#include "archive/commit_batch.h"
#include "archive/raw_message.h"
#include "message/text.h"
#include "platform/files.h"
#include "sources/mailbox.h"
#include "sources/scan_pass.h"

namespace tessaly {

namespace {

const char kOverall[] = "Overall";
const char kCannotMap[] = "Error: <a href=\"help:err_mapfile.html\">cannot map file</a> - ";

void archiveFile(ArchiveRun& run, const TDbxFolderInfo& entry, const TargetFolder& target,
                 const std::string& archiveFolder, bool useSubfolders, uint64_t doneBefore,
                 uint64_t totalBytes) {
    const std::string path = entryPath(entry);
    MappedFile file;
    switch (file.open(path)) {
        case MappedFile::Status::Ok: break;
        case MappedFile::Status::CannotOpen: logFileProblem(run, kCannotOpenLine, path, true); return;
        default: logFileProblem(run, kCannotMap, path, true); return;
    }

    std::string folderName = entry.parentPath;
    if (!folderName.empty()) folderName += '/';
    run.startFolder(htmlEscape(folderName + entry.name + "/"));
    const double before = ratio(static_cast<double>(doneBefore), static_cast<double>(totalBytes));
    run.setProgress(kOverall, before, entry.name, 0);

    auto showProgress = [&](size_t scanned) {
        run.setProgress(kOverall,
                        before + ratio(static_cast<double>(scanned), static_cast<double>(totalBytes)),
                        entry.name, ratio(static_cast<double>(scanned), static_cast<double>(entry.size)));
    };
    MailboxScanEvents events;
    events.chunk = showProgress;
    events.message = [&](const char* start, const char* end, std::vector<TMarker>& markers) {
        const size_t length = static_cast<size_t>(end - start);
        // Past a cut-off end the scanner reads zeros, not messages.
        if ((length >= 18 && std::memcmp(start, "From MAILER-DAEMON", 18) == 0) || run.stopRequested ||
            file.truncatedWhileMapped()) {
            return;
        }
        run.startMessage();
        // The "From " line is not part of the message.
        const char* lf = static_cast<const char*>(std::memchr(start, '\n', length));
        const char* text = lf ? lf + 1 : end;
        showProgress(static_cast<size_t>(end - file.data()));
        archiveRawMessage(run, text, static_cast<size_t>(end - text), markers, archiveFolder,
                          entry.folderPath, target.subfolderPath, useSubfolders, true);
        run.finishMessage();
    };
    scanMailbox(file.data(), file.end(), events);
    if (file.truncatedWhileMapped()) logFileProblem(run, kTruncatedLine, path, false);
}

}  // namespace

void archiveMailboxes(ArchiveRun& run, const std::vector<TDbxFolderInfo>& entries,
                      const std::string& archiveFolder, bool useSubfolders) {
    // Messages reach the disk in batches, not one sync per file.
    BatchedCommits batching(run);
    uint64_t totalBytes = 0;
    const std::vector<TDbxFolderInfo> work = scanSourceFiles(
        run, entries, isMailboxFile,
        "Error: file <a href=\"help:err_notbmf.html\">is not a valid bmf</a> - ", totalBytes);
    uint64_t doneBytes = 0;
    for (const TDbxFolderInfo& entry : work) {
        if (run.stopRequested) break;
        run.setProgress(kOverall, ratio(static_cast<double>(doneBytes), static_cast<double>(totalBytes)),
                        entry.name, 0);
        const uint64_t doneBefore = doneBytes;
        doneBytes += entry.size;
        const TargetFolder target = prepareTargetFolder(run, entry, archiveFolder, useSubfolders);
        archiveFile(run, entry, target, archiveFolder, useSubfolders, doneBefore, totalBytes);
        commitStagedMessages(run);
        removeEmptyAttachmentsFolder(target);
    }
}

}  // namespace tessaly
