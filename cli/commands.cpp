// commands.cpp - runs the jobs that tessaly-cli commands name.
#include "cli/commands.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <functional>

#include "app/run.h"
#include "archive/stylesheet.h"
#include "cli/console.h"
#include "cli/page_command.h"
#include "cli/pst_commands.h"
#include "message/text.h"
#include "platform/files.h"
#include "sources/dbx.h"
#include "sources/dbx_job.h"
#include "sources/eml_to_mailbox.h"
#include "sources/oestore.h"
#include "sources/folder_info.h"
#include "sources/mailbox.h"

namespace tessaly::cli {

namespace {

namespace fs = std::filesystem;

std::string lowerExtension(const std::string& path) {
    std::string ext = extensionOf(baseName(path));
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

std::string absolutePath(const std::string& path) {
    std::error_code ignored;
    std::string full = fs::absolute(path, ignored).lexically_normal().string();
    while (full.size() > 1 && full.back() == '/') full.pop_back();
    return full.empty() ? path : full;
}

// A picked file as a folder entry: named after the file, without a ".bmf"
// or ".dbx" extension.
TDbxFolderInfo fileEntry(const std::string& path) {
    const std::string full = absolutePath(path);
    TDbxFolderInfo entry;
    entry.fileName = baseName(full);
    entry.directory = directoryOf(full);
    entry.name = entry.fileName;
    const std::string ext = lowerExtension(full);
    if (ext == ".bmf" || ext == ".dbx") entry.name.resize(entry.name.size() - ext.size());
    entry.folderPath = entry.name;
    return entry;
}

// One run as the wizard's run sequence makes it: reset the record, write
// the stylesheet, run the job, end the run and report.
int runJob(const std::string& folder, bool html,
           const std::function<void(ArchiveRun&, const std::string&)>& job) {
    const std::string archiveFolder = absolutePath(folder);
    Console console;
    ArchiveRun& run = theRun();
    run.messagePump = console.messagePump();
    run.beginRun(nullptr, console.progressSink(), console.logSink(), archiveFolder, html);
    if (html) writeStylesheet(archiveFolder);
    job(run, archiveFolder);
    run.endRun();
    run.messagePump = nullptr;
    console.finishProgress();
    printSummary(run);
    return run.stopRequested ? kExitStopped : kExitFinished;
}

int usageError(const std::string& message) {
    std::fprintf(stderr, "tessaly-cli: %s\n%s", message.c_str(), usageText());
    return kExitUsage;
}

int archiveFiles(const Options& options) {
    std::vector<std::string> pst, dbx, mailboxes;
    for (const std::string& file : options.files) {
        const std::string ext = lowerExtension(file);
        (ext == ".pst" ? pst : ext == ".dbx" ? dbx : mailboxes).push_back(file);
    }
    // Only one kind of file is taken: .pst before .dbx before mailboxes.
    if (!pst.empty()) return archivePst(options, pst);
    if (!dbx.empty()) {
        std::vector<TDbxFolderInfo> entries;
        for (const std::string& file : dbx) {
            entries.push_back(fileEntry(file));
            // A folder file knows its own name.
            if (auto name = dbxFolderName(entries.back().directory + "/" + entries.back().fileName)) {
                entries.back().name = entries.back().folderPath = *name;
            }
        }
        return runJob(options.to, options.format != "eml", [&](ArchiveRun& run, const std::string& archiveFolder) {
            archiveDbxFolders(run, entries, archiveFolder, !options.flat);
        });
    }

    std::vector<TDbxFolderInfo> entries;
    for (const std::string& file : mailboxes) entries.push_back(fileEntry(file));
    return runJob(options.to, options.format != "eml", [&](ArchiveRun& run, const std::string& archiveFolder) {
        archiveMailboxes(run, entries, archiveFolder, !options.flat);
    });
}

// The folder list of the store the options name: a store folder, an
// identity's store, or the first store of the default identity.
bool storeFolders(const Options& options, std::vector<TDbxFolderInfo>& folders, std::string& error) {
    if (!options.storeDir.empty()) {
        folders = loadDbxFoldersFromRoot(absolutePath(options.storeDir));
        if (folders.empty()) error = "no Outlook Express folders found in " + options.storeDir;
        return !folders.empty();
    }
    const std::vector<TDbxStore>& stores = loadDbxStores(options.identity);
    const TDbxStore* store = nullptr;
    for (const TDbxStore& s : stores) {
        if (options.identity.empty() || s.userName == options.identity) {
            store = &s;
            break;
        }
    }
    if (!store) {
        error = options.identity.empty() ? "no Outlook Express identity with a store was found"
                                         : "no Outlook Express store for the identity " + options.identity;
        return false;
    }
    folders = loadDbxFolders(store->userName, store->versionKey);
    if (folders.empty()) error = "no Outlook Express folders found in " + store->storeRoot;
    return !folders.empty();
}

int listStore(const Options& options) {
    std::vector<TDbxFolderInfo> folders;
    std::string error;
    if (!storeFolders(options, folders, error)) return usageError(error);
    for (const TDbxFolderInfo& f : folders) {
        std::printf("%s%s\n", std::string(static_cast<size_t>(std::max(f.depth, 0)) * 2, ' ').c_str(),
                    f.name.c_str());
    }
    return kExitFinished;
}

int archiveStore(const Options& options) {
    std::vector<TDbxFolderInfo> folders;
    std::string error;
    if (!storeFolders(options, folders, error)) return usageError(error);
    std::vector<TDbxFolderInfo> entries;
    if (options.folders.empty()) {
        for (const TDbxFolderInfo& f : folders) {
            if (isTickedByDefault(f)) entries.push_back(f);
        }
    } else {
        for (const std::string& wanted : options.folders) {
            if (std::none_of(folders.begin(), folders.end(),
                             [&](const TDbxFolderInfo& f) { return f.name == wanted; })) {
                return usageError("the store has no folder named " + wanted);
            }
        }
        // In list order, once for every time a folder is named.
        for (const TDbxFolderInfo& f : folders) {
            for (const std::string& wanted : options.folders) {
                if (f.name == wanted) entries.push_back(f);
            }
        }
    }
    return runJob(options.to, options.format != "eml", [&](ArchiveRun& run, const std::string& archiveFolder) {
        archiveDbxFolders(run, entries, archiveFolder, !options.flat);
    });
}

}  // namespace

int runCommand(const Options& options) {
    if (options.command == "page") return runPageCommand(options);
    if (options.command == "list-oe") return listStore(options);
    if (options.command == "list-pst") return listPst(options);
    if (options.command == "archive-oe") return archiveStore(options);
    if (options.command == "archive") return archiveFiles(options);
    if (options.command == "eml2mbox") {
        if (!isFolder(options.files[0])) return usageError("no such folder: " + options.files[0]);
        // The conversion writes no archive, so no stylesheet.
        return runJob(options.files[0], false, [](ArchiveRun& run, const std::string& root) {
            convertEmlFolders(run, root);
        });
    }
    return usageError("unknown command " + options.command);
}

}  // namespace tessaly::cli
