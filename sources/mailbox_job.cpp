// mailbox_job.cpp - archives every message of the chosen mailbox files.
#include <cstring>

#include "message/text.h"
#include "platform/files.h"
#include "sources/file_job.h"
#include "sources/mailbox.h"
#include "sources/scan_pass.h"

namespace tessaly {

namespace {

const char kCannotMap[] = "Error: <a href=\"help:err_mapfile.html\">cannot map file</a> - ";

void archiveFile(JobRun& run, const TDbxFolderInfo& entry, TargetFolder& target, const FileShare& share) {
    const std::string path = entryPath(entry);
    MappedFile file;
    switch (file.open(path)) {
        case MappedFile::Status::Ok: break;
        case MappedFile::Status::CannotOpen: logFileProblem(run, kCannotOpenLine, path, true); return;
        default: logFileProblem(run, kCannotMap, path, true); return;
    }

    run.startFolder(folderTitle(entry));
    const double before = share.startFraction;
    const double totalBytes = static_cast<double>(share.totalBytes);
    run.setProgress(kOverallProgress, before, entry.name, 0);

    auto showProgress = [&](size_t scanned) {
        run.setProgress(kOverallProgress, before + ratio(static_cast<double>(scanned), totalBytes), entry.name,
                        ratio(static_cast<double>(scanned), static_cast<double>(entry.size)));
    };
    MailboxScanEvents events;
    events.chunk = showProgress;
    events.message = [&](const char* start, const char* end, std::vector<TMarker>& markers) {
        const size_t length = static_cast<size_t>(end - start);
        // Past a cut-off end the scanner reads zeros, not messages.
        if ((length >= 18 && std::memcmp(start, "From MAILER-DAEMON", 18) == 0) || run.shouldStop() ||
            file.truncatedWhileMapped()) {
            return;
        }
        run.startMessage();
        // The "From " line is not part of the message.
        const char* lf = static_cast<const char*>(std::memchr(start, '\n', length));
        const char* text = lf ? lf + 1 : end;
        showProgress(static_cast<size_t>(end - file.data()));
        target.archiveRawMessage(text, static_cast<size_t>(end - text), markers, true);
        run.finishMessage();
    };
    scanMailbox(file.data(), file.end(), events);
    if (file.truncatedWhileMapped()) logFileProblem(run, kTruncatedLine, path, false);
}

}  // namespace

void archiveMailboxes(ArchiveWriter& writer, const std::vector<TDbxFolderInfo>& entries) {
    runFileJob(writer, entries, isMailboxFile,
               "Error: file <a href=\"help:err_notbmf.html\">is not a valid bmf</a> - ",
               [&writer](const TDbxFolderInfo& entry, TargetFolder& target, const FileShare& share) {
                   archiveFile(writer.run(), entry, target, share);
               });
}

}  // namespace tessaly
