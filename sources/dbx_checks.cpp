// dbx_checks.cpp - the tests that tell a DBX mail folder file and its name.
#include "sources/dbx_checks.h"

#include "message/charsets.h"
#include "sources/dbx_exception.h"
#include "sources/dbx_file_info.h"
#include "sources/dbx_header.h"
#include "sources/imemfile.h"

namespace tessaly {

namespace {

// A mapped mail folder file with room for its file-info object.
bool isMailFolder(DbxView view, const DbxHeader& header) {
    return view.data != nullptr && view.size >= kDbxFileInfoOffset &&
           view.size >= uint64_t{kDbxFileInfoOffset} + header.fileInfoLength &&
           header.fileType != kDbxFolderTreeType;
}

}  // namespace

bool isDbxMailView(DbxView view) {
    try {
        return isMailFolder(view, readDbxHeader(view));
    } catch (const DbxException&) {
        return false;
    }
}

bool isDbxMailFile(const std::string& path) {
    const imemfile file(path);
    return file.good() && isDbxMailView(file.view());
}

std::optional<std::string> dbxFolderNameInView(DbxView view) {
    try {
        const DbxHeader header = readDbxHeader(view);
        if (!isMailFolder(view, header)) return std::nullopt;
        const std::optional<std::string> name =
            DbxFileInfo(view, kDbxFileInfoOffset, header.fileInfoLength).storedFolderName();
        if (!name) return std::nullopt;
        return ensureUtf8(*name);
    } catch (const DbxException&) {
        return std::nullopt;
    }
}

std::optional<std::string> dbxFolderName(const std::string& path) {
    const imemfile file(path);
    if (!file.good()) return std::nullopt;
    return dbxFolderNameInView(file.view());
}

}  // namespace tessaly
