// commands.cpp - runs the jobs that tessaly-cli commands name.
#include "cli/commands.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "app/archive_claim.h"
#include "app/mail_files.h"
#include "cli/catalogue_commands.h"
#include "cli/console.h"
#include "cli/page_command.h"
#include "cli/pst_commands.h"
#include "cli/store_commands.h"
#include "platform/files.h"
#include "sources/dbx.h"
#include "sources/folder_info.h"
#include "sources/oestore.h"
#include "sources/scan_pass.h"

namespace tessaly::cli {

namespace {

// A named file as a folder entry, from its absolute path.
TDbxFolderInfo fileEntry(const std::string& path) { return pickedFileEntry(absolutePath(path)); }

int archiveFiles(const Options& options) {
    const std::vector<std::string> files = filesOfOneKind(options.files);
    const MailFileKind kind = files.empty() ? MailFileKind::Mailbox : mailFileKind(files.front());
    if (kind == MailFileKind::Pst) return archivePst(options, files);
    JobRequest request = archiveRequest(options);
    request.source = kind == MailFileKind::Dbx ? SourceKind::DbxFolders : SourceKind::Mailboxes;
    for (const std::string& file : files) {
        if (kind == MailFileKind::Mailbox && isFolder(file)) {
            // A Maildir or MH folder; anything else fails the scanning pass.
            request.files.push_back(mailFolderEntry(file));
            continue;
        }
        TDbxFolderInfo entry = fileEntry(file);
        // A folder file knows its own name.
        if (kind == MailFileKind::Dbx) {
            if (auto name = dbxFolderName(entryPath(entry))) entry.name = entry.folderPath = *name;
        }
        request.files.push_back(std::move(entry));
    }
    return runRequest(request);
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

int archiveOutlookExpressStore(const Options& options) {
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
    JobRequest request = archiveRequest(options);
    request.source = SourceKind::DbxFolders;
    request.files = std::move(entries);
    return runRequest(request);
}

}  // namespace

int usageError(const std::string& message) {
    std::fprintf(stderr, "tessaly-cli: %s\n%s", message.c_str(), usageText());
    return kExitUsage;
}

JobRequest archiveRequest(const Options& options) {
    JobRequest request;
    request.archiveFolder = absolutePath(options.to);
    request.format = options.format != "eml" ? OutputFormat::Html : OutputFormat::Eml;
    request.useSubfolders = !options.flat;
    request.labelFolders = !options.noLabels;
    return request;
}

int runRequest(const JobRequest& request, bool printStatistics) {
    ArchiveClaim claim;
    if (const std::string refusal = claim.claim(request); !refusal.empty()) {
        std::fprintf(stderr, "tessaly-cli: %s\n", refusal.c_str());
        return kExitRefused;
    }
    ArchiveRun& run = theRun();
    Console console(run);
    RunSinks sinks;
    sinks.progress = console.progressSink();
    sinks.log = console.logSink();
    sinks.pump = console.messagePump();
    driveRun(run, request, std::move(sinks));
    console.finishProgress();
    if (printStatistics) printSummary(run);
    return run.stopRequested ? kExitStopped : kExitFinished;
}

int runCommand(const Options& options) {
    if (options.command == "page") return runPageCommand(options);
    if (options.command == "list-oe") return listStore(options);
    if (options.command == "list-pst") return listPst(options);
    if (options.command == "archive-oe") return archiveOutlookExpressStore(options);
    if (options.command == "stores") return listStores(options);
    if (options.command == "list-store") return listStoreFolders(options);
    if (options.command == "archive-store") return archiveStore(options);
    if (options.command == "archive") return archiveFiles(options);
    if (options.command == "index") return runIndex(options);
    if (options.command == "search") return runSearch(options);
    if (options.command == "eml2mbox") {
        if (!isFolder(options.files[0])) return usageError("no such folder: " + options.files[0]);
        // The conversion writes no archive, so no stylesheet.
        JobRequest request;
        request.source = SourceKind::EmlToMailbox;
        request.archiveFolder = absolutePath(options.files[0]);
        request.format = OutputFormat::Eml;
        return runRequest(request);
    }
    return usageError("unknown command " + options.command);
}

}  // namespace tessaly::cli
