// store_commands.cpp - listing and archiving the mail stores Linux mail
// programs keep.
#include "cli/store_commands.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <utility>

#include "cli/commands.h"
#include "message/text.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "sources/mail_stores.h"
#include "sources/message_files.h"

namespace tessaly::cli {

namespace {

// The store the command line names: a name `stores` printed, else a path.
std::optional<MailStore> namedStore(const std::string& store) {
    for (const MailStore& found : findMailStores(homeFolder())) {
        if (found.name == store) return found;
    }
    if (!pathExists(store)) return std::nullopt;
    return storeAt(absolutePath(store));
}

bool storeFolders(const Options& options, std::vector<StoreFolder>& folders, int& status) {
    const std::optional<MailStore> store = namedStore(options.files.front());
    if (!store) {
        status = usageError("no mail store is named " + options.files.front() +
                            " or found there (tessaly-cli stores lists them)");
        return false;
    }
    folders = readStoreFolders(*store);
    if (folders.empty()) {
        status = usageError("no mail folders found in " + store->root);
        return false;
    }
    return true;
}

bool named(const StoreFolder& folder, const std::string& wanted) {
    return folder.entry.name == wanted || folder.entry.folderPath == wanted;
}

}  // namespace

int listStores(const Options&) {
    for (const MailStore& store : findMailStores(homeFolder())) {
        std::printf("%s\t%s\t%s\n", storeKindName(store.kind), store.name.c_str(), store.root.c_str());
    }
    return kExitFinished;
}

int listStoreFolders(const Options& options) {
    std::vector<StoreFolder> folders;
    int status = kExitFinished;
    if (!storeFolders(options, folders, status)) return status;
    for (const StoreFolder& f : folders) {
        std::printf("%s%s\n", std::string(static_cast<size_t>(std::max(f.entry.depth, 0)) * 2, ' ').c_str(),
                    f.entry.name.c_str());
    }
    return kExitFinished;
}

int archiveStore(const Options& options) {
    std::vector<StoreFolder> folders;
    int status = kExitFinished;
    if (!storeFolders(options, folders, status)) return status;
    JobRequest request = archiveRequest(options);
    request.source = SourceKind::Mailboxes;
    if (options.folders.empty()) {
        for (const StoreFolder& f : folders) {
            if (isStoreFolderTickedByDefault(f)) request.files.push_back(f.entry);
        }
    } else {
        for (const std::string& wanted : options.folders) {
            if (std::none_of(folders.begin(), folders.end(), [&](const StoreFolder& f) { return named(f, wanted); })) {
                return usageError("the store has no folder named " + wanted);
            }
        }
        // In tree order; a heading named stands for nothing of its own.
        for (const StoreFolder& f : folders) {
            const bool wanted = std::any_of(options.folders.begin(), options.folders.end(),
                                            [&](const std::string& w) { return named(f, w); });
            if (wanted && f.entry.storage != FolderStorage::None) request.files.push_back(f.entry);
        }
    }
    return runRequest(request);
}

TDbxFolderInfo mailFolderEntry(const std::string& path) {
    TDbxFolderInfo entry;
    const std::string dir = absolutePath(path);
    entry.storage = isMaildirFolder(dir) ? FolderStorage::Maildir
                    : isMhFolder(dir)    ? FolderStorage::MH
                                         : FolderStorage::File;
    entry.directory = dir;
    entry.name = baseName(dir);
    // A Maildir++ subfolder (".Sent") is named as mail programs show it.
    if (entry.storage == FolderStorage::Maildir && entry.name.size() > 1 && entry.name[0] == '.') entry.name.erase(0, 1);
    entry.folderPath = entry.name;
    return entry;
}

}  // namespace tessaly::cli
