// pst_commands.cpp - archiving and listing Outlook .pst files through the
// program's MAPI provider.
#include "cli/pst_commands.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "cli/commands.h"
#include "mapi/library_loader.h"
#include "mapi/outlook.h"
#include "platform/errors.h"
#include "platform/files.h"

namespace tessaly::cli {

namespace {

// The library name that loads the program's own provider.
const char kProviderLibrary[] = "mapi32.dll";

int problem(const std::string& message) {
    std::fprintf(stderr, "tessaly-cli: %s\n", message.c_str());
    return kExitUsage;
}

// Mounts the file as the wizard does for a picked .pst; on failure says why
// on stderr and gives the exit status.
bool mount(const std::string& file, int& status) {
    if (!loadMapiLibrary(kProviderLibrary)) {
        status = problem("this build cannot read .pst files");
        return false;
    }
    const std::string path = absolutePath(file);
    uint64_t size = 0;
    if (!readableFileSize(path, size)) {
        status = problem("cannot open " + file + " - " + systemErrorText());
        return false;
    }
    EnsureStores(kProviderLibrary);
    EnsureFoldersFn(nullptr, path);
    if (mapiStoreOpen()) return true;
    status = problem(file + " cannot be read as an Outlook store: it is damaged or not a .pst file");
    CloseMapi();
    return false;
}

// A store that opens but holds no mail folders (only contacts or calendars,
// say) is no mistake of the caller: said on stderr, and the run is done.
bool holdsMail(const std::string& file) {
    if (!mapiFolders().empty()) return true;
    std::fprintf(stderr, "tessaly-cli: %s holds no mail folders\n", file.c_str());
    CloseMapi();
    return false;
}

}  // namespace

int archivePst(const Options& options, const std::vector<std::string>& pstFiles) {
    if (pstFiles.size() != 1 || pstFiles.size() != options.files.size()) {
        return usageError("archive takes one .pst file at a time, and nothing else with it");
    }
    int status = kExitFinished;
    if (!mount(pstFiles[0], status)) return status;
    if (!holdsMail(pstFiles[0])) {
        return options.folders.empty() ? kExitFinished
                                       : usageError("the store has no folder named " + options.folders.front());
    }

    // Folders are chosen by entry id: two folders of one name are two
    // folders, and only the store's own Drafts folder is left out.
    const std::vector<mapi_TFolderInfo>& folders = mapiFolders();
    std::vector<std::string> ticked;
    std::vector<std::string> tickedIds;
    if (options.folders.empty()) {
        for (const mapi_TFolderInfo& folder : folders) {
            if (folder.drafts) continue;
            ticked.push_back(folder.name);
            tickedIds.push_back(folder.entryId.bytes);
        }
    } else {
        for (const std::string& wanted : options.folders) {
            if (std::none_of(folders.begin(), folders.end(),
                             [&](const mapi_TFolderInfo& f) { return f.name == wanted; })) {
                CloseMapi();
                return usageError("the store has no folder named " + wanted);
            }
            for (const mapi_TFolderInfo& folder : folders) {
                if (folder.name == wanted) tickedIds.push_back(folder.entryId.bytes);
            }
        }
        ticked = options.folders;
    }

    JobRequest request = archiveRequest(options);
    request.source = SourceKind::Outlook;
    request.outlookFolders = std::move(ticked);
    request.outlookFolderIds = std::move(tickedIds);
    status = runRequest(request);
    CloseMapi();
    return status;
}

int listPst(const Options& options) {
    int status = kExitFinished;
    if (!mount(options.files[0], status)) return status;
    if (!holdsMail(options.files[0])) return kExitFinished;
    for (const mapi_TFolderInfo& folder : mapiFolders()) {
        std::printf("%s%s\n", std::string(static_cast<size_t>(std::max(folder.depth, 0)) * 2, ' ').c_str(),
                    folder.name.c_str());
    }
    CloseMapi();
    return kExitFinished;
}

}  // namespace tessaly::cli
