// catalogue_commands.cpp - the index and search commands.
#include "cli/catalogue_commands.h"

#include <cstdio>
#include <string>
#include <vector>

#include "archive/catalogue.h"
#include "browse/search_index.h"
#include "cli/commands.h"
#include "platform/files.h"

namespace tessaly::cli {

int runIndex(const Options& options) {
    const std::string& dir = options.files[0];
    if (!isFolder(dir)) {
        std::fprintf(stderr, "tessaly-cli: no such folder: %s\n", dir.c_str());
        return kExitUsage;
    }
    JobRequest request;
    request.source = SourceKind::Reindex;
    request.archiveFolder = absolutePath(dir);
    request.format = OutputFormat::Eml;  // the stylesheet of pages is not this command's to write
    const int status = runRequest(request, false);
    if (status != kExitFinished) return status;
    uint64_t messages = 0;
    if (std::unique_ptr<Catalogue> catalogue = Catalogue::open(request.archiveFolder, nullptr)) {
        messages = catalogue->messageCount();
    }
    std::printf("%llu messages in the catalogue; open %s/index.html\n", static_cast<unsigned long long>(messages),
                request.archiveFolder.c_str());
    return kExitFinished;
}

int runSearch(const Options& options) {
    if (!isFolder(options.in)) {
        std::fprintf(stderr, "tessaly-cli: no such folder: %s\n", options.in.c_str());
        return kExitUsage;
    }
    std::string query;
    for (const std::string& word : options.files) {
        if (!query.empty()) query += ' ';
        query += word;
    }
    std::string error;
    const std::vector<std::string> paths = searchArchive(absolutePath(options.in), query, &error);
    if (!error.empty()) {
        std::fprintf(stderr, "tessaly-cli: %s\n", error.c_str());
        return kExitUsage;
    }
    for (const std::string& path : paths) std::printf("%s\n", path.c_str());
    return paths.empty() ? kExitStopped : kExitFinished;
}

}  // namespace tessaly::cli
