// maildir_job.cpp - archives the message files of a Maildir or MH folder in
// delivery order, with progress by bytes.
#include "sources/maildir_job.h"

#include <algorithm>

#include "sources/maildir_message.h"
#include "sources/message_files.h"

namespace tessaly {

void archiveMessageFiles(JobRun& run, const TDbxFolderInfo& entry, TargetFolder& target, const FileShare& share) {
    const std::vector<MessageFile> files = folderMessageFiles(entry);
    run.startFolder(folderTitle(entry));
    const double before = share.startFraction;
    const double totalBytes = static_cast<double>(share.totalBytes);
    // Files that grew since the scanning pass must not push the bars past their end.
    auto showProgress = [&](uint64_t done) {
        done = std::min(done, entry.size);
        run.setProgress(kOverallProgress, before + ratio(static_cast<double>(done), totalBytes), entry.name,
                        ratio(static_cast<double>(done), static_cast<double>(entry.size)));
    };
    showProgress(0);
    const bool maildir = entry.storage == FolderStorage::Maildir;
    WholeFileReader reader;
    uint64_t done = 0;
    for (const MessageFile& file : files) {
        if (run.shouldStop()) break;
        if (file.trashed) {
            // Archiving mail deleted in the mail program would bring it back.
            run.startMessage();
            run.countSkipped(Skipped::Deleted);
            run.finishMessage();
        } else {
            archiveMessageFile(run, file, maildir, target, reader,
                               [&](size_t scanned) { showProgress(done + std::min<uint64_t>(scanned, file.size)); });
        }
        done += file.size;
        showProgress(done);
    }
}

}  // namespace tessaly
