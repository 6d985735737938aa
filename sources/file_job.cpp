// file_job.cpp - the file jobs' shared skeleton.
#include "sources/file_job.h"

#include "message/text.h"
#include "sources/scan_pass.h"

namespace tessaly {

void runFileJob(ArchiveWriter& writer, const std::vector<TDbxFolderInfo>& entries, const SourceFileRules& rules,
                const ArchiveFileFunction& archiveFile) {
    JobRun& run = writer.run();
    uint64_t totalBytes = 0;
    const std::vector<TDbxFolderInfo> work = scanSourceFiles(run, entries, rules, totalBytes);
    run.expectBytes(totalBytes);
    uint64_t doneBytes = 0;
    for (const TDbxFolderInfo& entry : work) {
        if (run.shouldStop()) break;
        FileShare share;
        share.startFraction = ratio(static_cast<double>(doneBytes), static_cast<double>(totalBytes));
        share.totalBytes = totalBytes;
        run.setProgress(kOverallProgress, share.startFraction, entry.name, 0);
        doneBytes += entry.size;
        TargetFolder& target = writer.openFolder(entry.folderPath, entry.folderPath);
        archiveFile(entry, target, share);
        writer.closeFolder();
    }
}

std::string folderTitle(const TDbxFolderInfo& entry) {
    std::string path = entry.parentPath;
    if (!path.empty()) path += '/';
    return htmlEscape(path + entry.name + "/");
}

}  // namespace tessaly
