// mail_files.cpp - kinds of mail files and picked files as folder entries.
#include "app/mail_files.h"

#include "message/text.h"
#include "platform/ascii.h"

namespace tessaly {

std::string lowerExtension(std::string_view path) { return asciiLower(extensionOf(baseName(path))); }

MailFileKind mailFileKind(std::string_view path) {
    const std::string ext = lowerExtension(path);
    return ext == ".pst" ? MailFileKind::Pst : ext == ".dbx" ? MailFileKind::Dbx : MailFileKind::Mailbox;
}

std::vector<std::vector<std::string>> filesByKind(const std::vector<std::string>& paths) {
    std::vector<std::vector<std::string>> byKind(3);
    for (const std::string& path : paths) byKind[static_cast<size_t>(mailFileKind(path))].push_back(path);
    return byKind;
}

std::vector<std::string> filesOfOneKind(const std::vector<std::string>& paths) {
    for (std::vector<std::string>& files : filesByKind(paths)) {
        if (!files.empty()) return files;
    }
    return {};
}

bool isFolderTreeFile(std::string_view path) { return asciiLower(baseName(path)) == "folders.dbx"; }

TDbxFolderInfo pickedFileEntry(const std::string& path) {
    TDbxFolderInfo entry;
    entry.fileName = baseName(path);
    // A bare name lies in the current folder; "/name" in the root.
    if (entry.fileName.size() == path.size()) {
        entry.directory.push_back('.');
    } else {
        entry.directory = directoryOf(path);
        if (entry.directory.empty()) entry.directory.push_back('/');
    }
    entry.name = entry.fileName;
    const std::string ext = lowerExtension(path);
    if (ext == ".bmf" || ext == ".dbx") entry.name.resize(entry.name.size() - ext.size());
    entry.folderPath = entry.name;
    return entry;
}

}  // namespace tessaly
