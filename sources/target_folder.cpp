// target_folder.cpp - the archive subfolder and attachments folder of one
// source folder.
#include "archive/naming.h"
#include "archive/staged_files.h"
#include "platform/files.h"
#include "sources/mailbox.h"

namespace tessaly {

TargetFolder prepareTargetFolder(const ArchiveRun& run, const TDbxFolderInfo& entry,
                                 const std::string& archiveFolder, bool useSubfolders) {
    TargetFolder target;
    target.subfolderPath = safeFolderPath(entry.folderPath);
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
