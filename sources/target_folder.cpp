// target_folder.cpp - the archive subfolder and attachments folder of one
// source folder.
#include "archive/naming.h"
#include "archive/staged_files.h"
#include "platform/files.h"
#include "sources/mailbox.h"

namespace tessaly {

namespace {

std::string relativeSubfolder(const std::string& folderPath) {
    std::string relative;
    size_t start = 0;
    while (start <= folderPath.size()) {
        size_t stop = folderPath.find_first_of("/\\", start);
        if (stop == std::string::npos) stop = folderPath.size();
        const std::string safe =
            safeFolderName(std::string_view(folderPath).substr(start, stop - start));
        if (!safe.empty()) {
            if (!relative.empty()) relative += '/';
            relative += safe;
        }
        start = stop + 1;
    }
    return relative;
}

}  // namespace

TargetFolder prepareTargetFolder(const ArchiveRun& run, const TDbxFolderInfo& entry,
                                 const std::string& archiveFolder, bool useSubfolders) {
    TargetFolder target;
    target.subfolderPath = relativeSubfolder(entry.folderPath);
    std::string folder = archiveFolder;
    if (useSubfolders) folder += "/" + target.subfolderPath;
    if (!target.subfolderPath.empty()) target.subfolderPath += '/';

    if (!pathExists(folder)) createFolderPath(folder);
    if (run.htmlFormat) {
        target.attachmentsFolder = folder + "/attachments";
        if (!pathExists(target.attachmentsFolder)) createFolder(target.attachmentsFolder);
    }
    removeStaleArchiveFiles(folder);
    return target;
}

void removeEmptyAttachmentsFolder(const TargetFolder& target) {
    if (target.attachmentsFolder.empty()) return;
    if (!pathExists(target.attachmentsFolder + "/*")) removeFolder(target.attachmentsFolder);
}

}  // namespace tessaly
