// archive_writer.cpp - the archive root, its target folders and the
// opening and closing of each.
#include "archive/archive_writer.h"

#include <utility>

#include "archive/file_system_names.h"
#include "archive/naming.h"
#include "archive/staged_files.h"
#include "archive/stylesheet.h"
#include "message/charsets.h"
#include "message/text.h"
#include "platform/errors.h"
#include "platform/files.h"

namespace tessaly {

ConfinedRoot prepareArchiveRoot(const std::string& root, bool html) {
    if (!pathExists(root)) createFolderPath(root);
    ConfinedRoot confined(root);
    // Never overwrites a stylesheet the user may have edited.
    if (html) writeStylesheet(root);
    return confined;
}

TargetFolder::TargetFolder(ArchiveWriter& writer, std::string subfolderPath, std::string folderName)
    : writer_(writer),
      subfolderPath_(std::move(subfolderPath)),
      directory_(archiveDirectory(writer.options().root, subfolderPath_, writer.options().useSubfolders)),
      folderName_(ensureUtf8(folderName)) {}

const std::string& TargetFolder::pageSubfolder() const {
    static const std::string kRoot;
    return writer_.options().useSubfolders ? subfolderPath_ : kRoot;
}

ArchiveWriter::ArchiveWriter(JobRun& run, DecodeContext& decoder, ArchiveOptions options)
    : run_(run), decoder_(decoder), options_(std::move(options)), batch_(run) {}

ArchiveWriter::~ArchiveWriter() {
    try {
        closeFolder();
    } catch (...) {
        // A problem line that cannot be logged must not end the program.
    }
}

std::string ArchiveWriter::relativePath(const std::string& path) const {
    const std::string& root = options_.root;
    if (path.size() > root.size() && path.compare(0, root.size(), root) == 0 && path[root.size()] == '/') {
        return path.substr(root.size() + 1);
    }
    return path;
}

std::unique_ptr<Catalogue> ArchiveWriter::finish() {
    closeFolder();
    batch_.commit();
    return batch_.releaseCatalogue();
}

TargetFolder& ArchiveWriter::openFolder(std::string_view folderPath, std::string folderName) {
    closeFolder();
    if (catalogueOpener_) {
        batch_.setCatalogue(catalogueOpener_());
        catalogueOpener_ = nullptr;
    }
    std::string subfolderPath = pathForFileSystem(safeFolderPath(folderPath), nameRulesFor(options_.root));
    if (!subfolderPath.empty()) subfolderPath += '/';
    folder_.reset(new TargetFolder(*this, std::move(subfolderPath), std::move(folderName)));

    const std::string& directory = folder_->directory();
    if (!pathExists(directory) && !createFolderPath(directory)) {
        folder_->creationError_ = lastSystemError();
        stopWhenDiskLost(run_, folder_->creationError_);
        return *folder_;
    }
    if (html()) {
        const std::string attachments = directory + "attachments";
        if (!pathExists(attachments)) createFolder(attachments);
    }
    removeStaleArchiveFiles(withoutTrailingSlash(directory));
    // Only after the clearing, which would take the pool's files for leftovers.
    std::vector<std::string> pooled{directory};
    if (html()) pooled.push_back(directory + "attachments/");
    temporaries_ = std::make_unique<TemporaryPool>(std::move(pooled));
    return *folder_;
}

void ArchiveWriter::closeFolder() {
    if (!folder_) return;
    // The files made ahead and not taken go first: on a full disk the
    // journals may need their room.
    temporaries_.reset();
    batch_.commit();
    if (html()) {
        const std::string attachments = folder_->directory() + "attachments";
        if (!pathExists(attachments + "/*")) removeFolder(attachments);
    }
    folder_.reset();
    names_.clear();
}

}  // namespace tessaly
