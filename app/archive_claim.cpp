// archive_claim.cpp - the archive folder checked and locked before a run.
#include "app/archive_claim.h"

#include <unistd.h>

#include "platform/errors.h"
#include "platform/files.h"

namespace tessaly {

namespace {

std::string cannot(const std::string& root, const char* what) {
    return "The archive folder " + root + " " + what + ": " + systemErrorText() + ".";
}

}  // namespace

std::string ArchiveClaim::claim(const JobRequest& request) {
    if (request.source == SourceKind::EmlToMailbox) return {};
    const std::string& root = request.archiveFolder;
    if (!isFolder(root)) {
        if (pathExists(root)) return "The archive folder " + root + " is a file, not a folder.";
        if (!createFolderPath(root)) return cannot(root, "cannot be created");
    }
    // A file made and removed again: the folder takes new files.
    std::string probe;
    const int fd = openNewTemporary(root + "/", probe);
    if (fd < 0) return cannot(root, "cannot be written to");
    ::close(fd);
    removeFile(probe);

    const std::string data = root + "/.tessaly";
    // A link planted there is never followed: the run reports it and keeps
    // no catalogue, and no lock can be held in it.
    if (isLink(data)) return {};
    if (!isFolder(data) && !createFolder(data)) return cannot(root, "cannot be written to");
    switch (lock_.take(root + "/" + kArchiveLockName)) {
        case FileLock::Result::Taken:
        case FileLock::Result::Unsupported: return {};
        case FileLock::Result::Busy:
            return "The archive folder " + root +
                   " is in use by another run of Tessaly. Wait for that run to finish, or choose another folder.";
        case FileLock::Result::Failed: break;
    }
    return cannot(root, "cannot be written to");
}

}  // namespace tessaly
